#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"
#include "core/settings/work_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Which folder the program works in, and what a first start puts into the
// per-user folder. Real files in a temporary folder.
class TestWorkFolder : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;

    QString at(const QString &relative) const { return m_root->filePath(relative); }
    QString user() const { return at("home/lexitor"); }

    void touch(const QString &relative, const QByteArray &content = "x")
    {
        const QString path = at(relative);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // An installed data folder: pictures, example dictionaries (one of them
    // installed read-only) and the example sound.
    QString makeData(const QString &name = QStringLiteral("data"))
    {
        touch(name + "/icons/Caption_icon.png", "caption");
        touch(name + "/icons/Open_files.png", "open");
        touch(name + "/examples/a.xml", "dictionary a");
        touch(name + "/examples/b.xml", "dictionary b");
        touch(name + "/examples/notes.txt");
        touch(name + "/sounds/cat.wav", "miaow");
        QFile::setPermissions(at(name + "/examples/b.xml"), QFile::ReadOwner | QFile::ReadOther);
        return at(name);
    }

    iniReader userSettings() const
    {
        iniReader ini;
        ini.load(QDir(user()).filePath("settings.ini"));
        return ini;
    }

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        QVERIFY(QDir().mkpath(at("start")));
    }

    void cleanup() { m_root.reset(); }

    void chooses_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("userFolder");
        QTest::newRow("settings of an earlier start")
            << QStringList{"settings.ini"} << true << false;
        QTest::newRow("button pictures, as the run script lays them out")
            << QStringList{"icons/Caption_icon.png"} << true << false;
        QTest::newRow("empty folder, as from the menu") << QStringList{} << true << true;
        QTest::newRow("the user's own icons folder")
            << QStringList{"icons/holiday.png"} << true << true;
        QTest::newRow("a folder named settings.ini")
            << QStringList{"settings.ini/x"} << true << true;
        QTest::newRow("read-only folder with settings")
            << QStringList{"settings.ini"} << false << true;
        QTest::newRow("the installed pictures themselves")
            << QStringList{"icons/Caption_icon.png"} << false << true;
    }

    void chooses()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, writable);
        QFETCH(bool, userFolder);
        for (const QString &f : files)
            touch("start/" + f);
        QStringList asked;
        const WorkFolder folder =
            chooseWorkFolder(at("start"), user(), makeData(), [&](const QString &dir) {
                asked << dir;
                return writable;
            });
        QCOMPARE(folder.userFolder, userFolder);
        QCOMPARE(folder.path, userFolder ? user() : at("start"));
        QVERIFY2(folder.problems.isEmpty(), qPrintable(folder.problems.join('\n')));
        // The user folder is made only when it is used.
        QCOMPARE(QFileInfo::exists(user()), userFolder);
        // The started-in folder is never changed.
        QCOMPARE(QDir(at("start")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                 files.isEmpty() ? 0 : 1);
    }

    void firstStartFillsTheUserFolder()
    {
        const QString data = makeData();
        const WorkFolder folder = chooseWorkFolder(at("start"), user(), data);
        QVERIFY(folder.userFolder);
        QVERIFY2(folder.problems.isEmpty(), qPrintable(folder.problems.join('\n')));

        // The pictures are used where they are installed: nothing in the
        // folder points into files a removed package takes away.
        const QFileInfo icons(user() + "/icons");
        QVERIFY(!icons.exists());
        QVERIFY(!icons.isSymLink());

        QCOMPARE(bytes(user() + "/sounds/cat.wav"), QByteArray("miaow"));
        QCOMPARE(QDir(user() + "/examples").entryList(QDir::Files),
                 (QStringList{"a.xml", "b.xml"}));
        // A dictionary installed read-only is the learner's own copy, so the
        // counters of a run can be saved into it.
        QVERIFY(QFile::permissions(user() + "/examples/b.xml") & QFile::WriteOwner);

        iniReader ini = userSettings();
        QCOMPARE(readDictDir(ini), user() + "/examples");
        bool defaultCategories = true;
        QVERIFY(readCategoryList(ini, &defaultCategories).size() > 20);
        QVERIFY(!defaultCategories); // no warning at the first start
        const AppearanceSettings look = readAppearance(ini, QFont(QStringLiteral("Serif"), 9));
        QCOMPARE(look.font.family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(look.font.pointSize(), 14);
        QCOMPARE(look.backgroundColor, QColor(236, 236, 236));
    }

    // The first settings file byte for byte: its sections, key names and
    // values in the order the store writes them, with and without the
    // example dictionaries to start the open dialog in.
    void firstSettingsBytes_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QByteArray>("paths");
        QTest::newRow("with examples") << true << QByteArray("[PATHS]\ndict_dir=%1/examples\n\n");
        QTest::newRow("without installed files") << false << QByteArray();
    }

    void firstSettingsBytes()
    {
        QFETCH(bool, installed);
        QFETCH(QByteArray, paths);
        chooseWorkFolder(at("start"), user(), installed ? makeData() : QString());
        const QByteArray expected =
            "\n[WORDS_CATEGORY]\ncategs=" +
            QStringEncoder("windows-1251").encode(defaultCategoriesText()) + "\n\n" +
            paths.replace("%1", user().toLocal8Bit()) +
            "[SETTINGS_FONT]\nbckg_b=236\nbckg_g=236\nbckg_r=236\nfont_b=127\nfont_g=0\n"
            "font_r=0\nfont_italic=false\nfont_weight=50\nfont_size=14\n"
            "font_family=DejaVu Sans\n";
        QCOMPARE(bytes(user() + "/settings.ini"), expected);
    }

    void laterStartsKeepWhatTheUserChanged()
    {
        const QString data = makeData();
        chooseWorkFolder(at("start"), user(), data);
        touch("home/lexitor/settings.ini", "[PATHS]\ndict_dir=/somewhere\n");
        QVERIFY(QFile::remove(user() + "/examples/a.xml"));
        QVERIFY(QFile::remove(user() + "/sounds/cat.wav"));

        const WorkFolder again = chooseWorkFolder(at("start"), user(), data);
        QVERIFY(again.userFolder);
        QVERIFY(again.problems.isEmpty());
        QCOMPARE(bytes(user() + "/settings.ini"), QByteArray("[PATHS]\ndict_dir=/somewhere\n"));
        QVERIFY(!QFileInfo::exists(user() + "/examples/a.xml"));
        QVERIFY(!QFileInfo::exists(user() + "/sounds/cat.wav"));
    }

    void missingPicturesAreFilledIn_data()
    {
        QTest::addColumn<bool>("danglingLink");
        QTest::addColumn<bool>("liveLink");
        QTest::newRow("own pictures folder lacking one") << false << false;
        QTest::newRow("link to a removed installation") << true << false;
        QTest::newRow("link to the installed pictures") << false << true;
    }

    void missingPicturesAreFilledIn()
    {
        QFETCH(bool, danglingLink);
        QFETCH(bool, liveLink);
        const QString data = makeData();
        QVERIFY(QDir().mkpath(user()));
        if (danglingLink)
            QVERIFY(QFile::link(at("gone/icons"), user() + "/icons"));
        else if (liveLink)
            QVERIFY(QFile::link(data + "/icons", user() + "/icons"));
        else
            touch("home/lexitor/icons/Caption_icon.png", "mine");

        const QStringList problems = prepareUserFolder(user(), data);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        // A link an earlier version made is gone; the installed pictures
        // are found where they are.
        const QFileInfo icons(user() + "/icons");
        QVERIFY(!icons.isSymLink());
        if (danglingLink || liveLink) {
            QVERIFY(!icons.exists());
            QCOMPARE(bytes(data + "/icons/Caption_icon.png"), QByteArray("caption"));
            return;
        }
        QCOMPARE(bytes(user() + "/icons/Caption_icon.png"), QByteArray("mine"));
        QCOMPARE(bytes(user() + "/icons/Open_files.png"), QByteArray("open"));
    }

    void startsWithoutInstalledFiles()
    {
        const WorkFolder folder = chooseWorkFolder(at("start"), user(), QString());
        QVERIFY(folder.userFolder);
        QCOMPARE(folder.problems.size(), 1);
        QVERIFY(folder.problems.first().contains("Не найдены установленные файлы программы"));
        QVERIFY(QFileInfo(user() + "/sounds").isDir());
        QVERIFY(!QFileInfo::exists(user() + "/examples"));
        iniReader ini = userSettings();
        // No examples: the open dialog starts where the system chooses.
        QCOMPARE(readDictDir(ini), QString());
        bool defaultCategories = true;
        readCategoryList(ini, &defaultCategories);
        QVERIFY(!defaultCategories);
    }

    void userFolderThatCannotBeMade()
    {
        touch("home/plain-file");
        const QString impossible = at("home/plain-file/lexitor");
        const WorkFolder folder = chooseWorkFolder(at("start"), impossible, makeData());
        QCOMPARE(folder.path, impossible);
        QCOMPARE(folder.problems,
                 QStringList{QStringLiteral("Не удалось создать рабочую папку ") + impossible});
    }

    void noUserFolderKnownStaysWhereStarted()
    {
        const WorkFolder folder = chooseWorkFolder(at("start"), QString(), makeData());
        QVERIFY(!folder.userFolder);
        QCOMPARE(folder.path, at("start"));
        QCOMPARE(folder.problems.size(), 1);
    }

    void findsTheInstalledFiles()
    {
        touch("no-pictures/examples/a.xml");
        makeData("installed");
        makeData("build");
        QCOMPARE(findDataFolder({at("missing"), at("no-pictures"), at("installed"), at("build")}),
                 at("installed"));
        QCOMPARE(findDataFolder({at("missing"), QString()}), QString());
        // Beside the installed program first, whatever the prefix was.
        const QStringList candidates = installedDataFolders(QStringLiteral("/opt/x/bin"));
        QCOMPARE(candidates.first(), QStringLiteral("/opt/x/share/lexitor"));
        QCOMPARE(candidates.last(), QStringLiteral("/opt/x/bin"));
    }
};

QTEST_GUILESS_MAIN(TestWorkFolder)
#include "test_work_folder.moc"
