#include "model/card_table.h"

#include "model/markup.h"

#include <QHash>

#include <algorithm>
#include <numeric>

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
// the lesson rank, "has a word" and the letter; `p1`/`p2` the first eight
// code units of the lower-case word; `word` breaks the remaining ties.
struct SortKey {
    quint64 head = 0;
    quint64 p1 = 0;
    quint64 p2 = 0;
    int word = 0;  // index into the lower-case words
    int index = 0; // the card's position before sorting
};

constexpr int kRankBits = 21;
constexpr quint64 kRankLimit = quint64(1) << kRankBits;

// Interns texts: exact ids, and ranks of their lower-case forms. Cards read
// from one file share the same string data, so the data pointer finds most
// texts without hashing them.
class Interner
{
public:
    int id(const QString &text)
    {
        const QChar *data = text.constData();
        if (m_last >= 0 && (m_lastData == data || m_texts.at(m_last) == text))
            return m_last;
        auto p = m_byPointer.constFind(data);
        int id;
        if (p != m_byPointer.constEnd() && m_texts.at(*p) == text) {
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
        m_last = id;
        m_lastData = data;
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

private:
    QHash<QString, int> m_ids;
    QHash<const QChar *, int> m_byPointer;
    QStringList m_texts;
    int m_last = -1;
    const QChar *m_lastData = nullptr;
};

const QString &sortWord(const Card &c, const TableSortOptions &opt, bool *has)
{
    static const QString none;
    if (opt.byForeign) {
        *has = !c.foreignWords.isEmpty();
        return *has ? c.foreignWords.first().word : none;
    }
    *has = !c.translations.isEmpty() && !c.translations.first().groups.isEmpty() &&
           !c.translations.first().groups.first().isEmpty();
    return *has ? c.translations.first().groups.first().first().word : none;
}

quint64 packUnits(const QString &s, int from)
{
    quint64 p = 0;
    for (int i = from; i < from + 4; ++i)
        p = (p << 16) | (i < s.size() ? s.at(i).unicode() : 0);
    return p;
}

struct Keys {
    std::vector<GroupKey> group;
    std::vector<SortKey> sort;
    QStringList words;
    // Per card, for the rare order that does not fit the packed head.
    std::vector<quint64> fileRank;
    std::vector<quint64> lessonRank;
    bool packed = true;
};

Keys makeKeys(const QList<Card> &cards, const TableSortOptions &opt, bool forceUnpacked = false)
{
    const int n = int(cards.size());
    Keys k;
    k.group.resize(n);
    k.sort.resize(n);
    k.words.reserve(n);
    Interner files;
    Interner lessons;
    for (int i = 0; i < n; ++i) {
        const Card &c = cards[i];
        GroupKey &g = k.group[i];
        g.inFilter = c.inFilter;
        g.fileId = files.id(c.filePath);
        g.lessonId = lessons.id(c.lesson);
        bool has = false;
        const QString &w = sortWord(c, opt, &has);
        g.letter = firstLetterCode(w);
        k.words.append(w.toLower());
    }
    const std::vector<quint64> fileRanks = files.ranks();
    const std::vector<quint64> lessonRanks = lessons.ranks();
    k.packed = !forceUnpacked && quint64(files.count()) < kRankLimit &&
               quint64(lessons.count()) < kRankLimit;
    k.fileRank.resize(n);
    k.lessonRank.resize(n);
    for (int i = 0; i < n; ++i) {
        const GroupKey &g = k.group[i];
        SortKey &s = k.sort[i];
        s.index = i;
        s.word = i;
        if (!g.inFilter) {
            // Everything outside the filter is equal, and last.
            s.head = ~quint64(0);
            s.word = -1;
            continue;
        }
        bool has = false;
        sortWord(cards[i], opt, &has);
        const quint64 file = opt.byFiles ? fileRanks[g.fileId] : 0;
        const quint64 lesson = opt.byLessons ? lessonRanks[g.lessonId] : 0;
        k.fileRank[i] = file;
        k.lessonRank[i] = lesson;
        if (!k.packed)
            s.head = (quint64(has) << 16) | g.letter; // ranks compared apart
        else
            s.head = (file << (kRankBits + 17)) | (lesson << 17) | (quint64(has) << 16) | g.letter;
        if (has) {
            s.p1 = packUnits(k.words[i], 0);
            s.p2 = packUnits(k.words[i], 4);
        } else {
            s.word = -1; // cards without the word are equal among themselves
        }
    }
    return k;
}

bool sortLess(const SortKey &a, const SortKey &b, const QStringList &words)
{
    if (a.head != b.head)
        return a.head < b.head;
    if (a.p1 != b.p1)
        return a.p1 < b.p1;
    if (a.p2 != b.p2)
        return a.p2 < b.p2;
    if (a.word < 0 || b.word < 0)
        return false;
    return words.at(a.word) < words.at(b.word);
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
        const Card &c = dict.cardAt(i);
        if (opt.byFiles) {
            if (!c.filePath.isEmpty() && k.fileId != fileId) {
                fileId = k.fileId;
                header(TableRow::FileHeader, c.filePath);
                lessonShown = false;
                letter = 0;
            } else if (c.filePath.isEmpty() && !newHeaderDone) {
                header(TableRow::FileHeader, newCardsHeaderText());
                newHeaderDone = true;
            }
        }
        // The lesson label starts empty, so a card with an empty lesson
        // opens no lesson group until another lesson was shown.
        if (opt.byLessons && (lessonShown ? k.lessonId != lessonId : !c.lesson.isEmpty())) {
            lessonId = k.lessonId;
            lessonShown = true;
            header(TableRow::LessonHeader, c.lesson);
            letter = 0;
        }
        if (k.letter != letter) {
            letter = k.letter;
            header(TableRow::LetterHeader, letter ? QString(QChar(letter)) : QString());
        }
        if (size_t(k.lessonId) >= lessonSeen.size())
            lessonSeen.resize(k.lessonId + 1, false);
        if (!lessonSeen[k.lessonId]) {
            dict.lessons.insert(c.lesson);
            lessonSeen[k.lessonId] = true;
        }
        TableRow r;
        r.kind = TableRow::CardRow;
        r.cardId = c.id;
        r.number = ++number;
        rows.append(r);
    }
    return rows;
}

std::vector<GroupKey> sortWithKeys(Dictionary &dict, const TableSortOptions &opt,
                                   bool forceUnpacked = false)
{
    Keys k = makeKeys(dict.cards(), opt, forceUnpacked);
    if (k.packed) {
        std::sort(k.sort.begin(), k.sort.end(),
                  [&](const SortKey &a, const SortKey &b) { return sortLess(a, b, k.words); });
    } else {
        // More than two million files or lessons: ranks compared one by one.
        std::sort(k.sort.begin(), k.sort.end(), [&](const SortKey &a, const SortKey &b) {
            const bool outA = a.head == ~quint64(0), outB = b.head == ~quint64(0);
            if (outA || outB)
                return !outA;
            if (k.fileRank[a.index] != k.fileRank[b.index])
                return k.fileRank[a.index] < k.fileRank[b.index];
            if (k.lessonRank[a.index] != k.lessonRank[b.index])
                return k.lessonRank[a.index] < k.lessonRank[b.index];
            return sortLess(a, b, k.words);
        });
    }
    std::vector<int> order(k.sort.size());
    std::vector<GroupKey> grouped(k.group.size());
    for (size_t i = 0; i < k.sort.size(); ++i) {
        order[i] = k.sort[i].index;
        grouped[i] = k.group[k.sort[i].index];
    }
    dict.reorder(order);
    return grouped;
}

} // namespace

bool cardTableOrder(const Card &a, const Card &b, const TableSortOptions &opt)
{
    const Keys k = makeKeys({a, b}, opt);
    return sortLess(k.sort[0], k.sort[1], k.words);
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
    return rowsFromKeys(dict, makeKeys(dict.cards(), opt).group, opt);
}

QList<TableRow> sortAndBuildTableRows(Dictionary &dict, const TableSortOptions &opt)
{
    return rowsFromKeys(dict, sortWithKeys(dict, opt), opt);
}
