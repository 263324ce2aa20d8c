#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/dictionary.h"
#include "core/exchange/delimited_text.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// Cards as rows of a spreadsheet and back: the columns, the written forms of
// the fields that hold lists, and the import's decisions (column mapping,
// duplicates, the file check).

// What a column of a delimited file holds.
enum class ExchangeColumn {
    None,          // not imported
    Foreign,       // foreign words, "word, word"
    Transcription, // their transcriptions, in the same order
    Translation,   // the Russian side as readable text
    Markup,        // the Russian side in the exact written form (translationMarkup)
    Lesson,
    Categories, // "name, name"
    PriorityER, // base priority ин-ру (nPER)
    PriorityRE, // base priority ру-ин (nPRE)
    Archive,    // "да" for an archived card
    Sound,      // the sound file names as the card holds them
    AutoCheck,  // "+" or "-" per foreign word: its answer is checked
    State,      // "pER rER aER pRE rRE aRE": the repetition counters
};
constexpr int kExchangeColumnCount = int(ExchangeColumn::State) + 1;

// The Russian header of a column ("Иностранное слово", …); "Не импортировать"
// for None.
QString exchangeColumnName(ExchangeColumn column);
// The role a header names: our own names and the usual English ones
// ("Front", "Back", "Word", "Deck", …), case and outer blanks ignored; None
// for anything else.
ExchangeColumn columnForHeader(const QString &header);

// The columns an export writes: every field, and with `exact` the three
// that make a re-import give each card back field for field (markup,
// answer check, counters).
QList<ExchangeColumn> exportColumns(bool exact);

// ---- the written forms of list fields
//
// A list is written as its items joined by ", ". Within an item a
// backslash stands before "\", ",", ";", "[", "]", "(" and ")", and before a
// blank at either end of the item; everything else, line breaks included,
// is written as it is (a delimited file quotes a field with line breaks).
QString escapeExchangeItem(const QString &item);
QString joinExchangeList(const QStringList &items);
// The items of a written list; an empty text has none.
QStringList splitExchangeList(QStringView text);

// The Russian side exactly: "[N] дом (устар.), здание; жилище [V] есть".
// Each section is its code in brackets; its groups follow, separated by
// "; ", each group its variants separated by ", ", each variant its word
// and, when it has one, its remark in brackets. Items are escaped as in a
// list.
QString translationMarkup(const QList<TranslationSection> &sections);
// Reads it back; false with the reason in `*error` when the text is not of
// that form.
bool parseTranslationMarkup(QStringView text, QList<TranslationSection> *sections, QString *error);
// The Russian side for a reader: "[N] дом, здание (устар.); [V] 1. есть;
// 2. кушать": sections with their codes, groups numbered when a section has
// several, joined by "; ".
QString readableTranslation(const Card &card);
// Readable text taken apart as a word list's right side is (the
// conversion's reading: "[N] слово (помета), синоним [V] делать"); a text it
// makes nothing of becomes one whole-text section.
QList<TranslationSection> translationsFromText(const QString &text);

// The whole delimited file: a header row, then a row per card. `cancel`
// stops it (the result is then incomplete and must not be used).
QString delimitedCardsText(const QList<Card> &cards, QChar separator, bool exact,
                           const std::atomic<bool> *cancel = nullptr);

// ---- import

// What a new card gets when its source says nothing.
struct ImportDefaults {
    QString lesson;   // for a row without a lesson
    QString category; // for a card without categories
};

// One card read from a file, before the checks, with the line it came from.
struct ImportedCard {
    Card card;
    int line = 0;
    // Why the row makes no card (a number that is not one, a markup text
    // that does not read): it is refused with this reason.
    QString problem;
};

// Which fields of a card the source gave; an update changes only those.
enum ImportField : unsigned {
    FieldForeign = 1u << 0,
    FieldTranscription = 1u << 1,
    FieldTranslations = 1u << 2,
    FieldLesson = 1u << 3,
    FieldCategories = 1u << 4,
    FieldPriorities = 1u << 5,
    FieldArchive = 1u << 6,
    FieldSound = 1u << 7,
    FieldAutoCheck = 1u << 8,
    FieldState = 1u << 9,
};

struct ImportSource {
    QList<ImportedCard> cards;
    unsigned fields = 0; // ImportField bits
};

// The cards of delimited records mapped by `columns` (one role per column;
// extra fields are ignored). Rows whose mapped fields are all empty are
// skipped. HTML fields (Anki's "#html:true") are turned into text first.
ImportSource cardsFromRecords(const QList<DelimitedRecord> &records,
                              const QList<ExchangeColumn> &columns, const ImportDefaults &defaults,
                              bool html = false, const std::atomic<bool> *cancel = nullptr);
// The same straight from the text of a delimited file (see
// forEachDelimitedRecord), without holding its records: the first record is
// left out when `skipFirst` (a header row).
ImportSource cardsFromDelimitedText(const QString &text, QChar separator, int from, int firstLine,
                                    bool skipFirst, const QList<ExchangeColumn> &columns,
                                    const ImportDefaults &defaults, bool html = false,
                                    const std::atomic<bool> *cancel = nullptr);
// The mapping the header row suggests (None where it names nothing known);
// with no known name at all, the first column is the foreign word and the
// second the translation. `names` are the header's fields, or Anki's
// "#columns:" names.
QList<ExchangeColumn> suggestColumns(const QStringList &names, int columnCount, bool *isHeader);

// What happens to a card whose first foreign word and lesson equal those
// of a card already in the target file.
enum class DuplicatePolicy { Skip, Add, Update };

struct ImportOptions {
    QString targetFile; // the open file the cards join; empty: new cards
    DuplicatePolicy duplicates = DuplicatePolicy::Skip;
};

struct ImportPlan {
    QList<Card> added;   // new cards, filePath set, no ids
    QList<Card> updated; // cards of the dictionary with their ids, changed
    int skipped = 0;     // duplicates left out
    // "строка 5: Карточка «…» (урок «…»): reason", in file order.
    QStringList refused;
};

// Checks every card as the editor and the conversion do (normalized, then
// refused when a dictionary file could not give it back) and sorts the good
// ones into new and updated cards by the duplicate policy. Duplicates are
// looked up among the target file's cards and the cards of this import.
// The source's cards are moved into the plan.
ImportPlan planImport(ImportSource source, const Dictionary &dict, const ImportOptions &options);

namespace ExchangeText
{
// The one message naming the refused cards (at most 50, then how many more).
QString refusedCards(const QStringList &refused);
// "Добавлено 5 карточек; обновлено: 2; пропущено повторов: 1."
QString importDone(const ImportPlan &plan);
QString nothingToImport();
QString historyText(int count); // "импорт 5 карточек"
QString lineLabel(int line);    // "строка 5"
} // namespace ExchangeText
