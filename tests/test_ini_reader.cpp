#include "settings/ini_reader.h"
#include "settings/syst_func.h"

#include "test_cards.h"
#include <QFile>
#include <QTemporaryDir>

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

static QString dataFile(const QString &name)
{
    return testDataPath(QLatin1String("ini/") + name);
}

static QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

static bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class TestIniReader : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void readBool_data();
    void readBool();
    void readNum();
    void keyResolution();
    void placementAndDuplicates();
    void goldenFiles();
    void textFileHelpers();
    void saveFailure_data();
    void saveFailure();
    void saveFailureKeepsOldFile();
};

void TestIniReader::parse_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("comment and blanks in value") << "[S]\nkey = some   value ; note"
                                                 << "\n[S]\nkey=some value # note\n";
    QTest::newRow("invalid headers dropped") << "[A B]\n[]\n[S\n[a-b]\n[S] tail\nk=v"
                                             << "\n[S]\nk=v\n";
    QTest::newRow("header with inner blanks") << "[ S ]\nk=v"
                                              << "k=v\n";
    QTest::newRow("invalid header keeps section") << "[S]\na=1\n[A B]\nb=2"
                                                  << "\n[S]\na=1\nb=2\n";
    QTest::newRow("bad key lines dropped") << "a-b=1\nx=\nx = \n=1\ntext\nok=3"
                                           << "ok=3\n";
    QTest::newRow("value keeps later equals") << "f = a=b"
                                              << "f=a=b\n";
    QTest::newRow("first marker wins") << "k=v ; a # b"
                                       << "k=v # a # b\n";
    QTest::newRow("empty comments") << "k=v ;\n#"
                                    << "k=v\n\n";
    QTest::newRow("empty lines dropped, blank kept") << "\n\nk=v\n   \n"
                                                     << "k=v\n\n";
    QTest::newRow("CR is white space") << "[S]\r\nk = v\r\n"
                                       << "\n[S]\nk=v\n";
    QTest::newRow("Cyrillic names") << "[Раздел]\nключ_1=да"
                                    << "\n[Раздел]\nключ_1=да\n";
    QTest::newRow("key before header") << "a=1\n[S]\nb=2"
                                       << "a=1\n\n[S]\nb=2\n";
}

void TestIniReader::parse()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    iniReader ini;
    QVERIFY(ini.loadText(input));
    QCOMPARE(ini.toText(), expected);
}

void TestIniReader::readBool_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("def");
    QTest::addColumn<bool>("expected");

    for (const QString v : {"yes", "True", "t", "1", "10", "да", "Да"})
        QTest::newRow(qPrintable(v)) << v << false << true;
    for (const QString v : {"no", "0", "false", "on", "-1", "нет"})
        QTest::newRow(qPrintable(v)) << v << true << false;
    QTest::newRow("-- is the default") << QStringLiteral("--") << true << true;
    QTest::newRow("missing is the default") << QString() << true << true;
}

void TestIniReader::readBool()
{
    QFETCH(QString, stored);
    QFETCH(bool, def);
    QFETCH(bool, expected);
    iniReader ini;
    if (!stored.isNull())
        ini.loadText(QStringLiteral("[S]\nb=") + stored);
    QCOMPARE(ini.readBoolEntry(QStringLiteral("S:b"), def), expected);
}

void TestIniReader::readNum()
{
    iniReader ini;
    ini.loadText(QStringLiteral("a=42\nb=-3\nc=abc\nd=12px\ne=0x10"));
    QCOMPARE(ini.readNumEntry(QStringLiteral("a"), 7), 42);
    QCOMPARE(ini.readNumEntry(QStringLiteral("b"), 7), -3);
    for (const char *key : {"c", "d", "e", "missing"})
        QCOMPARE(ini.readNumEntry(QString::fromLatin1(key), 7), 7);

    // writeDefault stores the default itself, so the file shows it.
    QCOMPARE(ini.readEntry(QStringLiteral("S:s"), QStringLiteral("d"), true), QStringLiteral("d"));
    QCOMPARE(ini.readNumEntry(QStringLiteral("S:n"), 5, true), 5);
    QCOMPARE(ini.readBoolEntry(QStringLiteral("S:b"), true, true), true);
    QCOMPARE(ini.readEntry(QStringLiteral("S:s"), QStringLiteral("z"), true), QStringLiteral("d"));
    QVERIFY(ini.toText().endsWith(QStringLiteral("\n[S]\nb=true\nn=5\ns=d\n")));
}

void TestIniReader::keyResolution()
{
    iniReader ini;
    ini.loadText(QStringLiteral("top=0\n[G]\nk=1\n[H]\nk=2"));
    QCOMPARE(ini.readEntry(QStringLiteral("k"), QStringLiteral("-")), QStringLiteral("-"));
    QVERIFY(ini.setGroup(QStringLiteral("G")));
    QCOMPARE(ini.readEntry(QStringLiteral("k")), QStringLiteral("1"));
    QCOMPARE(ini.readEntry(QStringLiteral("H:k")), QStringLiteral("2"));
    QCOMPARE(ini.readEntry(QStringLiteral("top"), QStringLiteral("-")), QStringLiteral("-"));
    QCOMPARE(ini.readEntry(QStringLiteral("g:k"), QStringLiteral("-")), QStringLiteral("-"));

    QVERIFY(!ini.setGroup(QStringLiteral("A B")));
    QCOMPARE(ini.group(), QStringLiteral("G"));
    // An invalid section prefix means the current group when writing.
    ini.writeEntry(QStringLiteral("A B:k"), "9");
    QCOMPARE(ini.readEntry(QStringLiteral("G:k")), QStringLiteral("9"));
    const QString before = ini.toText();
    for (const char *bad : {"G:a-b", "G:", "G:x:y", ""})
        ini.writeEntry(QString::fromLatin1(bad), "1");
    QCOMPARE(ini.toText(), before);

    // A string literal must not be taken for a bool.
    ini.writeEntry(QStringLiteral("T:s"), "text");
    QCOMPARE(ini.readEntry(QStringLiteral("T:s")), QStringLiteral("text"));
}

void TestIniReader::placementAndDuplicates()
{
    iniReader ini;
    ini.loadText(QStringLiteral("# head\n[A]\na1=1\na1=dup\n[B]\nb1=1\n[A]\na9=9"));
    QCOMPARE(ini.readEntry(QStringLiteral("A:a1")), QStringLiteral("1"));
    ini.writeEntry(QStringLiteral("NEW:k1"), 1);
    ini.writeEntry(QStringLiteral("NEW:k2"), 2);
    ini.writeEntry(QStringLiteral("top1"), "x");
    ini.writeEntry(QStringLiteral("top2"), "y");
    ini.writeEntry(QStringLiteral("A:a2"), true);
    ini.writeEntry(QStringLiteral("A:a1"), 5);
    QCOMPARE(ini.toText(), QStringLiteral("top2=y\ntop1=x\n# head\n"
                                          "\n[A]\na2=true\na1=5\na1=dup\n"
                                          "\n[B]\nb1=1\n"
                                          "\n[A]\na9=9\n"
                                          "\n[NEW]\nk2=2\nk1=1\n"));

    // An empty value is written bare and dropped when read back.
    iniReader fresh;
    fresh.writeEntry(QStringLiteral("S:e"), QString());
    QCOMPARE(fresh.toText(), QStringLiteral("\n[S]\ne=\n"));
    fresh.loadText(fresh.toText());
    QCOMPARE(fresh.toText(), QStringLiteral("\n[S]\n"));
}

// Windows-1251 bytes, comments, CR LF lines, reverse key order, keys
// without a section at the top.
void TestIniReader::goldenFiles()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.ini"));
    const QString in = dataFile(QStringLiteral("roundtrip_in.ini"));

    iniReader ini;
    QVERIFY(ini.load(in));
    QCOMPARE(ini.readEntry(QStringLiteral("key0")), QStringLiteral("до заголовка"));
    QCOMPARE(ini.readEntry(QStringLiteral("СЛОВА:буква")), QStringLiteral("яЁё"));
    QVERIFY(ini.save(out));
    QCOMPARE(fileBytes(out), fileBytes(dataFile(QStringLiteral("roundtrip_out.ini"))));

    // A load and save of the written file changes nothing.
    QVERIFY(ini.load(out) && ini.save(out));
    const QByteArray second = fileBytes(out);
    QVERIFY(!second.contains("\n\n\n"));
    QVERIFY(ini.load(out) && ini.save(out));
    QCOMPARE(fileBytes(out), second);

    QVERIFY(ini.load(in));
    ini.writeEntry(QStringLiteral("ОКНО:ширина"), 120);
    QVERIFY(ini.setGroup(QStringLiteral("Раздел_2")));
    ini.writeEntry(QStringLiteral("k"), 5);
    ini.endGroup();
    ini.writeEntry(QStringLiteral("NEW:k1"), 1);
    ini.writeEntry(QStringLiteral("NEW:k2"), 2);
    ini.writeEntry(QStringLiteral("top1"), "a");
    ini.writeEntry(QStringLiteral("top2"), "b");
    ini.writeEntry(QStringLiteral("СЛОВА:новый"), "x");
    QVERIFY(ini.save(out));
    QCOMPARE(fileBytes(out), fileBytes(dataFile(QStringLiteral("modified.ini"))));

    ini.setGroup(QStringLiteral("S"));
    QVERIFY(!ini.load(dir.filePath(QStringLiteral("none.ini"))));
    QVERIFY(ini.entries().isEmpty());
    QCOMPARE(ini.group(), QString());
}

void TestIniReader::textFileHelpers()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("name.tar.txt"));
    QVERIFY(writeBytes(path, QByteArray("\xc0\xff\r\n\x31", 5)));
    QStringList facts;
    QString text;
    QVERIFY(SYST_FUNC::openTxtFile(path, text, &facts, true));
    QCOMPARE(text, QStringLiteral("Ая\r\n1")); // 0xFF is a letter, not the end
    QCOMPARE(facts, (QStringList{path, path, dir.path(), QStringLiteral("name.tar.txt"),
                                 QStringLiteral("tar.txt")}));

    text = QStringLiteral("old");
    QVERIFY(!SYST_FUNC::openTxtFile(dir.path(), text, &facts, true));
    QVERIFY(text.isEmpty());

    // Characters the code page lacks become "?"; LF stays LF.
    QVERIFY(SYST_FUNC::saveTxtFile(path, QStringLiteral("ё日\n€"), nullptr, true));
    QCOMPARE(fileBytes(path), QByteArray("\xb8?\n\x88"));
}

void TestIniReader::saveFailure_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("folder missing") << QStringLiteral("missing/settings.ini");
    QTest::newRow("path is a folder") << QStringLiteral("folder");
}

void TestIniReader::saveFailure()
{
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    iniReader ini;
    ini.writeEntry(QStringLiteral("S:k"), 1);
    QVERIFY(!ini.save(dir.filePath(relativePath)));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
}

void TestIniReader::saveFailureKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    const QByteArray old("\n[S]\nk=old\n");
    QVERIFY(writeBytes(path, old));

    // A file size limit makes the write fail part way, even for root.
    iniReader ini;
    ini.writeEntry(QStringLiteral("S:k"), QString(4096, QLatin1Char('x')));
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const bool ok = ini.save(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QCOMPARE(fileBytes(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("settings.ini")});
}

QTEST_GUILESS_MAIN(TestIniReader)
#include "test_ini_reader.moc"
