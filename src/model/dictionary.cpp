#include "model/dictionary.h"

#include <algorithm>

int Dictionary::addCard(Card card)
{
    card.id = ++idCounter;
    if (size_t(card.id) >= m_index.size())
        m_index.resize(size_t(card.id) + 1, -1);
    m_index[card.id] = int(cards.size());
    cards.append(std::move(card));
    return idCounter;
}

int Dictionary::addNewCards(const QList<Card> &newCards)
{
    for (const Card &c : newCards)
        addCard(c);
    if (!newCards.isEmpty())
        changed = true;
    return int(newCards.size());
}

int Dictionary::indexOfId(int id) const
{
    if (id > 0 && size_t(id) < m_index.size()) {
        const int pos = m_index[id];
        // The index may be stale if someone reordered the vector without
        // reindexing; check rather than hand out the wrong card.
        if (pos >= 0 && pos < cards.size() && cards[pos].id == id)
            return pos;
    }
    for (int i = 0; i < cards.size(); ++i)
        if (cards[i].id == id)
            return i;
    return -1;
}

Card *Dictionary::cardById(int id)
{
    int i = indexOfId(id);
    return i < 0 ? nullptr : &cards[i];
}

const Card *Dictionary::cardById(int id) const
{
    int i = indexOfId(id);
    return i < 0 ? nullptr : &cards[i];
}

QList<Card> Dictionary::cardsOfFile(const QString &path) const
{
    QList<Card> out;
    for (const Card &c : cards)
        if (c.filePath == path)
            out.append(c);
    return out;
}

bool Dictionary::hasNewCards() const
{
    return std::any_of(cards.cbegin(), cards.cend(),
                       [](const Card &c) { return c.filePath.isEmpty(); });
}

void Dictionary::eraseIf(bool (*pred)(const Card &, const QString &), const QString &arg)
{
    cards.erase(
        std::remove_if(cards.begin(), cards.end(), [&](const Card &c) { return pred(c, arg); }),
        cards.end());
    reindex();
}

void Dictionary::removeFile(const QString &path)
{
    eraseIf([](const Card &c, const QString &p) { return c.filePath == p; }, path);
    openFiles.erase(path);
}

void Dictionary::removeNewCards()
{
    eraseIf([](const Card &c, const QString &) { return c.filePath.isEmpty(); }, QString());
}

bool Dictionary::removeCard(int id)
{
    int i = indexOfId(id);
    if (i < 0)
        return false;
    cards.removeAt(i);
    reindex();
    return true;
}

void Dictionary::reindex()
{
    m_index.assign(size_t(std::max(idCounter, 0)) + 1, -1);
    for (int i = 0; i < cards.size(); ++i) {
        const int id = cards[i].id;
        if (id > 0) {
            if (size_t(id) >= m_index.size())
                m_index.resize(size_t(id) + 1, -1);
            m_index[id] = i;
        }
    }
}

void Dictionary::rebuildLessonsAfterClose()
{
    lessons.clear();
    for (const Card &c : cards)
        lessons.insert(c.lesson);
    if (cards.isEmpty()) {
        idCounter = 0;
        changed = false;
    }
}

void Dictionary::clear()
{
    cards.clear();
    m_index.clear();
    openFiles.clear();
    lessons.clear();
    idCounter = 0;
    changed = false;
}
