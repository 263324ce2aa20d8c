#include "core/run/work_settings.h"
#include "core/settings/ini_reader.h"

#include <QtTest>

#include <climits>

class TestWorkSettings : public QObject
{
    Q_OBJECT

private slots:
    void consistency();
    void speed_data();
    void speed();
    void readAndWrite();
};

void TestWorkSettings::consistency()
{
    WorkSettings ws;
    ws.use_filter = ws.by_time = ws.use_archive = true;
    QVERIFY(ws.isConsistent()); // a repetition run takes anything
    ws = WorkSettings();
    ws.training = ws.use_autocheck = false;
    QVERIFY(!ws.isConsistent()); // no lesson
    ws.lesson = QStringLiteral("Урок 1");
    QVERIFY(ws.isConsistent());
    for (bool WorkSettings::*flag : {&WorkSettings::use_filter, &WorkSettings::by_time,
                                     &WorkSettings::use_autocheck, &WorkSettings::use_archive}) {
        WorkSettings bad = ws;
        bad.*flag = true;
        QVERIFY(!bad.isConsistent());
    }
}

void TestWorkSettings::speed_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("dialog");

    QTest::newRow("normal") << 30 << 10;
    QTest::newRow("default") << 50 << 6;
    QTest::newRow("fastest") << 5 << 15;
    QTest::newRow("truncated") << 33 << 9;
    QTest::newRow("gives 0") << 80 << 6;
    QTest::newRow("gives -0") << 84 << 6;
    QTest::newRow("gives 16") << 0 << 6;
    QTest::newRow("extreme") << INT_MIN << 6;
}

void TestWorkSettings::speed()
{
    QFETCH(int, stored);
    QFETCH(int, dialog);
    QCOMPARE(dialogSpeedFromStored(stored), dialog);
    if (stored % 5 == 0 && dialog != 6)
        QCOMPARE(storedSpeedFromDialog(dialog), stored);
    QCOMPARE(storedSpeedFromDialog(16), 5);
    QCOMPARE(storedSpeedFromDialog(100), 5);
}

void TestWorkSettings::readAndWrite()
{
    iniReader ini;
    ini.loadText(QStringLiteral("[OTHER]\ntraining=false\n"));
    WorkSettings ws;
    ws.training = false;
    ws.read(ini);
    QCOMPARE(ws, WorkSettings()); // every key missing: the defaults
    QCOMPARE(ini.toText(), QStringLiteral("\n[OTHER]\ntraining=false\n")); // nothing written

    ws.training = ws.use_autocheck = false;
    ws.use_filter = ws.by_time = ws.en_ru = true;
    ws.lesson = QStringLiteral("Урок 3");
    ws.speed = 30;
    iniReader out;
    ws.write(out);
    // New keys follow their header, so the file shows them in reverse order.
    QCOMPARE(out.toText(), QStringLiteral("\n[WORK_SETTINGS]\nuse_archive=false\nspeed=30\n"
                                          "use_autocheck=false\nen_ru=true\nlesson=Урок 3\n"
                                          "by_time=true\nuse_filter=true\ntraining=false\n"));
    WorkSettings back;
    ini.loadText(out.toText());
    back.read(ini);
    QCOMPARE(back, ws);
}

QTEST_GUILESS_MAIN(TestWorkSettings)
#include "test_work_settings.moc"
