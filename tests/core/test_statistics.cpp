#include "core/dictionary/dictionary.h"
#include "core/statistics/statistics.h"
#include "test_cards.h"

#include <QTest>

// The figures behind the statistics charts, on dictionaries counted by hand.

namespace
{

struct CardShape {
    const char *lesson;
    int nPER, pER, nPRE, pRE;
    bool active;
    bool inFilter;
};

void fill(Dictionary &d, std::initializer_list<CardShape> shapes)
{
    int i = 0;
    for (const CardShape &s : shapes) {
        Card c = makeCard(QStringLiteral("w%1").arg(++i), {QStringLiteral("с")},
                          QString::fromUtf8(s.lesson), QStringLiteral("/d/a.xml"));
        c.nPER = s.nPER;
        c.pER = s.pER;
        c.nPRE = s.nPRE;
        c.pRE = s.pRE;
        c.nAr = s.active;
        c.inFilter = s.inFilter;
        d.addLesson(c.lesson);
        d.addCard(c);
    }
}

QString lessonLine(const LessonCounts &l)
{
    return QStringLiteral("%1:%2/%3/%4").arg(l.lesson).arg(l.base).arg(l.raised).arg(l.archived);
}

RunRecord run(const QDateTime &when, int right, int wrong, int forgotten)
{
    RunRecord r;
    r.started = when;
    r.right = right;
    r.wrong = wrong;
    r.forgotten = forgotten;
    r.shown = right + wrong + forgotten;
    return r;
}

} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void perLesson_data()
    {
        QTest::addColumn<bool>("enRu");
        QTest::addColumn<bool>("onlyFiltered");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("cards");
        // B: 2 at base ER, 1 raised ER (and at base RE), 1 archived though
        // raised; A: raised RE only, and a card whose current priority is
        // below its base (counts as base).
        QTest::newRow("ин-ру") << true << false << QStringList{"A:2/0/0", "B:2/1/1"} << 6;
        QTest::newRow("ру-ин") << false << false << QStringList{"A:1/1/0", "B:3/0/1"} << 6;
        QTest::newRow("filtered") << true << true << QStringList{"A:1/0/0", "B:1/1/1"} << 4;
    }

    void perLesson()
    {
        QFETCH(bool, enRu);
        QFETCH(bool, onlyFiltered);
        QFETCH(QStringList, expected);
        QFETCH(int, cards);
        Dictionary d;
        fill(d, {
                    {"B", 1, 1, 2, 2, true, false},
                    {"B", 3, 5, 1, 1, true, true},
                    {"A", 2, 2, 1, 4, true, false},
                    {"B", 2, 2, 2, 2, true, true},
                    {"B", 1, 6, 1, 6, false, true},
                    {"A", 4, 3, 1, 1, true, true},
                });
        const CardStatistics s = computeCardStatistics(d, enRu, onlyFiltered);
        QStringList lines;
        for (const LessonCounts &l : s.lessons)
            lines << lessonLine(l);
        QCOMPARE(lines, expected);
        QCOMPARE(s.cards, cards);
    }

    void priorities()
    {
        Dictionary d;
        fill(d, {
                    {"A", 1, 1, 2, 2, true, true},
                    {"A", 1, 10, 2, 3, true, false},
                    {"B", 5, 7, 0, 11, false, true},
                });
        PriorityCounts p = computeCardStatistics(d, true, false).priorities;
        auto counts = [](const PriorityHistogram &h) {
            return QList<int>(h.count.begin(), h.count.end());
        };
        QCOMPARE(counts(p.baseER), (QList<int>{2, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
        QCOMPARE(counts(p.currentER), (QList<int>{1, 0, 0, 0, 0, 0, 1, 0, 0, 1}));
        QCOMPARE(counts(p.baseRE), (QList<int>{0, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(counts(p.currentRE), (QList<int>{0, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
        // 0 and 11 lie outside and are counted apart, not dropped.
        QCOMPARE(p.baseRE.outside, 1);
        QCOMPARE(p.currentRE.outside, 1);
        QCOMPARE(p.baseER.outside, 0);

        p = computeCardStatistics(d, true, true).priorities;
        QCOMPARE(counts(p.currentER), (QList<int>{1, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    }

    void emptyDictionary()
    {
        const CardStatistics s = computeCardStatistics(Dictionary(), false, false);
        QVERIFY(s.lessons.isEmpty());
        QCOMPARE(s.cards, 0);
    }

    void answersPerDay_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QList<int>>("right");
        // Today is 2024-03-10. Runs: today twice, two days ago, and one a day
        // before the 3-day window; one in the future is left out.
        QTest::newRow("3 days") << 3 << QList<int>{4, 0, 8} << QList<int>{1, 0, 5};
        QTest::newRow("4 days") << 4 << QList<int>{2, 4, 0, 8} << QList<int>{2, 1, 0, 5};
        QTest::newRow("1 day") << 1 << QList<int>{8} << QList<int>{5};
        QTest::newRow("none") << 0 << QList<int>{} << QList<int>{};
    }

    void answersPerDay()
    {
        QFETCH(int, days);
        QFETCH(QList<int>, answers);
        QFETCH(QList<int>, right);
        const QDate today(2024, 3, 10);
        const QList<RunRecord> records = {
            run(QDateTime(QDate(2024, 3, 7), QTime(23, 59)), 2, 0, 0),
            run(QDateTime(QDate(2024, 3, 8), QTime(0, 0)), 1, 2, 1),
            run(QDateTime(today, QTime(9, 0)), 3, 1, 0),
            run(QDateTime(today, QTime(23, 0)), 2, 0, 2),
            run(QDateTime(QDate(2024, 3, 11), QTime(1, 0)), 9, 0, 0),
        };
        const QList<DayAnswers> result = ::answersPerDay(records, today, days);
        QCOMPARE(result.size(), answers.size());
        for (int i = 0; i < result.size(); ++i) {
            QCOMPARE(result[i].date, today.addDays(i - days + 1));
            QCOMPARE(result[i].answers, answers[i]);
            QCOMPARE(result[i].right, right[i]);
        }
        if (days == 3) {
            QCOMPARE(result[0].rightShare(), 25.0);
            QCOMPARE(result[1].rightShare(), 0.0);
            QCOMPARE(result[2].rightShare(), 62.5);
        }
    }

    void tableTextForTheClipboard()
    {
        QCOMPARE(tableText({"Урок", "Всего"}, {{"A\tB", "3"}, {"C\nD", "4"}}),
                 QStringLiteral("Урок\tВсего\nA B\t3\nC D\t4\n"));
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "test_statistics.moc"
