#pragma once

#include "core/dictionary/card.h"

#include <QList>
#include <QString>

#include <set>
#include <vector>

using StringSet = std::set<QString>;

// The union of all open dictionary files: one vector of cards held by value,
// the open file paths and the lesson and category sets.
//
// Everything that outlives one call names a card by its id. The card vector
// is private: every operation that adds, removes or reorders cards keeps the
// id-to-position index right, so lookups are O(1) and never scan.
class Dictionary
{
public:
    StringSet openFiles;
    StringSet lessons;
    StringSet categoryList;
    int idCounter = 0;
    bool changed = false;

    const QList<Card> &cards() const { return m_cards; }
    int cardCount() const { return int(m_cards.size()); }
    const Card &cardAt(int pos) const { return m_cards.at(pos); }
    void reserve(int n) { m_cards.reserve(n); }

    // Reader's entry point: gives the card the next id and appends it.
    int addCard(Card card);
    // Editor's and converter's entry point: appends copies with new ids and
    // returns those ids; sets `changed` when any was added.
    QList<int> addNewCards(const QList<Card> &newCards);

    // A card's fields may be changed through these pointers, never its id.
    Card *cardById(int id);
    const Card *cardById(int id) const;
    int indexOfId(int id) const;

    // Puts `card` in the place of the card with the same id; false when there
    // is none. Sets nothing else (the caller decides about `changed`).
    bool replaceCard(const Card &card);
    // Erases the card with this id; false when there is none.
    bool removeCard(int id);
    // Erases every card whose id is listed; returns the ids really erased.
    QList<int> removeCards(const QList<int> &ids);

    QList<Card> cardsOfFile(const QString &path) const;
    bool hasNewCards() const;
    // Gives the cards of `from` ("" = new cards) the path `to`.
    void moveToFile(const QString &from, const QString &to);
    // Drops the file's cards and the file from openFiles.
    void removeFile(const QString &path);
    void removeNewCards();

    // Calls f(Card &) on every card in order; f must not change ids.
    template <class F> void updateEach(F f)
    {
        touch();
        for (Card &c : m_cards)
            f(c);
    }
    // Changes whenever a card may have changed (every non-const access), and
    // is never the same for two dictionaries: caches of card texts compare it.
    quint64 revision() const { return m_revision; }
    // Reorders the vector: position i receives the card that was at
    // order[i]. `order` must be a permutation of 0..cardCount()-1.
    void reorder(const std::vector<int> &order);
    // Replaces the whole vector with the same cards in another order or with
    // changed fields (a save as of the whole dictionary sorts by lesson and
    // sets the path). Ids must stay those of the dictionary.
    void replaceAllCards(QList<Card> cards);
    // Hands the cards over (with their ids) and leaves none, for moving the
    // cards of a dictionary read elsewhere into this one without copies.
    QList<Card> takeCards();

    // Refills `lessons` from the cards; when no card is left, the id counter
    // and the changed flag start over.
    void rebuildLessonsAfterClose();
    // Empties everything but the category list.
    void clear();

private:
    static quint64 nextRevision();
    void touch() { m_revision = nextRevision(); }
    void reindex();
    template <class Pred> void eraseIf(Pred pred);

    QList<Card> m_cards;
    // Position of each id (ids are dense: 1..idCounter); -1 for none.
    std::vector<int> m_index;
    quint64 m_revision = nextRevision();
};
