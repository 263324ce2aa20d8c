#include "core/dictionary/dictionary.h"

#include "core/dictionary/in_place_order.h"

#include <algorithm>
#include <atomic>

quint64 Dictionary::nextRevision()
{
    // Unique across dictionaries, so a cache never mistakes one for another.
    static std::atomic<quint64> counter{0};
    return ++counter;
}

int Dictionary::addCard(Card card)
{
    touch();
    card.id = ++idCounter;
    if (size_t(card.id) >= m_index.size())
        m_index.resize(size_t(card.id) + 1, -1);
    m_index[card.id] = int(m_cards.size());
    m_cards.append(std::move(card));
    return idCounter;
}

QList<int> Dictionary::addNewCards(const QList<Card> &newCards)
{
    QList<int> ids;
    ids.reserve(newCards.size());
    for (const Card &c : newCards)
        ids.append(addCard(c));
    if (!newCards.isEmpty())
        changed = true;
    return ids;
}

int Dictionary::indexOfId(int id) const
{
    if (id <= 0 || size_t(id) >= m_index.size())
        return -1;
    const int pos = m_index[id];
    Q_ASSERT(pos < 0 || (pos < m_cards.size() && m_cards[pos].id == id));
    return pos;
}

Card *Dictionary::cardById(int id)
{
    touch();
    int i = indexOfId(id);
    return i < 0 ? nullptr : &m_cards[i];
}

const Card *Dictionary::cardById(int id) const
{
    int i = indexOfId(id);
    return i < 0 ? nullptr : &m_cards[i];
}

bool Dictionary::replaceCard(const Card &card)
{
    touch();
    const int i = indexOfId(card.id);
    if (i < 0)
        return false;
    m_cards[i] = card;
    return true;
}

QList<Card> Dictionary::cardsOfFile(const QString &path) const
{
    QList<Card> out;
    for (const Card &c : m_cards)
        if (c.filePath == path)
            out.append(c);
    return out;
}

bool Dictionary::hasNewCards() const
{
    return std::any_of(m_cards.cbegin(), m_cards.cend(),
                       [](const Card &c) { return c.filePath.isEmpty(); });
}

void Dictionary::moveToFile(const QString &from, const QString &to)
{
    touch();
    for (Card &c : m_cards)
        if (c.filePath == from)
            c.filePath = to;
}

template <class Pred> void Dictionary::eraseIf(Pred pred)
{
    m_cards.erase(std::remove_if(m_cards.begin(), m_cards.end(), pred), m_cards.end());
    reindex();
}

void Dictionary::removeFile(const QString &path)
{
    eraseIf([&](const Card &c) { return c.filePath == path; });
    openFiles.erase(path);
}

void Dictionary::removeNewCards()
{
    eraseIf([](const Card &c) { return c.filePath.isEmpty(); });
}

bool Dictionary::removeCard(int id)
{
    touch();
    const int i = indexOfId(id);
    if (i < 0)
        return false;
    m_cards.removeAt(i);
    // Only the cards after the erased one moved.
    m_index[id] = -1;
    for (int k = i; k < m_cards.size(); ++k)
        m_index[m_cards[k].id] = k;
    return true;
}

QList<int> Dictionary::removeCards(const QList<int> &ids)
{
    QList<int> removed;
    std::vector<bool> doomed(m_index.size(), false);
    for (int id : ids) {
        if (indexOfId(id) >= 0 && !doomed[id]) {
            doomed[id] = true;
            removed.append(id);
        }
    }
    if (!removed.isEmpty())
        eraseIf([&](const Card &c) { return doomed[c.id]; });
    return removed;
}

void Dictionary::reorder(const std::vector<int> &order)
{
    touch();
    Q_ASSERT(order.size() == size_t(m_cards.size()));
    applyOrderInPlace(m_cards, order);
    reindex();
}

void Dictionary::replaceAllCards(QList<Card> cards)
{
    touch();
    Q_ASSERT(cards.size() == m_cards.size());
    m_cards = std::move(cards);
    reindex();
}

QList<Card> Dictionary::takeCards()
{
    touch();
    QList<Card> out = std::move(m_cards);
    m_cards = QList<Card>();
    m_index.clear();
    return out;
}

void Dictionary::reindex()
{
    touch();
    m_index.assign(size_t(std::max(idCounter, 0)) + 1, -1);
    for (int i = 0; i < m_cards.size(); ++i) {
        const int id = m_cards[i].id;
        Q_ASSERT(id > 0 && id <= idCounter);
        if (id > 0 && size_t(id) < m_index.size())
            m_index[id] = i;
    }
}

void Dictionary::rebuildLessonsAfterClose()
{
    lessons.clear();
    for (const Card &c : m_cards)
        lessons.insert(c.lesson);
    if (m_cards.isEmpty()) {
        idCounter = 0;
        changed = false;
    }
}

void Dictionary::clear()
{
    touch();
    m_cards.clear();
    m_index.clear();
    openFiles.clear();
    lessons.clear();
    idCounter = 0;
    changed = false;
}
