#pragma once

#include "model/dictionary.h"

#include <QList>
#include <QString>

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

// Both steps with the keys computed once: what the window's refresh uses.
QList<TableRow> sortAndBuildTableRows(Dictionary &dict, const TableSortOptions &opt);
