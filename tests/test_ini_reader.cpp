#include "settings/ini_reader.h"
#include "settings/syst_func.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace
{

QString dataFile(const QString &name)
{
    return qEnvironmentVariable("LEXITOR_TEST_DATA") + QLatin1String("/ini/") + name;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<cannot read ") + path.toLocal8Bit() + '>';
    return f.readAll();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestIniReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void parse_data();
    void parse();
    void commentAndSpacesInValue();

    void readBool_data();
    void readBool();
    void readNum_data();
    void readNum();

    void keyResolution();
    void duplicateKeysOnlyFirstCounts();
    void newKeyPlacement();
    void readEntryWriteDefault();

    void goldenRoundTrip();
    void goldenModified();
    void loadMissingFile();
    void fileFacts();
    void saveFailure_data();
    void saveFailure();
    void saveFailureKeepsOldFile();
};

void TestIniReader::initTestCase()
{
    QVERIFY2(!qEnvironmentVariable("LEXITOR_TEST_DATA").isEmpty(), "LEXITOR_TEST_DATA is not set");
}

void TestIniReader::parse_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("header then key") << "[S]\nk=v"
                                     << "\n[S]\nk=v\n";
    QTest::newRow("invalid headers dropped") << "[A B]\n[]\n[S\n[a-b]\n[S]\nk=v"
                                             << "\n[S]\nk=v\n";
    QTest::newRow("text after header ignored") << "[S] tail ; x\nk=v"
                                               << "\n[S]\nk=v\n";
    QTest::newRow("header with blanks inside dropped") << "[ S ]\nk=v"
                                                       << "k=v\n";
    QTest::newRow("indented header") << "   [S]  \nk=v"
                                     << "\n[S]\nk=v\n";
    QTest::newRow("invalid key dropped") << "a-b=1\nc d=2\nok=3"
                                         << "ok=3\n";
    QTest::newRow("empty value dropped") << "x=\nx = \ny=1"
                                         << "y=1\n";
    QTest::newRow("empty key dropped") << "=1\n = 2\ny=1"
                                       << "y=1\n";
    QTest::newRow("no equals dropped") << "just text\ny=1"
                                       << "y=1\n";
    QTest::newRow("value keeps later equals") << "f = a=b"
                                              << "f=a=b\n";
    QTest::newRow("semicolon comment becomes hash") << "; note"
                                                    << "# note\n";
    QTest::newRow("first marker wins") << "k=v ; a # b"
                                       << "k=v # a # b\n";
    QTest::newRow("empty comment") << "k=v ;\n#"
                                   << "k=v\n\n";
    QTest::newRow("empty lines dropped") << "\n\nk=v\n\n"
                                         << "k=v\n";
    QTest::newRow("blank line kept as blank") << "k=v\n   \nj=w"
                                              << "k=v\n\nj=w\n";
    QTest::newRow("CR before LF is white space") << "[S]\r\nk = v\r\n"
                                                 << "\n[S]\nk=v\n";
    QTest::newRow("Cyrillic names") << "[Раздел]\nключ_1=значение"
                                    << "\n[Раздел]\nключ_1=значение\n";
    QTest::newRow("key before header has no section") << "a=1\n[S]\nb=2"
                                                      << "a=1\n\n[S]\nb=2\n";
    QTest::newRow("invalid header keeps previous section") << "[S]\na=1\n[A B]\nb=2"
                                                           << "\n[S]\na=1\nb=2\n";
}

void TestIniReader::parse()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    iniReader ini;
    QVERIFY(ini.loadText(input));
    QCOMPARE(ini.toText(), expected);
}

void TestIniReader::commentAndSpacesInValue()
{
    iniReader ini;
    ini.loadText(QStringLiteral("[S]\nkey = some   value ; note\n[T]\nkey=other"));
    QCOMPARE(ini.readEntry(QStringLiteral("S:key")), QStringLiteral("some value"));
    QCOMPARE(ini.readEntry(QStringLiteral("T:key")), QStringLiteral("other"));
    const IniEntry &e = ini.entries().at(1);
    QCOMPARE(e.kind, int(IniEntry::Key));
    QCOMPARE(e.section, QStringLiteral("S"));
    QCOMPARE(e.comment, QStringLiteral(" note"));
    QCOMPARE(ini.toText(), QStringLiteral("\n[S]\nkey=some value # note\n\n[T]\nkey=other\n"));
}

void TestIniReader::readBool_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("def");
    QTest::addColumn<bool>("expected");

    for (const char *v : {"yes", "Yes", "True", "t", "1", "10"}) {
        QTest::newRow(v) << QString::fromUtf8(v) << false << true;
    }
    QTest::newRow("да") << QStringLiteral("да") << false << true;
    QTest::newRow("Да") << QStringLiteral("Да") << false << true;
    for (const char *v : {"no", "0", "false", "on", "-1"}) {
        QTest::newRow(v) << QString::fromUtf8(v) << true << false;
    }
    QTest::newRow("нет") << QStringLiteral("нет") << true << false;
    QTest::newRow("-- gives default true") << QStringLiteral("--") << true << true;
    QTest::newRow("-- gives default false") << QStringLiteral("--") << false << false;
    QTest::newRow("missing gives default") << QString() << true << true;
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

void TestIniReader::readNum_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("number") << QStringLiteral("42") << 42;
    QTest::newRow("negative") << QStringLiteral("-3") << -3;
    QTest::newRow("not a number") << QStringLiteral("abc") << 7;
    QTest::newRow("trailing text") << QStringLiteral("12px") << 7;
    QTest::newRow("hex is not decimal") << QStringLiteral("0x10") << 7;
    QTest::newRow("missing") << QString() << 7;
}

void TestIniReader::readNum()
{
    QFETCH(QString, stored);
    QFETCH(int, expected);
    iniReader ini;
    if (!stored.isNull())
        ini.loadText(QStringLiteral("n=") + stored);
    QCOMPARE(ini.readNumEntry(QStringLiteral("n"), 7), expected);
}

void TestIniReader::keyResolution()
{
    iniReader ini;
    ini.loadText(QStringLiteral("top=0\n[G]\nk=1\n[H]\nk=2"));

    QCOMPARE(ini.readEntry(QStringLiteral("k"), QStringLiteral("none")), QStringLiteral("none"));
    QCOMPARE(ini.readEntry(QStringLiteral("top")), QStringLiteral("0"));
    QVERIFY(ini.setGroup(QStringLiteral("G")));
    QCOMPARE(ini.readEntry(QStringLiteral("k")), QStringLiteral("1"));
    QCOMPARE(ini.readEntry(QStringLiteral("H:k")), QStringLiteral("2"));
    QCOMPARE(ini.readEntry(QStringLiteral("top"), QStringLiteral("none")), QStringLiteral("none"));
    QCOMPARE(ini.readEntry(QStringLiteral("G:"), QStringLiteral("def")), QStringLiteral("def"));

    // A refused group name keeps the old group.
    QVERIFY(!ini.setGroup(QStringLiteral("A B")));
    QCOMPARE(ini.group(), QStringLiteral("G"));

    // An invalid section prefix means the current group when writing.
    ini.writeEntry(QStringLiteral("A B:k"), QStringLiteral("9"));
    QCOMPARE(ini.readEntry(QStringLiteral("G:k")), QStringLiteral("9"));
    // Invalid and empty key names are ignored.
    const QString before = ini.toText();
    ini.writeEntry(QStringLiteral("G:a-b"), QStringLiteral("1"));
    ini.writeEntry(QStringLiteral("G:"), QStringLiteral("1"));
    ini.writeEntry(QStringLiteral("G:x:y"), QStringLiteral("1"));
    QCOMPARE(ini.toText(), before);

    QVERIFY(ini.endGroup());
    QCOMPARE(ini.group(), QString());
    QVERIFY(ini.setGroup(QStringLiteral("H")));
    QVERIFY(ini.setGroup(QString()));
    QCOMPARE(ini.group(), QString());

    // Names are case-sensitive.
    QCOMPARE(ini.readEntry(QStringLiteral("g:k"), QStringLiteral("none")), QStringLiteral("none"));

    // Typed writers; a literal must not turn into "true".
    ini.writeEntry(QStringLiteral("T:s"), "text");
    ini.writeEntry(QStringLiteral("T:b"), false);
    ini.writeEntry(QStringLiteral("T:n"), -12);
    QCOMPARE(ini.readEntry(QStringLiteral("T:s")), QStringLiteral("text"));
    QCOMPARE(ini.readEntry(QStringLiteral("T:b")), QStringLiteral("false"));
    QCOMPARE(ini.readNumEntry(QStringLiteral("T:n")), -12);
}

void TestIniReader::duplicateKeysOnlyFirstCounts()
{
    iniReader ini;
    ini.loadText(QStringLiteral("[S]\nk=1\nk=2"));
    QCOMPARE(ini.readEntry(QStringLiteral("S:k")), QStringLiteral("1"));
    ini.writeEntry(QStringLiteral("S:k"), QStringLiteral("3"));
    QCOMPARE(ini.toText(), QStringLiteral("\n[S]\nk=3\nk=2\n"));
}

void TestIniReader::newKeyPlacement()
{
    iniReader ini;
    ini.loadText(QStringLiteral("# head\n[A]\na1=1\n[B]\nb1=1\n[A]\na9=9"));
    ini.writeEntry(QStringLiteral("NEW:k1"), QStringLiteral("1"));
    ini.writeEntry(QStringLiteral("NEW:k2"), QStringLiteral("2"));
    ini.writeEntry(QStringLiteral("top1"), QStringLiteral("x"));
    ini.writeEntry(QStringLiteral("top2"), QStringLiteral("y"));
    // Goes after the first header of its section, not the second one.
    ini.writeEntry(QStringLiteral("A:a2"), QStringLiteral("2"));
    // Replacing a value keeps its place.
    ini.writeEntry(QStringLiteral("B:b1"), QStringLiteral("5"));
    QCOMPARE(ini.toText(), QStringLiteral("top2=y\ntop1=x\n# head\n"
                                          "\n[A]\na2=2\na1=1\n"
                                          "\n[B]\nb1=5\n"
                                          "\n[A]\na9=9\n"
                                          "\n[NEW]\nk2=2\nk1=1\n"));
    // The first-found key is the one in the first [A].
    QCOMPARE(ini.readEntry(QStringLiteral("A:a9")), QStringLiteral("9"));

    // An empty value is written bare and dropped when read back.
    iniReader fresh;
    fresh.writeEntry(QStringLiteral("S:e"), QString());
    QCOMPARE(fresh.toText(), QStringLiteral("\n[S]\ne=\n"));
    fresh.loadText(fresh.toText());
    QCOMPARE(fresh.toText(), QStringLiteral("\n[S]\n"));
}

void TestIniReader::readEntryWriteDefault()
{
    iniReader ini;
    QCOMPARE(ini.readEntry(QStringLiteral("S:k"), QStringLiteral("d")), QStringLiteral("d"));
    QVERIFY(ini.entries().isEmpty());
    QCOMPARE(ini.readEntry(QStringLiteral("S:k"), QStringLiteral("d"), true), QStringLiteral("d"));
    QCOMPARE(ini.toText(), QStringLiteral("\n[S]\nk=d\n"));
    // Found now: the stored value wins over a new default.
    QCOMPARE(ini.readEntry(QStringLiteral("S:k"), QStringLiteral("z"), true), QStringLiteral("d"));

    // Numbers and booleans store their real default, so the file shows it.
    QCOMPARE(ini.readNumEntry(QStringLiteral("S:n"), 5, true), 5);
    QCOMPARE(ini.readBoolEntry(QStringLiteral("S:b"), true, true), true);
    QCOMPARE(ini.readEntry(QStringLiteral("S:n")), QStringLiteral("5"));
    QCOMPARE(ini.readEntry(QStringLiteral("S:b")), QStringLiteral("true"));
}

void TestIniReader::goldenRoundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out.ini"));

    iniReader ini;
    QVERIFY(ini.load(dataFile(QStringLiteral("roundtrip_in.ini"))));
    QCOMPARE(ini.readEntry(QStringLiteral("ОКНО:ширина")), QStringLiteral("100"));
    QCOMPARE(ini.readEntry(QStringLiteral("key0")), QStringLiteral("до заголовка"));
    QCOMPARE(ini.readEntry(QStringLiteral("СЛОВА:буква")), QStringLiteral("яЁё"));
    QVERIFY(ini.save(out));
    QCOMPARE(fileBytes(out), fileBytes(dataFile(QStringLiteral("roundtrip_out.ini"))));

    // Loading drops the blank line that came from a whitespace line; after
    // that, saving what was loaded changes nothing.
    iniReader again;
    QVERIFY(again.load(out));
    QVERIFY(again.save(out));
    const QByteArray second = fileBytes(out);
    QVERIFY(!second.contains("\n\n\n"));
    QVERIFY(again.load(out));
    QVERIFY(again.save(out));
    QCOMPARE(fileBytes(out), second);
}

void TestIniReader::goldenModified()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out.ini"));

    iniReader ini;
    QVERIFY(ini.load(dataFile(QStringLiteral("roundtrip_in.ini"))));
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
}

void TestIniReader::loadMissingFile()
{
    QTemporaryDir dir;
    iniReader ini;
    ini.loadText(QStringLiteral("[S]\nk=v"));
    ini.setGroup(QStringLiteral("S"));
    QVERIFY(!ini.load(dir.filePath(QStringLiteral("none.ini"))));
    QVERIFY(ini.entries().isEmpty());
    QCOMPARE(ini.group(), QString());

    QString text = QStringLiteral("old");
    QVERIFY(!SYST_FUNC::openTxtFile(dir.path(), text, nullptr, true));
    QVERIFY(text.isEmpty());
}

void TestIniReader::fileFacts()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("name.tar.txt"));
    QVERIFY(writeBytes(path, QByteArray("\xc0\xff\r\n\x31", 5)));

    QStringList facts;
    QString text;
    QVERIFY(SYST_FUNC::openTxtFile(path, text, &facts, true));
    // Bytes come in as they are: no line-end translation, 0xFF is a letter.
    QCOMPARE(text, QStringLiteral("Ая\r\n1"));
    QCOMPARE(facts, (QStringList{path, path, dir.path(), QStringLiteral("name.tar.txt"),
                                 QStringLiteral("tar.txt")}));

    const QString relative = QStringLiteral("sub/file.ini");
    QStringList saveFacts;
    SYST_FUNC::saveTxtFile(dir.filePath(relative), QString(), &saveFacts, true);
    QCOMPARE(saveFacts.size(), 5);
    QCOMPARE(saveFacts.at(3), QStringLiteral("file.ini"));
    QCOMPARE(saveFacts.at(4), QStringLiteral("ini"));

    // Characters the code page lacks become "?", the rest stays.
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QVERIFY(SYST_FUNC::saveTxtFile(out, QStringLiteral("ё日\n€"), nullptr, true));
    QCOMPARE(fileBytes(out), QByteArray("\xb8?\n\x88"));
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

    // A file size limit makes the write fail part way, whoever runs the test.
    iniReader ini;
    ini.writeEntry(QStringLiteral("S:k"), QString(4096, QLatin1Char('x')));
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
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
