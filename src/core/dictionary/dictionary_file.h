#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/file_stamp.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <vector>

// Reading and writing dictionary files (XML, UTF-16 with a byte-order mark).
// Nothing here shows a message: the texts come back as data and the main
// window shows them (caption "Словарь").

// What one file's text holds, before anything enters the Dictionary.
struct DictionaryReadResult {
    QList<Card> cards;    // accepted cards, document order, filePath set, no id yet
    StringSet lessons;    // lesson names met while reading the accepted structure
    QStringList warnings; // in document order
    // The file is refused as a whole (not well-formed, or its root is not
    // <words>): `warnings` then holds that single message and nothing else.
    bool refused = false;
};

// Reads the decoded text of a file. `path` only goes into the cards and messages.
// Plain files go through a fast reader; anything it is not sure of, through
// QXmlStreamReader, with the same result either way.
DictionaryReadResult parseDictionaryText(const QString &text, const QString &path,
                                         const StringSet &categoryList);

// The two readers behind parseDictionaryText, open for the tests that hold
// them to the same results. The fast one reads only plain, certainly
// well-formed XML (the writer's own layout without an element parse, other
// layouts element by element); on anything else it returns false and leaves
// *out alone.
// The general one (QXmlStreamReader) reads any text and words its errors.
// A long text is cut into pieces of about kReadPieceUnits code units, each
// right before a <lesson> tag, read on readingThreads() threads at once with
// the same result (with 0, every lesson is a piece); when a piece is not plain to the
// fast reader, the text is read whole on this thread.
constexpr qsizetype kReadPieceUnits = qsizetype(1) << 20;
bool parseDictionaryTextFast(QStringView text, const QString &path, const StringSet &categoryList,
                             DictionaryReadResult *out, qsizetype pieceUnits = kReadPieceUnits);
DictionaryReadResult parseDictionaryTextGeneral(const QString &text, const QString &path,
                                                const StringSet &categoryList);

// UTF-16 with a mark in either byte order; without one, UTF-16 recognised by a
// zero byte among the first two; else UTF-8 (with or without its mark) when
// valid; anything else as UTF-16 little-endian, which the parser then refuses.
QString decodeDictionaryBytes(const QByteArray &bytes);

// How many threads parse the pieces of a file: one per processor, at least
// two (so that the joining of pieces is always exercised) and at most eight
// (beyond that the single thread reading the file is the limit).
int readingThreads();

// Call once at start, before any other thread: caps the process at one heap
// (glibc's malloc arena) per parsing thread and one more for all other
// threads together. The first thread keeps the main heap; every other takes
// a free heap at its first allocation, or a new one while below the cap,
// else shares one. So the threads that parse the pieces of a large file can
// each have one apart from the window's, unless other threads took them
// first (the thread that reads the pieces hardly allocates; one heap more
// measured no faster). Sharing a single heap, parsing threads would wait on
// each other's every allocation; a heap per thread without limit would only
// waste memory. Does nothing without glibc.
void setUpReadingHeaps();

// The largest dictionary file that is read: a file the fast reader does not
// take is held in memory whole while it is read (decoded, a file in another
// encoding takes up to twice its size), and a larger file is refused before
// a byte of it is, or once it has grown past this while being read.
constexpr qint64 kMaxDictionaryFileBytes = qint64(2560) << 20; // 2.5 GiB

// Opens a dictionary file for reading: only a regular file (checked on the
// opened descriptor, so a name changed after a check cannot pass), never
// waiting on a named pipe or a device, and not larger than
// kMaxDictionaryFileBytes. A symbolic link is followed to what it names.
// Returns the descriptor (blocking reads, closed on exec), or -1 with the
// Russian reason in `*error`.
int openDictionaryForReading(const QString &path, QString *error);
// The same check alone, the file closed again: the reason, or empty when
// the file can be read.
QString dictionaryOpenProblem(const QString &path);

struct ReadOutcome {
    bool opened = false; // false: the file could not be read; see openError
    QString openError;   // why, in Russian
    bool added = false;  // at least one card entered the Dictionary
    // Every warning in order, ending with "Из файла\n…\nНе было добавлено ни
    // одной карточки" when a readable file gave no card.
    QStringList warnings;
    // The bytes read (whenever the file could be read), to notice later
    // changes on disk.
    FileStamp stamp;
};

// Adds the accepted cards with Dictionary::addCard and the file's lessons to
// dict.lessons, both only when at least one card is accepted. Never touches
// openFiles: the caller adds the path when `added`. A file as this program
// writes it (UTF-16 LE with its mark) is read in pieces of 2 MB, parsed on
// readingThreads() threads while the next piece is read (see kReadPieceUnits), so its
// whole text is never in memory at once.
// With `cancel`: once it turns true, the read stops within a card and adds
// nothing (the outcome then says nothing was added, with no warnings).
ReadOutcome readDictionaryFile(Dictionary &dict, const QString &path,
                               const std::atomic<bool> *cancel = nullptr);
// The same in pieces of about `pieceBytes` of file: for the tests, which
// hold small pieces to what the whole text gives.
ReadOutcome readDictionaryFile(Dictionary &dict, const QString &path,
                               const std::atomic<bool> *cancel, qsizetype pieceBytes);

// The exact bytes of a file holding these cards in this order (a new <lesson>
// element whenever the lesson changes). No checks: see writeDictionaryFile.
QByteArray dictionaryFileBytes(const QList<Card> &cardsSortedByLesson);

struct WriteOutcome {
    bool ok = false;
    QString message; // Russian, for showCritical, when !ok
    // The file was saved, but something went wrong beside it (a backup that
    // could not be kept): Russian, for showWarning.
    QStringList warnings;
    // When ok: the positions of the written cards in the list given, in the
    // order the file holds them (stably sorted by lesson).
    std::vector<int> order;
};

// Saves cards[p] for each p in *positions (every card, in list order, when
// `positions` is null) to `path` through a temporary file renamed over the
// old one, stably sorted by lesson. Refuses the whole save, naming the card
// and the fault, when a card would not read back exactly as it is (see
// cardFileProblem; categories are checked against `categoryList`). Before
// the first overwrite of an existing file whose path is not yet in
// `*backedUp`, its bytes are kept in "<path>.bak" (writable by its owner,
// replacing an older copy even if that one is read-only), and the path is
// added (a file created here is added too: it has no older version to
// keep). The copy is made only once the new bytes are safely beside the
// file; when it cannot be made the save still goes on and `warnings` says
// so. `backedUp` may be null: no copies.
// The cards are only read, here and on the second thread a large save
// builds half its text on: the store may be the dictionary's own, which
// nobody may change until this returns. Putting the cards in `order` and setting
// their filePath is the caller's, after success.
WriteOutcome writeDictionaryCards(const CardStore &cards, const std::vector<int> *positions,
                                  const QString &path, const StringSet &categoryList,
                                  QSet<QString> *backedUp);
WriteOutcome writeDictionaryCards(const QList<Card> &cards, const std::vector<int> *positions,
                                  const QString &path, const StringSet &categoryList,
                                  QSet<QString> *backedUp);

// writeDictionaryCards over all of `cards`, which on success are then stably
// sorted by lesson, each with filePath `path`; on failure the cards, and the
// file on disk, stay as they were. Passing Dictionary::cards needs a
// Dictionary::reindex() after success.
WriteOutcome writeDictionaryFile(QList<Card> &cards, const QString &path,
                                 const StringSet &categoryList, QSet<QString> *backedUp);
