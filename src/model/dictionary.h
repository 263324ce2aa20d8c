#pragma once

#include "model/card.h"

#include <QList>
#include <QString>

#include <set>
#include <vector>

using StringSet = std::set<QString>;

// The union of all open dictionary files: one vector of cards held by value,
// the open file paths and the lesson and category sets.
//
// Everything that outlives one call names a card by its id; the id-to-position
// index is rebuilt after every reordering or erasure, so lookups stay O(1).
class Dictionary
{
public:
    QList<Card> cards;
    StringSet openFiles;
    StringSet lessons;
    StringSet categoryList;
    int idCounter = 0;
    bool changed = false;

    // Reader's entry point: gives the card the next id and appends it.
    int addCard(Card card);
    // Editor's and converter's entry point. Returns the number added; sets
    // `changed` when that is not 0 (the window rebuilds the table).
    int addNewCards(const QList<Card> &newCards);

    Card *cardById(int id);
    const Card *cardById(int id) const;
    int indexOfId(int id) const;

    QList<Card> cardsOfFile(const QString &path) const;
    bool hasNewCards() const;
    void removeFile(const QString &path);
    void removeNewCards();
    // Erases the card with this id; false when there is none.
    bool removeCard(int id);
    int cardCount() const { return int(cards.size()); }

    // After the vector was reordered or erased from outside.
    void reindex();
    // Refills `lessons` from the cards; when no card is left, the id counter
    // and the changed flag start over.
    void rebuildLessonsAfterClose();
    // Empties everything but the category list.
    void clear();

private:
    void eraseIf(bool (*pred)(const Card &, const QString &), const QString &arg);
    // Position of each id (ids are dense: 1..idCounter); -1 for none.
    std::vector<int> m_index;
};
