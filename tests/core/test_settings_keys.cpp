#include "core/find/filter_settings.h"
#include "core/markup/markup.h"
#include "core/run/work_settings.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"
#include "core/settings/settings_keys.h"

#include <QtTest>

#include <functional>
#include <set>

namespace
{

// One typed record of a settings file: how the program writes it, what it
// reads back (as text, so two readings compare in one QCOMPARE), and the text
// of the values written.
struct Record {
    QString name;
    std::function<void(iniReader &)> write;
    std::function<QString(iniReader &)> read;
    QString written;
};

QString colorText(const QColor &c)
{
    return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

QString describe(const AppearanceSettings &a)
{
    return QStringList{a.font.family(),
                       QString::number(a.font.pointSize()),
                       QString::number(a.font.weight()),
                       a.font.italic() ? "italic" : "upright",
                       colorText(a.fontColor),
                       colorText(a.backgroundColor),
                       colorText(a.contentsBackgroundColor),
                       a.showPartsNums ? "nums" : "-",
                       a.showSpeechParts ? "parts" : "-",
                       a.flashIfWrong ? "flash" : "-",
                       a.vertical ? "vertical" : "horizontal",
                       QString::number(a.numRightLearn),
                       QString::number(a.settingsPage)}
        .join(QLatin1Char(' '));
}

QString describe(const TableSortOptions &o)
{
    return QStringLiteral("%1 %2 %3").arg(o.byFiles).arg(o.byLessons).arg(o.byForeign);
}

QString describe(const MainFormGeometry &g)
{
    return QStringLiteral("%1 %2 %3x%4 tab %5 %6/%7 %8/%9")
        .arg(g.topX)
        .arg(g.topY)
        .arg(g.width)
        .arg(g.height)
        .arg(g.currentTab)
        .arg(g.splitter2[0])
        .arg(g.splitter2[1])
        .arg(g.splitter3[0])
        .arg(g.splitter3[1]);
}

QString describe(const WindowGeometry &g)
{
    return QStringLiteral("%1 %2 %3x%4").arg(g.topX).arg(g.topY).arg(g.width).arg(g.height);
}

QString describe(const WorkSettings &w)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
        .arg(w.training)
        .arg(w.use_filter)
        .arg(w.by_time)
        .arg(w.lesson)
        .arg(w.en_ru)
        .arg(w.use_autocheck)
        .arg(w.speed)
        .arg(w.use_archive);
}

QString joinedSet(const StringSet &set)
{
    return QStringList(set.begin(), set.end()).join(QLatin1Char('|'));
}

QString joinedInts(const std::set<int> &set)
{
    QStringList out;
    for (int v : set)
        out << QString::number(v);
    return out.join(QLatin1Char('|'));
}

QString describe(const FilterSettings &f)
{
    return QStringList{joinedSet(f.filterCategories),
                       joinedSet(f.filterSpeechParts),
                       joinedInts(f.filterPrioritiesER),
                       joinedInts(f.filterPrioritiesRE),
                       joinedSet(f.filterLessons),
                       QString::number(f.soundChoice),
                       QString::number(f.archiveChoice),
                       QStringLiteral("%1 %2 %3 %4")
                           .arg(f.invert)
                           .arg(f.byAnd)
                           .arg(f.forgottenRE)
                           .arg(f.forgottenER)}
        .join(QLatin1Char(';'));
}

QFont defaultFont()
{
    return QFont(QStringLiteral("DejaVu Sans"), 11);
}

Record geometryRecord(const QString &name, const WindowGeometryKeys &keys, int base)
{
    const WindowGeometry g{base + 1, base + 2, base + 300, base + 400};
    return {name, [keys, g](iniReader &ini) { writeWindowGeometry(ini, keys, g); },
            [keys](iniReader &ini) { return describe(readWindowGeometry(ini, keys)); },
            describe(g)};
}

// Every record of settings.ini, each with values that differ from the
// defaults and from the other records, so a key read from the wrong place
// shows.
QList<Record> settingsRecords()
{
    QList<Record> records;

    AppearanceSettings a;
    a.font = QFont(QStringLiteral("Liberation Serif"), 17);
    a.font.setBold(true);
    a.font.setItalic(true);
    a.fontColor = QColor(1, 2, 3);
    a.backgroundColor = QColor(4, 5, 6);
    a.contentsBackgroundColor = QColor(7, 8, 9);
    a.showPartsNums = true;
    a.showSpeechParts = true;
    a.flashIfWrong = true;
    a.vertical = false;
    a.numRightLearn = 42;
    a.settingsPage = 2;
    records.append({QStringLiteral("appearance"), [a](iniReader &ini) { writeAppearance(ini, a); },
                    [](iniReader &ini) { return describe(readAppearance(ini, defaultFont())); },
                    describe(a)});

    TableSortOptions sorting;
    sorting.byFiles = true;
    sorting.byLessons = true;
    sorting.byForeign = false;
    records.append({QStringLiteral("sorting"),
                    [sorting](iniReader &ini) { writeSorting(ini, sorting); },
                    [](iniReader &ini) { return describe(readSorting(ini)); }, describe(sorting)});

    const MainFormGeometry m{11, 12, 613, 414, 2, {21, 22}, {31, 32}};
    records.append(
        {QStringLiteral("main form"), [m](iniReader &ini) { writeMainFormGeometry(ini, m); },
         [](iniReader &ini) { return describe(readMainFormGeometry(ini)); }, describe(m)});

    records.append(geometryRecord(QStringLiteral("filter form"), SettingsKeys::filterForm, 100));
    records.append(geometryRecord(QStringLiteral("editor"), SettingsKeys::oneWordForm, 200));
    records.append(
        geometryRecord(QStringLiteral("category window"), SettingsKeys::categoryForm, 300));
    records.append(
        geometryRecord(QStringLiteral("speech part picker"), SettingsKeys::speechPartForm, 400));

    records.append({QStringLiteral("help page"), [](iniReader &ini) { writeHelpPage(ini, 1); },
                    [](iniReader &ini) { return QString::number(readHelpPage(ini)); },
                    QStringLiteral("1")});
    records.append({QStringLiteral("dictionary folder"),
                    [](iniReader &ini) { writeDictDir(ini, QStringLiteral("/home/u/словари")); },
                    [](iniReader &ini) { return readDictDir(ini); },
                    QStringLiteral("/home/u/словари")});

    WorkSettings w;
    w.training = false;
    w.use_filter = w.by_time = w.en_ru = w.use_archive = true;
    w.use_autocheck = false;
    w.lesson = QStringLiteral("Урок 7");
    w.speed = 35;
    records.append({QStringLiteral("run settings"), [w](iniReader &ini) { w.write(ini); },
                    [](iniReader &ini) {
                        WorkSettings r;
                        r.read(ini);
                        return describe(r);
                    },
                    describe(w)});

    // The program never writes its own list; reading writes the default,
    // which the next start then finds.
    records.append({QStringLiteral("categories"), [](iniReader &ini) { readCategoryList(ini); },
                    [](iniReader &ini) {
                        bool usedDefault = true;
                        const StringSet names = readCategoryList(ini, &usedDefault);
                        return QStringLiteral("%1 %2").arg(usedDefault).arg(names.size());
                    },
                    QStringLiteral("0 26")});
    return records;
}

StringSet allCategories()
{
    return {QStringLiteral("Дом"), QStringLiteral("Еда"), QStringLiteral("Мои слова")};
}

// settings_filter.ini holds one record; every list is filled.
Record filterRecord()
{
    FilterSettings f;
    f.filterCategories = {QStringLiteral("Еда"), QStringLiteral("Мои слова")};
    f.filterSpeechParts = {speechParts().at(1), speechParts().at(4)};
    f.filterPrioritiesER = {2, 5};
    f.filterPrioritiesRE = {1};
    f.filterLessons = {QStringLiteral("Урок 1"), QStringLiteral("Урок 2")};
    f.soundChoice = 2;
    f.archiveChoice = 1;
    f.invert = true;
    f.byAnd = true;
    f.forgottenRE = f.forgottenER = true;
    return {QStringLiteral("filter"), [f](iniReader &ini) { f.writeToIni(ini); },
            [](iniReader &ini) {
                FilterSettings r;
                r.readFromIni(ini, allCategories());
                r.readLessons(ini);
                return describe(r);
            },
            describe(f)};
}

QStringList keyPaths(const iniReader &ini)
{
    QStringList out;
    for (const IniEntry &e : ini.entries()) {
        if (e.kind == IniEntry::Key)
            out << (e.section.isEmpty() ? e.key : e.section + ':' + e.key);
    }
    return out;
}

QStringList paths(const QList<SettingsKey> &keys)
{
    QStringList out;
    for (const SettingsKey &k : keys)
        out << k.path();
    return out;
}

std::set<QString> asSet(const QStringList &list)
{
    return std::set<QString>(list.begin(), list.end());
}

} // namespace

class TestSettingsKeys : public QObject
{
    Q_OBJECT

private slots:
    void keysAreUniqueAndValid();
    void everyKeyBelongsToOneRecord();
    void roundTrip_data();
    void roundTrip();
    void constantsMatchTheirPaths();
    void constantsIgnoreTheGroup();
    void unusableConstantsChangeNothing();
};

void TestSettingsKeys::keysAreUniqueAndValid()
{
    const QStringList settings = paths(SettingsKeys::all());
    const QStringList filter = paths(FilterKeys::all());
    QCOMPARE(asSet(settings).size(), size_t(settings.size()));
    QCOMPARE(asSet(filter).size(), size_t(filter.size()));
    for (const SettingsKey &k : SettingsKeys::all()) {
        QVERIFY2(iniReader::isValidName(k.section.toString()), qPrintable(k.path()));
        QVERIFY2(iniReader::isValidName(k.name.toString()), qPrintable(k.path()));
    }
    // The filter file has no headers at all.
    for (const SettingsKey &k : FilterKeys::all()) {
        QVERIFY2(k.section.isEmpty(), qPrintable(k.path()));
        QVERIFY2(iniReader::isValidName(k.name.toString()), qPrintable(k.path()));
    }
    QCOMPARE(SettingsKeys::fontFamily.path(), QStringLiteral("SETTINGS_FONT:font_family"));
    QCOMPARE(SettingsKeys::speechPartForm.height.path(), QStringLiteral("SPEECH_PART_FORM:height"));
    QCOMPARE(FilterKeys::forgottenER.path(), QStringLiteral("FORGETED_ER"));
}

// Written one by one into empty stores, the records between them create
// every key of the lists, and no key is created by two records (which would
// let one overwrite the other).
void TestSettingsKeys::everyKeyBelongsToOneRecord()
{
    std::set<QString> written;
    for (const Record &r : settingsRecords()) {
        iniReader ini;
        r.write(ini);
        const QStringList keys = keyPaths(ini);
        QVERIFY2(!keys.isEmpty(), qPrintable(r.name));
        for (const QString &k : keys)
            QVERIFY2(written.insert(k).second, qPrintable(r.name + QStringLiteral(": ") + k));
    }
    QCOMPARE(written, asSet(paths(SettingsKeys::all())));

    iniReader filter;
    filterRecord().write(filter);
    QCOMPARE(asSet(keyPaths(filter)), asSet(paths(FilterKeys::all())));
    QCOMPARE(keyPaths(filter).size(), FilterKeys::all().size());
}

void TestSettingsKeys::roundTrip_data()
{
    QTest::addColumn<int>("index");
    const QList<Record> records = settingsRecords();
    for (int i = 0; i < records.size(); ++i)
        QTest::newRow(qPrintable(records[i].name)) << i;
    QTest::newRow("filter") << -1;
}

// All records go into one store, which is saved as text and loaded again:
// each must read back what it wrote, whatever the others wrote.
void TestSettingsKeys::roundTrip()
{
    QFETCH(int, index);
    const QList<Record> records = index < 0 ? QList<Record>{filterRecord()} : settingsRecords();
    const Record &record = records.at(std::max(index, 0));

    iniReader written;
    for (const Record &r : records)
        r.write(written);
    iniReader reloaded;
    reloaded.loadText(written.toText());
    QCOMPARE(record.read(reloaded), record.written);
    if (record.name != QStringLiteral("categories")) {
        iniReader empty;
        QVERIFY2(record.read(empty) != record.written, "the values must not be the defaults");
    }
}

// A constant and its "SECTION:key" text address the same line: reading and
// writing give the same results and the same bytes.
void TestSettingsKeys::constantsMatchTheirPaths()
{
    const QString text = QStringLiteral("CHECKVOICE=2\n[SORTING]\nby_files=true\n[MAIN_FORM]\n"
                                        "width=500\n[SETTINGS_FONT]\nfont_family=Serif\n");
    QList<SettingsKey> keys = SettingsKeys::all();
    keys += FilterKeys::all();
    iniReader byConstant;
    iniReader byPath;
    byConstant.loadText(text);
    byPath.loadText(text);
    for (const SettingsKey &k : keys) {
        const QString path = k.path();
        QCOMPARE(byConstant.readEntry(k, QStringLiteral("--")), byPath.readEntry(path, "--"));
        QCOMPARE(byConstant.readNumEntry(k, -7), byPath.readNumEntry(path, -7));
        QCOMPARE(byConstant.readBoolEntry(k, true), byPath.readBoolEntry(path, true));
    }
    int n = 0;
    for (const SettingsKey &k : keys) {
        byConstant.writeEntry(k, ++n);
        byPath.writeEntry(k.path(), n);
    }
    QCOMPARE(byConstant.toText(), byPath.toText());

    // A read that writes its default creates the key just as the path does.
    iniReader a;
    iniReader b;
    QCOMPARE(a.readBoolEntry(SettingsKeys::vertical, true, true),
             b.readBoolEntry(QStringLiteral("ANOTHER_SETTINGS:vertical"), true, true));
    QCOMPARE(a.readNumEntry(FilterKeys::checkVoice, 1, true),
             b.readNumEntry(QStringLiteral("CHECKVOICE"), 1, true));
    QCOMPARE(a.readEntry(SettingsKeys::dictDir, QStringLiteral("/x"), true),
             b.readEntry(QStringLiteral("PATHS:dict_dir"), QStringLiteral("/x"), true));
    QCOMPARE(a.toText(), b.toText());
    QCOMPARE(a.toText(), QStringLiteral("CHECKVOICE=1\n\n[ANOTHER_SETTINGS]\nvertical=true\n"
                                        "\n[PATHS]\ndict_dir=/x\n"));
}

// A constant names its section itself: a group left set by someone else
// must not send the filter's keys into a section.
void TestSettingsKeys::constantsIgnoreTheGroup()
{
    iniReader ini;
    ini.loadText(QStringLiteral("LESSONS=A~B\n[WORK_SETTINGS]\nLESSONS=C\nspeed=30\n"));
    QVERIFY(ini.setGroup(QStringLiteral("WORK_SETTINGS")));
    QCOMPARE(ini.readEntry(FilterKeys::lessons), QStringLiteral("A~B"));
    ini.writeEntry(FilterKeys::checkByAnd, true);
    QVERIFY(ini.setGroup(QStringLiteral("SORTING")));
    QCOMPARE(ini.readNumEntry(SettingsKeys::workSpeed), 30);
    QCOMPARE(ini.group(), QStringLiteral("SORTING"));
    QCOMPARE(ini.toText(), QStringLiteral("CHECKBYAND=true\nLESSONS=A~B\n\n[WORK_SETTINGS]\n"
                                          "LESSONS=C\nspeed=30\n"));
}

void TestSettingsKeys::unusableConstantsChangeNothing()
{
    iniReader ini;
    ini.loadText(QStringLiteral("k=1\n[S]\nk=2\n"));
    const QString before = ini.toText();
    const SettingsKey badSection{u"A B", u"k"};
    const SettingsKey badName{u"S", u"a-b"};
    const SettingsKey noName{u"S", u""};
    for (const SettingsKey &k : {badSection, badName, noName}) {
        QCOMPARE(ini.readNumEntry(k, 9, true), 9);
        ini.writeEntry(k, 5);
        ini.writeEntry(k, "text");
    }
    QCOMPARE(ini.toText(), before);

    // By section name: an invalid one reads the defaults and writes nothing.
    writeWindowGeometry(ini, QStringLiteral("A B"), {1, 2, 3, 4});
    writeWindowGeometry(ini, QString(), {1, 2, 3, 4});
    QCOMPARE(ini.toText(), before);
    QCOMPARE(readWindowGeometry(ini, QString()).topX, 40);
}

QTEST_GUILESS_MAIN(TestSettingsKeys)
#include "test_settings_keys.moc"
