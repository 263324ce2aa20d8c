#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"

#include "test_cards.h"
#include <QFile>
#include <QTemporaryDir>

#include <QtTest>

static QString dataFile(const QString &name)
{
    return testDataPath(QLatin1String("ini/") + name);
}

static QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

static iniReader storeOf(const QString &text)
{
    iniReader ini;
    ini.loadText(text);
    return ini;
}

static QFont appFont()
{
    return QFont(QStringLiteral("DejaVu Sans"), 11);
}

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void defaultsWithoutFile();
    void rangeRules_data();
    void rangeRules();
    void colours_data();
    void colours();
    void font_data();
    void font();
    void oldWeightScaleRoundTrip();
    void categoryList();
    void closingPassGolden();
};

void TestAppSettings::defaultsWithoutFile()
{
    iniReader ini;
    const AppearanceSettings a = readAppearance(ini, appFont());
    QCOMPARE(a.font, appFont());
    QCOMPARE(a.fontColor, QColor(0, 0, 127));
    QCOMPARE(a.backgroundColor, QColor(0, 0, 0));
    QCOMPARE(a.contentsBackgroundColor, QColor(42, 85, 127));
    QVERIFY(a.vertical && !a.showPartsNums && !a.showSpeechParts && !a.flashIfWrong);
    QCOMPARE(a.numRightLearn, 3);
    QVERIFY(readSorting(ini).byForeign);
    const MainFormGeometry m = readMainFormGeometry(ini);
    QCOMPARE(QList<int>({m.topX, m.topY, m.width, m.height, m.currentTab, m.splitter2[1]}),
             QList<int>({40, 40, 0, 0, 0, 150}));
    QCOMPARE(readWindowGeometry(ini, QStringLiteral("FILTER_FORM")).topY, 40);
    QCOMPARE(readHelpPage(ini), 3);
    QVERIFY(ini.entries().isEmpty());
}

void TestAppSettings::rangeRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("numRightLearn");
    QTest::addColumn<int>("helpPage");

    QTest::newRow("inside") << "[ANOTHER_SETTINGS]\nnum_right_learn=7\n[HELP_PAGE]\ncurrent=0" << 7
                            << 0;
    QTest::newRow("edges") << "[ANOTHER_SETTINGS]\nnum_right_learn=100\n[HELP_PAGE]\ncurrent=3"
                           << 100 << 3;
    QTest::newRow("above") << "[ANOTHER_SETTINGS]\nnum_right_learn=250\n[HELP_PAGE]\ncurrent=4"
                           << 100 << 3;
    QTest::newRow("below") << "[ANOTHER_SETTINGS]\nnum_right_learn=-3\n[HELP_PAGE]\ncurrent=-1" << 0
                           << 3;
    QTest::newRow("not numbers") << "[ANOTHER_SETTINGS]\nnum_right_learn=x\n[HELP_PAGE]\ncurrent=y"
                                 << 3 << 3;
}

void TestAppSettings::rangeRules()
{
    QFETCH(QString, text);
    QFETCH(int, numRightLearn);
    QFETCH(int, helpPage);
    iniReader ini = storeOf(text);
    QCOMPARE(readAppearance(ini, appFont()).numRightLearn, numRightLearn);
    QCOMPARE(readHelpPage(ini), helpPage);
}

void TestAppSettings::colours_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QColor>("font");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("contents");

    const QColor defFont(0, 0, 127), black(0, 0, 0), derivedFromBlack(42, 85, 127);
    QTest::newRow("all given") << "font_r=1\nfont_g=2\nfont_b=3\nbckg_r=4\nbckg_g=5\nbckg_b=6\n"
                                  "bckg_cont_r=7\nbckg_cont_g=8\nbckg_cont_b=9"
                               << QColor(1, 2, 3) << QColor(4, 5, 6) << QColor(7, 8, 9);
    QTest::newRow("a key missing")
        << "font_r=1\nfont_g=2\nbckg_r=4\nbckg_g=5" << defFont << black << derivedFromBlack;
    QTest::newRow("a key -1") << "font_r=1\nfont_g=-1\nfont_b=3" << defFont << black
                              << derivedFromBlack;
    QTest::newRow("contents derived") << "bckg_r=10\nbckg_g=20\nbckg_b=31\nbckg_cont_r=7" << defFont
                                      << QColor(10, 20, 31) << QColor(47, 95, 143);
    QTest::newRow("derived from white") << "bckg_r=255\nbckg_g=255\nbckg_b=255" << defFont
                                        << QColor(255, 255, 255) << QColor(170, 212, 255);
    QTest::newRow("out of range") << "font_r=300\nfont_g=0\nfont_b=0\nbckg_r=0\nbckg_g=-2\nbckg_b=0"
                                  << defFont << black << derivedFromBlack;
}

void TestAppSettings::colours()
{
    QFETCH(QString, keys);
    QFETCH(QColor, font);
    QFETCH(QColor, background);
    QFETCH(QColor, contents);
    iniReader ini = storeOf(QStringLiteral("[SETTINGS_FONT]\n") + keys);
    const AppearanceSettings a = readAppearance(ini, appFont());
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
    const QFont f = readAppearance(ini, appFont()).font;
    QCOMPARE(f.family(), fromFile ? QStringLiteral("Serif") : appFont().family());
    QCOMPARE(f.italic(), fromFile);
}

void TestAppSettings::oldWeightScaleRoundTrip()
{
    AppearanceSettings a;
    a.font = QFont(QStringLiteral("Liberation Serif"), 16);
    a.font.setBold(true);
    iniReader ini;
    writeAppearance(ini, a);
    QCOMPARE(ini.readNumEntry(QStringLiteral("SETTINGS_FONT:font_weight")), 75);
    iniReader reloaded = storeOf(ini.toText());
    const QFont back = readAppearance(reloaded, appFont()).font;
    QCOMPARE(back.weight(), QFont::Bold);
    QCOMPARE(back.pointSize(), 16);
}

void TestAppSettings::categoryList()
{
    iniReader ini;
    bool usedDefault = false;
    const StringSet names = readCategoryList(ini, &usedDefault);
    QVERIFY(usedDefault);
    QCOMPARE(names.size(), size_t(26));
    QVERIFY(names.count(QStringLiteral("Неправильные глаголы")));
    QCOMPARE(ini.toText(),
             QStringLiteral("\n[WORDS_CATEGORY]\ncategs=") + defaultCategoriesText() + '\n');
    QCOMPARE(missingCategoriesWarning(),
             QStringLiteral("Отсутствует список категорий в файле настроек (или отсутствует "
                            "файл)\nБудет установлен список категорий по умолчанию"));

    iniReader own = storeOf(QStringLiteral("[WORDS_CATEGORY]\ncategs=Еда,,Дом,Еда,Мои слова"));
    const QString before = own.toText();
    QCOMPARE(
        readCategoryList(own, &usedDefault),
        (StringSet{QStringLiteral("Дом"), QStringLiteral("Еда"), QStringLiteral("Мои слова")}));
    QVERIFY(!usedDefault);
    QCOMPARE(own.toText(), before);
}

// A first run: the category list at start, a dialog and the dictionary
// folder during the session, then the closing pass.
void TestAppSettings::closingPassGolden()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    iniReader ini;
    QVERIFY(!ini.load(path));
    readCategoryList(ini);
    const MainFormGeometry geometry = readMainFormGeometry(ini);
    const AppearanceSettings appearance = readAppearance(ini, appFont());
    const TableSortOptions sorting = readSorting(ini);
    const int helpPage = readHelpPage(ini);

    writeWindowGeometry(ini, QStringLiteral("FILTER_FORM"), {50, 60, 400, 300});
    writeDictDir(ini, QStringLiteral("/home/user/словари"));

    writeMainFormGeometry(ini, geometry);
    writeAppearance(ini, appearance);
    writeSorting(ini, sorting);
    writeHelpPage(ini, helpPage);
    QVERIFY(ini.save(path));
    QCOMPARE(fileBytes(path), fileBytes(dataFile(QStringLiteral("settings_fresh.ini"))));

    // And it all reads back.
    QVERIFY(ini.load(path));
    QCOMPARE(readDictDir(ini), QStringLiteral("/home/user/словари"));
    QCOMPARE(readWindowGeometry(ini, QStringLiteral("FILTER_FORM")).width, 400);
    QCOMPARE(readAppearance(ini, QFont()).font, appFont());
}

QTEST_GUILESS_MAIN(TestAppSettings)
#include "test_app_settings.moc"
