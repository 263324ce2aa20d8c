#include "core/dictionary/dictionary.h"
#include "core/find/filter_settings.h"
#include "core/settings/ini_reader.h"

#include "test_cards.h"
#include <QFile>
#include <QTemporaryDir>

#include <QtTest>

#include <functional>

Q_DECLARE_METATYPE(Card)
Q_DECLARE_METATYPE(FilterSettings)

static QString dataFile(const QString &name)
{
    return testDataPath(QLatin1String("ini/") + name);
}

static QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Nothing chosen, not even "not archived".
static FilterSettings noFilter()
{
    FilterSettings f;
    f.archiveChoice = 0;
    return f;
}

static Card makeCard(const std::function<void(Card &)> &change = {})
{
    Card c;
    c.lesson = QStringLiteral("L1");
    if (change)
        change(c);
    return c;
}

static Card withSections(const QStringList &codes)
{
    return makeCard([&](Card &c) {
        for (const QString &code : codes)
            c.translations.append(TranslationSection{{}, code});
    });
}

// Base and current priorities in both directions.
static Card withPriorities(int nPER, int pER, int nPRE, int pRE)
{
    return makeCard([=](Card &c) {
        c.nPER = nPER;
        c.pER = pER;
        c.nPRE = nPRE;
        c.pRE = pRE;
    });
}

static const StringSet allCategories{QStringLiteral("Дом"), QStringLiteral("Еда")};

class TestFilterSettings : public QObject
{
    Q_OBJECT

private slots:
    void applyTo_data();
    void applyTo();
    void matchesAlone();
    void malformedLabelLeavesFlags();
    void isActive_data();
    void isActive();
    void comparisonSeesEveryField();
    void readFromIni();
    void writeGolden();
    void emptyLessonsReplaceOldOnes();
    void listsRoundTrip_data();
    void listsRoundTrip();
};

void TestFilterSettings::applyTo_data()
{
    QTest::addColumn<FilterSettings>("filter");
    QTest::addColumn<Card>("card");
    QTest::addColumn<bool>("expected");

    const Card plain = makeCard();
    const Card archived = makeCard([](Card &c) { c.nAr = false; });
    const Card sound = makeCard([](Card &c) { c.soundPath = QStringLiteral("a.wav"); });
    const Card l1Home = makeCard([](Card &c) { c.categories = {QStringLiteral("Дом")}; });

    FilterSettings f = noFilter();
    QTest::newRow("nothing chosen") << f << archived << true;
    f.invert = true;
    f.byAnd = false;
    QTest::newRow("nothing chosen, inverted") << f << plain << false;

    f = FilterSettings();
    QTest::newRow("fresh hides archived") << f << archived << false;
    QTest::newRow("fresh keeps others") << f << plain << true;
    f.archiveChoice = 1;
    QTest::newRow("archived only") << f << archived << true;
    QTest::newRow("archived only, plain card") << f << plain << false;

    f = noFilter();
    f.soundChoice = 1;
    QTest::newRow("with sound") << f << sound << true;
    QTest::newRow("with sound, none") << f << plain << false;
    f.soundChoice = 2;
    QTest::newRow("without sound") << f << plain << true;

    f = noFilter();
    f.filterLessons = {QStringLiteral("L1")};
    f.filterCategories = {QStringLiteral("Еда")};
    QTest::newRow("AND: lesson yes, category no") << f << l1Home << false;
    f.byAnd = false;
    QTest::newRow("OR: lesson yes, category no") << f << l1Home << true;
    QTest::newRow("OR: neither") << f << makeCard([](Card &c) { c.lesson = QStringLiteral("l1"); })
                                 << false;
    f.invert = true;
    QTest::newRow("OR inverted") << f << l1Home << false;

    f = FilterSettings();
    f.byAnd = false;
    f.filterCategories = {QStringLiteral("Еда"), QStringLiteral("Дом")};
    QTest::newRow("OR: archived card of a chosen category") << f << archived << false;
    QTest::newRow("OR: any category matches") << f << l1Home << true;

    f = noFilter();
    f.filterPrioritiesER = {3};
    QTest::newRow("ER priority: base 3, current 5") << f << withPriorities(3, 5, 1, 1) << true;
    QTest::newRow("ER priority: base 2, current 3") << f << withPriorities(2, 3, 3, 3) << false;
    f = noFilter();
    f.filterPrioritiesRE = {1, 2};
    QTest::newRow("RE priority") << f << withPriorities(5, 5, 2, 4) << true;

    f = noFilter();
    f.forgottenRE = f.forgottenER = true;
    QTest::newRow("both forgotten: only RE") << f << withPriorities(2, 2, 2, 4) << false;
    QTest::newRow("both forgotten: both") << f << withPriorities(2, 3, 2, 4) << true;
    f.byAnd = false;
    QTest::newRow("both forgotten, OR: only RE") << f << withPriorities(2, 2, 2, 4) << false;
    f.forgottenRE = false;
    QTest::newRow("ER forgotten") << f << withPriorities(2, 3, 1, 1) << true;

    f = noFilter();
    f.filterSpeechParts = {QStringLiteral("[V] Глагол")};
    QTest::newRow("speech parts N and V") << f << withSections({"N", "V"}) << true;
    QTest::newRow("speech parts N and VV") << f << withSections({"N", "VV"}) << false;
    f.filterSpeechParts = {QStringLiteral("[Применено] Особенности применения")};
    QTest::newRow("Cyrillic code") << f << withSections({QStringLiteral("Применено")}) << true;
}

void TestFilterSettings::applyTo()
{
    QFETCH(FilterSettings, filter);
    QFETCH(Card, card);
    QFETCH(bool, expected);
    for (const bool before : {false, true}) {
        QList<Card> cards{card};
        cards[0].inFilter = before;
        filter.applyTo(cards);
        QCOMPARE(cards.at(0).inFilter, expected);
        // The dictionary's cards are read in place: the same verdict.
        Dictionary dict;
        Card stored = card;
        stored.inFilter = before;
        dict.addCard(stored);
        filter.applyTo(dict);
        QCOMPARE(dict.store().record(0).inFilter, expected);
    }
}

void TestFilterSettings::matchesAlone()
{
    FilterSettings f;
    f.filterLessons = {QStringLiteral("L2")};
    Card c = makeCard();
    QVERIFY(!f.matches(c));
    QVERIFY(!c.inFilter);
    // A change of the record counts without an applyTo in between.
    f.filterLessons.insert(QStringLiteral("L1"));
    QVERIFY(f.matches(c));
    QVERIFY(c.inFilter);

    FilterSettings none = noFilter();
    none.byAnd = false;
    c.inFilter = false;
    QVERIFY(none.matches(c));
}

void TestFilterSettings::malformedLabelLeavesFlags()
{
    for (const QString &label : {QStringLiteral("N Существительное"), QStringLiteral("[] Пусто"),
                                 QStringLiteral("[N Существительное")}) {
        FilterSettings f = noFilter();
        f.invert = true;
        f.filterSpeechParts = {QStringLiteral("[V] Глагол"), label};
        QList<Card> cards{withSections({"V"}), withSections({"N"})};
        cards[0].inFilter = false;
        f.applyTo(cards);
        QCOMPARE(cards.at(0).inFilter, false);
        QCOMPARE(cards.at(1).inFilter, true);
        QVERIFY(!f.matches(cards[0]));
    }
}

void TestFilterSettings::isActive_data()
{
    QTest::addColumn<FilterSettings>("filter");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("nonArchivedOnly");

    FilterSettings f;
    f.byAnd = false;
    QTest::newRow("fresh") << f << false << true;
    f.filterPrioritiesRE = {4};
    QTest::newRow("priority") << f << true << true;
    f = noFilter();
    QTest::newRow("nothing") << f << false << false;
    f.invert = true;
    QTest::newRow("invert alone") << f << true << false;
    f = noFilter();
    f.archiveChoice = 1;
    QTest::newRow("archived") << f << true << false;
    f = noFilter();
    f.setSoundChoice(2);
    f.setSoundChoice(3); // ignored
    QTest::newRow("sound") << f << true << false;
    f = noFilter();
    f.forgottenER = true;
    QTest::newRow("forgotten") << f << true << false;
}

void TestFilterSettings::isActive()
{
    QFETCH(FilterSettings, filter);
    QFETCH(bool, active);
    QFETCH(bool, nonArchivedOnly);
    bool nonArchived = !nonArchivedOnly;
    QCOMPARE(filter.isActive(&nonArchived), active);
    QCOMPARE(nonArchived, nonArchivedOnly);
    filter.reset();
    QVERIFY(!filter.isActive(&nonArchived) && nonArchived);
    QVERIFY(filter == FilterSettings());
}

void TestFilterSettings::comparisonSeesEveryField()
{
    const QList<std::function<void(FilterSettings &)>> changes{
        [](FilterSettings &f) { f.forgottenRE = true; },
        [](FilterSettings &f) { f.forgottenER = true; },
        [](FilterSettings &f) { f.filterLessons = {QStringLiteral("L")}; },
        [](FilterSettings &f) { f.filterCategories = {QStringLiteral("Еда")}; },
        [](FilterSettings &f) { f.filterSpeechParts = {QStringLiteral("[V] Глагол")}; },
        [](FilterSettings &f) { f.filterPrioritiesRE = {1}; },
        [](FilterSettings &f) { f.filterPrioritiesER = {1}; },
        [](FilterSettings &f) { f.setSoundChoice(1); },
        [](FilterSettings &f) { f.setArchiveChoice(0); },
        [](FilterSettings &f) { f.invert = true; },
        [](FilterSettings &f) { f.byAnd = false; },
    };
    for (const auto &change : changes) {
        FilterSettings f;
        change(f);
        QVERIFY(f != FilterSettings());
        QList<Card> cards{makeCard()};
        FilterSettings applied = f;
        applied.applyTo(cards);
        QVERIFY(applied == f);
    }
}

void TestFilterSettings::readFromIni()
{
    FilterSettings f;
    iniReader store;
    f.readFromIni(store, allCategories);
    QVERIFY(!f.byAnd); // a missing boolean reads as false
    QCOMPARE(f.archiveChoice, 0);

    store.loadText(QStringLiteral("CATEGORY=Еда~~Нет такой~Дом~\n"
                                  "SPEECHPARTS=[V] Глагол~[X] Нет~[N]~[N] Существительное\n"
                                  "PRIORITYER=1~x~7~5~0~~3\n"
                                  "INVERTCONDITIONS=yes\nCHECKBYAND=true\n"
                                  "CHECKVOICE=7\nCHECKARCHIVE=1\n"
                                  "FORGETED_RE=1\nFORGETED_ER=нет\n"
                                  "LESSONS=Урок 2~~B~\n[S]\nLESSONS=no\n"));
    store.setGroup(QStringLiteral("S"));
    f = FilterSettings();
    f.setSoundChoice(1);
    f.filterLessons = {QStringLiteral("A")};
    f.readFromIni(store, allCategories);
    QCOMPARE(f.filterCategories, allCategories);
    QCOMPARE(f.filterSpeechParts,
             (StringSet{QStringLiteral("[N] Существительное"), QStringLiteral("[V] Глагол")}));
    QCOMPARE(f.filterPrioritiesER, (std::set<int>{1, 3, 5}));
    QVERIFY(f.filterPrioritiesRE.empty());
    QVERIFY(f.invert && f.byAnd && f.forgottenRE && !f.forgottenER);
    QCOMPARE(f.soundChoice, 1); // 7 is ignored
    QCOMPARE(f.archiveChoice, 1);
    QCOMPARE(f.filterLessons, StringSet{QStringLiteral("A")});
    f.readLessons(store);
    QCOMPARE(f.filterLessons,
             (StringSet{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Урок 2")}));
}

void TestFilterSettings::writeGolden()
{
    FilterSettings f;
    f.filterCategories = allCategories;
    f.filterSpeechParts = {QStringLiteral("[V] Глагол"), QStringLiteral("[N] Существительное")};
    f.filterPrioritiesER = {3, 1};
    f.filterPrioritiesRE = {5};
    f.soundChoice = 2;
    f.archiveChoice = 1;
    f.forgottenRE = true;
    f.filterLessons = {QStringLiteral("Урок 2"), QStringLiteral("Урок 1")};

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings_filter.ini"));
    iniReader store;
    store.loadText(QStringLiteral("OLD=1\n[X]\nk=v"));
    store.setGroup(QStringLiteral("X"));
    f.writeToIni(store);
    QVERIFY(store.save(path));
    QCOMPARE(fileBytes(path), fileBytes(dataFile(QStringLiteral("settings_filter.ini"))));

    QVERIFY(store.load(path));
    FilterSettings back;
    back.readFromIni(store, allCategories);
    back.readLessons(store);
    QVERIFY(back == f);

    FilterSettings().writeToIni(store);
    QCOMPARE(store.toText(), QStringLiteral("FORGETED_ER=false\nFORGETED_RE=false\n"
                                            "CHECKARCHIVE=2\nCHECKVOICE=0\nCHECKBYAND=true\n"
                                            "INVERTCONDITIONS=false\n"));
}

// Closing files writes LESSONS and reads it back: an emptied choice must not
// bring the old lessons back.
void TestFilterSettings::emptyLessonsReplaceOldOnes()
{
    iniReader store;
    store.loadText(QStringLiteral("LESSONS=A~B\nCHECKVOICE=1\n"));
    FilterSettings f;
    f.writeLessons(store);
    f.readLessons(store);
    QVERIFY(f.filterLessons.empty());
    store.loadText(store.toText());
    QCOMPARE(store.toText(), QStringLiteral("CHECKVOICE=1\n"));

    iniReader empty;
    f.writeLessons(empty);
    QVERIFY(empty.entries().isEmpty());
}

void TestFilterSettings::listsRoundTrip_data()
{
    QTest::addColumn<QString>("file");        // settings_filter.ini as found
    QTest::addColumn<QStringList>("lessons"); // chosen after reading it
    QTest::addColumn<QStringList>("read");    // read back after the save
    QTest::addColumn<QStringList>("notes");   // items the save had to leave out
    const QStringList none;
    QTest::newRow("typed by hand with blanks") << "LESSONS=a~ b~c \nCATEGORY=Еда~ Дом\n"
                                               << none << QStringList{"a", "b", "c"} << none;
    QTest::newRow("blank at an item's end")
        << "" << QStringList{" b", "a", "c "} << QStringList{"a"}
        << QStringList{"Фильтр: « b» не сохранён: пробелы по краям и переводы строк в списке не "
                       "сохраняются",
                       "Фильтр: «c » не сохранён: пробелы по краям и переводы строк в списке не "
                       "сохраняются"};
    QTest::newRow("separator inside an item")
        << "" << QStringList{"a~b", "c"} << QStringList{"c"}
        << QStringList{"Фильтр: «a~b» не сохранён: знак «~» разделяет элементы списка"};
    QTest::newRow("comment marks")
        << "" << QStringList{"Урок #1", "z"} << QStringList{"z"}
        << QStringList{"Фильтр: «Урок #1» не сохранён: знаки «#» и «;» начинают в файле "
                       "настроек комментарий"};
    QTest::newRow("plain names") << "" << QStringList{"Урок 1", "Урок 2"}
                                 << QStringList{"Урок 1", "Урок 2"} << none;
}

// Whatever the filter holds comes back from the file as it was, or is left
// out with a note at close; it never comes back changed.
void TestFilterSettings::listsRoundTrip()
{
    QFETCH(QString, file);
    QFETCH(QStringList, lessons);
    QFETCH(QStringList, read);
    QFETCH(QStringList, notes);
    iniReader store;
    store.loadText(file);
    FilterSettings f;
    f.readFromIni(store, allCategories);
    f.readLessons(store);
    for (const QString &l : lessons)
        f.filterLessons.insert(l);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings_filter.ini"));
    f.writeToIni(store);
    QVERIFY(store.save(path));
    QCOMPARE(store.saveNotes(), notes);

    iniReader again;
    QVERIFY(again.load(path));
    FilterSettings back;
    back.readFromIni(again, allCategories);
    back.readLessons(again);
    QCOMPARE(back.filterLessons, StringSet(read.cbegin(), read.cend()));
    QCOMPARE(back.filterCategories, f.filterCategories);
    // A second round changes nothing.
    back.writeToIni(again);
    QVERIFY(again.save(path));
    QVERIFY(again.saveNotes().isEmpty());
    FilterSettings third;
    QVERIFY(again.load(path));
    third.readFromIni(again, allCategories);
    third.readLessons(again);
    QVERIFY(third == back);
}

QTEST_GUILESS_MAIN(TestFilterSettings)
#include "test_filter_settings.moc"
