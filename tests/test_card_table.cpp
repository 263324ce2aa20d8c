#include "model/card_table.h"

#include "test_cards.h"

#include <QTest>

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

class TestCardTable : public QObject
{
    Q_OBJECT

    Dictionary sample()
    {
        Dictionary d;
        d.addCard(makeCard("beta", {QStringLiteral("бета")}, "L2", "/b.xml"));
        d.addCard(makeCard("apple", {QStringLiteral("яблоко")}, "L1", "/a.xml"));
        d.addCard(makeCard("Avocado", {QStringLiteral("авокадо")}, "L2", "/a.xml"));
        d.addCard(makeCard("new", {QStringLiteral("новый")}, "L1", ""));
        d.addCard(makeCard("...", {QStringLiteral("точки")}, "L1", "/a.xml"));
        return d;
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
        Dictionary d = sample();
        TableSortOptions o;
        o.byFiles = byFiles;
        o.byLessons = byLessons;
        sortForTable(d, o);
        QCOMPARE(describe(d, buildTableRows(d, o)), rows);
    }

    void filteredCardsStopTheTable()
    {
        Dictionary d = sample();
        d.cardById(d.cardAt(1).id)->inFilter = false; // apple
        TableSortOptions o;
        sortForTable(d, o);
        QCOMPARE(d.cards().last().foreignWords[0].word, QStringLiteral("apple"));
        const QStringList rows = describe(d, buildTableRows(d, o));
        QVERIFY(!rows.join(',').contains("apple"));
        QCOMPARE(rows.size(), 7);
    }

    void lookupSurvivesSorting()
    {
        Dictionary d = sample();
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
        Dictionary d = sample();
        d.lessons.clear();
        buildTableRows(d, TableSortOptions());
        QCOMPARE(d.lessons, (StringSet{"L1", "L2"}));
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
