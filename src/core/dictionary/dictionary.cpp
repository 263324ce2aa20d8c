#include "core/dictionary/dictionary.h"

#include "core/dictionary/in_place_order.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <utility>

Dictionary::Dictionary(QObject *parent) : QObject(parent) {}

Dictionary::~Dictionary() = default;

void releaseCards(QList<Card> cards)
{
    // Below this many, a pool thread costs more than the freeing itself.
    constexpr qsizetype kFreedInPlaceBelow = 2000;
    if (cards.size() < kFreedInPlaceBelow)
        return;
    // Each card holds a few dozen blocks of memory: 100,000 of them take a
    // quarter of a second to free. The cards' texts are implicitly shared
    // values, so whoever else holds a copy keeps it whatever thread lets
    // go of these.
    QThreadPool::globalInstance()->start(
        [cards = std::move(cards)]() mutable { cards = QList<Card>(); });
}

quint64 Dictionary::nextRevision()
{
    // Unique across dictionaries, so a cache never mistakes one for another.
    static std::atomic<quint64> counter{0};
    return ++counter;
}

int Dictionary::addCard(Card card)
{
    touch();
    card.id = ++m_idCounter;
    if (size_t(card.id) >= m_index.size())
        m_index.resize(size_t(card.id) + 1, -1);
    m_index[card.id] = int(m_cards.size());
    m_cards.append(std::move(card));
    return m_idCounter;
}

QList<int> Dictionary::addNewCards(const QList<Card> &newCards)
{
    QList<int> ids;
    if (newCards.isEmpty())
        return ids;
    ids.reserve(newCards.size());
    for (const Card &c : newCards) {
        m_lessons.insert(c.lesson);
        ids.append(addCard(c));
    }
    emit cardsAdded(ids);
    setModified(true);
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

const Card *Dictionary::cardById(int id) const
{
    const int i = indexOfId(id);
    return i < 0 ? nullptr : &m_cards[i];
}

void Dictionary::cardsUpdated(const QList<int> &ids)
{
    touch();
    emit cardsChanged(ids);
    setModified(true);
}

void Dictionary::allCardsUpdated()
{
    QList<int> ids;
    ids.reserve(m_cards.size());
    for (const Card &c : std::as_const(m_cards))
        ids.append(c.id);
    cardsUpdated(ids);
}

bool Dictionary::setCard(const Card &card)
{
    const int i = indexOfId(card.id);
    if (i < 0)
        return false;
    m_lessons.insert(card.lesson);
    m_cards[i] = card;
    cardsUpdated({card.id});
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

std::vector<int> Dictionary::positionsOfFile(const QString &path) const
{
    std::vector<int> out;
    for (int i = 0; i < m_cards.size(); ++i)
        if (m_cards[i].filePath == path)
            out.push_back(i);
    return out;
}

bool Dictionary::hasNewCards() const
{
    return std::any_of(m_cards.cbegin(), m_cards.cend(),
                       [](const Card &c) { return c.filePath.isEmpty(); });
}

template <class Pred> void Dictionary::eraseIf(Pred pred)
{
    // The kept cards move to a new list and the dropped ones are freed
    // apart: closing a large file must not hold the window up.
    const qsizetype drops = qsizetype(
        std::count_if(m_cards.cbegin(), m_cards.cend(), [&](const Card &c) { return pred(c); }));
    QList<Card> dropped;
    if (drops == m_cards.size()) {
        // Closing the only file: the whole list goes at once.
        dropped.swap(m_cards);
    } else if (drops > 0) {
        QList<Card> kept;
        kept.reserve(m_cards.size() - drops);
        dropped.reserve(drops);
        for (Card &c : m_cards)
            (pred(std::as_const(c)) ? dropped : kept).append(std::move(c));
        m_cards = std::move(kept);
    }
    reindex();
    releaseCards(std::move(dropped));
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
    if (removed.isEmpty())
        return removed;
    if (removed.size() == 1) {
        // Only the cards after the erased one move.
        const int id = removed.first();
        const int i = indexOfId(id);
        m_cards.removeAt(i);
        m_index[id] = -1;
        for (int k = i; k < m_cards.size(); ++k)
            m_index[m_cards[k].id] = k;
        touch();
    } else {
        eraseIf([&](const Card &c) { return doomed[c.id]; });
    }
    emit cardsRemoved(removed);
    setModified(true);
    return removed;
}

QList<int> Dictionary::restoreCards(const std::vector<std::pair<int, Card>> &entries)
{
    QList<int> ids;
    std::vector<const std::pair<int, Card> *> back;
    back.reserve(entries.size());
    const QString *lastLesson = nullptr;
    for (const auto &e : entries) {
        const int id = e.second.id;
        if (id <= 0 || indexOfId(id) >= 0)
            continue;
        back.push_back(&e);
        ids.append(id);
        m_idCounter = std::max(m_idCounter, id);
        // Neighbours mostly share a lesson: one set lookup per run of them.
        if (!lastLesson || *lastLesson != e.second.lesson)
            m_lessons.insert(e.second.lesson);
        lastLesson = &e.second.lesson;
    }
    if (back.empty())
        return ids;
    Q_ASSERT(std::is_sorted(back.cbegin(), back.cend(),
                            [](auto *a, auto *b) { return a->first < b->first; }));
    // One merge of the kept and the returning cards: O(n) however many.
    QList<Card> merged;
    merged.reserve(m_cards.size() + qsizetype(back.size()));
    size_t e = 0;
    qsizetype k = 0;
    while (e < back.size() || k < m_cards.size()) {
        if (e < back.size() && (back[e]->first <= merged.size() || k == m_cards.size()))
            merged.append(back[e++]->second);
        else
            merged.append(std::move(m_cards[k++]));
    }
    m_cards = std::move(merged);
    reindex();
    emit cardsAdded(ids);
    setModified(true);
    return ids;
}

void Dictionary::reorder(const std::vector<int> &order)
{
    Q_ASSERT(order.size() == size_t(m_cards.size()));
    applyOrderInPlace(m_cards, order);
    reindex();
}

QList<int> Dictionary::adoptFile(const QString &path, Dictionary &loaded)
{
    QList<int> ids;
    ids.reserve(loaded.cardCount());
    m_cards.reserve(m_cards.size() + loaded.cardCount());
    QList<Card> cards = loaded.takeCards();
    for (Card &c : cards)
        ids.append(addCard(std::move(c)));
    m_lessons.insert(loaded.m_lessons.begin(), loaded.m_lessons.end());
    m_openFiles.insert(path);
    emit cardsReset();
    emit filesChanged();
    return ids;
}

void Dictionary::rebuildLessons()
{
    m_lessons.clear();
    for (const Card &c : std::as_const(m_cards))
        m_lessons.insert(c.lesson);
    if (m_cards.isEmpty()) {
        // An empty dictionary starts over.
        m_idCounter = 0;
        m_index.clear();
        setModified(false);
    }
}

void Dictionary::closeFiles(const QStringList &paths)
{
    const std::set<QString> closing(paths.cbegin(), paths.cend());
    const int before = cardCount();
    eraseIf([&](const Card &c) { return !c.filePath.isEmpty() && closing.count(c.filePath); });
    bool filesGone = false;
    for (const QString &p : paths)
        filesGone = m_openFiles.erase(p) > 0 || filesGone;
    rebuildLessons();
    if (cardCount() != before)
        emit cardsReset();
    if (filesGone)
        emit filesChanged();
}

void Dictionary::removeNewCards()
{
    eraseIf([](const Card &c) { return c.filePath.isEmpty(); });
    rebuildLessons();
    emit cardsReset();
    emit filesChanged();
}

void Dictionary::moveToFile(const QString &from, const QString &to)
{
    touch();
    QList<int> moved;
    for (Card &c : m_cards) {
        if (c.filePath == from) {
            c.filePath = to;
            moved.append(c.id);
        }
    }
    if (!from.isEmpty())
        m_openFiles.erase(from);
    if (!to.isEmpty())
        m_openFiles.insert(to);
    if (!moved.isEmpty())
        emit cardsChanged(moved);
    emit filesChanged();
}

void Dictionary::moveCardsToFile(const QList<int> &ids, const QString &to, const QString &closing)
{
    touch();
    QList<int> moved;
    for (int id : ids) {
        const int i = indexOfId(id);
        if (i < 0)
            continue;
        m_cards[i].filePath = to;
        moved.append(id);
    }
    if (!closing.isEmpty())
        m_openFiles.erase(closing);
    if (!to.isEmpty())
        m_openFiles.insert(to);
    if (!moved.isEmpty())
        emit cardsChanged(moved);
    emit filesChanged();
    setModified(true);
}

void Dictionary::savedAs(const std::vector<int> &order, const QString &path)
{
    Q_ASSERT(order.size() == size_t(m_cards.size()));
    applyOrderInPlace(m_cards, order);
    for (Card &c : m_cards)
        c.filePath = path;
    reindex();
    m_openFiles.clear();
    m_openFiles.insert(path);
    emit filesChanged();
}

void Dictionary::addOpenFile(const QString &path)
{
    m_openFiles.insert(path);
    emit filesChanged();
}

void Dictionary::setCategoryList(const StringSet &categories)
{
    m_categories = categories;
}

void Dictionary::addLesson(const QString &lesson)
{
    m_lessons.insert(lesson);
}

void Dictionary::setLessons(const StringSet &lessons)
{
    m_lessons = lessons;
}

void Dictionary::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void Dictionary::setJob(Job job)
{
    if (m_job == job)
        return;
    const bool wasBusy = isBusy();
    m_job = job;
    if (wasBusy != isBusy())
        emit busyChanged(isBusy());
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
    m_index.assign(size_t(std::max(m_idCounter, 0)) + 1, -1);
    for (int i = 0; i < m_cards.size(); ++i) {
        const int id = m_cards[i].id;
        Q_ASSERT(id > 0 && id <= m_idCounter);
        if (id > 0 && size_t(id) < m_index.size())
            m_index[id] = i;
    }
}

void Dictionary::assign(const Dictionary &other)
{
    m_cards = other.m_cards;
    m_index = other.m_index;
    m_openFiles = other.m_openFiles;
    m_lessons = other.m_lessons;
    m_categories = other.m_categories;
    m_idCounter = other.m_idCounter;
    touch();
    emit cardsReset();
    emit filesChanged();
    setModified(other.m_modified);
}

void Dictionary::takeOver(Dictionary &staged)
{
    m_cards.swap(staged.m_cards);
    m_index.swap(staged.m_index);
    m_openFiles.swap(staged.m_openFiles);
    m_lessons.swap(staged.m_lessons);
    std::swap(m_idCounter, staged.m_idCounter);
    // The revision goes with the cards; the staged copy gets a new one, so
    // the two never share one.
    m_revision = staged.m_revision;
    staged.touch();
    emit cardsReset();
    emit filesChanged();
}

void Dictionary::clear()
{
    releaseCards(std::exchange(m_cards, QList<Card>()));
    m_index.clear();
    m_openFiles.clear();
    m_lessons.clear();
    m_idCounter = 0;
    touch();
    emit cardsReset();
    emit filesChanged();
    setModified(false);
}
