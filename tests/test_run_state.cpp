#include "model/dictionary.h"
#include "run/run_state.h"

#include <QtTest>

#include <algorithm>
#include <random>

namespace
{

Card makeCard(const QString &word, int n = 1, int p = 1, int r = 0, int a = 0)
{
    Card c;
    c.foreignWords.append(ForeignWord{word, QString(), false});
    c.lesson = QStringLiteral("L1");
    c.nPRE = n;
    c.pRE = p;
    c.rRE = r;
    c.aRE = a;
    return c;
}

// Plays back the given values, then keeps returning the last one.
RunState::RandomSource sequence(QList<int> values)
{
    auto queue = std::make_shared<QList<int>>(std::move(values));
    return [queue] {
        const int v = queue->first();
        if (queue->size() > 1)
            queue->removeFirst();
        return v;
    };
}

WorkSettings repetition(bool enRu = false)
{
    WorkSettings ws;
    ws.training = true;
    ws.en_ru = enRu;
    return ws;
}

WorkSettings learning(const QString &lesson = QStringLiteral("L1"))
{
    WorkSettings ws;
    ws.training = false;
    ws.lesson = lesson;
    ws.use_autocheck = false;
    return ws;
}

void begin(RunState &run, Dictionary &dict, const WorkSettings &ws)
{
    run.fillLists(dict, ws);
    run.startRunning(dict);
}

} // namespace

class TestRunState : public QObject
{
    Q_OBJECT

private slots:
    void fillRepetition_data();
    void fillRepetition();
    void fillLearning();
    void startVerdict_data();
    void startVerdict();
    void accounting_data();
    void accounting();
    void raisedPriorityComesDown();
    void showingsPerCycleFollowPriority();
    void newCycleResetsRepetitions();
    void cardOutOfCycleWaitsForTheRest();
    void recentListAndGoingBack();
    void goingBackToDoneCardMovesItToDue();
    void goingBackOverTurnedOffCardDraws();
    void turningOffAndOn();
    void turningOffLastDueCardStartsNewCycle();
    void learningMarksAndMistakes();
    void drawPosition_data();
    void drawPosition();
    void drawReachesWholeLargeList();
    void listsSurviveResortAndNewCards();
    void staleFlagsClearedAtStart();
    void addToArchive_data();
    void addToArchive();
    void resetDictionaryState();
    void statusLine_data();
    void statusLine();
};

void TestRunState::fillRepetition_data()
{
    QTest::addColumn<bool>("useArchive");
    QTest::addColumn<bool>("useFilter");
    QTest::addColumn<bool>("enRu");
    QTest::addColumn<QList<int>>("due");
    QTest::addColumn<QList<int>>("done");

    // Cards: 1 plain; 2 archived; 3 outside the filter; 4 finished its
    // cycle ру-ин only; 5 finished ин-ру only.
    QTest::newRow("plain") << false << false << false << QList<int>{1, 3, 5} << QList<int>{4};
    QTest::newRow("archive") << true << false << false << QList<int>{1, 2, 3, 5} << QList<int>{4};
    QTest::newRow("filter") << false << true << false << QList<int>{1, 5} << QList<int>{4};
    QTest::newRow("foreign to Russian")
        << false << false << true << QList<int>{1, 3, 4} << QList<int>{5};
}

void TestRunState::fillRepetition()
{
    QFETCH(bool, useArchive);
    QFETCH(bool, useFilter);
    QFETCH(bool, enRu);
    QFETCH(QList<int>, due);
    QFETCH(QList<int>, done);

    Dictionary dict;
    for (int i = 1; i <= 5; ++i)
        dict.addCard(makeCard(QString::number(i)));
    dict.cardById(2)->nAr = false;
    dict.cardById(3)->inFilter = false;
    dict.cardById(4)->rRE = 1;
    dict.cardById(5)->rER = 3;
    dict.cardById(5)->pER = 3;

    WorkSettings ws = repetition(enRu);
    ws.use_archive = useArchive;
    ws.use_filter = useFilter;
    RunState run;
    const FillResult fill = run.fillLists(dict, ws);
    QCOMPARE(run.dueCards(), due);
    QCOMPARE(run.doneCards(), done);
    QCOMPARE(fill.count, int(due.size() + done.size()));
    QVERIFY(!fill.archivedInLesson);
}

void TestRunState::fillLearning()
{
    Dictionary dict;
    dict.addCard(makeCard(QStringLiteral("a")));
    dict.addCard(makeCard(QStringLiteral("b")));
    dict.addCard(makeCard(QStringLiteral("c")));
    dict.addCard(makeCard(QStringLiteral("d")));
    dict.cardById(1)->runMark = 7;
    dict.cardById(2)->nAr = false;
    dict.cardById(3)->lesson = QStringLiteral("l1"); // lessons match exactly
    dict.cardById(4)->rRE = 5;                       // priorities play no part

    RunState run;
    const FillResult fill = run.fillLists(dict, learning());
    QCOMPARE(run.dueCards(), (QList<int>{1, 4}));
    QVERIFY(run.doneCards().isEmpty());
    QCOMPARE(fill.count, 2);
    QVERIFY(fill.archivedInLesson);
    QCOMPARE(dict.cardById(1)->runMark, 0);

    dict.cardById(1)->nAr = false;
    dict.cardById(4)->nAr = false;
    const FillResult none = run.fillLists(dict, learning());
    QCOMPARE(none.count, 0);
    QCOMPARE(startWarning(none), RunText::allLessonCardsArchived());
    QVERIFY(run.dueCards().isEmpty());
}

void TestRunState::startVerdict_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("archived");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("ask");

    QTest::newRow("none") << 0 << false << RunText::noCardsToStart() << false;
    QTest::newRow("all archived") << 0 << true << RunText::allLessonCardsArchived() << false;
    QTest::newRow("one") << 1 << true << QString() << true;
    QTest::newRow("nine") << 9 << false << QString() << true;
    QTest::newRow("ten") << 10 << false << QString() << false;
}

void TestRunState::startVerdict()
{
    QFETCH(int, count);
    QFETCH(bool, archived);
    QFETCH(QString, warning);
    QFETCH(bool, ask);
    FillResult fill;
    fill.count = count;
    fill.archivedInLesson = archived;
    QCOMPARE(startWarning(fill), warning);
    QCOMPARE(needsFewCardsQuestion(fill), ask);
}

void TestRunState::accounting_data()
{
    QTest::addColumn<bool>("enRu");
    QTest::addColumn<QList<int>>("before"); // n, p, r, a
    QTest::addColumn<bool>("mistake");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<bool>("leaves");

    QTest::newRow("base 1 right") << false << QList<int>{1, 1, 0, 0} << false
                                  << QList<int>{1, 1, 1, 0} << true;
    QTest::newRow("base 2 first right")
        << false << QList<int>{2, 2, 0, 3} << false << QList<int>{2, 2, 1, 0} << false;
    QTest::newRow("mistake raises")
        << false << QList<int>{2, 2, 1, 0} << true << QList<int>{2, 3, 0, 0} << false;
    QTest::newRow("mistake at 10")
        << false << QList<int>{1, 10, 0, 4} << true << QList<int>{1, 10, 0, 0} << false;
    QTest::newRow("raised collects")
        << false << QList<int>{1, 3, 0, 1} << false << QList<int>{1, 3, 0, 2} << false;
    QTest::newRow("raised lowers at 5")
        << false << QList<int>{1, 3, 0, 4} << false << QList<int>{1, 2, 0, 0} << false;
    QTest::newRow("below base") << false << QList<int>{3, 1, 0, 2} << false
                                << QList<int>{3, 1, 0, 2} << true;
    QTest::newRow("below base mistake")
        << false << QList<int>{3, 1, 0, 2} << true << QList<int>{3, 2, 0, 0} << false;
    QTest::newRow("foreign to Russian")
        << true << QList<int>{2, 2, 1, 0} << false << QList<int>{2, 2, 2, 0} << true;
}

void TestRunState::accounting()
{
    QFETCH(bool, enRu);
    QFETCH(QList<int>, before);
    QFETCH(bool, mistake);
    QFETCH(QList<int>, after);
    QFETCH(bool, leaves);

    Dictionary dict;
    Card target = makeCard(QStringLiteral("target"));
    // The other direction holds values a wrong branch would disturb.
    target.nPER = target.nPRE = 4;
    target.pER = target.pRE = 6;
    target.rER = target.rRE = 0;
    target.aER = target.aRE = 2;
    int &n = enRu ? target.nPER : target.nPRE;
    int &p = enRu ? target.pER : target.pRE;
    int &r = enRu ? target.rER : target.rRE;
    int &a = enRu ? target.aER : target.aRE;
    n = before[0];
    p = before[1];
    r = before[2];
    a = before[3];
    const int id = dict.addCard(target);
    dict.addCard(makeCard(QStringLiteral("other")));
    const Card untouched = *dict.cardById(id);

    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, repetition(enRu));
    QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::CardChosen);
    QCOMPARE(run.currentCardId(), id);
    if (mistake) {
        QVERIFY(run.makeMistake(dict, 3));
        QVERIFY(run.makeMistake(dict, 3)); // twice counts once
    }
    run.chooseNextCard(dict, 3);

    const Card &c = *dict.cardById(id);
    QCOMPARE(
        (enRu ? QList<int>{c.nPER, c.pER, c.rER, c.aER} : QList<int>{c.nPRE, c.pRE, c.rRE, c.aRE}),
        after);
    if (enRu)
        QCOMPARE((QList<int>{c.nPRE, c.pRE, c.rRE, c.aRE}),
                 (QList<int>{untouched.nPRE, untouched.pRE, untouched.rRE, untouched.aRE}));
    else
        QCOMPARE((QList<int>{c.nPER, c.pER, c.rER, c.aER}),
                 (QList<int>{untouched.nPER, untouched.pER, untouched.rER, untouched.aER}));
    QCOMPARE(run.doneCards().contains(id), leaves);
    QCOMPARE(run.dueCards().contains(id), !leaves);
    QVERIFY(!run.mistakeMade);
    QCOMPARE(run.recentCards(), QList<int>{id});
}

void TestRunState::raisedPriorityComesDown()
{
    Dictionary dict;
    const int id = dict.addCard(makeCard(QStringLiteral("t"), 2, 2));
    dict.addCard(makeCard(QStringLiteral("o")));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, repetition());
    run.chooseNextCard(dict, 3);
    run.makeMistake(dict, 3);

    // The mistake raises p to 3; five right answers bring it back to 2 and
    // two more finish the cycle: seven more showings in all.
    int shown = 0;
    while (run.chooseNextCard(dict, 3).result == ChooseResult::CardChosen &&
           run.currentCardId() == id)
        ++shown;
    QCOMPARE(shown, 7);
    const Card &c = *dict.cardById(id);
    QCOMPARE(c.pRE, 2);
    QCOMPARE(c.aRE, 0);
    QCOMPARE(c.rRE, 2);
    QVERIFY(run.doneCards().contains(id));
}

void TestRunState::showingsPerCycleFollowPriority()
{
    Dictionary dict;
    QHash<int, int> priority;
    for (int i = 0; i < 12; ++i) {
        const int p = 1 + i % 3;
        priority.insert(dict.addCard(makeCard(QString::number(i), p, p)), p);
    }
    int total = 0;
    for (int p : std::as_const(priority))
        total += p;

    RunState run;
    auto engine = std::make_shared<std::mt19937>(7);
    run.setRandomSource([engine] { return int((*engine)() % 32768); });
    begin(run, dict, repetition());
    QHash<int, int> shown;
    for (int i = 0; i < total; ++i) {
        QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::CardChosen);
        ++shown[run.currentCardId()];
    }
    QCOMPARE(shown, priority);
    // The last choice is still on screen; once it is left, the cycle is over.
    QCOMPARE(run.dueCards().size(), 1);
}

void TestRunState::newCycleResetsRepetitions()
{
    Dictionary dict;
    dict.addCard(makeCard(QStringLiteral("a")));
    dict.addCard(makeCard(QStringLiteral("b")));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, repetition());
    run.chooseNextCard(dict, 3); // a
    run.chooseNextCard(dict, 3); // a done (r 1), b the only one left
    QCOMPARE(dict.cardById(1)->rRE, 1);
    QCOMPARE(run.doneCards(), QList<int>{1});
    QCOMPARE(run.currentCardId(), 2);
    QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::CardChosen);
    // Both finished: a new cycle in the old order, repetitions from zero.
    QCOMPARE(dict.cardById(1)->rRE, 0);
    QCOMPARE(dict.cardById(2)->rRE, 0);
    QCOMPARE(run.dueCards(), (QList<int>{1, 2}));
    QVERIFY(run.doneCards().isEmpty());
}

void TestRunState::cardOutOfCycleWaitsForTheRest()
{
    Dictionary dict;
    dict.addCard(makeCard(QStringLiteral("finished"), 1, 1, 1));
    dict.addCard(makeCard(QStringLiteral("x")));
    dict.addCard(makeCard(QStringLiteral("y")));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, repetition());
    QList<int> order;
    for (int i = 0; i < 3; ++i) {
        run.chooseNextCard(dict, 3);
        order.append(run.currentCardId());
    }
    QCOMPARE(order, (QList<int>{2, 3, 1}));
}

void TestRunState::recentListAndGoingBack()
{
    Dictionary dict;
    for (int i = 0; i < 10; ++i)
        dict.addCard(makeCard(QString::number(i)));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, repetition());
    QVERIFY(!run.requestPrevious());
    for (int i = 0; i < 8; ++i)
        run.chooseNextCard(dict, 3);
    // Cards 1..7 were left; only the last five are kept.
    QCOMPARE(run.recentCards(), (QList<int>{3, 4, 5, 6, 7}));
    QCOMPARE(run.currentCardId(), 8);

    QList<int> back;
    while (run.requestPrevious()) {
        QVERIFY(run.goingBack);
        QVERIFY(run.answerShown);
        QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::CardChosen);
        back.append(run.currentCardId());
    }
    QCOMPARE(back, (QList<int>{7, 6, 5, 4, 3}));
    // Going back neither accounted for the cards left nor remembered them.
    QCOMPARE(dict.cardById(8)->rRE, 0);
    QVERIFY(run.recentCards().isEmpty());

    run.goingBack = true;
    QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::NoPreviousCard);
    QVERIFY(!run.goingBack);
    QVERIFY(!run.hasCurrentCard());
}

void TestRunState::goingBackToDoneCardMovesItToDue()
{
    Dictionary dict;
    for (int i = 0; i < 3; ++i)
        dict.addCard(makeCard(QString::number(i)));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, repetition());
    run.chooseNextCard(dict, 3);
    run.chooseNextCard(dict, 3);
    QCOMPARE(run.doneCards(), QList<int>{1});
    QVERIFY(run.requestPrevious());
    run.chooseNextCard(dict, 3);
    QCOMPARE(run.currentCardId(), 1);
    QCOMPARE(run.dueCards(), (QList<int>{2, 3, 1}));
    QCOMPARE(run.currentIndex(), 2);
    QVERIFY(run.doneCards().isEmpty());
}

void TestRunState::goingBackOverTurnedOffCardDraws()
{
    Dictionary dict;
    for (int i = 0; i < 3; ++i)
        dict.addCard(makeCard(QString::number(i)));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, learning());
    for (int i = 0; i < 4; ++i)
        run.chooseNextCard(dict, 3); // 1, 2, 3, then a new cycle draws 1
    QCOMPARE(run.currentCardId(), 1);
    QCOMPARE(run.recentCards(), (QList<int>{1, 2, 3}));
    QVERIFY(run.turnOffCurrentCard());

    QVERIFY(run.requestPrevious());
    run.chooseNextCard(dict, 3);
    QCOMPARE(run.currentCardId(), 3);
    QVERIFY(run.requestPrevious());
    run.chooseNextCard(dict, 3);
    QCOMPARE(run.currentCardId(), 2);

    // Card 1 is off now: it is passed over and a card is drawn instead.
    run.setRandomSource(sequence({32767}));
    QVERIFY(run.requestPrevious());
    QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::CardChosen);
    QCOMPARE(run.currentCardId(), 3);
    QVERIFY(run.recentCards().isEmpty());
    QCOMPARE(run.offCards(), QList<int>{1});
    QCOMPARE(run.dueCards(), (QList<int>{2, 3}));
    QVERIFY(!run.canGoBack());
}

void TestRunState::turningOffAndOn()
{
    Dictionary dict;
    dict.addCard(makeCard(QStringLiteral("a")));
    dict.addCard(makeCard(QStringLiteral("b")));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, learning());
    QVERIFY(run.turnOnAllCards());      // nothing off: the window warns
    QVERIFY(!run.turnOffCurrentCard()); // no card shown yet

    run.chooseNextCard(dict, 3);
    run.answerShown = false;
    QVERIFY(run.turnOffCurrentCard());
    QVERIFY(run.answerShown);
    run.chooseNextCard(dict, 3);
    QCOMPARE(run.currentCardId(), 2);
    QVERIFY(run.turnOffCurrentCard());
    // The turned-off cards were never accounted for.
    QCOMPARE(dict.cardById(1)->runMark, 0);
    QVERIFY(run.recentCards().isEmpty());

    const ChooseOutcome out = run.chooseNextCard(dict, 3);
    QCOMPARE(out.result, ChooseResult::NothingToShow);
    QVERIFY(out.allCardsOff);

    QVERIFY(!run.turnOnAllCards());
    QCOMPARE(run.dueCards(), (QList<int>{1, 2}));
    QVERIFY(run.offCards().isEmpty());
    QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::CardChosen);

    // Repetition runs never turn cards off.
    RunState rep;
    begin(rep, dict, repetition());
    rep.chooseNextCard(dict, 3);
    QVERIFY(!rep.turnOffCurrentCard());
    // ...and an empty repetition run has nothing to show, with no warning.
    Dictionary empty;
    RunState none;
    begin(none, empty, repetition());
    const ChooseOutcome nothing = none.chooseNextCard(empty, 3);
    QCOMPARE(nothing.result, ChooseResult::NothingToShow);
    QVERIFY(!nothing.allCardsOff);
}

void TestRunState::turningOffLastDueCardStartsNewCycle()
{
    Dictionary dict;
    for (int i = 0; i < 3; ++i)
        dict.addCard(makeCard(QString::number(i)));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, learning());
    run.chooseNextCard(dict, 3);
    run.chooseNextCard(dict, 3);
    run.chooseNextCard(dict, 3);
    QCOMPARE(run.doneCards(), (QList<int>{1, 2}));
    QVERIFY(run.turnOffCurrentCard());
    QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::CardChosen);
    QCOMPARE(run.dueCards(), (QList<int>{1, 2}));
    QCOMPARE(run.offCards(), QList<int>{3});
}

void TestRunState::learningMarksAndMistakes()
{
    Dictionary dict;
    for (int i = 0; i < 3; ++i)
        dict.addCard(makeCard(QString::number(i)));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, learning());

    ChooseOutcome out = run.chooseNextCard(dict, 1);
    QCOMPARE(out.offButton, OffButtonPaint::Alert); // runMark 0 < 1
    out = run.chooseNextCard(dict, 1);              // card 1 leaves with runMark 1
    QCOMPARE(dict.cardById(1)->runMark, 1);
    QCOMPARE(out.offButton, OffButtonPaint::Alert);
    QVERIFY(run.makeMistake(dict, 1)); // flash: numRightLearn above 0
    QCOMPARE(dict.cardById(2)->runMark, 0);
    QVERIFY(!run.mistakeMade); // learning runs clear the mark at once
    QVERIFY(!run.makeMistake(dict, 0));

    run.chooseNextCard(dict, 1); // 2 leaves; 3 is the only due card
    QCOMPARE(run.currentCardId(), 3);
    out = run.chooseNextCard(dict, 1); // new cycle: 1 (runMark 1) drawn
    QCOMPARE(run.currentCardId(), 1);
    QCOMPARE(out.offButton, OffButtonPaint::Normal);
    QVERIFY(out.offButtonRed() == false);

    // The only due card is taken without a draw and without repainting.
    run.chooseNextCard(dict, 1);
    run.chooseNextCard(dict, 1);
    QCOMPARE(run.dueCards().size(), 1);
    // Not running: no mistake.
    run.endRun();
    QVERIFY(!run.makeMistake(dict, 1));

    Dictionary single;
    single.addCard(makeCard(QStringLiteral("only")));
    RunState one;
    begin(one, single, learning());
    out = one.chooseNextCard(single, 5);
    QCOMPARE(out.result, ChooseResult::CardChosen);
    QCOMPARE(out.offButton, OffButtonPaint::Unchanged);

    RunState rep;
    rep.setRandomSource(sequence({0}));
    begin(rep, dict, repetition());
    QCOMPARE(rep.chooseNextCard(dict, 5).offButton, OffButtonPaint::Unchanged);
}

void TestRunState::drawPosition_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QList<int>>("draws");
    QTest::addColumn<int>("position");

    QTest::newRow("two, low half") << 2 << QList<int>{16383} << 0;
    QTest::newRow("two, high half") << 2 << QList<int>{16384} << 1;
    QTest::newRow("top value clamped") << 10 << QList<int>{32767} << 9;
    QTest::newRow("hundred") << 100 << QList<int>{32766} << 99;
    QTest::newRow("hundred, mid") << 100 << QList<int>{16384} << 50;
    QTest::newRow("just below wide") << 32766 << QList<int>{32767} << 32765;
    QTest::newRow("wide zero") << 100000 << QList<int>{0, 0} << 0;
    QTest::newRow("wide middle") << 100000 << QList<int>{16384, 0} << 50000;
    QTest::newRow("wide top") << 100000 << QList<int>{32767, 32767} << 99999;
    QTest::newRow("out-of-range source") << 10 << QList<int>{99999} << 9;
}

void TestRunState::drawPosition()
{
    QFETCH(int, k);
    QFETCH(QList<int>, draws);
    QFETCH(int, position);
    QCOMPARE(RunState::drawPosition(k, sequence(draws)), position);
}

void TestRunState::drawReachesWholeLargeList()
{
    std::mt19937 engine(1);
    RunState::RandomSource random = [&engine] { return int(engine() % 32768); };
    const int k = 100000;
    int highest = 0;
    int inLastTenth = 0;
    for (int i = 0; i < 20000; ++i) {
        const int pos = RunState::drawPosition(k, random);
        QVERIFY(pos >= 0 && pos < k);
        highest = std::max(highest, pos);
        if (pos >= k * 9 / 10)
            ++inLastTenth;
    }
    QVERIFY(highest > k - 100);
    QVERIFY(inLastTenth > 1500 && inLastTenth < 2500);
}

void TestRunState::listsSurviveResortAndNewCards()
{
    Dictionary dict;
    for (int i = 0; i < 6; ++i)
        dict.addCard(makeCard(QString::number(i)));
    RunState run;
    run.setRandomSource(sequence({0}));
    begin(run, dict, repetition());
    run.chooseNextCard(dict, 3);
    const int shown = run.currentCardId();
    QCOMPARE(shown, 1);

    // The table re-sorts the vector and the editor adds a card.
    std::reverse(dict.cards.begin(), dict.cards.end());
    dict.reindex();
    const int added = dict.addCard(makeCard(QStringLiteral("new")));
    QCOMPARE(run.currentCardId(), shown);
    QCOMPARE(run.currentCard(dict)->foreignWords.first().word, QStringLiteral("0"));

    run.chooseNextCard(dict, 3);
    QCOMPARE(dict.cardById(shown)->rRE, 1);
    QCOMPARE(dict.cards.first().rRE, 0); // the card now first in the vector is untouched
    QVERIFY(!run.dueCards().contains(added));
    QVERIFY(!run.doneCards().contains(added));
}

void TestRunState::staleFlagsClearedAtStart()
{
    Dictionary dict;
    dict.addCard(makeCard(QStringLiteral("a")));
    dict.addCard(makeCard(QStringLiteral("b")));
    RunState run;
    run.goingBack = true;
    run.mistakeMade = true;
    run.shownRE = 4;
    const FillResult fill = run.fillLists(dict, repetition());
    QCOMPARE(fill.count, 2);
    QVERIFY(!dict.changed);
    run.startRunning(dict);
    QVERIFY(run.running && run.answerShown && dict.changed);
    QCOMPARE(run.currentIndex(), -1);
    QCOMPARE(run.chooseNextCard(dict, 3).result, ChooseResult::CardChosen);
    QCOMPARE(run.shownRE, 4); // counted since the program started
    run.countShownQuestion();
    QCOMPARE(run.shownRE, 5);
    QCOMPARE(run.shownER, 0);

    run.chooseNextCard(dict, 3);
    run.endRun();
    QVERIFY(!run.running);
    QVERIFY(run.dueCards().isEmpty() && run.doneCards().isEmpty());
    QCOMPARE(run.recentCards().size(), 1); // emptied only by the next start
    QVERIFY(!run.canGoBack());
}

void TestRunState::addToArchive_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("changed");

    QTest::newRow("active card") << 1 << true;
    QTest::newRow("already archived") << 2 << false;
    QTest::newRow("header row") << 0 << false;
    QTest::newRow("negative") << -3 << false;
    QTest::newRow("unknown id") << 99 << false;
}

void TestRunState::addToArchive()
{
    QFETCH(int, id);
    QFETCH(bool, changed);
    Dictionary dict;
    dict.addCard(makeCard(QStringLiteral("a")));
    dict.addCard(makeCard(QStringLiteral("b")));
    dict.cardById(2)->nAr = false;
    QCOMPARE(::addToArchive(dict, id), changed);
    QCOMPARE(dict.changed, changed);
    QVERIFY(!dict.cardById(1)->nAr == changed);
    QVERIFY(!dict.cardById(2)->nAr);
}

void TestRunState::resetDictionaryState()
{
    Dictionary dict;
    QCOMPARE(resetBlockedMessage(false, dict), QStringLiteral("<nobr>Словарь пуст</nobr>"));
    Card raisedEr = makeCard(QStringLiteral("er"), 1, 1, 1, 1);
    raisedEr.nPER = 2;
    raisedEr.pER = 5;
    raisedEr.rER = 3;
    raisedEr.aER = 4;
    Card raisedRe = makeCard(QStringLiteral("re"), 2, 4, 1, 3);
    Card lowered = makeCard(QStringLiteral("low"), 3, 1, 1, 2); // p below n is not counted
    lowered.nAr = false;
    lowered.runMark = 2;
    dict.addCard(raisedEr);
    dict.addCard(raisedRe);
    dict.addCard(lowered);

    QCOMPARE(resetBlockedMessage(true, dict),
             QStringLiteral("<nobr>Сначала завершите учебу</nobr>"));
    QVERIFY(resetBlockedMessage(false, dict).isEmpty());
    QCOMPARE(::resetDictionaryState(dict), 2);
    QVERIFY(dict.changed);
    for (const Card &c : std::as_const(dict.cards)) {
        QCOMPARE(c.pER, c.nPER);
        QCOMPARE(c.pRE, c.nPRE);
        QCOMPARE(c.rER + c.aER + c.rRE + c.aRE, 0);
    }
    QCOMPARE(dict.cardById(3)->nPRE, 3);
    QVERIFY(!dict.cardById(3)->nAr);
    QCOMPARE(dict.cardById(3)->runMark, 2);

    dict.changed = false;
    QCOMPARE(::resetDictionaryState(dict), 0);
    QVERIFY(dict.changed);
    QCOMPARE(resetDoneMessage(0),
             QStringLiteral("<nobr>Карточки приведены в исходное состояние</nobr><br><nobr>У 0 "
                            "карточек снижен приоритет второго уровня</nobr><br><br><nobr>Не "
                            "забудьте сохранить словарь</nobr>"));
}

void TestRunState::statusLine_data()
{
    QTest::addColumn<bool>("training");
    QTest::addColumn<bool>("enRu");
    QTest::addColumn<bool>("filter");
    QTest::addColumn<bool>("autocheck");
    QTest::addColumn<bool>("possible");
    QTest::addColumn<int>("off");
    QTest::addColumn<QString>("expected");

    QTest::newRow("repetition") << true << false << false << true << true << 0
                                << QStringLiteral("Повторение слов, с русского на иностранный. "
                                                  "Повторено слов: 7. (Автопроверка включена) "
                                                  "Приоритет: 1/2");
    QTest::newRow("filter, no autocheck possible")
        << true << false << true << true << false << 0
        << QStringLiteral("Повторение слов, фильтр, с русского на иностранный. Повторено "
                          "слов: 7. Приоритет: 1/2");
    QTest::newRow("foreign to Russian")
        << true << true << false << false << true << 0
        << QStringLiteral("Повторение слов, с иностранного на русский. Повторено слов: 3. "
                          "Приоритет: 1/2");
    QTest::newRow("learning, all on")
        << false << true << false << false << false << 0
        << QStringLiteral("Изучение слов урока \"Урок 5\", с иностранного на русский. (Все "
                          "карточки урока включены) Приоритет: 1/2");
    QTest::newRow("learning, two off")
        << false << false << false << false << false << 2
        << QStringLiteral("Изучение слов урока \"Урок 5\", с русского на иностранный. "
                          "(Выключено 2 карточек урока) Приоритет: 1/2");
}

void TestRunState::statusLine()
{
    QFETCH(bool, training);
    QFETCH(bool, enRu);
    QFETCH(bool, filter);
    QFETCH(bool, autocheck);
    QFETCH(bool, possible);
    QFETCH(int, off);
    QFETCH(QString, expected);

    Dictionary dict;
    for (int i = 0; i < 4; ++i) {
        Card c = makeCard(QString::number(i));
        c.lesson = QStringLiteral("Урок 5");
        dict.addCard(c);
    }
    WorkSettings ws = training ? repetition(enRu) : learning(QStringLiteral("Урок 5"));
    ws.en_ru = enRu;
    ws.use_filter = filter;
    ws.use_autocheck = autocheck;
    RunState run;
    run.setRandomSource(sequence({0}));
    run.shownER = 3;
    run.shownRE = 7;
    const QString label = QStringLiteral("Приоритет: 1/2");

    QCOMPARE(runStatusLine(run, ws, true, MainTab::Learning, possible, label),
             QStringLiteral("Для начала работы откройте файл словаря или создайте словарь"));
    QCOMPARE(runStatusLine(run, ws, false, MainTab::Learning, possible, label),
             QStringLiteral("Для начала работы нажмите \"Старт\""));
    begin(run, dict, ws);
    QCOMPARE(runStatusLine(run, ws, false, MainTab::Dictionary, possible, label),
             QStringLiteral("Работа со словарем"));
    for (int i = 0; i < off; ++i) {
        run.chooseNextCard(dict, 3);
        QVERIFY(run.turnOffCurrentCard());
    }
    QCOMPARE(runStatusLine(run, ws, false, MainTab::Help, possible, label), expected);

    Card c;
    c.nPER = 2;
    c.pER = 9;
    c.nPRE = 4;
    c.pRE = 5;
    QCOMPARE(priorityLabel(&c, true), QStringLiteral("Приоритет: 2/9"));
    QCOMPARE(priorityLabel(&c, false), QStringLiteral("Приоритет: 4/5"));
    QCOMPARE(priorityLabel(nullptr, false), QStringLiteral("Приоритет: "));
}

QTEST_GUILESS_MAIN(TestRunState)
#include "test_run_state.moc"
