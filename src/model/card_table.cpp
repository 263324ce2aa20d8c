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

// Everything the order and the grouping need of one card, computed once per
// refresh. Files and lessons are interned: `*Rank` orders the lower-cased
// texts, `*Id` tells the exact texts apart.
struct CardKey {
    bool inFilter = true;
    bool hasWord = false;
    char16_t letter = 0; // 0: no letter; sorts before every letter
    int fileRank = 0;
    int lessonRank = 0;
    int fileId = 0;
    int lessonId = 0;
    // The first four code units of the lower-case word, so that most
    // comparisons of 100,000 words end on one integer compare.
    quint64 prefix = 0;
    QString word; // lower case
};

quint64 prefixOf(const QString &lower)
{
    quint64 p = 0;
    for (int i = 0; i < 4; ++i)
        p = (p << 16) | (i < lower.size() ? lower.at(i).unicode() : 0);
    return p;
}

// Interns texts: exact ids, and ranks of their lower-case forms.
class Interner
{
public:
    int id(const QString &text)
    {
        // Neighbouring cards mostly share their file and lesson.
        if (m_last >= 0 && m_texts.at(m_last) == text)
            return m_last;
        m_last = lookup(text);
        return m_last;
    }
    int lookup(const QString &text)
    {
        auto it = m_ids.constFind(text);
        if (it != m_ids.constEnd())
            return *it;
        const int id = int(m_texts.size());
        m_ids.insert(text, id);
        m_texts.append(text);
        return id;
    }
    // Rank of each id's lower-case text in code-unit order.
    std::vector<int> ranks() const
    {
        QStringList lower;
        lower.reserve(m_texts.size());
        for (const QString &t : m_texts)
            lower.append(t.toLower());
        std::vector<int> order(m_texts.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return lower[a] < lower[b]; });
        std::vector<int> rank(m_texts.size());
        int r = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && lower[order[i]] != lower[order[i - 1]])
                ++r;
            rank[order[i]] = r;
        }
        return rank;
    }

private:
    QHash<QString, int> m_ids;
    QStringList m_texts;
    int m_last = -1;
};

std::vector<CardKey> makeKeys(const QList<Card> &cards, const TableSortOptions &opt)
{
    std::vector<CardKey> keys(cards.size());
    Interner files;
    Interner lessons;
    for (int i = 0; i < cards.size(); ++i) {
        const Card &c = cards[i];
        CardKey &k = keys[i];
        k.inFilter = c.inFilter;
        k.fileId = files.id(c.filePath);
        k.lessonId = lessons.id(c.lesson);
        const QString w = opt.byForeign ? firstForeignWord(c) : firstRussianWord(c);
        k.hasWord = opt.byForeign ? !c.foreignWords.isEmpty() : !w.isNull();
        k.letter = firstLetterCode(w);
        k.word = w.toLower();
        k.prefix = prefixOf(k.word);
    }
    const std::vector<int> fileRanks = files.ranks();
    const std::vector<int> lessonRanks = lessons.ranks();
    for (CardKey &k : keys) {
        k.fileRank = fileRanks[k.fileId];
        k.lessonRank = lessonRanks[k.lessonId];
    }
    return keys;
}

// Cards without the word to sort by go first in both directions, so the
// order stays a strict weak ordering (std::sort needs one).
bool keyLess(const CardKey &a, const CardKey &b, const TableSortOptions &opt)
{
    if (!a.inFilter)
        return false;
    if (!b.inFilter)
        return true;
    if (opt.byFiles && a.fileRank != b.fileRank)
        return a.fileRank < b.fileRank;
    if (opt.byLessons && a.lessonRank != b.lessonRank)
        return a.lessonRank < b.lessonRank;
    if (!a.hasWord)
        return b.hasWord;
    if (!b.hasWord)
        return false;
    if (a.letter != b.letter)
        return a.letter < b.letter;
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix;
    return a.word < b.word;
}

QList<TableRow> rowsFromKeys(Dictionary &dict, const std::vector<CardKey> &keys,
                             const TableSortOptions &opt)
{
    QList<TableRow> rows;
    rows.reserve(dict.cards.size() + dict.cards.size() / 4 + 4);
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
    for (int i = 0; i < dict.cards.size(); ++i) {
        const CardKey &k = keys[i];
        if (!k.inFilter)
            break;
        const Card &c = dict.cards[i];
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

std::vector<CardKey> sortWithKeys(Dictionary &dict, const TableSortOptions &opt)
{
    std::vector<CardKey> keys = makeKeys(dict.cards, opt);
    const int n = int(dict.cards.size());
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int x, int y) { return keyLess(keys[x], keys[y], opt); });
    QList<Card> sorted;
    sorted.reserve(n);
    std::vector<CardKey> sortedKeys;
    sortedKeys.reserve(n);
    for (int i : order) {
        sorted.append(std::move(dict.cards[i]));
        sortedKeys.push_back(std::move(keys[i]));
    }
    dict.cards = std::move(sorted);
    dict.reindex();
    return sortedKeys;
}

} // namespace

bool cardTableOrder(const Card &a, const Card &b, const TableSortOptions &opt)
{
    const std::vector<CardKey> keys = makeKeys({a, b}, opt);
    return keyLess(keys[0], keys[1], opt);
}

void sortForTable(Dictionary &dict, const TableSortOptions &opt)
{
    sortWithKeys(dict, opt);
}

QList<TableRow> buildTableRows(Dictionary &dict, const TableSortOptions &opt)
{
    return rowsFromKeys(dict, makeKeys(dict.cards, opt), opt);
}

QList<TableRow> sortAndBuildTableRows(Dictionary &dict, const TableSortOptions &opt)
{
    const std::vector<CardKey> keys = sortWithKeys(dict, opt);
    return rowsFromKeys(dict, keys, opt);
}
