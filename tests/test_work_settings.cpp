#include "run/work_settings.h"
#include "settings/ini_reader.h"

#include <QtTest>

class TestWorkSettings : public QObject
{
    Q_OBJECT

private slots:
    void consistency_data();
    void consistency();
    void dialogSpeed_data();
    void dialogSpeed();
    void storedSpeed_data();
    void storedSpeed();
    void readDefaults();
    void readStored();
    void writeOrderAndRoundTrip();
};

void TestWorkSettings::consistency_data()
{
    QTest::addColumn<bool>("training");
    QTest::addColumn<bool>("filter");
    QTest::addColumn<bool>("byTime");
    QTest::addColumn<bool>("autocheck");
    QTest::addColumn<bool>("archive");
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<bool>("consistent");

    const QString l = QStringLiteral("Урок 1");
    QTest::newRow("repetition, anything")
        << true << true << true << true << true << QString() << true;
    QTest::newRow("learning, clean") << false << false << false << false << false << l << true;
    QTest::newRow("learning, no lesson")
        << false << false << false << false << false << QString() << false;
    QTest::newRow("learning, filter") << false << true << false << false << false << l << false;
    QTest::newRow("learning, timed") << false << false << true << false << false << l << false;
    QTest::newRow("learning, autocheck") << false << false << false << true << false << l << false;
    QTest::newRow("learning, archive") << false << false << false << false << true << l << false;
}

void TestWorkSettings::consistency()
{
    QFETCH(bool, training);
    QFETCH(bool, filter);
    QFETCH(bool, byTime);
    QFETCH(bool, autocheck);
    QFETCH(bool, archive);
    QFETCH(QString, lesson);
    QFETCH(bool, consistent);
    WorkSettings ws;
    ws.training = training;
    ws.use_filter = filter;
    ws.by_time = byTime;
    ws.use_autocheck = autocheck;
    ws.use_archive = archive;
    ws.lesson = lesson;
    QCOMPARE(ws.isConsistent(), consistent);
}

void TestWorkSettings::dialogSpeed_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("dialog");

    QTest::newRow("normal") << 30 << 10;
    QTest::newRow("default") << 50 << 6;
    QTest::newRow("fastest") << 5 << 15;
    QTest::newRow("truncated") << 33 << 9;
    QTest::newRow("slowest") << 75 << 1;
    QTest::newRow("zero value") << 80 << 6;
    QTest::newRow("beyond slow") << 200 << 6;
    QTest::newRow("just above 80") << 84 << 6;
    QTest::newRow("sixteen") << 0 << 6;
    QTest::newRow("negative") << -40 << 6;
    QTest::newRow("extreme") << INT_MIN << 6;
}

void TestWorkSettings::dialogSpeed()
{
    QFETCH(int, stored);
    QFETCH(int, dialog);
    QCOMPARE(dialogSpeedFromStored(stored), dialog);
}

void TestWorkSettings::storedSpeed_data()
{
    QTest::addColumn<int>("dialog");
    QTest::addColumn<int>("stored");

    QTest::newRow("normal") << 10 << 30;
    QTest::newRow("slowest") << 1 << 75;
    QTest::newRow("fastest") << 15 << 5;
    QTest::newRow("would be 0") << 16 << 5;
    QTest::newRow("would be negative") << 40 << 5;
}

void TestWorkSettings::storedSpeed()
{
    QFETCH(int, dialog);
    QFETCH(int, stored);
    QCOMPARE(storedSpeedFromDialog(dialog), stored);
    QVERIFY(storedSpeedFromDialog(dialog) >= 5);
}

void TestWorkSettings::readDefaults()
{
    iniReader ini;
    ini.loadText(QStringLiteral("[OTHER]\ntraining=false\n"));
    WorkSettings ws;
    ws.training = false;
    ws.speed = 7;
    ws.lesson = QStringLiteral("x");
    ws.read(ini);
    QCOMPARE(ws, WorkSettings());
    QVERIFY(ws.training && ws.use_autocheck && !ws.use_filter && ws.speed == 50);
    // Reading never writes defaults into the store.
    QCOMPARE(ini.toText(), QStringLiteral("\n[OTHER]\ntraining=false\n"));
}

void TestWorkSettings::readStored()
{
    iniReader ini;
    ini.loadText(QStringLiteral("[WORK_SETTINGS]\n"
                                "training=нет\n"
                                "use_filter=yes\n"
                                "by_time=1\n"
                                "lesson=Урок 3\n"
                                "en_ru=True\n"
                                "use_autocheck=false\n"
                                "speed=abc\n"
                                "use_archive=Да\n"));
    WorkSettings ws;
    ws.read(ini);
    QVERIFY(!ws.training);
    QVERIFY(ws.use_filter);
    QVERIFY(ws.by_time);
    QCOMPARE(ws.lesson, QStringLiteral("Урок 3"));
    QVERIFY(ws.en_ru);
    QVERIFY(!ws.use_autocheck);
    QCOMPARE(ws.speed, 50); // not a number: the default
    QVERIFY(ws.use_archive);
    QVERIFY(!ws.isConsistent());
}

void TestWorkSettings::writeOrderAndRoundTrip()
{
    WorkSettings ws;
    ws.training = false;
    ws.lesson = QStringLiteral("Урок 2");
    ws.en_ru = true;
    ws.use_autocheck = false;
    ws.speed = 30;

    iniReader ini;
    ws.write(ini);
    // New keys go right after their header, so the file lists them in the
    // reverse order of writing.
    QCOMPARE(ini.toText(), QStringLiteral("\n[WORK_SETTINGS]\n"
                                          "use_archive=false\n"
                                          "speed=30\n"
                                          "use_autocheck=false\n"
                                          "en_ru=true\n"
                                          "lesson=Урок 2\n"
                                          "by_time=false\n"
                                          "use_filter=false\n"
                                          "training=false\n"));

    iniReader again;
    again.loadText(ini.toText());
    WorkSettings back;
    back.read(again);
    QCOMPARE(back, ws);

    // Existing keys keep their place and get the new values.
    ws.training = true;
    ws.lesson.clear();
    ws.speed = 5;
    ws.write(again);
    iniReader third;
    third.loadText(again.toText());
    back.read(third);
    QCOMPARE(back, ws);
    QVERIFY(again.toText().startsWith(QStringLiteral("\n[WORK_SETTINGS]\nuse_archive=false\n"
                                                     "speed=5\n")));
}

QTEST_GUILESS_MAIN(TestWorkSettings)
#include "test_work_settings.moc"
