#include "core/dictionary/card_table.h"
#include "core/markup/markup.h"

#include "test_cards.h"

#include <QTest>

#include <random>

// Rows as compact text: "F:path", "L:lesson", "C:letter", or "#n word".
static QStringList describe(const Dictionary &d, const QList<TableRow> &rows)
{
    QStringList out;
    for (const TableRow &r : rows) {
        switch (r.kind) {
        case TableRow::FileHeader:
            out << QStringLiteral("F:") + r.label;
            break;
        case TableRow::LessonHeader:
            out << QStringLiteral("L:") + r.label;
            break;
        case TableRow::LetterHeader:
            out << QStringLiteral("C:") + r.label;
            break;
        case TableRow::CardRow:
            out << QStringLiteral("#%1 ").arg(r.number) +
                       d.cardById(r.cardId)->foreignWords.value(0).word;
            break;
        }
    }
    return out;
}

namespace
{

// The word a card is ordered by, and whether it has one at all.
QString orderWord(const Card &c, bool byForeign, bool *has)
{
    if (byForeign) {
        *has = !c.foreignWords.isEmpty();
        return *has ? c.foreignWords.first().word : QString();
    }
    *has = !c.translations.isEmpty() && !c.translations.first().groups.isEmpty() &&
           !c.translations.first().groups.first().isEmpty();
    return *has ? c.translations.first().groups.first().first().word : QString();
}

// The table order written straight from its rules, one comparison at a
// time, without any precomputed key. A card without its word goes first,
// for Russian words as for foreign ones: "false either way" would not be an
// order at all.
bool referenceOrder(const Card &a, const Card &b, const TableSortOptions &o)
{
    if (!a.inFilter)
        return false;
    if (!b.inFilter)
        return true;
    if (o.byFiles && a.filePath.toLower() != b.filePath.toLower())
        return a.filePath.toLower() < b.filePath.toLower();
    if (o.byLessons && a.lesson.toLower() != b.lesson.toLower())
        return a.lesson.toLower() < b.lesson.toLower();
    bool hasA = false;
    bool hasB = false;
    const QString wa = orderWord(a, o.byForeign, &hasA);
    const QString wb = orderWord(b, o.byForeign, &hasB);
    if (!hasA && hasB)
        return true;
    if (!hasB)
        return false;
    const QString la = firstLetter(wa);
    const QString lb = firstLetter(wb);
    if (la == lb)
        return wa.toLower() < wb.toLower();
    return la < lb;
}

// Random cards built to hit the hard cases: words sharing prefixes longer
// than the packed part of the key, words differing only in case, empty
// words, words without a letter, missing words, paths and lessons differing
// only in case, cards outside the filter, and copies sharing their strings.
class CardMaker
{
public:
    explicit CardMaker(unsigned seed) : m_rng(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    QString word()
    {
        static const QStringList prefixes{
            "",          "",           "abcdefghij", "ABCDEFGHIJ",       "abcdefgh",
            "Ёжик-ёжик", "еловый лес", "12345678",   "abcdefghijklmnop", "ABCDEFGHIJKLMNOPQ"};
        static const QString units = QStringLiteral("aAbBzёЁеЕяЯ1 .-\t");
        QString w = prefixes[pick(prefixes.size())];
        for (int n = pick(6); n > 0; --n)
            w += units[pick(units.size())];
        if (pick(4) == 0)
            w = pick(2) ? w.toUpper() : w.toLower();
        return w;
    }

    Card card(const QList<Card> &earlier)
    {
        if (!earlier.isEmpty() && pick(6) == 0) {
            Card copy = earlier[pick(earlier.size())]; // shares its strings
            copy.inFilter = pick(5) != 0;
            return copy;
        }
        static const QStringList files{"", "/a.xml", "/A.xml", "/b.xml", "/словарь.xml"};
        static const QStringList lessons{"", "L1", "l1", "L2", "Урок 1", "урок 1"};
        Card c =
            makeCard(word(), {word()}, lessons[pick(lessons.size())], files[pick(files.size())]);
        switch (pick(8)) {
        case 0:
            c.foreignWords.clear();
            break;
        case 1:
            c.translations.clear();
            break;
        case 2:
            c.translations.first().groups.first().clear();
            break;
        case 3:
            c.translations.first().groups.clear();
            break;
        default:
            break;
        }
        c.inFilter = pick(5) != 0;
        return c;
    }

    std::mt19937 &engine() { return m_rng; }

private:
    std::mt19937 m_rng;
};

QString describeCard(const Card &c)
{
    bool has = false;
    return QStringLiteral("id %1 [%2|%3|%4|%5]%6")
        .arg(c.id)
        .arg(c.filePath, c.lesson, orderWord(c, true, &has), orderWord(c, false, &has),
             c.inFilter ? QString() : QStringLiteral(" out"));
}

} // namespace

class TestCardTable : public QObject
{
    Q_OBJECT

    static void fillSample(Dictionary &d)
    {
        d.addCard(makeCard("beta", {QStringLiteral("бета")}, "L2", "/b.xml"));
        d.addCard(makeCard("apple", {QStringLiteral("яблоко")}, "L1", "/a.xml"));
        d.addCard(makeCard("Avocado", {QStringLiteral("авокадо")}, "L2", "/a.xml"));
        d.addCard(makeCard("new", {QStringLiteral("новый")}, "L1", ""));
        d.addCard(makeCard("...", {QStringLiteral("точки")}, "L1", "/a.xml"));
    }

private slots:
    void grouping_data()
    {
        QTest::addColumn<bool>("byFiles");
        QTest::addColumn<bool>("byLessons");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("no options: letters only")
            << false << false << QStringList{"#1 ...", "C:A",     "#2 apple", "#3 Avocado",
                                             "C:B",    "#4 beta", "C:N",      "#5 new"};
        QTest::newRow("by files: new cards first")
            << true << false
            << QStringList{"F:Карточки ещё не сохранены в файл",
                           "C:N",
                           "#1 new",
                           "F:/a.xml",
                           "#2 ...",
                           "C:A",
                           "#3 apple",
                           "#4 Avocado",
                           "F:/b.xml",
                           "C:B",
                           "#5 beta"};
        QTest::newRow("files and lessons") << true << true
                                           << QStringList{"F:Карточки ещё не сохранены в файл",
                                                          "L:L1",
                                                          "C:N",
                                                          "#1 new",
                                                          "F:/a.xml",
                                                          "L:L1",
                                                          "#2 ...",
                                                          "C:A",
                                                          "#3 apple",
                                                          "L:L2",
                                                          "C:A",
                                                          "#4 Avocado",
                                                          "F:/b.xml",
                                                          "L:L2",
                                                          "C:B",
                                                          "#5 beta"};
    }
    void grouping()
    {
        QFETCH(bool, byFiles);
        QFETCH(bool, byLessons);
        QFETCH(QStringList, rows);
        Dictionary d;
        fillSample(d);
        TableSortOptions o;
        o.byFiles = byFiles;
        o.byLessons = byLessons;
        sortForTable(d, o);
        QCOMPARE(describe(d, buildTableRows(d, o)), rows);
    }

    void filteredCardsStopTheTable()
    {
        Dictionary d;
        fillSample(d);
        d.updateMarksOf(d.cardAt(1).id, [](MarkedCard &c) { c.setInFilter(false); }); // apple
        TableSortOptions o;
        sortForTable(d, o);
        QCOMPARE(d.cards().last().foreignWords[0].word, QStringLiteral("apple"));
        const QStringList rows = describe(d, buildTableRows(d, o));
        QVERIFY(!rows.join(',').contains("apple"));
        QCOMPARE(rows.size(), 7);
    }

    void lookupSurvivesSorting()
    {
        Dictionary d;
        fillSample(d);
        sortForTable(d, TableSortOptions());
        for (int id = 1; id <= 5; ++id)
            QCOMPARE(d.cardById(id)->id, id);
        QCOMPARE(d.cardById(2)->foreignWords[0].word, QStringLiteral("apple"));
    }

    void russianOrder()
    {
        Dictionary d;
        d.addCard(makeCard("x", {QStringLiteral("ёж")}));
        d.addCard(makeCard("y", {QStringLiteral("арбуз")}));
        d.addCard(makeCard("z", {}));
        d.addCard(makeCard("w", {QStringLiteral("Банан")}));
        TableSortOptions o;
        o.byForeign = false;
        sortForTable(d, o);
        // Cards without a Russian word first, then Ё before А (code units).
        QCOMPARE(describe(d, buildTableRows(d, o)),
                 (QStringList{"#1 z", "C:Ё", "#2 x", "C:А", "#3 y", "C:Б", "#4 w"}));
    }

    void headerRowsAddShownLessons()
    {
        Dictionary d;
        fillSample(d);
        d.setLessons({});
        buildTableRows(d, TableSortOptions());
        QCOMPARE(d.lessons(), (StringSet{"L1", "L2"}));
    }

    void randomOrderAgainstReference_data()
    {
        QTest::addColumn<bool>("byFiles");
        QTest::addColumn<bool>("byLessons");
        QTest::addColumn<bool>("byForeign");
        QTest::addColumn<bool>("unpacked");
        for (int unpacked = 0; unpacked < 2; ++unpacked) {
            for (int mask = 0; mask < 8; ++mask) {
                const bool files = mask & 1, lessons = mask & 2, foreign = mask & 4;
                QTest::newRow(qPrintable(QStringLiteral("%1%2%3%4")
                                             .arg(files ? "files " : "")
                                             .arg(lessons ? "lessons " : "")
                                             .arg(foreign ? "foreign" : "russian")
                                             .arg(unpacked ? ", unpacked" : "")))
                    << files << lessons << foreign << bool(unpacked);
            }
        }
    }

    // The sorted vector holds the same cards, no card stands before one the
    // reference puts strictly before it, and cards that tie keep the order
    // they had. The last seed has enough cards to be sorted in parts.
    void randomOrderAgainstReference()
    {
        QFETCH(bool, byFiles);
        QFETCH(bool, byLessons);
        QFETCH(bool, byForeign);
        QFETCH(bool, unpacked);
        TableSortOptions o;
        o.byFiles = byFiles;
        o.byLessons = byLessons;
        o.byForeign = byForeign;
        for (unsigned seed = 1; seed <= 20; ++seed) {
            CardMaker maker(seed);
            Dictionary d;
            QList<Card> made;
            for (int n = 0, count = seed == 20 ? 9000 : 400; n < count; ++n) {
                made.append(maker.card(made));
                d.addCard(made.last());
            }
            if (unpacked)
                sortForTableUnpacked(d, o);
            else
                sortForTable(d, o);
            QCOMPARE(d.cardCount(), made.size());
            std::vector<bool> seen(made.size() + 1, false);
            for (int i = 0; i < d.cardCount(); ++i) {
                const Card &c = d.cardAt(i);
                QVERIFY(c.id >= 1 && c.id <= made.size() && !seen[c.id]);
                seen[c.id] = true;
                QCOMPARE(d.indexOfId(c.id), i);
                QVERIFY(c.sameContent(made[c.id - 1]));
                if (i > 0 && referenceOrder(c, d.cardAt(i - 1), o))
                    QFAIL(qPrintable(QStringLiteral("seed %1: %2 after %3")
                                         .arg(seed)
                                         .arg(describeCard(c), describeCard(d.cardAt(i - 1)))));
                if (i > 0 && !referenceOrder(d.cardAt(i - 1), c, o) && c.id < d.cardAt(i - 1).id)
                    QFAIL(qPrintable(QStringLiteral("seed %1: tie %2 swapped with %3")
                                         .arg(seed)
                                         .arg(describeCard(c), describeCard(d.cardAt(i - 1)))));
            }
        }
    }

    // The single comparison agrees with the reference on random pairs, on
    // a card and its copy, and on cards that tie.
    void comparatorAgainstReference()
    {
        CardMaker maker(4242);
        QList<Card> cards;
        for (int n = 0; n < 300; ++n)
            cards.append(maker.card(cards));
        for (int mask = 0; mask < 8; ++mask) {
            TableSortOptions o;
            o.byFiles = mask & 1;
            o.byLessons = mask & 2;
            o.byForeign = mask & 4;
            for (int n = 0; n < 3000; ++n) {
                const Card &a = cards[maker.pick(cards.size())];
                const Card &b = n % 10 == 0 ? a : cards[maker.pick(cards.size())];
                if (cardTableOrder(a, b, o) != referenceOrder(a, b, o))
                    QFAIL(qPrintable(QStringLiteral("options %1: %2 against %3")
                                         .arg(mask)
                                         .arg(describeCard(a), describeCard(b))));
            }
        }
    }

    void cacheFollowsEveryChange_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("word edited in place") << 0;
        QTest::newRow("word replaced by a shared copy") << 1;
        QTest::newRow("card replaced") << 2;
        QTest::newRow("cards removed and added") << 3;
        QTest::newRow("dictionary cleared and filled again") << 4;
        QTest::newRow("every card changed") << 5;
        QTest::newRow("Russian order after foreign") << 6;
    }

    // A refresh with kept keys orders exactly as one computed afresh, after
    // any way of changing the cards between two refreshes.
    void cacheFollowsEveryChange()
    {
        QFETCH(int, change);
        TableSortOptions o;
        o.byFiles = true;
        for (unsigned seed = 1; seed <= 10; ++seed) {
            CardMaker maker(seed);
            Dictionary d;
            QList<Card> made;
            // The last seed has enough cards to make their keys in parts.
            for (int n = 0, count = seed == 10 ? 9000 : 300; n < count; ++n) {
                made.append(maker.card(made));
                d.addCard(made.last());
            }
            TableSortCache cache;
            sortAndBuildTableRows(d, o, &cache);
            for (int n = 0; n < 40; ++n) {
                const std::optional<Card> c = d.cardById(1 + maker.pick(d.idCounter()));
                if (!c)
                    continue;
                switch (change) {
                case 0:
                    d.updateCard(c->id, [n](Card &e) {
                        if (!e.foreignWords.isEmpty() && !e.foreignWords[0].word.isEmpty())
                            e.foreignWords[0].word[0] = QLatin1Char(n % 2 ? 'Z' : '0');
                    });
                    break;
                case 1: {
                    const QString word = made[maker.pick(made.size())].foreignWords.value(0).word;
                    d.updateCard(c->id, [&](Card &e) {
                        if (!e.foreignWords.isEmpty())
                            e.foreignWords[0].word = word;
                    });
                    break;
                }
                case 2: {
                    Card other = maker.card(made);
                    other.id = c->id;
                    d.setCard(other);
                    break;
                }
                case 3:
                    d.removeCard(c->id);
                    d.addCard(maker.card(made));
                    break;
                default:
                    break;
                }
            }
            if (change == 4) {
                d.clear();
                for (int n = 0; n < 100; ++n)
                    d.addCard(maker.card(made));
            }
            if (change == 5)
                d.updateAllCards([](Card &c) {
                    if (!c.foreignWords.isEmpty())
                        c.foreignWords[0].word.prepend(QStringLiteral("Я"));
                });
            if (change == 6)
                o.byForeign = false;
            Dictionary fresh;
            fresh.assign(d);
            const QList<TableRow> kept = sortAndBuildTableRows(d, o, &cache);
            const QList<TableRow> computed = sortAndBuildTableRows(fresh, o);
            QCOMPARE(describe(d, kept), describe(fresh, computed));
            for (int i = 0; i < d.cardCount(); ++i)
                QCOMPARE(d.cardAt(i).id, fresh.cardAt(i).id);
        }
    }

    void kindText()
    {
        TableRow r;
        r.cardId = 42;
        QCOMPARE(r.kindText(), QStringLiteral("42"));
        r.kind = TableRow::LessonHeader;
        QCOMPARE(r.kindText(), QStringLiteral("lesson"));
    }
};

QTEST_GUILESS_MAIN(TestCardTable)
#include "test_card_table.moc"
