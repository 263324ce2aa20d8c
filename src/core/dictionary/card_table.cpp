#include "core/dictionary/card_table.h"

#include "core/markup/markup.h"

#include <QHash>

#include <algorithm>
#include <exception>
#include <numeric>
#include <system_error>
#include <thread>

QString TableRow::kindText() const
{
    switch (kind) {
    case FileHeader:
        return QStringLiteral("file");
    case LessonHeader:
        return QStringLiteral("lesson");
    case LetterHeader:
        return QStringLiteral("letter");
    case CardRow:
        break;
    }
    return QString::number(cardId);
}

QString newCardsHeaderText()
{
    return QStringLiteral("Карточки ещё не сохранены в файл");
}

namespace
{

// What the grouping needs of one card, in the card's position.
struct GroupKey {
    bool inFilter = true;
    char16_t letter = 0; // 0: no letter
    int fileId = 0;      // exact texts told apart
    int lessonId = 0;
};

// What the order needs, packed so that nearly every comparison of 100,000
// cards is a few integer compares on contiguous memory:
// `head` holds, from the top bit down, "outside the filter", the file rank,
// the lesson rank, "has a word" and the letter; `units` the first sixteen
// code units of the lower-case word; only two words longer than that which
// share them are compared as strings.
struct SortKey {
    quint64 head = 0;
    quint64 units[4] = {0, 0, 0, 0};
    int size = 0;  // length of the lower-case word
    int word = -1; // index into the long lower-case words; -1: short or none
    int index = 0; // the card's position before sorting
};

constexpr int kInlineUnits = 16;
constexpr int kRankBits = 21;
constexpr quint64 kRankLimit = quint64(1) << kRankBits;

// Interns texts: exact ids, and ranks of their lower-case forms. Cards read
// from one file share the same string data, so the data pointer finds most
// texts without hashing them.
class Interner
{
public:
    // The cards do not change during one sort, so while it runs a buffer
    // seen before holds the same text: its address and length find it.
    int id(const QString &text)
    {
        const QChar *data = text.constData();
        Recent &r = m_recent[(quintptr(data) >> 4) % kRecent];
        if (r.data == data && r.size == text.size())
            return r.id;
        auto p = m_byPointer.constFind(data);
        int id;
        if (p != m_byPointer.constEnd() && m_texts.at(*p).size() == text.size()) {
            id = *p;
        } else {
            auto it = m_ids.constFind(text);
            if (it != m_ids.constEnd()) {
                id = *it;
            } else {
                id = int(m_texts.size());
                m_ids.insert(text, id);
                m_texts.append(text);
            }
            m_byPointer.insert(data, id);
        }
        r = {data, text.size(), id};
        return id;
    }
    // Rank of each id's lower-case text in code-unit order.
    std::vector<quint64> ranks() const
    {
        QStringList lower;
        lower.reserve(m_texts.size());
        for (const QString &t : m_texts)
            lower.append(t.toLower());
        std::vector<int> order(m_texts.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return lower[a] < lower[b]; });
        std::vector<quint64> rank(m_texts.size());
        quint64 r = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && lower[order[i]] != lower[order[i - 1]])
                ++r;
            rank[order[i]] = r;
        }
        return rank;
    }
    int count() const { return int(m_texts.size()); }
    const QStringList &texts() const { return m_texts; }

private:
    QHash<QString, int> m_ids;
    QHash<const QChar *, int> m_byPointer;
    QStringList m_texts;
    struct Recent {
        const QChar *data = nullptr;
        qsizetype size = -1;
        int id = 0;
    };
    static constexpr int kRecent = 64;
    Recent m_recent[kRecent];
};

QStringView sortWord(const CardView &c, const TableSortOptions &opt, bool *has)
{
    return opt.byForeign ? c.firstForeignWord(has) : c.firstTranslationWord(has);
}

// The lower case of one code unit where it is one code unit and the same
// as QString::toLower gives (ASCII, the rest of Latin-1, Cyrillic); 0 for
// every other unit, whose case may depend on more than the unit itself.
char16_t simpleLower(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    if (c < 0x100 || (c >= 0x400 && c < 0x530))
        return QChar::toLower(c);
    return 0;
}

// Most words are short and plain: their key needs no lower-case copy.
bool fillShortWordKey(TableSortCache::WordKey &k, QStringView word)
{
    const qsizetype n = word.size();
    if (n > kInlineUnits)
        return false;
    char16_t lower[kInlineUnits] = {};
    const char16_t *d = word.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        lower[i] = simpleLower(d[i]);
        if (!lower[i] && d[i])
            return false;
    }
    k.size = int(n);
    for (int i = 0; i < kInlineUnits; ++i)
        k.units[i / 4] = (k.units[i / 4] << 16) | lower[i];
    return true;
}

void fillWordKey(TableSortCache::WordKey &k, QStringView word, bool has)
{
    k = TableSortCache::WordKey();
    k.has = has;
    if (!has)
        return;
    k.letter = firstLetterCode(word);
    if (fillShortWordKey(k, word))
        return;
    const QString lower = word.toString().toLower();
    k.size = int(lower.size());
    const QChar *d = lower.constData();
    for (int i = 0; i < kInlineUnits; ++i)
        k.units[i / 4] = (k.units[i / 4] << 16) | (i < k.size ? d[i].unicode() : 0);
    if (k.size > kInlineUnits)
        k.lower = lower;
}

struct Keys {
    std::vector<GroupKey> group;
    std::vector<SortKey> sort;
    QStringList longWords;
    // Per card, for the rare order that does not fit the packed head (only
    // then filled).
    std::vector<quint64> fileRank;
    std::vector<quint64> lessonRank;
    bool packed = true;
};

// From this many cards on, the keys are made and sorted in parts, one per
// processor, at once.
constexpr int kPartsFrom = 8192;

int partCount(int cards)
{
    return cards < kPartsFrom ? 1 : std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
}

// Runs work(0) .. work(count - 1), the first on this thread and each other on
// one of its own (or here, when no thread can be had); what one throws is
// thrown here once all are done.
template <class Work> void runParts(int count, const Work &work)
{
    std::vector<std::exception_ptr> failed(static_cast<size_t>(count));
    auto run = [&](int p) {
        try {
            work(p);
        } catch (...) {
            failed[size_t(p)] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    std::vector<int> here{0};
    threads.reserve(size_t(count));
    here.reserve(size_t(count));
    for (int p = 1; p < count; ++p) {
        try {
            threads.emplace_back(run, p);
        } catch (const std::system_error &) {
            here.push_back(p);
        }
    }
    for (int p : here)
        run(p);
    for (std::thread &t : threads)
        t.join();
    for (const std::exception_ptr &e : failed)
        if (e)
            std::rethrow_exception(e);
}

// What one part of the cards names: its files, lessons and long words, by
// ids of its own until the parts are joined.
struct KeyPart {
    int from = 0;
    int to = 0;
    Interner files;
    Interner lessons;
    QStringList longWords;
};

void makePartKeys(const CardStore &cards, const TableSortOptions &opt, TableSortCache *cache,
                  KeyPart &part, Keys &k)
{
    TableSortCache::WordKey local;
    for (int i = part.from; i < part.to; ++i) {
        // The words of a card lie a block away from its record: fetched a
        // few cards ahead, they are there when the loop gets to them.
        if (i + 4 < part.to) {
            const CardRecord &ahead = cards.record(i + 4);
            __builtin_prefetch(cards.words(ahead));
            if (cache)
                cache->prefetch(ahead.id);
        }
        const CardView c = cards.view(i);
        GroupKey &g = k.group[i];
        SortKey &s = k.sort[i];
        s.index = i;
        g.inFilter = c.inFilter();
        if (!g.inFilter) {
            // Everything outside the filter is equal, and last; no row
            // shows it, so its texts are not even read.
            s.head = ~quint64(0);
            continue;
        }
        g.fileId = part.files.id(c.filePath());
        g.lessonId = part.lessons.id(c.lesson());
        bool has = false;
        const QStringView w = sortWord(c, opt, &has);
        const TableSortCache::WordKey *wk = &local;
        if (cache)
            wk = &cache->key(c, w, has, &local);
        else
            fillWordKey(local, w, has);
        g.letter = wk->letter;
        s.head = (quint64(wk->has) << 16) | wk->letter;
        std::copy(std::begin(wk->units), std::end(wk->units), std::begin(s.units));
        s.size = wk->size;
        if (wk->size > kInlineUnits) {
            s.word = int(part.longWords.size());
            part.longWords.append(wk->lower);
        }
    }
}

Keys makeKeys(const CardStore &cards, const TableSortOptions &opt, bool forceUnpacked = false,
              TableSortCache *cache = nullptr)
{
    const int n = cards.size();
    Keys k;
    k.group.resize(n);
    k.sort.resize(n);
    std::vector<KeyPart> parts(size_t(partCount(n)));
    for (size_t p = 0; p < parts.size(); ++p) {
        parts[p].from = int(qint64(n) * qint64(p) / qint64(parts.size()));
        parts[p].to = int(qint64(n) * qint64(p + 1) / qint64(parts.size()));
    }
    runParts(int(parts.size()),
             [&](int p) { makePartKeys(cards, opt, cache, parts[size_t(p)], k); });

    // The other parts' names get the first part's ids, their long words
    // places after its own.
    Interner &files = parts[0].files;
    Interner &lessons = parts[0].lessons;
    k.longWords = parts[0].longWords;
    for (size_t p = 1; p < parts.size(); ++p) {
        KeyPart &part = parts[p];
        std::vector<int> fileIds;
        std::vector<int> lessonIds;
        for (const QString &t : part.files.texts())
            fileIds.push_back(files.id(t));
        for (const QString &t : part.lessons.texts())
            lessonIds.push_back(lessons.id(t));
        const int wordBase = int(k.longWords.size());
        k.longWords.append(part.longWords);
        for (int i = part.from; i < part.to; ++i) {
            GroupKey &g = k.group[i];
            if (!g.inFilter)
                continue;
            g.fileId = fileIds[size_t(g.fileId)];
            g.lessonId = lessonIds[size_t(g.lessonId)];
            if (k.sort[i].word >= 0)
                k.sort[i].word += wordBase;
        }
    }

    const std::vector<quint64> fileRanks = files.ranks();
    const std::vector<quint64> lessonRanks = lessons.ranks();
    k.packed = !forceUnpacked && quint64(files.count()) < kRankLimit &&
               quint64(lessons.count()) < kRankLimit;
    if (!k.packed) { // the ranks are compared apart
        k.fileRank.resize(n);
        k.lessonRank.resize(n);
    }
    for (int i = 0; i < n; ++i) {
        const GroupKey &g = k.group[i];
        SortKey &s = k.sort[i];
        if (!g.inFilter)
            continue;
        const quint64 file = opt.byFiles ? fileRanks[g.fileId] : 0;
        const quint64 lesson = opt.byLessons ? lessonRanks[g.lessonId] : 0;
        if (k.packed) {
            s.head |= (file << (kRankBits + 17)) | (lesson << 17);
        } else {
            k.fileRank[i] = file;
            k.lessonRank[i] = lesson;
        }
    }
    return k;
}

// Below zero, zero or above as `a` goes before, with or after `b`.
int sortCompare(const SortKey &a, const SortKey &b, const QStringList &longWords)
{
    if (a.head != b.head)
        return a.head < b.head ? -1 : 1;
    for (int i = 0; i < 4; ++i)
        if (a.units[i] != b.units[i])
            return a.units[i] < b.units[i] ? -1 : 1;
    // Equal first sixteen units: unless both words go on, the shorter one
    // is a prefix of the other (cards without a word have size 0).
    if (a.word < 0 || b.word < 0)
        return a.size - b.size;
    return longWords.at(a.word).compare(longWords.at(b.word));
}

// Sorts the keys in `parts` runs at once and calls visit(i, key) for
// each key in sorted order, merging the runs as it goes (no merged copy is
// made). `less` is a strict total order, so the order is what one sort of
// all the keys gives.
template <class Less, class Visit>
void sortInParts(std::vector<SortKey> &keys, int parts, const Less &less, const Visit &visit)
{
    std::vector<size_t> end(size_t(parts) + 1);
    for (int p = 0; p <= parts; ++p)
        end[size_t(p)] = size_t(qint64(keys.size()) * p / parts);
    runParts(parts, [&](int p) {
        std::sort(keys.begin() + ptrdiff_t(end[size_t(p)]),
                  keys.begin() + ptrdiff_t(end[size_t(p) + 1]), less);
    });
    std::vector<size_t> next(end.begin(), end.end() - 1);
    end.erase(end.begin());
    for (size_t i = 0; i < keys.size(); ++i) {
        size_t best = 0;
        while (next[best] == end[best])
            ++best;
        for (size_t r = best + 1; r < next.size(); ++r)
            if (next[r] != end[r] && less(keys[next[r]], keys[next[best]]))
                best = r;
        visit(i, keys[next[best]++]);
    }
}

bool sortLess(const SortKey &a, const SortKey &b, const QStringList &longWords)
{
    return sortCompare(a, b, longWords) < 0;
}

QList<TableRow> rowsFromKeys(Dictionary &dict, const std::vector<GroupKey> &keys,
                             const TableSortOptions &opt)
{
    QList<TableRow> rows;
    rows.reserve(dict.cardCount() + dict.cardCount() / 4 + 4);
    int fileId = -1; // the header shown last; -1: none yet
    bool newHeaderDone = false;
    int lessonId = -1;
    bool lessonShown = false; // a lesson label is set (it starts empty)
    char16_t letter = 0;
    int number = 0;
    std::vector<bool> lessonSeen; // by lesson id: each lesson enters the set once
    auto header = [&rows](TableRow::Kind kind, const QString &label) {
        TableRow r;
        r.kind = kind;
        r.label = label;
        rows.append(r);
    };
    for (int i = 0; i < dict.cardCount(); ++i) {
        const GroupKey &k = keys[i];
        if (!k.inFilter)
            break;
        const CardView c = dict.view(i);
        if (opt.byFiles) {
            if (!c.filePath().isEmpty() && k.fileId != fileId) {
                fileId = k.fileId;
                header(TableRow::FileHeader, c.filePath());
                lessonShown = false;
                letter = 0;
            } else if (c.filePath().isEmpty() && !newHeaderDone) {
                header(TableRow::FileHeader, newCardsHeaderText());
                newHeaderDone = true;
            }
        }
        // The lesson label starts empty, so a card with an empty lesson
        // opens no lesson group until another lesson was shown.
        if (opt.byLessons && (lessonShown ? k.lessonId != lessonId : !c.lesson().isEmpty())) {
            lessonId = k.lessonId;
            lessonShown = true;
            header(TableRow::LessonHeader, c.lesson());
            letter = 0;
        }
        if (k.letter != letter) {
            letter = k.letter;
            header(TableRow::LetterHeader, letter ? QString(QChar(letter)) : QString());
        }
        if (size_t(k.lessonId) >= lessonSeen.size())
            lessonSeen.resize(k.lessonId + 1, false);
        if (!lessonSeen[k.lessonId]) {
            dict.addLesson(c.lesson());
            lessonSeen[k.lessonId] = true;
        }
        TableRow r;
        r.kind = TableRow::CardRow;
        r.cardId = c.id();
        r.number = ++number;
        rows.append(r);
    }
    return rows;
}

std::vector<GroupKey> sortWithKeys(Dictionary &dict, const TableSortOptions &opt,
                                   bool forceUnpacked = false, TableSortCache *cache = nullptr)
{
    if (cache) { // emptied for the other words first, then sized for every card
        cache->prepare(opt.byForeign);
        cache->fit(dict.idCounter());
    }
    Keys k = makeKeys(dict.store(), opt, forceUnpacked, cache);
    // Equal keys keep the order the cards had: a refresh never swaps two
    // cards that look the same.
    std::vector<int> order(k.sort.size());
    std::vector<GroupKey> grouped(k.group.size());
    bool moved = false;
    const auto visit = [&](size_t i, const SortKey &key) {
        order[i] = key.index;
        moved = moved || key.index != int(i);
        grouped[i] = k.group[size_t(key.index)];
    };
    const int parts = partCount(int(k.sort.size()));
    if (k.packed) {
        sortInParts(
            k.sort, parts,
            [&](const SortKey &a, const SortKey &b) {
                const int c = sortCompare(a, b, k.longWords);
                return c != 0 ? c < 0 : a.index < b.index;
            },
            visit);
    } else {
        // More than two million files or lessons: ranks compared one by one.
        sortInParts(
            k.sort, parts,
            [&](const SortKey &a, const SortKey &b) {
                const bool outA = a.head == ~quint64(0), outB = b.head == ~quint64(0);
                if (outA || outB)
                    return outA == outB ? a.index < b.index : !outA;
                if (k.fileRank[a.index] != k.fileRank[b.index])
                    return k.fileRank[a.index] < k.fileRank[b.index];
                if (k.lessonRank[a.index] != k.lessonRank[b.index])
                    return k.lessonRank[a.index] < k.lessonRank[b.index];
                const int c = sortCompare(a, b, k.longWords);
                return c != 0 ? c < 0 : a.index < b.index;
            },
            visit);
    }
    // A refresh of an unchanged table finds the cards in order already.
    if (moved)
        dict.reorder(order);
    return grouped;
}

} // namespace

bool cardTableOrder(const Card &a, const Card &b, const TableSortOptions &opt)
{
    CardStore two;
    two.append(a, a.id);
    two.append(b, b.id);
    const Keys k = makeKeys(two, opt);
    return sortLess(k.sort[0], k.sort[1], k.longWords);
}

void sortForTable(Dictionary &dict, const TableSortOptions &opt)
{
    sortWithKeys(dict, opt);
}

void sortForTableUnpacked(Dictionary &dict, const TableSortOptions &opt)
{
    sortWithKeys(dict, opt, true);
}

QList<TableRow> buildTableRows(Dictionary &dict, const TableSortOptions &opt)
{
    return rowsFromKeys(dict, makeKeys(dict.store(), opt).group, opt);
}

QList<TableRow> sortAndBuildTableRows(Dictionary &dict, const TableSortOptions &opt,
                                      TableSortCache *cache)
{
    return rowsFromKeys(dict, sortWithKeys(dict, opt, false, cache), opt);
}

void TableSortCache::prepare(bool byForeign)
{
    if (byForeign != m_byForeign) {
        clear();
        m_byForeign = byForeign;
    }
}

const TableSortCache::WordKey &TableSortCache::key(const CardView &card, QStringView word, bool has,
                                                   WordKey *scratch)
{
    const int id = card.id();
    // Entries are only read and written by their card's id, so parts of the
    // cards may ask at once; a card beyond fit() gets no entry.
    if (id <= 0 || size_t(id) >= m_entries.size()) {
        fillWordKey(*scratch, word, has);
        return *scratch;
    }
    Entry &e = m_entries[id];
    // The entry's copy shares the store's text block it was computed from,
    // which keeps the block and so its text: the same address and length
    // mean the same text.
    if (e.valid && e.key.has == has &&
        reinterpret_cast<const char16_t *>(e.source.constData()) == word.utf16() &&
        e.source.size() == word.size())
        return e.key;
    fillWordKey(e.key, word, has);
    e.source = card.shared(word);
    e.valid = true;
    return e.key;
}

void TableSortCache::prefetch(int id) const
{
    if (id > 0 && size_t(id) < m_entries.size())
        __builtin_prefetch(&m_entries[size_t(id)]);
}

void TableSortCache::fit(int maxId)
{
    m_entries.resize(size_t(std::max(maxId, 0)) + 1);
}

void TableSortCache::clear()
{
    m_entries.clear();
}
