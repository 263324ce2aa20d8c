#include "dialogs/filter_settings.h"
#include "settings/ini_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Card)
Q_DECLARE_METATYPE(FilterSettings)

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

// A filter with nothing chosen, not even "not archived".
FilterSettings noFilter()
{
    FilterSettings f;
    f.archiveChoice = 0;
    return f;
}

Card card(const QString &lesson = QStringLiteral("L1"))
{
    Card c;
    c.lesson = lesson;
    return c;
}

Card withSections(std::initializer_list<const char *> codes)
{
    Card c = card();
    for (const char *code : codes) {
        TranslationSection s;
        s.code = QString::fromUtf8(code);
        c.translations.append(s);
    }
    return c;
}

Card withCategories(const QStringList &categories, const QString &lesson = QStringLiteral("L1"))
{
    Card c = card(lesson);
    c.categories = categories;
    return c;
}

Card withPriorities(int nPER, int pER, int nPRE, int pRE)
{
    Card c = card();
    c.nPER = nPER;
    c.pER = pER;
    c.nPRE = nPRE;
    c.pRE = pRE;
    return c;
}

Card archived()
{
    Card c = card();
    c.nAr = false;
    return c;
}

Card withSound()
{
    Card c = card();
    c.soundPath = QStringLiteral("a.wav");
    return c;
}

StringSet allCategories()
{
    return {QStringLiteral("Дом"), QStringLiteral("Еда"), QStringLiteral("Время")};
}

} // namespace

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
    void choicesOutOfRangeIgnored();
    void comparison_data();
    void comparison();
    void readWithoutFile();
    void readSkipsBadItems();
    void readLessonsAdds();
    void writeGolden();
    void emptyLessonsReplaceOldOnes();
};

void TestFilterSettings::applyTo_data()
{
    QTest::addColumn<FilterSettings>("filter");
    QTest::addColumn<Card>("card");
    QTest::addColumn<bool>("expected");

    FilterSettings f = noFilter();
    QTest::newRow("nothing chosen passes") << f << archived() << true;
    f.invert = true;
    QTest::newRow("nothing chosen inverted fails") << f << card() << false;
    f.byAnd = false;
    QTest::newRow("nothing chosen, OR, inverted fails") << f << card() << false;

    f = FilterSettings();
    QTest::newRow("fresh hides archived") << f << archived() << false;
    QTest::newRow("fresh keeps non-archived") << f << card() << true;
    f.byAnd = false;
    QTest::newRow("fresh in OR mode hides archived") << f << archived() << false;
    f = noFilter();
    f.archiveChoice = 1;
    QTest::newRow("archived only: archived") << f << archived() << true;
    QTest::newRow("archived only: not archived") << f << card() << false;

    f = noFilter();
    f.soundChoice = 1;
    QTest::newRow("sound given: has sound") << f << withSound() << true;
    QTest::newRow("sound given: none") << f << card() << false;
    f.soundChoice = 2;
    QTest::newRow("no sound: has sound") << f << withSound() << false;
    QTest::newRow("no sound: none") << f << card() << true;

    f = noFilter();
    f.filterLessons = {QStringLiteral("L1")};
    f.filterCategories = {QStringLiteral("Еда")};
    const Card l1NoFood = withCategories({QStringLiteral("Дом")});
    QTest::newRow("AND: lesson matches, category not") << f << l1NoFood << false;
    QTest::newRow("AND: both match")
        << f << withCategories({QStringLiteral("Дом"), QStringLiteral("Еда")}) << true;
    f.byAnd = false;
    QTest::newRow("OR: lesson matches, category not") << f << l1NoFood << true;
    QTest::newRow("OR: neither matches")
        << f << withCategories({QStringLiteral("Дом")}, QStringLiteral("L2")) << false;
    f.invert = true;
    QTest::newRow("OR inverted: lesson matches") << f << l1NoFood << false;
    f = noFilter();
    f.filterLessons = {QStringLiteral("L1")};
    QTest::newRow("lesson is case-sensitive") << f << card(QStringLiteral("l1")) << false;

    f = noFilter();
    f.filterPrioritiesER = {3};
    QTest::newRow("ER priority tests the base one") << f << withPriorities(3, 5, 1, 1) << true;
    QTest::newRow("ER priority ignores the current one")
        << f << withPriorities(2, 3, 3, 3) << false;
    f = noFilter();
    f.filterPrioritiesRE = {1, 2};
    QTest::newRow("RE priority any of") << f << withPriorities(5, 5, 2, 4) << true;
    QTest::newRow("RE priority none of") << f << withPriorities(1, 1, 3, 3) << false;

    f = noFilter();
    f.forgottenRE = true;
    f.forgottenER = true;
    QTest::newRow("both forgotten: only RE forgotten") << f << withPriorities(2, 2, 2, 4) << false;
    QTest::newRow("both forgotten: both") << f << withPriorities(2, 3, 2, 4) << true;
    f.byAnd = false;
    QTest::newRow("both forgotten, OR: only RE forgotten")
        << f << withPriorities(2, 2, 2, 4) << false;
    f = noFilter();
    f.forgottenER = true;
    QTest::newRow("ER forgotten: yes") << f << withPriorities(2, 3, 1, 1) << true;
    QTest::newRow("ER forgotten: no") << f << withPriorities(2, 2, 1, 4) << false;

    f = noFilter();
    f.filterSpeechParts = {QStringLiteral("[V] Глагол")};
    QTest::newRow("speech part among several") << f << withSections({"N", "V"}) << true;
    QTest::newRow("speech part missing") << f << withSections({"N", "VV"}) << false;
    QTest::newRow("speech part, no sections") << f << card() << false;
    f.filterSpeechParts = {QStringLiteral("[Применено] Особенности применения")};
    QTest::newRow("Cyrillic code") << f << withSections({"Применено"}) << true;

    // The kinds combine: with OR one passing kind is enough even when the
    // archive kind fails.
    f = FilterSettings();
    f.byAnd = false;
    f.filterLessons = {QStringLiteral("L1")};
    QTest::newRow("OR: archived card of a chosen lesson") << f << archived() << true;
    f.byAnd = true;
    QTest::newRow("AND: archived card of a chosen lesson") << f << archived() << false;
}

void TestFilterSettings::applyTo()
{
    QFETCH(FilterSettings, filter);
    QFETCH(Card, card);
    QFETCH(bool, expected);

    // The same result whatever the flag held before.
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
    f.filterLessons = {QStringLiteral("L1")};
    Card c = card(QStringLiteral("L2"));
    QVERIFY(!f.matches(c));
    QVERIFY(!c.inFilter);

    // A later change of the record is seen without an applyTo in between.
    f.filterLessons.insert(QStringLiteral("L2"));
    f.filterSpeechParts = {QStringLiteral("[N] Существительное")};
    Card n = withSections({"N"});
    n.lesson = QStringLiteral("L2");
    QVERIFY(f.matches(n));
    QVERIFY(n.inFilter);

    // No kind active: every card matches, in either mode.
    FilterSettings none = noFilter();
    none.byAnd = false;
    Card any = card();
    any.inFilter = false;
    QVERIFY(none.matches(any));
    QVERIFY(any.inFilter);
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
        cards[1].inFilter = true;
        f.applyTo(cards);
        QCOMPARE(cards.at(0).inFilter, false);
        QCOMPARE(cards.at(1).inFilter, true);

        Card single = withSections({"V"});
        single.inFilter = false;
        QVERIFY(!f.matches(single));
        QVERIFY(!single.inFilter);
    }
}

void TestFilterSettings::isActive_data()
{
    QTest::addColumn<FilterSettings>("filter");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("nonArchivedOnly");

    FilterSettings f;
    QTest::newRow("fresh (not archived alone)") << f << false << true;
    f.byAnd = false;
    QTest::newRow("OR alone") << f << false << true;
    f = noFilter();
    QTest::newRow("nothing") << f << false << false;
    f.invert = true;
    QTest::newRow("invert alone") << f << true << false;
    f = noFilter();
    f.archiveChoice = 1;
    QTest::newRow("archived") << f << true << false;
    f = noFilter();
    f.soundChoice = 2;
    QTest::newRow("sound") << f << true << false;
    f = noFilter();
    f.forgottenER = true;
    QTest::newRow("forgotten") << f << true << false;
    f = FilterSettings();
    f.filterPrioritiesRE = {4};
    QTest::newRow("priority with not archived") << f << true << true;
    f = noFilter();
    f.filterCategories = {QStringLiteral("Еда")};
    QTest::newRow("category") << f << true << false;
}

void TestFilterSettings::isActive()
{
    QFETCH(FilterSettings, filter);
    QFETCH(bool, active);
    QFETCH(bool, nonArchivedOnly);
    bool nonArchived = !nonArchivedOnly;
    QCOMPARE(filter.isActive(&nonArchived), active);
    QCOMPARE(nonArchived, nonArchivedOnly);
    QCOMPARE(filter.isActive(), active);

    filter.reset();
    QVERIFY(!filter.isActive(&nonArchived));
    QVERIFY(nonArchived);
    QVERIFY(filter == FilterSettings());
}

void TestFilterSettings::choicesOutOfRangeIgnored()
{
    FilterSettings f;
    f.setSoundChoice(1);
    f.setSoundChoice(3);
    f.setSoundChoice(-1);
    QCOMPARE(f.soundChoice, 1);
    f.setArchiveChoice(0);
    f.setArchiveChoice(7);
    QCOMPARE(f.archiveChoice, 0);
    f.setArchiveChoice(1);
    QCOMPARE(f.archiveChoice, 1);
}

void TestFilterSettings::comparison_data()
{
    QTest::addColumn<FilterSettings>("changed");
    const FilterSettings base;
    FilterSettings f;
    f.forgottenRE = true;
    QTest::newRow("forgottenRE") << f;
    f = base;
    f.forgottenER = true;
    QTest::newRow("forgottenER") << f;
    f = base;
    f.filterLessons = {QStringLiteral("L")};
    QTest::newRow("lessons") << f;
    f = base;
    f.filterCategories = {QStringLiteral("Еда")};
    QTest::newRow("categories") << f;
    f = base;
    f.filterSpeechParts = {QStringLiteral("[V] Глагол")};
    QTest::newRow("speech parts") << f;
    f = base;
    f.filterPrioritiesRE = {1};
    QTest::newRow("RE priorities") << f;
    f = base;
    f.filterPrioritiesER = {1};
    QTest::newRow("ER priorities") << f;
    f = base;
    f.soundChoice = 1;
    QTest::newRow("sound") << f;
    f = base;
    f.archiveChoice = 0;
    QTest::newRow("archive") << f;
    f = base;
    f.invert = true;
    QTest::newRow("invert") << f;
    f = base;
    f.byAnd = false;
    QTest::newRow("byAnd") << f;
}

void TestFilterSettings::comparison()
{
    QFETCH(FilterSettings, changed);
    const FilterSettings base;
    QVERIFY(changed != base);
    QVERIFY(!(changed == base));
    FilterSettings copy = changed;
    QVERIFY(copy == changed);
    // Working data of an applied filter takes no part.
    QList<Card> cards{card()};
    copy.applyTo(cards);
    QVERIFY(copy == changed);
}

void TestFilterSettings::readWithoutFile()
{
    iniReader store;
    FilterSettings f;
    f.filterLessons = {QStringLiteral("L")};
    f.readFromIni(store, allCategories());
    QVERIFY(!f.byAnd);
    QCOMPARE(f.archiveChoice, 0);
    QCOMPARE(f.soundChoice, 0);
    QVERIFY(!f.invert);
    QVERIFY(!f.forgottenRE);
    QVERIFY(!f.forgottenER);
    QVERIFY(f.filterCategories.empty());
    // Lessons are read separately.
    QCOMPARE(f.filterLessons.size(), size_t(1));
    QVERIFY(store.entries().isEmpty());
}

void TestFilterSettings::readSkipsBadItems()
{
    iniReader store;
    store.loadText(QStringLiteral("CATEGORY=Еда~~Нет такой~Дом~\n"
                                  "SPEECHPARTS=[V] Глагол~[X] Нет~[N]~[N] Существительное\n"
                                  "PRIORITYER=1~x~7~5~0~~3\n"
                                  "PRIORITYRE=2 \n"
                                  "INVERTCONDITIONS=yes\n"
                                  "CHECKBYAND=true\n"
                                  "CHECKVOICE=7\n"
                                  "CHECKARCHIVE=-1\n"
                                  "FORGETED_RE=1\n"
                                  "FORGETED_ER=нет\n"
                                  "LESSONS=A~B\n"));
    FilterSettings f;
    f.setSoundChoice(1);
    f.readFromIni(store, allCategories());
    QCOMPARE(f.filterCategories, (StringSet{QStringLiteral("Дом"), QStringLiteral("Еда")}));
    QCOMPARE(f.filterSpeechParts,
             (StringSet{QStringLiteral("[N] Существительное"), QStringLiteral("[V] Глагол")}));
    QCOMPARE(f.filterPrioritiesER, (std::set<int>{1, 3, 5}));
    QCOMPARE(f.filterPrioritiesRE, (std::set<int>{2}));
    QVERIFY(f.invert);
    QVERIFY(f.byAnd);
    // Values outside 0..2 leave the fields as they were.
    QCOMPARE(f.soundChoice, 1);
    QCOMPARE(f.archiveChoice, 2);
    QVERIFY(f.forgottenRE);
    QVERIFY(!f.forgottenER);
    QVERIFY(f.filterLessons.empty());
}

void TestFilterSettings::readLessonsAdds()
{
    iniReader store;
    store.loadText(QStringLiteral("LESSONS=Урок 2~~B~\n[S]\nLESSONS=no"));
    store.setGroup(QStringLiteral("S"));
    FilterSettings f;
    f.filterLessons = {QStringLiteral("A")};
    f.readLessons(store);
    QCOMPARE(f.filterLessons,
             (StringSet{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Урок 2")}));
}

void TestFilterSettings::writeGolden()
{
    FilterSettings f;
    f.filterCategories = {QStringLiteral("Еда"), QStringLiteral("Дом")};
    f.filterSpeechParts = {QStringLiteral("[V] Глагол"), QStringLiteral("[N] Существительное")};
    f.filterPrioritiesER = {3, 1};
    f.filterPrioritiesRE = {5};
    f.soundChoice = 2;
    f.archiveChoice = 1;
    f.forgottenRE = true;
    f.filterLessons = {QStringLiteral("Урок 2"), QStringLiteral("Урок 1")};

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("settings_filter.ini"));
    iniReader store;
    store.loadText(QStringLiteral("OLD=1\n[X]\nk=v"));
    store.setGroup(QStringLiteral("X"));
    f.writeToIni(store);
    QVERIFY(store.save(path));
    QCOMPARE(fileBytes(path), fileBytes(dataFile(QStringLiteral("settings_filter.ini"))));

    iniReader loaded;
    QVERIFY(loaded.load(path));
    FilterSettings back;
    back.readFromIni(loaded, allCategories());
    back.readLessons(loaded);
    QVERIFY(back == f);

    // Empty lists write no key at all.
    FilterSettings plain;
    plain.writeToIni(store);
    QCOMPARE(store.toText(), QStringLiteral("FORGETED_ER=false\nFORGETED_RE=false\n"
                                            "CHECKARCHIVE=2\nCHECKVOICE=0\nCHECKBYAND=true\n"
                                            "INVERTCONDITIONS=false\n"));
}

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

    // Nothing to replace: nothing written.
    iniReader empty;
    f.writeLessons(empty);
    QVERIFY(empty.entries().isEmpty());
}

QTEST_GUILESS_MAIN(TestFilterSettings)
#include "test_filter_settings.moc"
