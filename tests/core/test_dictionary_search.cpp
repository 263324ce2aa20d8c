#include "core/dictionary/dictionary.h"
#include "core/find/dictionary_search.h"

#include "test_cards.h"

#include <QRandomGenerator>
#include <QtTest>

Q_DECLARE_METATYPE(Card)

// A card whose foreign words are `foreign` and whose Russian side is one
// noun section per entry of `russian`, each entry "word|info;word|info" one
// group of variants.
static Card searchCard(const QStringList &foreign, const QStringList &russian = {},
                       bool inFilter = true)
{
    Card c;
    c.inFilter = inFilter;
    for (const QString &w : foreign)
        c.foreignWords.append({w, QStringLiteral("[tr]"), false});
    for (const QString &groupText : russian) {
        TranslationSection section;
        section.code = QStringLiteral("N");
        TranslationGroup group;
        for (const QString &variant : groupText.split(QLatin1Char(';'))) {
            const QStringList parts = variant.split(QLatin1Char('|'));
            group.append({parts.value(0), parts.value(1)});
        }
        section.groups.append(group);
        c.translations.append(section);
    }
    return c;
}

// Foreign words only; `out` marks cards outside the filter.
static void fillWith(Dictionary &dict, const QStringList &words, const QList<int> &out = {})
{
    for (int i = 0; i < words.size(); ++i)
        dict.addCard(searchCard({words[i]}, {}, !out.contains(i)));
}

// Records the restart questions and answers them from a queue.
struct Asker {
    QList<bool> answers;
    QStringList asked;
    std::function<bool(const QString &)> fn()
    {
        return [this](const QString &q) {
            asked << q;
            return answers.isEmpty() ? false : answers.takeFirst();
        };
    }
};

static DictionarySearch foreignSearch(const QString &text, bool warn = true)
{
    DictionarySearch s;
    s.setQuery(text, true, false, warn);
    return s;
}

class TestDictionarySearch : public QObject
{
    Q_OBJECT

private slots:
    void cardMatches_data();
    void cardMatches();
    void acceptSimplifiesText_data();
    void acceptSimplifiesText();
    void acceptSetsOptionsAndStartsAtTop();
    void historyKeepsTwentyNewest();
    void newSearchForgetsText();
    void searchGoesOnThenStartsOver();
    void lastCardAsksToRestart();
    void removedCardsAskToRestart();
    void matchesOutsideFilter_data();
    void matchesOutsideFilter();
    void russianSearchSeesEveryChange_data();
    void russianSearchSeesEveryChange();
    void nothingToSearch();
    void foreignSearchAgreesWithPlainSearch();
};

void TestDictionarySearch::cardMatches_data()
{
    QTest::addColumn<Card>("card");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("expected");

    const auto f = [](const QStringList &words) { return searchCard(words); };
    QTest::newRow("part of a word") << f({"concatenate"}) << "cat" << true << false << true;
    QTest::newRow("whole: word among words") << f({"the cat"}) << "cat" << true << true << true;
    QTest::newRow("whole: inside a word") << f({"concatenate"}) << "cat" << true << true << false;
    QTest::newRow("whole: only the first occurrence counts")
        << f({"concat cat"}) << "cat" << true << true << false;
    QTest::newRow("whole: the next foreign word is tested")
        << f({"concat cat", "a cat"}) << "cat" << true << true << true;
    QTest::newRow("whole: digits are word characters")
        << f({"cat2"}) << "cat" << true << true << false;
    QTest::newRow("whole: hyphen is not") << f({"cat-like"}) << "cat" << true << true << true;
    QTest::newRow("case ignored") << f({"The CAT"}) << "cat" << true << true << true;
    QTest::newRow("Cyrillic foreign word, whole")
        << f({"Ёж-колючка"}) << "ёж" << true << true << true;
    QTest::newRow("white space of the word simplified")
        << f({"  cat \t  dog "}) << "cat dog" << true << true << true;
    QTest::newRow("simplified word, whole, text inside a word")
        << f({"wildcat   dog"}) << "cat dog" << true << true << false;
    QTest::newRow("transcription not searched")
        << searchCard({"dog"}) << "tr" << true << false << false;
    QTest::newRow("foreign search skips Russian")
        << searchCard({"dog"}, {"кот"}) << "кот" << true << false << false;

    // The search goes on after a false start without reading a unit twice;
    // these are the cases where going on at the wrong place misses a match.
    QTest::newRow("overlap: aab in aaab") << f({"aaab"}) << "aab" << true << false << true;
    QTest::newRow("overlap: abab in abaabab") << f({"abaabab"}) << "abab" << true << false << true;
    QTest::newRow("overlap, case ignored") << f({"AaAb"}) << "aab" << true << false << true;
    QTest::newRow("whole: the first occurrence is inside a word")
        << f({"aaab aab"}) << "aab" << true << true << false;
    QTest::newRow("long word of near-matches")
        << f({QString(5000, 'a')}) << QString(300, 'a') + "b" << true << false << false;
    QTest::newRow("long word, match at the end")
        << f({QString(5000, 'a') + "b"}) << QString(300, 'a') + "b" << true << false << true;

    const auto r = [](const QStringList &groups) { return searchCard({"x"}, groups); };
    QTest::newRow("Russian: overlap") << r({"ккккот"}) << "ккот" << false << false << true;
    QTest::newRow("Russian: overlap across words does not count")
        << r({"кк", "кот"}) << "ккот" << false << false << false;
    QTest::newRow("Russian: case ignored") << r({"Кот"}) << "кот" << false << false << true;
    QTest::newRow("Russian: part of a word") << r({"котёнок"}) << "кот" << false << false << true;
    QTest::newRow("Russian whole: part of a word")
        << r({"котёнок"}) << "кот" << false << true << false;
    QTest::newRow("Russian whole: Cyrillic word boundaries")
        << r({"мой Кот спит"}) << "кот" << false << true << true;
    QTest::newRow("Russian whole: later occurrences count")
        << r({"скотина и кот"}) << "кот" << false << true << true;
    QTest::newRow("Russian whole: text is an expression")
        << r({"axb"}) << "a.b" << false << true << true;
    QTest::newRow("Russian whole: quantifier keeps its meaning")
        << r({"ко"}) << "кот?" << false << true << true;
    QTest::newRow("Russian whole: boundary before a dash needs a letter")
        << r({"а-кот"}) << "-кот" << false << true << true;
    QTest::newRow("Russian whole: no boundary between blank and dash")
        << r({"мой -кот"}) << "-кот" << false << true << false;
    QTest::newRow("Russian whole: invalid expression is literal")
        << r({"кот (разг"}) << "кот (" << false << true << true;
    QTest::newRow("Russian: later section and variant")
        << r({"дом", "собака;кошка"}) << "кошк" << false << false << true;
    QTest::newRow("Russian: remark not searched")
        << r({"собака|кот"}) << "кот" << false << false << false;
    QTest::newRow("Russian search skips foreign")
        << searchCard({"cat"}, {"кот"}) << "cat" << false << false << false;
}

void TestDictionarySearch::cardMatches()
{
    QFETCH(Card, card);
    QFETCH(QString, text);
    QFETCH(bool, foreign);
    QFETCH(bool, wholeWord);
    QFETCH(bool, expected);

    DictionarySearch s;
    s.setQuery(text, foreign, wholeWord, true);
    QCOMPARE(s.cardMatches(card), expected);
    // Read in place from a store: the same answer.
    CardStore store;
    store.append(card, 1);
    QCOMPARE(s.cardMatches(store.view(0)), expected);
}

void TestDictionarySearch::acceptSimplifiesText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("searched");

    QTest::newRow("blanks around and inside") << "  cat   dog "
                                              << "cat dog";
    QTest::newRow("tabs and line breaks") << "\tкот\n"
                                          << "кот";
    QTest::newRow("only blanks") << " \t "
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestDictionarySearch::acceptSimplifiesText()
{
    QFETCH(QString, typed);
    QFETCH(QString, searched);

    DictionarySearch s;
    s.accept(QStringLiteral("old"), SearchButtonStates());
    const bool accepted = s.accept(typed, SearchButtonStates());
    QCOMPARE(accepted, !searched.isEmpty());
    if (searched.isEmpty()) {
        // A refused text changes nothing.
        QCOMPARE(s.lastSearchText(), QStringLiteral("old"));
        QCOMPARE(s.history(), QStringList{QStringLiteral("old")});
    } else {
        QCOMPARE(s.lastSearchText(), searched);
        QCOMPARE(s.history().last(), searched);
    }
}

void TestDictionarySearch::acceptSetsOptionsAndStartsAtTop()
{
    Dictionary dict;
    fillWith(dict, {"cat", "dog"});
    DictionarySearch s = foreignSearch(QStringLiteral("dog"));
    QCOMPARE(s.searchNext(dict, {}).index, 1);

    SearchButtonStates buttons;
    buttons.radioButton1 = false;
    buttons.radioButton2 = true;
    buttons.checkBox1 = false;
    buttons.checkBox2 = false;
    QVERIFY(s.accept(QStringLiteral("кот"), buttons));
    QCOMPARE(s.searchForeign(), false);
    QCOMPARE(s.wholeWord(), false);
    QCOMPARE(s.warnOutsideFilter(), false);
    QCOMPARE(s.lastFoundIndex(), -1);
    QVERIFY(s.buttons() == buttons);
}

void TestDictionarySearch::historyKeepsTwentyNewest()
{
    DictionarySearch s;
    for (int i = 1; i <= 21; ++i)
        s.accept(QStringLiteral("text%1").arg(i), SearchButtonStates());
    QCOMPARE(s.history().size(), 20);
    QCOMPARE(s.history().first(), QStringLiteral("text2"));
    QCOMPARE(s.history().last(), QStringLiteral("text21"));

    // A text already there is neither added again nor moved.
    s.accept(QStringLiteral("text5"), SearchButtonStates());
    QCOMPARE(s.history().size(), 20);
    QCOMPARE(s.history().indexOf(QStringLiteral("text5")), 3);
    QCOMPARE(s.lastSearchText(), QStringLiteral("text5"));
}

void TestDictionarySearch::newSearchForgetsText()
{
    Dictionary dict;
    fillWith(dict, {"cat"});
    DictionarySearch s = foreignSearch(QStringLiteral("cat"));
    QVERIFY(s.canSearchAgain());
    s.searchNext(dict, {});
    s.beginNewSearch();
    QVERIFY(!s.canSearchAgain());
    QCOMPARE(s.lastFoundIndex(), -1);
    QCOMPARE(s.searchNext(dict, {}).outcome, SearchResult::Idle);

    // One character is searched once but not repeated by F3.
    s.setQuery(QStringLiteral("c"), true, false, true);
    QVERIFY(!s.canSearchAgain());
}

void TestDictionarySearch::searchGoesOnThenStartsOver()
{
    Dictionary dict;
    fillWith(dict, {"cat", "dog", "wildcat", "bird"});
    DictionarySearch s = foreignSearch(QStringLiteral("cat"));
    Asker asker;

    SearchResult r = s.searchNext(dict, asker.fn());
    QCOMPARE(r.outcome, SearchResult::Found);
    QCOMPARE(r.index, 0);
    QCOMPARE(r.cardId, dict.cardAt(0).id);
    QVERIFY(r.warning.isEmpty());

    r = s.searchNext(dict, asker.fn());
    QCOMPARE(r.index, 2);
    QCOMPARE(r.cardId, dict.cardAt(2).id);

    // Nothing below the last match, which is not the last card: no question.
    r = s.searchNext(dict, asker.fn());
    QCOMPARE(r.outcome, SearchResult::NotFound);
    QCOMPARE(r.warning, QStringLiteral("Совпадений не найдено"));
    QCOMPARE(s.lastFoundIndex(), -1);

    r = s.searchNext(dict, asker.fn());
    QCOMPARE(r.index, 0);
    QVERIFY(asker.asked.isEmpty());
}

void TestDictionarySearch::lastCardAsksToRestart()
{
    Dictionary dict;
    fillWith(dict, {"dog", "cat", "bird", "cat"});
    DictionarySearch s = foreignSearch(QStringLiteral("cat"));
    Asker asker;
    asker.answers = {false, true};

    s.searchNext(dict, asker.fn());
    QCOMPARE(s.searchNext(dict, asker.fn()).index, 3);

    SearchResult r = s.searchNext(dict, asker.fn());
    QCOMPARE(r.outcome, SearchResult::Declined);
    QVERIFY(r.askedToRestart);
    QVERIFY(r.warning.isEmpty());
    QCOMPARE(asker.asked, QStringList{QStringLiteral(
                              "Поиск достиг конца словаря.\nПродолжить поиск с начала?")});
    QCOMPARE(s.lastFoundIndex(), 3);

    r = s.searchNext(dict, asker.fn());
    QCOMPARE(r.outcome, SearchResult::Found);
    QCOMPARE(r.index, 1);
    QCOMPARE(asker.asked.size(), 2);
}

void TestDictionarySearch::removedCardsAskToRestart()
{
    Dictionary dict;
    fillWith(dict, {"dog", "bird", "cat"});
    DictionarySearch s = foreignSearch(QStringLiteral("cat"));
    s.searchNext(dict, {});
    QCOMPARE(s.lastFoundIndex(), 2);
    dict.removeCard(dict.cardAt(0).id);
    dict.removeCard(dict.cardAt(0).id);

    Asker asker;
    asker.answers = {true};
    const SearchResult r = s.searchNext(dict, asker.fn());
    QCOMPARE(asker.asked.size(), 1);
    QCOMPARE(r.index, 0);
}

void TestDictionarySearch::matchesOutsideFilter_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QList<int>>("outside");
    QTest::addColumn<bool>("warn");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("warning");

    const QString filterText =
        QStringLiteral("Найдено совпадение в карточках не соответствующих установленному фильтру");
    QTest::newRow("only match outside, warned")
        << QStringList{"dog", "cat"} << QList<int>{1} << true
        << int(SearchResult::OnlyOutsideFilter) << -1 << filterText;
    QTest::newRow("only match outside, not warned")
        << QStringList{"dog", "cat"} << QList<int>{1} << false << int(SearchResult::NotFound) << -1
        << "Совпадений не найдено";
    QTest::newRow("passed over for a later match")
        << QStringList{"cat", "dog", "cat"} << QList<int>{0} << true << int(SearchResult::Found)
        << 2 << "";
}

void TestDictionarySearch::matchesOutsideFilter()
{
    QFETCH(QStringList, words);
    QFETCH(QList<int>, outside);
    QFETCH(bool, warn);
    QFETCH(int, outcome);
    QFETCH(int, index);
    QFETCH(QString, warning);

    Dictionary dict;
    fillWith(dict, words, outside);
    DictionarySearch s = foreignSearch(QStringLiteral("cat"), warn);
    SearchResult r = s.searchNext(dict, {});
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(r.index, index);
    QCOMPARE(r.warning, warning);
    if (r.outcome == SearchResult::OnlyOutsideFilter) {
        // The same stretch is searched again, without any question.
        Asker asker;
        r = s.searchNext(dict, asker.fn());
        QCOMPARE(r.outcome, SearchResult::OnlyOutsideFilter);
        QVERIFY(asker.asked.isEmpty());
        // Once the card passes the filter, it is found.
        dict.updateMarks([](MarkedCard &c) { c.setInFilter(true); });
        QCOMPARE(s.searchNext(dict, {}).index, 1);
    }
}

void TestDictionarySearch::nothingToSearch()
{
    Dictionary empty;
    DictionarySearch s = foreignSearch(QStringLiteral("cat"));
    Asker asker;
    QCOMPARE(s.searchNext(empty, asker.fn()).outcome, SearchResult::Idle);

    DictionarySearch none;
    Dictionary dict;
    fillWith(dict, {"cat"});
    QCOMPARE(none.searchNext(dict, asker.fn()).outcome, SearchResult::Idle);
    QVERIFY(!none.cardMatches(dict.cardAt(0)));
    QVERIFY(asker.asked.isEmpty());
}

// The Russian words are read from a buffer made once per dictionary state;
// any change to the cards must reach the next search.
void TestDictionarySearch::russianSearchSeesEveryChange_data()
{
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("change");
    for (bool whole : {false, true}) {
        const char *kind = whole ? "whole word" : "part";
        QTest::addRow("%s, replaced card", kind) << whole << 0;
        QTest::addRow("%s, changed through the card pointer", kind) << whole << 1;
        QTest::addRow("%s, reordered", kind) << whole << 2;
        QTest::addRow("%s, removed", kind) << whole << 3;
    }
}

void TestDictionarySearch::russianSearchSeesEveryChange()
{
    QFETCH(bool, wholeWord);
    QFETCH(int, change);
    Dictionary dict;
    for (const char *w : {"дом", "кот", "лес", "мир"})
        dict.addCard(searchCard({QStringLiteral("x")}, {QString::fromUtf8(w)}));
    DictionarySearch s;
    s.setQuery(QStringLiteral("КОТ"), false, wholeWord, true);
    QCOMPARE(s.searchNext(dict, {}).cardId, 2);
    QCOMPARE(s.searchNext(dict, {}).outcome, SearchResult::NotFound);

    switch (change) {
    case 0: {
        Card c = *dict.cardById(4);
        c.translations[0].groups[0][0].word = QStringLiteral("кот");
        dict.setCard(c);
        break;
    }
    case 1:
        dict.updateCard(
            4, [](Card &c) { c.translations[0].groups[0][0].word = QStringLiteral("кот"); });
        break;
    case 2:
        dict.reorder({1, 0, 3, 2}); // кот, дом, мир, лес
        break;
    case 3:
        dict.removeCard(2);
        break;
    }
    // The matches from the top, in table order, until none is left.
    QList<int> found;
    for (SearchResult r = s.searchNext(dict, {}); r.outcome == SearchResult::Found;
         r = s.searchNext(dict, {}))
        found << r.cardId;
    const QList<QList<int>> expected = {{2, 4}, {2, 4}, {2}, {}};
    QCOMPARE(found, expected[change]);
    if (change == 2)
        QCOMPARE(dict.indexOfId(2), 0);
}

QTEST_GUILESS_MAIN(TestDictionarySearch)
// Random words and texts over a small alphabet, full of false starts: the
// search finds a text exactly when a plain case-insensitive search does.
void TestDictionarySearch::foreignSearchAgreesWithPlainSearch()
{
    QRandomGenerator rng(7);
    const QString letters = QStringLiteral("aAbБб");
    const auto random = [&](int maxLength) {
        QString t;
        for (int n = 1 + int(rng.bounded(maxLength)); n > 0; --n)
            t += letters[int(rng.bounded(int(letters.size())))];
        return t;
    };
    for (int i = 0; i < 3000; ++i) {
        const QString word = random(24);
        const QString text = random(5);
        DictionarySearch s;
        s.setQuery(text, true, false, true);
        QVERIFY2(s.cardMatches(searchCard({word})) == word.contains(text, Qt::CaseInsensitive),
                 qPrintable(word + " / " + text));
    }
}

#include "test_dictionary_search.moc"
