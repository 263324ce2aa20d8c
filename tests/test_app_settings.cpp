#include "settings/app_settings.h"
#include "settings/ini_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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

QFont testFont()
{
    return QFont(QStringLiteral("DejaVu Sans"), 11);
}

iniReader storeOf(const QString &text)
{
    iniReader ini;
    ini.loadText(text);
    return ini;
}

} // namespace

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void defaultsWithoutFile();
    void numRightLearnClamp_data();
    void numRightLearnClamp();
    void helpPage_data();
    void helpPage();
    void colours_data();
    void colours();
    void font_data();
    void font();
    void appearanceRoundTrip();
    void geometryRoundTrip();
    void categoryListDefault();
    void categoryListFromFile();
    void closingPassGolden();
};

void TestAppSettings::defaultsWithoutFile()
{
    iniReader ini;
    const AppearanceSettings a = readAppearance(ini, testFont());
    QCOMPARE(a.font, testFont());
    QCOMPARE(a.fontColor, QColor(0, 0, 127));
    QCOMPARE(a.backgroundColor, QColor(0, 0, 0));
    QCOMPARE(a.contentsBackgroundColor, QColor(42, 85, 127));
    QCOMPARE(a.frameColor, QColor(255, 255, 255));
    QVERIFY(!a.showPartsNums);
    QVERIFY(!a.showSpeechParts);
    QVERIFY(!a.flashIfWrong);
    QVERIFY(a.vertical);
    QCOMPARE(a.numRightLearn, 3);
    QCOMPARE(a.settingsPage, 0);

    const TableSortOptions s = readSorting(ini);
    QVERIFY(!s.byFiles);
    QVERIFY(!s.byLessons);
    QVERIFY(s.byForeign);

    const MainFormGeometry m = readMainFormGeometry(ini);
    QCOMPARE(m.topX, 40);
    QCOMPARE(m.topY, 40);
    QCOMPARE(m.width, 0);
    QCOMPARE(m.height, 0);
    QCOMPARE(m.currentTab, 0);
    QCOMPARE(m.splitter2[1], 150);
    QCOMPARE(m.splitter3[0], 150);

    const WindowGeometry w = readWindowGeometry(ini, QStringLiteral("FILTER_FORM"));
    QCOMPARE(w.topX, 40);
    QCOMPARE(w.height, 0);
    QCOMPARE(readHelpPage(ini), 3);
    QCOMPARE(readDictDir(ini), QString());
    // Reading alone never adds anything but the category list.
    QVERIFY(ini.entries().isEmpty());
    QCOMPARE(ini.group(), QString());
}

void TestAppSettings::numRightLearnClamp_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("above") << "250" << 100;
    QTest::newRow("below") << "-3" << 0;
    QTest::newRow("edge 100") << "100" << 100;
    QTest::newRow("edge 0") << "0" << 0;
    QTest::newRow("inside") << "7" << 7;
    QTest::newRow("not a number") << "many" << 3;
}

void TestAppSettings::numRightLearnClamp()
{
    QFETCH(QString, stored);
    QFETCH(int, expected);
    iniReader ini = storeOf(QStringLiteral("[ANOTHER_SETTINGS]\nnum_right_learn=") + stored);
    QCOMPARE(readAppearance(ini, testFont()).numRightLearn, expected);
}

void TestAppSettings::helpPage_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("2") << "2" << 2;
    QTest::newRow("3") << "3" << 3;
    QTest::newRow("4") << "4" << 3;
    QTest::newRow("-1") << "-1" << 3;
    QTest::newRow("text") << "x" << 3;
}

void TestAppSettings::helpPage()
{
    QFETCH(QString, stored);
    QFETCH(int, expected);
    iniReader ini = storeOf(QStringLiteral("[HELP_PAGE]\ncurrent=") + stored);
    QCOMPARE(readHelpPage(ini), expected);
}

void TestAppSettings::colours_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QColor>("font");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("contents");

    QTest::newRow("all given") << "font_r=1\nfont_g=2\nfont_b=3\nbckg_r=4\nbckg_g=5\nbckg_b=6\n"
                                  "bckg_cont_r=7\nbckg_cont_g=8\nbckg_cont_b=9"
                               << QColor(1, 2, 3) << QColor(4, 5, 6) << QColor(7, 8, 9);
    QTest::newRow("one key missing keeps default")
        << "font_r=1\nfont_g=2\nbckg_r=4\nbckg_g=5" << QColor(0, 0, 127) << QColor(0, 0, 0)
        << QColor(42, 85, 127);
    QTest::newRow("-1 keeps default") << "font_r=1\nfont_g=-1\nfont_b=3" << QColor(0, 0, 127)
                                      << QColor(0, 0, 0) << QColor(42, 85, 127);
    QTest::newRow("contents derived from background")
        << "bckg_r=10\nbckg_g=20\nbckg_b=31\nbckg_cont_r=7\nbckg_cont_g=8" << QColor(0, 0, 127)
        << QColor(10, 20, 31) << QColor(47, 95, 143);
    QTest::newRow("white background") << "bckg_r=255\nbckg_g=255\nbckg_b=255" << QColor(0, 0, 127)
                                      << QColor(255, 255, 255) << QColor(170, 212, 255);
    QTest::newRow("out of range keeps default")
        << "font_r=300\nfont_g=0\nfont_b=0\nbckg_r=0\nbckg_g=-2\nbckg_b=0" << QColor(0, 0, 127)
        << QColor(0, 0, 0) << QColor(42, 85, 127);
}

void TestAppSettings::colours()
{
    QFETCH(QString, keys);
    QFETCH(QColor, font);
    QFETCH(QColor, background);
    QFETCH(QColor, contents);
    iniReader ini = storeOf(QStringLiteral("[SETTINGS_FONT]\n") + keys);
    const AppearanceSettings a = readAppearance(ini, testFont());
    QCOMPARE(a.fontColor, font);
    QCOMPARE(a.backgroundColor, background);
    QCOMPARE(a.contentsBackgroundColor, contents);
}

void TestAppSettings::font_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("fromFile");

    QTest::newRow("complete") << "font_family=Serif\nfont_size=14\nfont_weight=75" << true;
    QTest::newRow("no family") << "font_size=14\nfont_weight=75" << false;
    QTest::newRow("size 5") << "font_family=Serif\nfont_size=5\nfont_weight=75" << false;
    QTest::newRow("size 6") << "font_family=Serif\nfont_size=6\nfont_weight=75" << true;
    QTest::newRow("weight 10") << "font_family=Serif\nfont_size=14\nfont_weight=10" << false;
    QTest::newRow("weight 11") << "font_family=Serif\nfont_size=14\nfont_weight=11" << true;
}

void TestAppSettings::font()
{
    QFETCH(QString, keys);
    QFETCH(bool, fromFile);
    iniReader ini = storeOf(QStringLiteral("[SETTINGS_FONT]\nfont_italic=true\n") + keys);
    const QFont f = readAppearance(ini, testFont()).font;
    if (!fromFile) {
        QCOMPARE(f, testFont());
        return;
    }
    QCOMPARE(f.family(), QStringLiteral("Serif"));
    QVERIFY(f.italic());
    QVERIFY(f.pointSize() >= 6);
}

void TestAppSettings::appearanceRoundTrip()
{
    AppearanceSettings a;
    a.font = QFont(QStringLiteral("Liberation Serif"), 16);
    a.font.setBold(true);
    a.font.setItalic(true);
    a.fontColor = QColor(10, 20, 30);
    a.backgroundColor = QColor(200, 210, 220);
    a.contentsBackgroundColor = QColor(1, 2, 3);
    a.showPartsNums = true;
    a.flashIfWrong = true;
    a.vertical = false;
    a.numRightLearn = 9;
    a.settingsPage = 2;

    iniReader ini;
    writeAppearance(ini, a);
    // Files keep the old weight scale: bold is 75.
    QCOMPARE(ini.readNumEntry(QStringLiteral("SETTINGS_FONT:font_weight")), 75);
    iniReader reloaded = storeOf(ini.toText());
    const AppearanceSettings b = readAppearance(reloaded, testFont());
    QCOMPARE(b.font.family(), a.font.family());
    QCOMPARE(b.font.pointSize(), 16);
    QCOMPARE(b.font.weight(), QFont::Bold);
    QVERIFY(b.font.italic());
    QCOMPARE(b.fontColor, a.fontColor);
    QCOMPARE(b.backgroundColor, a.backgroundColor);
    QCOMPARE(b.contentsBackgroundColor, a.contentsBackgroundColor);
    QCOMPARE(b.showPartsNums, true);
    QCOMPARE(b.showSpeechParts, false);
    QCOMPARE(b.flashIfWrong, true);
    QCOMPARE(b.vertical, false);
    QCOMPARE(b.numRightLearn, 9);
    QCOMPARE(b.settingsPage, 2);
}

void TestAppSettings::geometryRoundTrip()
{
    iniReader ini;
    MainFormGeometry m;
    m.topX = -5;
    m.topY = 7;
    m.width = 800;
    m.height = 600;
    m.currentTab = 2;
    m.splitter2[0] = 11;
    m.splitter2[1] = 22;
    m.splitter3[0] = 33;
    m.splitter3[1] = 44;
    writeMainFormGeometry(ini, m);
    writeWindowGeometry(ini, QStringLiteral("ONE_WORD_FORM"), {1, 2, 3, 4});
    writeSorting(ini, {true, true, false});
    writeDictDir(ini, QStringLiteral("/home/user/мои словари"));
    writeHelpPage(ini, 1);

    iniReader reloaded = storeOf(ini.toText());
    const MainFormGeometry r = readMainFormGeometry(reloaded);
    QCOMPARE(r.topX, -5);
    QCOMPARE(r.topY, 7);
    QCOMPARE(r.width, 800);
    QCOMPARE(r.height, 600);
    QCOMPARE(r.currentTab, 2);
    QCOMPARE(r.splitter2[0], 11);
    QCOMPARE(r.splitter2[1], 22);
    QCOMPARE(r.splitter3[0], 33);
    QCOMPARE(r.splitter3[1], 44);
    const WindowGeometry w = readWindowGeometry(reloaded, QStringLiteral("ONE_WORD_FORM"));
    QCOMPARE(w.topX, 1);
    QCOMPARE(w.topY, 2);
    QCOMPARE(w.width, 3);
    QCOMPARE(w.height, 4);
    const TableSortOptions s = readSorting(reloaded);
    QVERIFY(s.byFiles);
    QVERIFY(s.byLessons);
    QVERIFY(!s.byForeign);
    QCOMPARE(readDictDir(reloaded), QStringLiteral("/home/user/мои словари"));
    QCOMPARE(readHelpPage(reloaded), 1);
}

void TestAppSettings::categoryListDefault()
{
    iniReader ini;
    bool usedDefault = false;
    const StringSet names = readCategoryList(ini, &usedDefault);
    QVERIFY(usedDefault);
    QCOMPARE(names.size(), size_t(26));
    QVERIFY(names.count(QStringLiteral("Неправильные глаголы")));
    QVERIFY(names.count(QStringLiteral("СМИ")));
    QCOMPARE(ini.toText(),
             QStringLiteral("\n[WORDS_CATEGORY]\ncategs=") + defaultCategoriesText() + '\n');
    QCOMPARE(missingCategoriesWarning(),
             QStringLiteral("Отсутствует список категорий в файле настроек (или отсутствует "
                            "файл)\nБудет установлен список категорий по умолчанию"));

    // Once written, the next read finds it.
    readCategoryList(ini, &usedDefault);
    QVERIFY(!usedDefault);
}

void TestAppSettings::categoryListFromFile()
{
    const QString text = QStringLiteral("[WORDS_CATEGORY]\ncategs=Еда,,Дом,Еда,Мои слова\n");
    iniReader ini = storeOf(text);
    bool usedDefault = true;
    const StringSet names = readCategoryList(ini, &usedDefault);
    QVERIFY(!usedDefault);
    QCOMPARE(names, (StringSet{QStringLiteral("Дом"), QStringLiteral("Еда"),
                               QStringLiteral("Мои слова")}));
    QCOMPARE(ini.toText(), storeOf(text).toText());
}

// The keys of a first run: the category list at start, a dialog and the
// dictionary folder during the session, then the closing pass.
void TestAppSettings::closingPassGolden()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("settings.ini"));

    iniReader ini;
    QVERIFY(!ini.load(path));
    bool usedDefault = false;
    readCategoryList(ini, &usedDefault);
    QVERIFY(usedDefault);
    const MainFormGeometry geometry = readMainFormGeometry(ini);
    const AppearanceSettings appearance = readAppearance(ini, testFont());
    const TableSortOptions sorting = readSorting(ini);
    const int helpPage = readHelpPage(ini);

    WindowGeometry filterForm = readWindowGeometry(ini, QStringLiteral("FILTER_FORM"));
    filterForm = {50, 60, 400, 300};
    writeWindowGeometry(ini, QStringLiteral("FILTER_FORM"), filterForm);
    QCOMPARE(readDictDir(ini), QString());
    writeDictDir(ini, QStringLiteral("/home/user/словари"));

    writeMainFormGeometry(ini, geometry);
    writeAppearance(ini, appearance);
    writeSorting(ini, sorting);
    writeHelpPage(ini, helpPage);
    QVERIFY(ini.save(path));
    QCOMPARE(fileBytes(path), fileBytes(dataFile(QStringLiteral("settings_fresh.ini"))));
}

QTEST_GUILESS_MAIN(TestAppSettings)
#include "test_app_settings.moc"
