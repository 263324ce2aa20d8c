#include "core/statistics/run_journal.h"
#include "core/statistics/statistics.h"

#include "test_cards.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// The journal file: records written one line each, read back whole, and a
// torn or foreign line skipped without losing the others.

namespace
{

RunRecord record(int shown, int right)
{
    RunRecord r;
    r.started = QDateTime(QDate(2024, 5, 17), QTime(21, 30, 5));
    r.training = false;
    r.enRu = true;
    r.timed = true;
    r.shown = shown;
    r.right = right;
    r.wrong = 2;
    r.forgotten = 1;
    r.durationMs = 61500;
    r.files = QStringList{QStringLiteral("/home/u/Слова.xml"), QStringLiteral("/b.xml")};
    return r;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRunJournal : public QObject
{
    Q_OBJECT

private slots:
    void appendAndReadBack()
    {
        QTemporaryDir dir;
        // The data folder may not exist yet.
        const QString path = dir.filePath(QStringLiteral("data/journal.jsonl"));
        FileRunJournal journal(path);
        journal.append(record(5, 2));
        journal.append(record(7, 4));
        QVERIFY(journal.lastError().isEmpty());
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes.count('\n'), 2);
        QVERIFY(bytes.endsWith('\n'));

        const JournalContents c = readRunJournal(path);
        QVERIFY(c.error.isEmpty());
        QCOMPARE(c.skippedLines, 0);
        QCOMPARE(c.records, (QList<RunRecord>{record(5, 2), record(7, 4)}));
        QCOMPARE(c.records[0].answers(), 5);
    }

    // A crash in the middle of a write leaves part of a line: reading skips
    // it, and the next record starts on a line of its own.
    void tornLastLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.jsonl"));
        FileRunJournal journal(path);
        journal.append(record(5, 2));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::Append));
            f.write(runRecordToJson(record(9, 9)).left(30));
        }
        JournalContents c = readRunJournal(path);
        QCOMPARE(c.records, QList<RunRecord>{record(5, 2)});
        QCOMPARE(c.skippedLines, 1);

        journal.append(record(7, 4));
        c = readRunJournal(path);
        QCOMPARE(c.records, (QList<RunRecord>{record(5, 2), record(7, 4)}));
        QCOMPARE(c.skippedLines, 1);
    }

    void linesThatAreNotRecords_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("not json") << QByteArray("hello");
        QTest::newRow("array") << QByteArray("[1,2]");
        QTest::newRow("no date") << QByteArray(R"({"kind":"learning","direction":"en_ru",)"
                                               R"("shown":1,"right":1,"wrong":0,"forgotten":0})");
        QTest::newRow("unknown kind")
            << QByteArray(R"({"started":"2024-01-01T10:00:00","kind":"x","direction":"en_ru",)"
                          R"("shown":1,"right":1,"wrong":0,"forgotten":0})");
        QTest::newRow("negative count")
            << QByteArray(R"({"started":"2024-01-01T10:00:00","kind":"learning",)"
                          R"("direction":"ru_en","shown":1,"right":-1,"wrong":0,"forgotten":0})");
        QTest::newRow("count as text")
            << QByteArray(R"({"started":"2024-01-01T10:00:00","kind":"learning",)"
                          R"("direction":"ru_en","shown":"1","right":1,"wrong":0,"forgotten":0})");
    }

    void linesThatAreNotRecords()
    {
        QFETCH(QByteArray, line);
        RunRecord r;
        QVERIFY(!runRecordFromJson(line, &r));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.jsonl"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(runRecordToJson(record(1, 1)) + "\n" + line + "\n\n" +
                runRecordToJson(record(2, 2)) + "\n");
        f.close();
        const JournalContents c = readRunJournal(path);
        QCOMPARE(c.records, (QList<RunRecord>{record(1, 1), record(2, 2)}));
        QCOMPARE(c.skippedLines, 1);
    }

    // Hostile journals kept under tests/data/journal: numbers beyond any
    // type, fractions, infinities, a day of many huge records. Each value
    // out of range is skipped (counts) or clamped (durations), never
    // converted blindly, and the day's figures stay a true share.
    void hostileJournals_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<qint64>("firstDuration");
        QTest::newRow("duration 1e300") << "huge_duration.jsonl" << 1 << 0 << kMaxRunDurationMs;
        QTest::newRow("negative and infinite duration")
            << "negative_and_infinite_duration.jsonl" << 1 << 1 << qint64(0);
        QTest::newRow("counts of INT_MAX") << "int_max_counts.jsonl" << 1 << 1 << qint64(1000);
        QTest::newRow("counts beyond int, fractions")
            << "counts_beyond_int.jsonl" << 0 << 2 << qint64(-1);
        QTest::newRow("300 records of ten million answers")
            << "many_records_one_day.jsonl" << 300 << 0 << qint64(1);
        QTest::newRow("odd values") << "odd_values.jsonl" << 2 << 3 << qint64(0);
    }
    void hostileJournals()
    {
        QFETCH(QString, file);
        QFETCH(int, records);
        QFETCH(int, skipped);
        QFETCH(qint64, firstDuration);
        const JournalContents c = readRunJournal(testDataPath("journal/" + file));
        QVERIFY(c.error.isEmpty());
        QCOMPARE(c.records.size(), records);
        QCOMPARE(c.skippedLines, skipped);
        if (records > 0)
            QCOMPARE(c.records[0].durationMs, firstDuration);
        for (const RunRecord &r : c.records) {
            for (const int n : {r.shown, r.right, r.wrong, r.forgotten})
                QVERIFY(n >= 0 && n <= kMaxRunCount);
            QVERIFY(r.durationMs >= 0 && r.durationMs <= kMaxRunDurationMs);
            QVERIFY(r.answers() >= r.right);
        }
        for (const DayAnswers &d : answersPerDay(c.records, QDate(2024, 5, 18), 3)) {
            QVERIFY(d.answers >= 0 && d.right >= 0 && d.right <= d.answers);
            QVERIFY(d.rightShare() >= 0 && d.rightShare() <= 100);
        }
    }

    void missingOrUnreadable()
    {
        QTemporaryDir dir;
        JournalContents c = readRunJournal(dir.filePath(QStringLiteral("none.jsonl")));
        QVERIFY(c.records.isEmpty());
        QVERIFY(c.error.isEmpty());

        // A folder where the file should be: reading says so, appending
        // reports it and leaves it alone.
        const QString path = dir.filePath(QStringLiteral("journal.jsonl"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("journal.jsonl")));
        c = readRunJournal(path);
        QVERIFY(c.records.isEmpty());
        QVERIFY(c.error.startsWith(QStringLiteral("Невозможно прочитать журнал")));
        FileRunJournal journal(path);
        journal.append(record(1, 1));
        QVERIFY(!journal.lastError().isEmpty());
        QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_GUILESS_MAIN(TestRunJournal)
#include "test_run_journal.moc"
