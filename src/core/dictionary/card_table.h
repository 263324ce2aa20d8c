#pragma once

#include "core/dictionary/dictionary.h"

#include <QList>
#include <QString>

#include <vector>

// Sort and grouping options of the dictionary table.
struct TableSortOptions {
    bool byFiles = false;
    bool byLessons = false;
    bool byForeign = true;
};

// One row of the dictionary table: a group header or a card.
struct TableRow {
    enum Kind { CardRow, FileHeader, LessonHeader, LetterHeader };
    Kind kind = CardRow;
    QString label; // header text
    int cardId = 0;
    int number = 0; // card rows count from 1

    bool isHeader() const { return kind != CardRow; }
    // "file", "lesson", "letter", or the card id as decimal text.
    QString kindText() const;
};

// Caption of the group of cards that belong to no file yet.
QString newCardsHeaderText();

// What the order needs of one card's word, kept between refreshes so that
// an unchanged word is neither lower-cased nor read again. Each entry holds
// a shared copy of the word it was computed from: while that copy lives, the
// word's buffer cannot change in place, so an entry whose buffer is still
// the card's current word is valid, whatever path changed the dictionary.
class TableSortCache
{
public:
    struct WordKey {
        quint64 units[4] = {0, 0, 0, 0}; // first 16 code units, lower case
        QString lower;                   // whole lower-case word, when longer
        int size = 0;
        char16_t letter = 0; // 0: no letter
        bool has = false;    // the card has the word at all
    };
    // Before the keys of one sort, ahead of fit(): by foreign words or by
    // Russian ones (a change empties the cache).
    void prepare(bool byForeign);
    // The key of `word` for `card`, computed only when it changed; a card
    // without an entry (see fit) gets it in `*scratch`. Several threads may
    // ask at once for different cards, between prepare() and the next fit().
    const WordKey &key(const CardView &card, QStringView word, bool has, WordKey *scratch);
    // Starts fetching the entry of `id` from memory, to be asked for soon.
    void prefetch(int id) const;
    // Makes room for the ids up to `maxId` at once and drops those above (a
    // dictionary closed and opened again numbers its cards from 1).
    void fit(int maxId);
    void clear();

private:
    struct Entry {
        QString source;
        WordKey key;
        bool valid = false;
    };
    std::vector<Entry> m_entries; // by card id
    bool m_byForeign = true;
};

// Sorts the cards in place for the table: cards outside the filter last,
// then by file, lesson and first letter and word as the options say. Keys
// are computed once per card, so 100,000 cards sort without re-deriving them
// on every comparison. Reindexes the dictionary.
void sortForTable(Dictionary &dict, const TableSortOptions &opt);

// The same order with the file and lesson ranks compared one by one, as
// sortForTable does when there are too many files or lessons to pack them
// into one integer key. Only tests call it: they cannot build that many.
void sortForTableUnpacked(Dictionary &dict, const TableSortOptions &opt);

// The comparison itself, for one pair (tests and callers that sort copies).
bool cardTableOrder(const Card &a, const Card &b, const TableSortOptions &opt);

// Rows for the (already sorted) cards: header rows at every change of file,
// lesson and letter, card rows numbered from 1, stopping at the first card
// outside the filter. Adds every shown card's lesson to the lesson set.
QList<TableRow> buildTableRows(Dictionary &dict, const TableSortOptions &opt);

// Rows computed ahead of a rebuild (by an open, on its worker): valid for
// the dictionary whose revision they were made at.
struct PreparedTableRows {
    QList<TableRow> rows;
    quint64 revision = 0;
    bool valid = false;

    bool validFor(const Dictionary &dict) const { return valid && revision == dict.revision(); }
};

// Both steps with the keys computed once: what the window's refresh uses.
// With a cache the words' keys are kept for the next refresh.
QList<TableRow> sortAndBuildTableRows(Dictionary &dict, const TableSortOptions &opt,
                                      TableSortCache *cache = nullptr);
