#include "dialogs/filter_settings.h"
#include "settings/ini_reader.h"

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

QTEST_GUILESS_MAIN(TestFilterSettings)
#include "test_filter_settings.moc"
