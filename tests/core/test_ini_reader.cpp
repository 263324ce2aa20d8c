#include "core/settings/ini_reader.h"
#include "core/settings/syst_func.h"

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
    void otherEditors_data();
    void otherEditors();
    void unicodeTextStaysUnicode();
    void lookalikeOfUtf8GetsAMark();
    void unstorableValues_data();
    void unstorableValues();
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
    QString error;
    QVERIFY(!ini.save(dir.filePath(relativePath), &error));
    QCOMPARE(error, relativePath == QLatin1String("folder")
                        ? QStringLiteral("По этому пути находится папка, а не файл")
                        : QStringLiteral("Папка не существует"));
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

void TestIniReader::otherEditors_data()
{
    QTest::addColumn<QString>("file");
    for (const char *name : {"editor_cp1251_lf.ini", "editor_cp1251_crlf.ini",
                             "editor_cp1251_cr.ini", "editor_utf8.ini", "editor_utf8_bom_crlf.ini",
                             "editor_utf16le_crlf.ini", "editor_utf16be_cr.ini"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The same settings saved by other editors read alike, and are written back
// in Windows-1251 with LF.
void TestIniReader::otherEditors()
{
    QFETCH(QString, file);
    iniReader ini;
    QVERIFY(ini.load(dataFile(file)));
    QCOMPARE(ini.readEntry(QStringLiteral("WORDS_CATEGORY:categs")),
             QStringLiteral("Еда,Дом,Природа,Ёлки и ёжики"));
    QCOMPARE(ini.readEntry(QStringLiteral("PATHS:dict_dir")), QStringLiteral("/home/user/Словари"));
    QCOMPARE(ini.readEntry(QStringLiteral("WORK_SETTINGS:lesson")), QStringLiteral("Урок 1"));
    QVERIFY(ini.readBoolEntry(QStringLiteral("WORK_SETTINGS:training")));
    QCOMPARE(ini.entries().size(), 8);

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(ini.save(out));
    QVERIFY(ini.saveNotes().isEmpty());
    QCOMPARE(fileBytes(out), fileBytes(dataFile(QStringLiteral("editor_out.ini"))));
}

// A character Windows-1251 lacks, typed into a Unicode file by the user,
// keeps the file Unicode rather than being lost.
void TestIniReader::unicodeTextStaysUnicode()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(writeBytes(path, "[WORDS_CATEGORY]\ncategs=Caf\xc3\xa9,\xd0\x95\xd0\xb4\xd0\xb0\n"));
    iniReader ini;
    QVERIFY(ini.load(path));
    ini.writeEntry(QStringLiteral("S:k"), QStringLiteral("日本"));
    QVERIFY(ini.save(path));
    QVERIFY(ini.saveNotes().isEmpty());
    QVERIFY(fileBytes(path).startsWith("\xef\xbb\xbf"));
    QVERIFY(ini.load(path));
    QCOMPARE(ini.readEntry(QStringLiteral("WORDS_CATEGORY:categs")), QStringLiteral("Café,Еда"));
    QCOMPARE(ini.readEntry(QStringLiteral("S:k")), QStringLiteral("日本"));

    // Once that text is gone the file is Windows-1251 again.
    ini.writeEntry(QStringLiteral("WORDS_CATEGORY:categs"), QStringLiteral("Еда"));
    ini.writeEntry(QStringLiteral("S:k"), QStringLiteral("Дом"));
    QVERIFY(ini.save(path));
    QCOMPARE(fileBytes(path), QByteArray("\n[WORDS_CATEGORY]\ncategs=\xc5\xe4\xe0\n\n[S]\n"
                                         "k=\xc4\xee\xec\n"));
}

// "Сё" in Windows-1251 is the UTF-8 of "ё": written so, it would come back
// changed, so it gets a UTF-8 byte-order mark.
void TestIniReader::lookalikeOfUtf8GetsAMark()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    iniReader ini;
    ini.writeEntry(QStringLiteral("k"), QStringLiteral("Сё"));
    QVERIFY(ini.save(path));
    QCOMPARE(fileBytes(path), QByteArray("\xef\xbb\xbfk=\xd0\xa1\xd1\x91\n"));
    QVERIFY(ini.load(path));
    QCOMPARE(ini.readEntry(QStringLiteral("k")), QStringLiteral("Сё"));
}

void TestIniReader::unstorableValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("reason"); // empty: stored as it is
    const QString marks = QStringLiteral("знаки «#» и «;» начинают в файле настроек комментарий");
    const QString blanks = QStringLiteral(
        "переводы строк, табуляции и лишние пробелы в файле настроек не сохраняются");
    QTest::newRow("path with #") << QStringLiteral("/home/u/C#/dicts") << marks;
    QTest::newRow("lesson with ;") << QStringLiteral("Урок; часть 2") << marks;
    QTest::newRow("line break") << QStringLiteral("a\n[S]\nk=x") << blanks;
    QTest::newRow("carriage return") << QStringLiteral("a\rb") << blanks;
    QTest::newRow("two blanks") << QStringLiteral("/home/u/My  Dicts") << blanks;
    QTest::newRow("blank at the end") << QStringLiteral("Урок ") << blanks;
    QTest::newRow("not in Windows-1251")
        << QStringLiteral("Café")
        << QStringLiteral("в кодировке Windows-1251 нет некоторых его "
                          "символов");
    QTest::newRow("equals signs and brackets are fine") << QStringLiteral("a=b [c]") << QString();
    QTest::newRow("empty is fine") << QString() << QString();
}

// A value the file cannot give back is never written cut: the value the file
// held is kept, or a new key is left out, and a note says which.
void TestIniReader::unstorableValues()
{
    QFETCH(QString, value);
    QFETCH(QString, reason);
    QCOMPARE(iniReader::unstorableReason(value), reason);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(writeBytes(path, "[PATHS]\ndict_dir=/old # note\n"));
    iniReader ini;
    QVERIFY(ini.load(path));
    ini.writeEntry(QStringLiteral("PATHS:dict_dir"), value);
    ini.writeEntry(QStringLiteral("PATHS:fresh"), value);
    ini.writeEntry(QStringLiteral("PATHS:other"), QStringLiteral("fine"));
    QVERIFY(ini.save(path));

    const QString said = QStringLiteral("Значение «") + value + QStringLiteral("» параметра ");
    if (reason.isEmpty()) {
        QVERIFY(ini.saveNotes().isEmpty());
    } else {
        QCOMPARE(ini.saveNotes(),
                 (QStringList{said + QStringLiteral("PATHS:fresh не сохранено: ") + reason,
                              said + QStringLiteral("PATHS:dict_dir не сохранено: ") + reason +
                                  QStringLiteral(". Оставлено прежнее значение «/old»")}));
    }
    iniReader back;
    QVERIFY(back.load(path));
    QCOMPARE(back.readEntry(QStringLiteral("PATHS:other")), QStringLiteral("fine"));
    if (reason.isEmpty() && !value.isEmpty()) {
        QCOMPARE(back.readEntry(QStringLiteral("PATHS:dict_dir")), value);
        QCOMPARE(back.readEntry(QStringLiteral("PATHS:fresh")), value);
    } else if (!reason.isEmpty()) {
        QCOMPARE(back.readEntry(QStringLiteral("PATHS:dict_dir")), QStringLiteral("/old"));
        QCOMPARE(back.readEntry(QStringLiteral("PATHS:fresh"), QStringLiteral("--")),
                 QStringLiteral("--"));
        QCOMPARE(back.entries().size(), 3); // header, dict_dir, other: no stray lines
    }
    // The comment of the kept line stays with it.
    for (const IniEntry &e : back.entries())
        if (e.key == QLatin1String("dict_dir"))
            QCOMPARE(e.comment, QStringLiteral(" note"));
}

QTEST_GUILESS_MAIN(TestIniReader)
#include "test_ini_reader.moc"
