#include "core/dictionary/dictionary.h"
#include "core/run/run_state.h"

#include <QtTest>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>

namespace
{

using L = QList<int>;

Card makeCard(int n = 1, int p = 1, int r = 0, int a = 0)
{
    Card c;
    c.lesson = QStringLiteral("L1");
    c.nPRE = n, c.pRE = p, c.rRE = r, c.aRE = a;
    return c;
}

// Plays the values back, then repeats the last one.
RunState::RandomSource sequence(L values)
{
    auto q = std::make_shared<L>(std::move(values));
    return [q] { return q->size() > 1 ? q->takeFirst() : q->first(); };
}

WorkSettings settings(bool training, bool enRu = false)
{
    WorkSettings ws;
    ws.training = training;
    ws.en_ru = enRu;
    ws.lesson = training ? QString() : QStringLiteral("L1");
    return ws;
}

struct Run {
    Dictionary dict;
    RunState run;
    explicit Run(int cards, bool training = true)
    {
        for (int i = 0; i < cards; ++i)
            dict.addCard(makeCard());
        run.setRandomSource(sequence({0}));
        ws = settings(training);
    }
    WorkSettings ws;
    void start()
    {
        run.fillLists(dict, ws);
        run.startRunning(dict);
    }
    ChooseOutcome next(int numRightLearn = 3) { return run.chooseNextCard(dict, numRightLearn); }
    int id() const { return run.currentCardId(); }
};

} // namespace

class TestRunState : public QObject
{
    Q_OBJECT

private slots:
    void fill_data();
    void fill();
    void accounting_data();
    void accounting();
    void raisedPriorityComesDown();
    void showingsFollowPriorityAndCyclesRestart();
    void goingBack();
    void turningOffAndOn();
    void learningMarks();
    void drawPosition_data();
    void drawPosition();
    void defaultRandomSource();
    void defaultSourceReachesEveryPosition_data();
    void defaultSourceReachesEveryPosition();
    void listsSurviveResortAndNewCards();
    void resetAndArchive();
    void statusLine();
};

void TestRunState::fill_data()
{
    QTest::addColumn<WorkSettings>("ws");
    QTest::addColumn<L>("due");
    QTest::addColumn<L>("done");

    // 1 plain, 2 archived, 3 outside the filter, 4 done ру-ин, 5 done ин-ру,
    // 6 of lesson "l1" (lessons match exactly).
    WorkSettings ws = settings(true);
    QTest::newRow("plain") << ws << L{1, 3, 5, 6} << L{4};
    ws = settings(true, true);
    ws.use_filter = ws.use_archive = true;
    QTest::newRow("filter, archive, ин-ру") << ws << L{1, 2, 4, 6} << L{5};
    QTest::newRow("learning") << settings(false) << L{1, 3, 4, 5} << L{};
}

void TestRunState::fill()
{
    QFETCH(WorkSettings, ws);
    QFETCH(L, due);
    QFETCH(L, done);
    Run t(6);
    t.dict.updateMarksOf(1, [](MarkedCard &c) { c.setRunMark(4); });
    t.dict.updateCard(2, [](Card &c) { c.nAr = false; });
    t.dict.updateMarksOf(3, [](MarkedCard &c) { c.setInFilter(false); });
    t.dict.updateCard(4, [](Card &c) { c.rRE = 1; });
    t.dict.updateCard(5, [](Card &c) { c.rER = 1; });
    t.dict.updateCard(6, [](Card &c) { c.lesson = QStringLiteral("l1"); });
    const FillResult f = t.run.fillLists(t.dict, ws);
    QCOMPARE(t.run.dueCards(), due);
    QCOMPARE(t.run.doneCards(), done);
    QCOMPARE(f.count, int(due.size() + done.size()));
    QCOMPARE(f.archivedInLesson, !ws.training);
    QCOMPARE(t.dict.cardById(1)->runMark, ws.training ? 4 : 0);
}

void TestRunState::accounting_data()
{
    QTest::addColumn<L>("before"); // n, p, r, a
    QTest::addColumn<bool>("mistake");
    QTest::addColumn<L>("after");
    QTest::addColumn<bool>("leaves");

    QTest::newRow("base 1 right") << L{1, 1, 0, 0} << false << L{1, 1, 1, 0} << true;
    QTest::newRow("base 2 right") << L{2, 2, 0, 3} << false << L{2, 2, 1, 0} << false;
    QTest::newRow("mistake") << L{2, 2, 1, 2} << true << L{2, 3, 0, 0} << false;
    QTest::newRow("mistake at 10") << L{1, 10, 0, 4} << true << L{1, 10, 0, 0} << false;
    QTest::newRow("raised") << L{1, 3, 0, 1} << false << L{1, 3, 0, 2} << false;
    QTest::newRow("fifth right") << L{1, 3, 0, 4} << false << L{1, 2, 0, 0} << false;
    QTest::newRow("p below n") << L{3, 1, 0, 2} << false << L{3, 1, 0, 2} << true;
}

void TestRunState::accounting()
{
    QFETCH(L, before);
    QFETCH(bool, mistake);
    QFETCH(L, after);
    QFETCH(bool, leaves);
    Run t(0);
    const int id = t.dict.addCard(makeCard(before[0], before[1], before[2], before[3]));
    t.dict.addCard(makeCard());
    t.start();
    t.next();
    if (mistake)
        QVERIFY(t.run.makeMistake(t.dict, 3) && t.run.makeMistake(t.dict, 3)); // counts once
    t.next();
    const Card c = *t.dict.cardById(id);
    QCOMPARE((L{c.nPRE, c.pRE, c.rRE, c.aRE}), after);
    QCOMPARE(t.run.doneCards().contains(id), leaves);
    QCOMPARE(t.run.recentCards(), L{id});
}

void TestRunState::raisedPriorityComesDown()
{
    Run t(0);
    Card card = makeCard(4, 6, 0, 2); // ру-ин fields an ин-ру run must not touch
    card.nPER = card.pER = 2;
    const int id = t.dict.addCard(card);
    t.dict.addCard(makeCard());
    t.ws.en_ru = true;
    t.start();
    t.next();
    t.run.makeMistake(t.dict, 3);
    // p goes to 3, five right answers bring it back to 2, two more finish
    // the cycle: seven more showings.
    int shown = 0;
    while (t.next().result == ChooseResult::CardChosen && t.id() == id)
        ++shown;
    QCOMPARE(shown, 7);
    const Card c = *t.dict.cardById(id);
    QCOMPARE((L{c.pER, c.rER, c.aER, c.nPRE, c.pRE, c.rRE, c.aRE}), (L{2, 2, 0, 4, 6, 0, 2}));
}

void TestRunState::showingsFollowPriorityAndCyclesRestart()
{
    Run t(0);
    QHash<int, int> priority;
    int total = 0;
    for (int i = 0; i < 12; ++i) {
        const int p = 1 + i % 3;
        priority.insert(t.dict.addCard(makeCard(p, p)), p);
        total += p;
    }
    // Done before the run: waits until every due card finished the cycle.
    const int late = t.dict.addCard(makeCard(1, 1, 1));
    auto engine = std::make_shared<std::mt19937>(7);
    t.run.setRandomSource([engine] { return int((*engine)() % 32768); });
    t.start();

    QHash<int, int> shown;
    for (int i = 0; i < total; ++i) {
        t.next();
        ++shown[t.id()];
    }
    QCOMPARE(shown, priority);
    QCOMPARE(t.dict.cardById(late)->rRE, 1);
    t.next(); // the new cycle starts in the old order with repetitions reset
    QCOMPARE(t.run.dueCards().size(), 13);
    QCOMPARE(t.run.dueCards().first(), late);
    QCOMPARE(t.dict.cardById(late)->rRE, 0);
    QVERIFY(t.run.doneCards().isEmpty());
}

void TestRunState::goingBack()
{
    Run t(10);
    t.start();
    QVERIFY(!t.run.requestPrevious());
    for (int i = 0; i < 8; ++i)
        t.next();
    QCOMPARE(t.run.recentCards(), (L{3, 4, 5, 6, 7})); // 1, 2 dropped
    L back;
    while (t.run.requestPrevious()) {
        QVERIFY(t.run.goingBack && t.run.answerShown);
        t.next();
        back.append(t.id());
    }
    QCOMPARE(back, (L{7, 6, 5, 4, 3}));
    QCOMPARE(t.dict.cardById(8)->rRE, 0); // the card left was not counted
    t.run.goingBack = true;
    QCOMPARE(t.next().result, ChooseResult::NoPreviousCard);
    QVERIFY(!t.run.goingBack && !t.run.hasCurrentCard());

    // A recent card turned off meanwhile is passed over for a draw.
    Run l(3, false);
    l.start();
    for (int i = 0; i < 4; ++i)
        l.next(); // 1, 2, 3, then a new cycle draws 1
    QVERIFY(l.run.turnOffCurrentCard());
    QVERIFY(l.run.requestPrevious());
    l.next();
    QVERIFY(l.run.requestPrevious());
    l.next();
    QCOMPARE(l.id(), 2);
    l.run.setRandomSource(sequence({32767}));
    QVERIFY(l.run.requestPrevious());
    QCOMPARE(l.next().result, ChooseResult::CardChosen);
    QCOMPARE(l.id(), 3);
    QVERIFY(!l.run.canGoBack());
    QCOMPARE(l.run.offCards(), L{1});
}

void TestRunState::turningOffAndOn()
{
    Run t(3, false);
    t.start();
    QVERIFY(t.run.turnOnAllCards()); // nothing is off: the window warns
    QVERIFY(!t.run.turnOffCurrentCard());
    t.next();
    t.next();
    t.next();
    QCOMPARE(t.run.doneCards(), (L{1, 2}));
    QVERIFY(t.run.turnOffCurrentCard()); // the last due card: a new cycle follows
    QCOMPARE(t.dict.cardById(3)->runMark, 0);
    QCOMPARE(t.next().result, ChooseResult::CardChosen);
    QCOMPARE(t.run.dueCards(), (L{1, 2}));
    QVERIFY(t.run.turnOffCurrentCard());
    t.next();
    QVERIFY(t.run.turnOffCurrentCard());
    const ChooseOutcome none = t.next();
    QCOMPARE(none.result, ChooseResult::NothingToShow);
    QVERIFY(none.allCardsOff);
    QVERIFY(!t.run.turnOnAllCards());
    QCOMPARE(t.run.dueCards(), (L{3, 1, 2}));
    QCOMPARE(t.next().result, ChooseResult::CardChosen);
}

void TestRunState::learningMarks()
{
    Run t(3, false);
    t.start();
    QCOMPARE(t.next(1).offButton, OffButtonPaint::Alert); // runMark 0 < 1
    t.next(1);
    QCOMPARE(t.dict.cardById(1)->runMark, 1);
    t.dict.updateMarksOf(2, [](MarkedCard &c) { c.setRunMark(5); });
    QVERIFY(t.run.makeMistake(t.dict, 1));
    QCOMPARE(t.dict.cardById(2)->runMark, 0); // at once, not at the next choice
    QVERIFY(!t.run.mistakeMade);
    QVERIFY(!t.run.makeMistake(t.dict, 0));                   // no flash when nothing is counted
    QCOMPARE(t.next(1).offButton, OffButtonPaint::Unchanged); // the only due card: no draw
    QCOMPARE(t.run.dueCards().size(), 1);
    QCOMPARE(t.next(1).offButton, OffButtonPaint::Normal); // new cycle, card 1 learned

    Run rep(3);
    rep.start();
    QCOMPARE(rep.next(5).offButton, OffButtonPaint::Unchanged);
}

void TestRunState::drawPosition_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<L>("draws");
    QTest::addColumn<int>("position");

    QTest::newRow("two, low half") << 2 << L{16383} << 0;
    QTest::newRow("two, high half") << 2 << L{16384} << 1;
    QTest::newRow("top value clamped") << 10 << L{32767} << 9;
    QTest::newRow("hundred") << 100 << L{16384} << 50;
    QTest::newRow("just below wide") << 32766 << L{32767} << 32765;
    QTest::newRow("wide middle") << 100000 << L{16384, 0} << 50000;
    QTest::newRow("wide top") << 100000 << L{32767, 32767} << 99999;
    QTest::newRow("bad source") << 10 << L{-5} << 0;
}

void TestRunState::drawPosition()
{
    QFETCH(int, k);
    QFETCH(L, draws);
    QFETCH(int, position);
    QCOMPARE(RunState::drawPosition(k, sequence(draws)), position);
}

// Without an injected source the run draws from its own engine: every draw
// in 0..randomMax, both ends of the range reached, every bit used.
void TestRunState::defaultRandomSource()
{
    RunState run;
    int low = RunState::randomMax;
    int high = 0;
    int anyBit = 0;
    int allBits = RunState::randomMax;
    for (int i = 0; i < 200000; ++i) {
        const int r = run.nextRandom();
        QVERIFY2(r >= 0 && r <= RunState::randomMax, qPrintable(QString::number(r)));
        low = std::min(low, r);
        high = std::max(high, r);
        anyBit |= r;
        allBits &= r;
    }
    QVERIFY(low < 100);
    QVERIFY(high > RunState::randomMax - 100);
    QCOMPARE(anyBit, RunState::randomMax);
    QCOMPARE(allBits, 0);

    // An empty function restores the default after an injected source.
    run.setRandomSource(sequence({5}));
    QCOMPARE(run.nextRandom(), 5);
    run.setRandomSource({});
    bool moved = false;
    for (int i = 0; i < 10 && !moved; ++i)
        moved = run.nextRandom() != 5;
    QVERIFY(moved);
}

void TestRunState::defaultSourceReachesEveryPosition_data()
{
    QTest::addColumn<int>("k");
    QTest::newRow("two") << 2;
    QTest::newRow("seven") << 7;
    QTest::newRow("thousand") << 1000;
    QTest::newRow("just below wide") << RunState::randomMax - 1;
    QTest::newRow("wide") << RunState::randomMax;
    QTest::newRow("beyond one draw") << 40000;
}

// Enough draws that missing a position by chance is below one in a
// million; each tenth of the list also gets its share within 5 %, so a
// source that favours one part shows.
void TestRunState::defaultSourceReachesEveryPosition()
{
    QFETCH(int, k);
    RunState run;
    const RunState::RandomSource source = [&run] { return run.nextRandom(); };
    std::vector<int> hits(k, 0);
    const int draws = std::max(200000, k * 36);
    for (int i = 0; i < draws; ++i) {
        const int p = RunState::drawPosition(k, source);
        QVERIFY(p >= 0 && p < k);
        ++hits[p];
    }
    const auto missing = std::find(hits.begin(), hits.end(), 0);
    QVERIFY2(missing == hits.end(),
             qPrintable(QStringLiteral("position %1 never drawn").arg(missing - hits.begin())));
    const int parts = std::min(k, 10);
    for (int part = 0; part < parts; ++part) {
        const qint64 from = qint64(k) * part / parts;
        const qint64 to = qint64(k) * (part + 1) / parts;
        const qint64 got = std::accumulate(hits.begin() + from, hits.begin() + to, qint64(0));
        const double expected = double(draws) * double(to - from) / k;
        QVERIFY2(
            std::abs(got - expected) < expected * 0.05,
            qPrintable(
                QStringLiteral("part %1: %2 draws, expected %3").arg(part).arg(got).arg(expected)));
    }
}

void TestRunState::listsSurviveResortAndNewCards()
{
    Run t(6);
    t.start();
    t.next();
    QCOMPARE(t.id(), 1);
    std::vector<int> reversed(size_t(t.dict.cardCount())); // the table re-sorts
    for (size_t i = 0; i < reversed.size(); ++i)
        reversed[i] = int(reversed.size() - 1 - i);
    t.dict.reorder(reversed);
    const int added = t.dict.addCard(makeCard());
    QCOMPARE(t.run.currentCard(t.dict)->id, 1);
    t.next();
    QCOMPARE(t.dict.cardById(1)->rRE, 1);
    QCOMPARE(t.dict.cardAt(0).rRE, 0);
    QVERIFY(!t.run.dueCards().contains(added) && !t.run.doneCards().contains(added));
}

void TestRunState::resetAndArchive()
{
    Dictionary dict;
    Card er = makeCard(1, 1, 1, 1);
    er.nPER = 2, er.pER = 5, er.rER = 3, er.aER = 4;
    dict.addCard(er);
    dict.addCard(makeCard(2, 4, 1, 3));
    dict.addCard(makeCard(3, 1, 1, 2)); // p below n is not counted
    QCOMPARE(::resetDictionaryState(dict), 2);
    QVERIFY(dict.isModified());
    for (const Card &c : dict.cards())
        QCOMPARE((L{c.pER - c.nPER, c.rER, c.aER, c.pRE - c.nPRE, c.rRE, c.aRE}),
                 (L{0, 0, 0, 0, 0, 0}));
    QCOMPARE(resetDoneMessage(0),
             QStringLiteral("<nobr>Карточки приведены в исходное состояние</nobr><br><nobr>У 0 "
                            "карточек снижен приоритет второго уровня</nobr><br><br><nobr>Не "
                            "забудьте сохранить словарь</nobr>"));

    dict.setModified(false);
    for (int id : {0, -1, 99})
        QVERIFY(!addToArchive(dict, id));
    QVERIFY(!dict.isModified());
    QVERIFY(addToArchive(dict, 2));
    QVERIFY(!dict.cardById(2)->nAr && dict.isModified());
    QVERIFY(!addToArchive(dict, 2)); // already archived
}

void TestRunState::statusLine()
{
    Run t(4);
    t.ws.use_filter = true;
    t.run.shownER = 3;
    t.run.shownRE = 7;
    const QString label = QStringLiteral("Приоритет: 1/2");
    t.start();
    QCOMPARE(
        runStatusLine(t.run, t.ws, false, MainTab::Help, true, label),
        QStringLiteral("Повторение слов, фильтр, с русского на иностранный. Повторено слов: 7. "
                       "(Автопроверка включена) Приоритет: 1/2"));

    Run l(4, false);
    l.start();
    l.next();
    l.run.turnOffCurrentCard();
    l.ws.en_ru = true;
    QCOMPARE(runStatusLine(l.run, l.ws, false, MainTab::Learning, false, label),
             QStringLiteral("Изучение слов урока \"L1\", с иностранного на русский. (Выключена 1 "
                            "карточка урока) Приоритет: 1/2"));
}

QTEST_GUILESS_MAIN(TestRunState)
#include "test_run_state.moc"
