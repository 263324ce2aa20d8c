#include "core/dictionary/dictionary.h"

#include <algorithm>
#include <atomic>
#include <utility>

Dictionary::Dictionary(QObject *parent) : QObject(parent) {}

Dictionary::~Dictionary() = default;

quint64 Dictionary::nextRevision()
{
    // Unique across dictionaries, so a cache never mistakes one for another.
    static std::atomic<quint64> counter{0};
    return ++counter;
}

int Dictionary::addCard(const Card &card)
{
    touch();
    const int id = ++m_idCounter;
    if (size_t(id) >= m_index.size())
        m_index.resize(size_t(id) + 1, -1);
    m_index[id] = m_store.size();
    m_store.append(card, id);
    return id;
}

int Dictionary::addCards(CardStore &&cards)
{
    touch();
    const int first = m_idCounter + 1;
    const int n = cards.size();
    const int at = m_store.size();
    m_store.take(std::move(cards), first);
    m_idCounter += n;
    if (size_t(m_idCounter) >= m_index.size())
        m_index.resize(size_t(m_idCounter) + 1, -1);
    for (int k = 0; k < n; ++k)
        m_index[size_t(first + k)] = at + k;
    return first;
}

QList<Card> Dictionary::cards() const
{
    return m_store.cards();
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
    Q_ASSERT(pos < 0 || (pos < m_store.size() && m_store.record(pos).id == id));
    return pos;
}

std::optional<Card> Dictionary::cardById(int id) const
{
    const int i = indexOfId(id);
    if (i < 0)
        return std::nullopt;
    return m_store.card(i);
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
    ids.reserve(m_store.size());
    for (int i = 0; i < m_store.size(); ++i)
        ids.append(m_store.record(i).id);
    cardsUpdated(ids);
}

bool Dictionary::setCard(const Card &card)
{
    const int i = indexOfId(card.id);
    if (i < 0)
        return false;
    m_lessons.insert(card.lesson);
    m_store.replace(i, card);
    cardsUpdated({card.id});
    return true;
}

QList<Card> Dictionary::cardsOfFile(const QString &path) const
{
    QList<Card> out;
    for (int i = 0; i < m_store.size(); ++i)
        if (m_store.view(i).filePath() == path)
            out.append(m_store.card(i));
    return out;
}

std::vector<int> Dictionary::positionsOfFile(const QString &path) const
{
    std::vector<int> out;
    for (int i = 0; i < m_store.size(); ++i)
        if (m_store.view(i).filePath() == path)
            out.push_back(i);
    return out;
}

bool Dictionary::hasNewCards() const
{
    // Asked at every change of the window's buttons: with a million cards a
    // scan of their paths as text held the window for 30 ms each time.
    return m_store.hasFile(QString());
}

template <class Pred> void Dictionary::eraseIf(Pred pred)
{
    m_store.keepIf([&](int pos) { return !pred(m_store.view(pos)); });
    reindex();
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
        m_store.removeAt(i);
        m_index[id] = -1;
        for (int k = i; k < m_store.size(); ++k)
            m_index[m_store.record(k).id] = k;
        touch();
    } else {
        eraseIf([&](const CardView &c) { return doomed[c.id()]; });
    }
    emit cardsRemoved(removed);
    setModified(true);
    return removed;
}

QList<int> Dictionary::restoreCards(const std::vector<std::pair<int, Card>> &entries)
{
    std::vector<int> positions;
    CardStore cards;
    positions.reserve(entries.size());
    cards.reserve(int(entries.size()));
    for (const auto &e : entries) {
        positions.push_back(e.first);
        cards.append(e.second, e.second.id);
    }
    return restoreCards(positions, cards);
}

QList<int> Dictionary::restoreCards(const std::vector<int> &positions, const CardStore &cards)
{
    QList<int> ids;
    std::vector<int> back; // indices into `cards` that come back
    back.reserve(positions.size());
    const QString *lastLesson = nullptr;
    for (int i = 0; i < cards.size(); ++i) {
        const CardView c = cards.view(i);
        const int id = c.id();
        if (id <= 0 || indexOfId(id) >= 0)
            continue;
        back.push_back(i);
        ids.append(id);
        m_idCounter = std::max(m_idCounter, id);
        // Neighbours mostly share a lesson: one set lookup per run of them.
        if (!lastLesson || *lastLesson != c.lesson())
            m_lessons.insert(c.lesson());
        lastLesson = &c.lesson();
    }
    if (back.empty())
        return ids;
    Q_ASSERT(std::is_sorted(positions.cbegin(), positions.cend()));
    // One merge of the kept and the returning cards: O(n) however many.
    CardStore merged;
    merged.reserve(m_store.size() + int(back.size()));
    size_t e = 0;
    int k = 0;
    while (e < back.size() || k < m_store.size()) {
        if (e < back.size() && (positions[size_t(back[e])] <= merged.size() || k == m_store.size()))
            merged.appendFrom(cards, back[e++]);
        else
            merged.appendFrom(m_store, k++);
    }
    m_store.swap(merged);
    reindex();
    emit cardsAdded(ids);
    setModified(true);
    return ids;
}

void Dictionary::reorder(const std::vector<int> &order)
{
    Q_ASSERT(order.size() == size_t(m_store.size()));
    m_store.permute(order);
    reindex();
}

QList<int> Dictionary::adoptFile(const QString &path, Dictionary &loaded)
{
    QList<int> ids;
    ids.reserve(loaded.cardCount());
    const int n = loaded.cardCount();
    const int first = addCards(loaded.takeCards());
    for (int k = 0; k < n; ++k)
        ids.append(first + k);
    m_lessons.insert(loaded.m_lessons.begin(), loaded.m_lessons.end());
    m_openFiles.insert(path);
    emit cardsReset();
    emit filesChanged();
    return ids;
}

void Dictionary::rebuildLessons()
{
    m_lessons.clear();
    const QString *last = nullptr;
    for (int i = 0; i < m_store.size(); ++i) {
        const QString &lesson = m_store.view(i).lesson();
        if (last != &lesson)
            m_lessons.insert(lesson);
        last = &lesson;
    }
    if (m_store.isEmpty()) {
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
    eraseIf(
        [&](const CardView &c) { return !c.filePath().isEmpty() && closing.count(c.filePath()); });
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
    eraseIf([](const CardView &c) { return c.filePath().isEmpty(); });
    rebuildLessons();
    emit cardsReset();
    emit filesChanged();
}

void Dictionary::moveToFile(const QString &from, const QString &to)
{
    touch();
    QList<int> moved;
    for (int i = 0; i < m_store.size(); ++i) {
        if (m_store.view(i).filePath() == from) {
            m_store.setFile(i, to);
            moved.append(m_store.record(i).id);
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
        m_store.setFile(i, to);
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
    Q_ASSERT(order.size() == size_t(m_store.size()));
    m_store.permute(order);
    for (int i = 0; i < m_store.size(); ++i)
        m_store.setFile(i, path);
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

CardStore Dictionary::takeCards()
{
    touch();
    CardStore out;
    out.swap(m_store);
    m_index.clear();
    return out;
}

void Dictionary::reindex()
{
    touch();
    m_index.assign(size_t(std::max(m_idCounter, 0)) + 1, -1);
    for (int i = 0; i < m_store.size(); ++i) {
        const int id = m_store.record(i).id;
        Q_ASSERT(id > 0 && id <= m_idCounter);
        if (id > 0 && size_t(id) < m_index.size())
            m_index[id] = i;
    }
}

void Dictionary::assign(const Dictionary &other)
{
    m_store = other.m_store;
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
    m_store.swap(staged.m_store);
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
    // A few dozen blocks per 100,000 cards: freed at once.
    m_store.clear();
    m_index.clear();
    m_openFiles.clear();
    m_lessons.clear();
    m_idCounter = 0;
    touch();
    emit cardsReset();
    emit filesChanged();
    setModified(false);
}
