#include "model/card_table.h"

#include "model/markup.h"

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

namespace {

struct SortKey {
    bool inFilter;
    bool hasWord;
    QString file;
    QString lesson;
    QString letter;
    QString word;
};

SortKey makeKey(const Card &c, const TableSortOptions &opt)
{
    SortKey k;
    k.inFilter = c.inFilter;
    if (opt.byFiles)
        k.file = c.filePath.toLower();
    if (opt.byLessons)
        k.lesson = c.lesson.toLower();
    const QString w = opt.byForeign ? firstForeignWord(c) : firstRussianWord(c);
    k.hasWord = opt.byForeign ? !c.foreignWords.isEmpty() : !w.isNull();
    k.letter = firstLetter(w);
    k.word = w.toLower();
    return k;
}

// Cards without the word to sort by go first in both directions, so the
// order stays a strict weak ordering (std::sort needs one).
bool keyLess(const SortKey &a, const SortKey &b, const TableSortOptions &opt)
{
    if (!a.inFilter)
        return false;
    if (!b.inFilter)
        return true;
    if (opt.byFiles && a.file != b.file)
        return a.file < b.file;
    if (opt.byLessons && a.lesson != b.lesson)
        return a.lesson < b.lesson;
    if (!a.hasWord)
        return b.hasWord;
    if (!b.hasWord)
        return false;
    if (a.letter == b.letter)
        return a.word < b.word;
    return a.letter < b.letter;
}

} // namespace

bool cardTableOrder(const Card &a, const Card &b, const TableSortOptions &opt)
{
    return keyLess(makeKey(a, opt), makeKey(b, opt), opt);
}

void sortForTable(Dictionary &dict, const TableSortOptions &opt)
{
    const int n = int(dict.cards.size());
    std::vector<SortKey> keys;
    keys.reserve(n);
    for (const Card &c : dict.cards)
        keys.push_back(makeKey(c, opt));
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int x, int y) { return keyLess(keys[x], keys[y], opt); });
    QList<Card> sorted;
    sorted.reserve(n);
    for (int i : order)
        sorted.append(std::move(dict.cards[i]));
    dict.cards = std::move(sorted);
    dict.reindex();
}

QList<TableRow> buildTableRows(Dictionary &dict, const TableSortOptions &opt)
{
    QList<TableRow> rows;
    rows.reserve(dict.cards.size() + dict.cards.size() / 8 + 4);
    QString fileLabel = newCardsHeaderText();
    QString lessonLabel;
    QString letterLabel;
    bool newHeaderDone = false;
    int number = 0;
    QString lastInserted;
    auto header = [&rows](TableRow::Kind kind, const QString &label) {
        TableRow r;
        r.kind = kind;
        r.label = label;
        rows.append(r);
    };
    for (const Card &c : dict.cards) {
        if (!c.inFilter)
            break;
        if (opt.byFiles) {
            if (!c.filePath.isEmpty() && c.filePath != fileLabel) {
                fileLabel = c.filePath;
                header(TableRow::FileHeader, fileLabel);
                lessonLabel.clear();
                letterLabel.clear();
            } else if (c.filePath.isEmpty() && !newHeaderDone) {
                header(TableRow::FileHeader, fileLabel);
                newHeaderDone = true;
            }
        }
        if (opt.byLessons && c.lesson != lessonLabel) {
            lessonLabel = c.lesson;
            header(TableRow::LessonHeader, lessonLabel);
            letterLabel.clear();
        }
        const QString letter =
            firstLetter(opt.byForeign ? firstForeignWord(c) : firstRussianWord(c));
        if (letter != letterLabel) {
            letterLabel = letter;
            header(TableRow::LetterHeader, letterLabel);
        }
        if (number == 0 || c.lesson != lastInserted) {
            dict.lessons.insert(c.lesson);
            lastInserted = c.lesson;
        }
        TableRow r;
        r.kind = TableRow::CardRow;
        r.cardId = c.id;
        r.number = ++number;
        rows.append(r);
    }
    return rows;
}
