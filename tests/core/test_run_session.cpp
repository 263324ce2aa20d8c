#include "core/dictionary/dictionary.h"
#include "core/run/answer_check.h"
#include "core/run/answer_diff.h"
#include "core/run/answer_options.h"
#include "core/run/run_clock.h"
#include "core/run/run_session.h"
#include "core/run/run_view.h"
#include "core/run/speech.h"
#include "core/run/work_settings.h"
#include "core/settings/app_settings.h"
#include "core/statistics/run_journal.h"
#include "recording_speaker.h"
#include "test_cards.h"

#include <QTest>

// Runs driven step by step without a window: the page is a recording view,
// the timers a stepped clock fired by hand.

namespace
{

const QColor white(255, 255, 255);
const QColor red(255, 0, 0);

// Keeps what a page would show, and every prompt in order. A question with
// no reply queued is answered "Нет" and logged as unexpected.
class RecordingView : public RunView
{
public:
    QString question;
    QString answer;
    QString difference; // the mistake line shown under the answer
    QString typed;
    QColor frame = white;
    QColor offButton;
    int progress = -1;
    int steps = -1;
    bool timedVisible = false;
    bool learningVisible = false;
    bool inputEnabled = false;
    bool pausePicture = false;
    bool busy = false;
    int controlsChanges = 0;
    bool filterSet = false;
    int filterResets = 0;
    QStringList prompts;
    QStringList played;
    QList<bool> replies;

    void setQuestionText(const QString &text) override { question = text; }
    void setAnswerText(const QString &text) override { answer = text; }
    void showAnswerDifference(const AnswerDifference &d) override { difference = d.line(); }
    void clearPanes() override
    {
        question.clear();
        answer.clear();
        difference.clear();
        typed.clear();
    }
    QString typedAnswer() const override { return typed; }
    void setPaneFrameColor(const QColor &color) override { frame = color; }
    void setAnswerInputEnabled(bool enabled) override { inputEnabled = enabled; }
    void paintOffButton(const QColor &color) override { offButton = color; }
    void setProgress(int value, int total) override
    {
        progress = value;
        steps = total;
    }
    void setTimedControlsVisible(bool visible) override { timedVisible = visible; }
    void setPausePicture(bool timerRunning) override { pausePicture = timerRunning; }
    void setLearningFrameVisible(bool visible) override { learningVisible = visible; }
    void controlsChanged() override { ++controlsChanges; }
    void setBusy(bool b) override
    {
        if (busy == b)
            prompts << QStringLiteral("busy twice");
        busy = b;
    }
    void playSound(const QString &path) override { played << path; }
    void showWarning(const QString &text) override
    {
        checkNotBusy();
        prompts << QStringLiteral("warning: ") + text;
    }
    bool askYesNo(const QString &text) override
    {
        checkNotBusy();
        prompts << QStringLiteral("question: ") + text;
        if (replies.isEmpty()) {
            prompts << QStringLiteral("unexpected question");
            return false;
        }
        return replies.takeFirst();
    }
    bool isFilterSet() const override { return filterSet; }
    void resetFilterAndRefresh() override
    {
        filterSet = false;
        ++filterResets;
    }

private:
    // The wait cursor must be gone before a box opens.
    void checkNotBusy()
    {
        if (busy)
            prompts << QStringLiteral("prompt while busy");
    }
};

// One dictionary, its run and the page around a session.
struct Harness {
    Dictionary dict;
    RunState run;
    WorkSettings work;
    AppearanceSettings look;
    RecordingView view;
    SteppedRunClock clock;
    RunSession session{dict, run, work, look, view, clock};

    Harness()
    {
        // Always the first due card: a run goes through the cards in order.
        run.setRandomSource([] { return 0; });
        look.frameColor = white;
    }

    int add(const QString &foreign, const QString &russian,
            const QString &lesson = QStringLiteral("L1"), bool autoCheck = true, bool active = true)
    {
        Card c = makeCard(foreign, {russian}, lesson, QStringLiteral("/d/a.xml"));
        c.foreignWords[0].autoCheck = autoCheck;
        c.nAr = active;
        dict.addLesson(lesson);
        return dict.addCard(c);
    }

    // Ten cards ant..jay of lesson L1, each with a checked foreign form.
    void fillTen()
    {
        const QStringList foreign = {"ant", "bee",  "cat", "dog",  "eel",
                                     "fox", "goat", "hen", "ibis", "jay"};
        const QStringList russian = {"муравей", "пчела", "кошка",  "собака", "угорь",
                                     "лиса",    "коза",  "курица", "ибис",   "сойка"};
        for (int i = 0; i < foreign.size(); ++i)
            add(foreign[i], russian[i]);
    }

    Card card(const QString &foreign)
    {
        for (const Card &c : dict.cards())
            if (c.foreignWords.value(0).word == foreign)
                return *dict.cardById(c.id);
        qFatal("no card %s", qPrintable(foreign));
    }
    // Changes a card as the program does, through the dictionary.
    template <class F> void edit(const QString &foreign, F f)
    {
        dict.updateCard(card(foreign).id, f);
    }

    // The start button with the dialog accepted, `replies` queued for the
    // questions on the way.
    void start(const QList<bool> &replies = {})
    {
        view.replies = replies;
        session.startStop(true, [] { return true; });
    }

    void learning(const QString &lesson)
    {
        work.training = false;
        work.lesson = lesson;
        work.use_autocheck = false;
    }

    void next(const QString &typedAnswer)
    {
        view.typed = typedAnswer;
        session.next();
    }

    QString status() const { return session.statusLine(MainTab::Learning); }

    // The answer is on screen and the next question comes.
    void answerAndMoveOn()
    {
        session.next();
        session.next();
    }
};

// Keeps the records instead of writing them; its clock is set by the test.
class MemoryJournal : public RunJournal
{
public:
    QDateTime now() const override { return clock; }
    void append(const RunRecord &record) override { records << record; }
    QDateTime clock = QDateTime(QDate(2024, 3, 1), QTime(10, 0));
    QList<RunRecord> records;
};

RunControls controls(bool voice, bool previous, bool findInDict, bool forgot)
{
    RunControls c;
    c.voice = voice;
    c.previous = previous;
    c.findInDict = findInDict;
    c.forgot = forgot;
    return c;
}

const QString kRepetitionStatus =
    QStringLiteral("Повторение слов, с русского на иностранный. Повторено слов: %1. "
                   "(Автопроверка включена) Приоритет: %2");

} // namespace

Q_DECLARE_METATYPE(MainTab)
Q_DECLARE_METATYPE(RunKeyAction)

class TestRunSession : public QObject
{
    Q_OBJECT

private slots:
    // ------------------------------------------------------------ start and stop

    void startButton_data()
    {
        QTest::addColumn<bool>("cards");
        QTest::addColumn<bool>("lessons");
        QTest::addColumn<bool>("learningTab");
        QTest::addColumn<bool>("acts");
        QTest::newRow("learning tab") << true << true << true << true;
        QTest::newRow("other tab, idle") << true << true << false << false;
        QTest::newRow("no cards") << false << true << true << false;
        QTest::newRow("no lessons") << true << false << true << false;
    }

    void startButton()
    {
        QFETCH(bool, cards);
        QFETCH(bool, lessons);
        QFETCH(bool, learningTab);
        QFETCH(bool, acts);
        Harness h;
        if (cards)
            h.fillTen();
        if (!lessons)
            h.dict.setLessons({});
        else
            h.dict.addLesson("L1");
        QCOMPARE(h.session.startButtonActs(learningTab), acts);
        int dialogs = 0;
        h.session.startStop(learningTab, [&dialogs] {
            ++dialogs;
            return false; // cancelled
        });
        QCOMPARE(dialogs, acts ? 1 : 0);
        QVERIFY(!h.session.isRunning());
        QVERIFY(!h.session.runBegunOnce());
        QVERIFY(h.view.prompts.isEmpty());
    }

    void endingAsksFromAnyTab_data()
    {
        QTest::addColumn<bool>("training");
        QTest::addColumn<QString>("question");
        QTest::newRow("repetition") << true << "Завершить повторение слов?";
        QTest::newRow("learning") << false << "Завершить изучение слов?";
    }

    void endingAsksFromAnyTab()
    {
        QFETCH(bool, training);
        QFETCH(QString, question);
        Harness h;
        h.fillTen();
        h.work.en_ru = true;
        h.work.use_autocheck = false;
        if (!training)
            h.learning("L1");
        h.start();
        QVERIFY(h.session.isRunning());
        h.session.next();
        h.session.next();
        h.session.next(); // ant was answered, bee is on screen
        h.view.frame = red;

        // Declined from the help tab: the run goes on.
        h.view.replies = {false};
        h.session.startStop(false, [] {
            qFatal("no dialog while a run is going");
            return false;
        });
        QCOMPARE(h.view.prompts, QStringList{"question: " + question});
        QVERIFY(h.session.isRunning());
        QVERIFY(!h.view.question.isEmpty());
        QCOMPARE(h.view.frame, white);

        h.view.replies = {true};
        const int changes = h.view.controlsChanges;
        h.session.requestStop();
        QVERIFY(!h.session.isRunning());
        QVERIFY(h.view.question.isEmpty());
        QVERIFY(h.view.answer.isEmpty());
        QVERIFY(!h.view.timedVisible);
        QVERIFY(!h.view.learningVisible);
        QVERIFY(!h.view.inputEnabled);
        QVERIFY(h.session.soundList().isEmpty());
        QVERIFY(h.view.controlsChanges > changes);
        QCOMPARE(h.status(), QStringLiteral("Для начала работы нажмите \"Старт\""));
        QCOMPARE(h.session.controls(), controls(false, false, false, false));
        QCOMPARE(h.session.priorityLabel(), QStringLiteral("Приоритет: "));
        // The counters stay in the cards after the run.
        QCOMPARE(training ? h.card("ant").rER : h.card("ant").runMark, 1);
        QVERIFY(h.session.runBegunOnce());
        // Asking to stop an idle run asks nothing.
        h.session.requestStop();
        QCOMPARE(h.view.prompts.size(), 2);

        // Ended without a question (the page closing): the panes lose the
        // last card's colour as well.
        h.start();
        h.session.next();
        h.view.frame = acceptedColor();
        h.session.endRun();
        QVERIFY(!h.session.isRunning());
        QCOMPARE(h.view.frame, white);
    }

    void beginRunRefusals_data()
    {
        QTest::addColumn<QString>("lesson");
        QTest::addColumn<bool>("autocheck");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<bool>("begun");
        QTest::newRow("lesson without cards")
            << "L9" << false << QStringList{"warning: В словаре нет урока L9"} << false;
        QTest::newRow("lesson not known")
            << "L7" << false << QStringList{"warning: В словаре нет урока L7"} << false;
        QTest::newRow("inconsistent settings") << "L1" << true << QStringList{} << false;
        QTest::newRow("all archived")
            << "L3" << false
            << QStringList{"warning: <nobr>Все слова выбранного урока архивные</nobr><br>"
                           "<nobr>Выберите другой урок для изучения</nobr>"}
            << true;
    }

    void beginRunRefusals()
    {
        QFETCH(QString, lesson);
        QFETCH(bool, autocheck);
        QFETCH(QStringList, prompts);
        QFETCH(bool, begun);
        Harness h;
        h.fillTen();
        h.dict.addLesson("L9"); // a lesson whose cards are gone
        h.add("old", "старый", "L3", true, false);
        h.learning(lesson);
        h.work.use_autocheck = autocheck;
        h.start();
        QCOMPARE(h.view.prompts, prompts);
        QVERIFY(!h.session.isRunning());
        // Settings are saved at the end only once the lesson checks passed.
        QCOMPARE(h.session.runBegunOnce(), begun);
        QVERIFY(!h.dict.isModified());
        QVERIFY(!h.view.inputEnabled);
    }

    void noCardToStart()
    {
        Harness h;
        h.add("old", "старый", "L1", true, false);
        h.start();
        QCOMPARE(h.view.prompts,
                 QStringList{"warning: <nobr>Нет ни одной карточки для начала работы</nobr><br>"
                             "<nobr>Используйте менее строгий фильтр или проверьте наличие "
                             "карточек в выбранном уроке</nobr>"});
        QVERIFY(!h.session.isRunning());
    }

    void fewCardsAsk_data()
    {
        QTest::addColumn<int>("cards");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<bool>("reply");
        QTest::newRow("1, yes") << 1 << true << true;
        QTest::newRow("9, no") << 9 << true << false;
        QTest::newRow("10 do not ask") << 10 << false << false;
    }

    void fewCardsAsk()
    {
        QFETCH(int, cards);
        QFETCH(bool, asks);
        QFETCH(bool, reply);
        Harness h;
        for (int i = 0; i < cards; ++i) {
            const int id = h.add(QStringLiteral("w%1").arg(i), "с");
            // Cards that already finished their cycle count too.
            h.dict.updateCard(id, [](Card &c) { c.rRE = 1; });
        }
        h.dict.setModified(false); // as read from a file
        h.start({reply});
        const QStringList expected =
            asks ? QStringList{"question: <nobr>Для работы имеется менее 10 карточек</nobr>"
                               "<br>Начать?"}
                 : QStringList{};
        QCOMPARE(h.view.prompts, expected);
        const bool running = !asks || reply;
        QCOMPARE(h.session.isRunning(), running);
        QCOMPARE(h.dict.isModified(), running);
        QCOMPARE(h.view.inputEnabled, running);
    }

    void filterQuestion_data()
    {
        QTest::addColumn<bool>("useFilter");
        QTest::addColumn<bool>("learning");
        QTest::addColumn<bool>("reply");
        QTest::addColumn<bool>("asks");
        QTest::newRow("reset") << false << false << true << true;
        QTest::newRow("keep") << false << false << false << true;
        QTest::newRow("learning run is asked too") << false << true << true << true;
        QTest::newRow("filtered run") << true << false << false << false;
    }

    void filterQuestion()
    {
        QFETCH(bool, useFilter);
        QFETCH(bool, learning);
        QFETCH(bool, reply);
        QFETCH(bool, asks);
        Harness h;
        h.fillTen();
        for (int id = 1; id <= 10; ++id)
            h.dict.updateMarksOf(id, [](MarkedCard &c) { c.setInFilter(true); });
        if (learning)
            h.learning("L1");
        h.work.use_filter = useFilter;
        h.view.filterSet = true;
        h.start({reply});
        const QStringList expected =
            asks ? QStringList{"question: Выбран режим работы без фильтра, но фильтр "
                               "установлен\nПереход к карточке в словаре будет доступен только "
                               "для карточек, соответствующих фильтру\n\nСбросить фильтр?"}
                 : QStringList{};
        QCOMPARE(h.view.prompts, expected);
        QCOMPARE(h.view.filterResets, asks && reply ? 1 : 0);
        // Either way the run begins.
        QVERIFY(h.session.isRunning());
    }

    // ------------------------------------------------------------ run flow

    void repetitionWithAutocheck()
    {
        Harness h;
        h.fillTen();
        QVERIFY(!h.view.inputEnabled);
        h.start();
        QVERIFY(h.session.isRunning());
        QVERIFY(h.dict.isModified());
        QVERIFY(h.view.inputEnabled);
        QVERIFY(!h.view.timedVisible);
        QVERIFY(!h.view.learningVisible);
        QCOMPARE(h.session.controls(), controls(false, false, false, true));
        QCOMPARE(h.status(), kRepetitionStatus.arg(0).arg(QString()));
        QCOMPARE(h.session.statusLine(MainTab::Dictionary), QStringLiteral("Работа со словарем"));

        int changes = h.view.controlsChanges;
        h.session.next();
        QVERIFY(h.view.controlsChanges > changes);
        QCOMPARE(h.view.question, QStringLiteral("муравей\n"));
        QVERIFY(h.view.answer.isEmpty());
        QCOMPARE(h.session.controls(), controls(false, false, true, true));
        QCOMPARE(h.status(), kRepetitionStatus.arg(1).arg("1/1"));
        QCOMPARE(h.view.frame, white);

        h.next("the ANT");
        QCOMPARE(h.view.answer, QStringLiteral("ant\t[ant]\n"));
        QCOMPARE(h.view.frame, acceptedColor());
        QVERIFY(!h.run.mistakeMade);

        h.session.next();
        QCOMPARE(h.view.question, QStringLiteral("пчела\n"));
        QVERIFY(h.view.typed.isEmpty());
        QCOMPARE(h.view.frame, white);
        QCOMPARE(h.card("ant").rRE, 1);
        QCOMPARE(h.session.controls(), controls(false, true, true, true));

        // A wrong answer: forgotten, the priority goes up and the card stays
        // due, first again.
        h.next("bees");
        QVERIFY(h.run.mistakeMade);
        QCOMPARE(h.view.answer, QStringLiteral("bee\t[bee]\n"));
        h.session.next();
        QCOMPARE(h.card("bee").pRE, 2);
        QCOMPARE(h.card("bee").pER, 1);
        QCOMPARE(h.view.question, QStringLiteral("пчела\n"));
        QCOMPARE(h.status(), kRepetitionStatus.arg(3).arg("1/2"));
        QVERIFY(h.view.prompts.isEmpty());
    }

    // What showing the answer makes of the typed text.
    void typedAnswer_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enRu");
        QTest::addColumn<bool>("autocheck");
        QTest::addColumn<bool>("checkedForm");
        QTest::addColumn<bool>("mistake");
        QTest::addColumn<QColor>("questionFrame");
        QTest::addColumn<QColor>("answerFrame");
        QTest::addColumn<bool>("autocheckInStatus");
        const QColor green = acceptedColor();
        const QColor olive = uncheckableColor();
        QTest::newRow("right") << "ant" << false << true << true << false << white << green << true;
        QTest::newRow("case and extra words")
            << "the ANT" << false << true << true << false << white << green << true;
        QTest::newRow("wrong") << "ants" << false << true << true << true << white << white << true;
        QTest::newRow("empty") << "" << false << true << true << true << white << white << true;
        QTest::newRow("no checked form")
            << "wrong" << false << true << false << false << olive << olive << false;
        QTest::newRow("autocheck off")
            << "wrong" << false << false << true << false << white << white << false;
        QTest::newRow("foreign to Russian")
            << "nonsense" << true << false << true << false << white << white << false;
    }

    void typedAnswer()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enRu);
        QFETCH(bool, autocheck);
        QFETCH(bool, checkedForm);
        QFETCH(bool, mistake);
        QFETCH(QColor, questionFrame);
        QFETCH(QColor, answerFrame);
        QFETCH(bool, autocheckInStatus);
        Harness h;
        h.fillTen();
        h.edit("ant", [&](Card &c) { c.foreignWords[0].autoCheck = checkedForm; });
        h.work.en_ru = enRu;
        h.work.use_autocheck = autocheck;
        h.start();
        QCOMPARE(h.session.checksTypedAnswer(), autocheck && !enRu);
        h.session.next();
        QCOMPARE(h.view.frame, questionFrame);
        QCOMPARE(h.status().contains("(Автопроверка включена)"), autocheckInStatus);
        QCOMPARE(h.session.autocheckPossible(), checkedForm);
        h.next(typed);
        QCOMPARE(h.run.mistakeMade, mistake);
        QCOMPARE(h.view.frame, answerFrame);
        QCOMPARE(h.view.answer,
                 enRu ? QStringLiteral("муравей\n") : QStringLiteral("ant\t[ant]\n"));
        h.session.next();
        const Card &ant = h.dict.cardAt(0);
        QCOMPARE(enRu ? ant.pER : ant.pRE, mistake ? 2 : 1);
        QCOMPARE(enRu ? ant.rER : ant.rRE, mistake ? 0 : 1);
        // The other direction is never touched.
        QCOMPARE(enRu ? ant.rRE : ant.rER, 0);
        QCOMPARE(h.run.shownER, enRu ? 2 : 0);
        QCOMPARE(h.run.shownRE, enRu ? 0 : 2);
        // The next card starts white and checkable again.
        if (!mistake) {
            QCOMPARE(h.view.frame, white);
            QVERIFY(h.session.autocheckPossible());
        }
    }

    // The learner's typo option decides the frame, the scheduler's verdict
    // and the journal's count; the mistake is explained either way.
    void typoOption_data()
    {
        QTest::addColumn<bool>("acceptTypos");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("mistake");
        QTest::addColumn<QColor>("frame");
        QTest::addColumn<QString>("line");
        const QColor green = acceptedColor();
        const QColor amber = typoAcceptedColor();
        QTest::newRow("off: typo is wrong")
            << false << "hoose" << true << white << "Опечатка: одна буква неверна";
        QTest::newRow("on: typo is right")
            << true << "hoose" << false << amber << "Опечатка: одна буква неверна (засчитано)";
        QTest::newRow("on: right stays green") << true << "house" << false << green << "";
        QTest::newRow("on: two letters still wrong")
            << true << "haose" << true << white << "Похоже, но ошибка больше чем в одной букве";
        QTest::newRow("off: right") << false << "house" << false << green << "";
    }

    void typoOption()
    {
        QFETCH(bool, acceptTypos);
        QFETCH(QString, typed);
        QFETCH(bool, mistake);
        QFETCH(QColor, frame);
        QFETCH(QString, line);
        Harness h;
        AnswerOptions options;
        options.acceptOneLetterTypos = acceptTypos;
        h.session.setAnswerOptions(&options);
        MemoryJournal journal;
        h.session.setJournal(&journal);
        h.add("house", "дом");
        h.start({true}); // few cards: "Да"
        h.session.next();
        h.next(typed);
        QCOMPARE(h.run.mistakeMade, mistake);
        QCOMPARE(h.view.frame, frame);
        QCOMPARE(h.view.answer, QStringLiteral("house\t[house]\n"));
        QCOMPARE(h.view.difference, line);
        h.session.next();
        QCOMPARE(h.card("house").pRE, mistake ? 2 : 1);
        h.view.replies = {true};
        h.session.requestStop();
        QCOMPARE(journal.records.size(), 1);
        QCOMPARE(journal.records[0].right, mistake ? 0 : 1);
        QCOMPARE(journal.records[0].wrong, mistake ? 1 : 0);
    }

    // A timed question moves on by itself only for an answer right as typed
    // (a word being typed is often one letter short); when the time is up, a
    // forgiven typo is not counted as forgotten.
    void timedTypo()
    {
        Harness h;
        AnswerOptions options;
        options.acceptOneLetterTypos = true;
        h.session.setAnswerOptions(&options);
        h.work.by_time = true;
        h.add("house", "дом");
        h.start({true});
        h.session.next();
        h.view.typed = "hous";
        QVERIFY(h.clock.fire(RunTimer::Run));
        QVERIFY(!h.run.answerShown);
        while (h.clock.isActive(RunTimer::Run))
            h.clock.fire(RunTimer::Run);
        QVERIFY(h.run.answerShown);
        QVERIFY(!h.run.mistakeMade);
        QCOMPARE(h.view.frame, typoAcceptedColor());
    }

    void speechPartsShownBySettings()
    {
        Harness h;
        h.fillTen();
        h.look.showSpeechParts = true;
        h.look.showPartsNums = true;
        h.start();
        h.session.next();
        const QString expected = runQuestionText(h.card("ant"), false, {true, true}).text;
        QVERIFY2(expected.contains("[N]"), qPrintable(expected));
        QCOMPARE(h.view.question, expected);
    }

    void emptySideWarns()
    {
        Harness h;
        h.fillTen();
        h.work.use_autocheck = false;
        h.edit("ant", [](Card &c) { c.translations.clear(); });
        h.edit("bee", [](Card &c) { c.foreignWords.clear(); });
        h.start();
        const QString warning = QStringLiteral("warning: Почему то \"слово\" пустое");
        h.session.next();
        QCOMPARE(h.view.prompts, QStringList{warning});
        QVERIFY(h.view.question.isEmpty());
        // The run goes on: the next step moves on to bee.
        h.session.next();
        QCOMPARE(h.view.answer, QStringLiteral("ant\t[ant]\n"));
        h.session.next();
        QCOMPARE(h.view.question, QStringLiteral("пчела\n"));
        h.view.prompts.clear();
        h.next("bee");
        QCOMPARE(h.view.prompts, QStringList{warning});
        QVERIFY(h.view.answer.isEmpty());
    }

    void forgettingTwiceCountsOnce()
    {
        Harness h;
        h.fillTen();
        h.start();
        h.session.next();
        h.look.flashIfWrong = true;
        h.session.forgot();
        h.session.forgot();
        QVERIFY(h.run.mistakeMade);
        QVERIFY(h.view.answer.isEmpty()); // the answer waits for next
        while (h.clock.fire(RunTimer::Flash)) {
        }
        // The empty typed answer is not checked again: no second flash.
        h.session.next();
        QCOMPARE(h.view.answer, QStringLiteral("ant\t[ant]\n"));
        QVERIFY(!h.clock.isActive(RunTimer::Flash));
        h.session.next();
        QCOMPARE(h.card("ant").pRE, 2);
        QCOMPARE(h.card("ant").rRE, 0);
    }

    void flashSequence()
    {
        Harness h;
        h.fillTen();
        h.look.flashIfWrong = true;
        h.start();
        h.session.next();
        h.session.forgot();
        QVERIFY(h.clock.isActive(RunTimer::Flash));
        QCOMPARE(h.clock.interval(RunTimer::Flash), 10);
        QCOMPARE(h.view.frame, white);
        // A second mistake does not start the flash over.
        h.session.forgot();
        QCOMPARE(h.clock.starts(RunTimer::Flash), 1);

        const QList<QPair<QColor, int>> steps = {{red, 110}, {white, 160}, {red, 110}};
        for (const auto &step : steps) {
            QVERIFY(h.clock.fire(RunTimer::Flash));
            QCOMPARE(h.view.frame, step.first);
            QVERIFY(h.clock.isActive(RunTimer::Flash));
            QCOMPARE(h.clock.interval(RunTimer::Flash), step.second);
        }
        QVERIFY(h.clock.fire(RunTimer::Flash));
        QCOMPARE(h.view.frame, white);
        QVERIFY(!h.clock.isActive(RunTimer::Flash));
        QVERIFY(!h.session.isFlashing());
        // A late firing changes nothing.
        h.view.frame = acceptedColor();
        h.session.flashStep();
        QCOMPARE(h.view.frame, acceptedColor());

        // A wrong typed answer flashes as well, and the flash ends in the
        // settings' frame colour.
        h.look.frameColor = QColor(1, 2, 3);
        h.answerAndMoveOn();
        h.next("wrong");
        QVERIFY(h.clock.isActive(RunTimer::Flash));
        while (h.clock.fire(RunTimer::Flash)) {
        }
        QCOMPARE(h.view.frame, QColor(1, 2, 3));
        QCOMPARE(h.clock.starts(RunTimer::Flash), 8);
    }

    void flashDependsOnTheRun_data()
    {
        QTest::addColumn<bool>("training");
        QTest::addColumn<int>("numRightLearn");
        QTest::addColumn<bool>("flashSetting");
        QTest::addColumn<bool>("flashes");
        QTest::addColumn<bool>("forgotEnabled");
        QTest::newRow("repetition") << true << 0 << true << true << true;
        QTest::newRow("setting off") << true << 3 << false << false << true;
        QTest::newRow("learning") << false << 3 << true << true << true;
        QTest::newRow("learning without forgetting") << false << 0 << true << false << false;
    }

    void flashDependsOnTheRun()
    {
        QFETCH(bool, training);
        QFETCH(int, numRightLearn);
        QFETCH(bool, flashSetting);
        QFETCH(bool, flashes);
        QFETCH(bool, forgotEnabled);
        Harness h;
        h.fillTen();
        h.look.numRightLearn = numRightLearn;
        h.look.flashIfWrong = flashSetting;
        if (!training)
            h.learning("L1");
        h.start();
        h.session.next();
        QCOMPARE(h.session.controls().forgot, forgotEnabled);
        h.edit("ant", [](Card &c) { c.runMark = 2; });
        h.session.forgot();
        QCOMPARE(h.clock.isActive(RunTimer::Flash), flashes);
        // A learning run forgets at once; a repetition run marks the card.
        QCOMPARE(h.card("ant").runMark, training ? 2 : 0);
        QCOMPARE(h.run.mistakeMade, training);
    }

    void previousCard()
    {
        Harness h;
        h.fillTen();
        h.work.en_ru = true;
        h.work.use_autocheck = false;
        h.start();
        h.session.next();
        // Nothing to go back to yet.
        h.session.previous();
        QCOMPARE(h.view.question, QStringLiteral("ant\t[ant]\n"));
        QVERIFY(!h.run.answerShown);
        QVERIFY(h.view.prompts.isEmpty());

        h.answerAndMoveOn();
        QCOMPARE(h.view.question, QStringLiteral("bee\t[bee]\n"));
        QVERIFY(h.session.canGoBack());
        h.session.previous();
        QCOMPARE(h.view.question, QStringLiteral("ant\t[ant]\n"));
        QVERIFY(!h.run.answerShown);
        // Going back does not count the card being left.
        QCOMPARE(h.card("bee").rER, 0);
        QCOMPARE(h.card("ant").rER, 1);
        QVERIFY(h.run.recentCards().isEmpty());
        QCOMPARE(h.session.controls().previous, false);
        QCOMPARE(h.run.shownER, 3);
    }

    // ------------------------------------------------------------ timed runs

    void timedRunGivesUpAtTheLastStep()
    {
        Harness h;
        h.add("go", "идти");
        h.work.by_time = true;
        h.work.speed = 30;
        h.start({true});
        QVERIFY(h.view.timedVisible);
        QCOMPARE(h.view.progress, 0);
        QCOMPARE(h.view.steps, 0);

        h.session.next();
        QVERIFY(h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.clock.interval(RunTimer::Run), 150);
        // "go": int(2 * 1.2) = 2, raised to 4 units of 16 steps.
        QCOMPARE(h.session.timedSteps(), 64);
        QCOMPARE(h.session.timedProgress(), 0);
        QCOMPARE(h.view.steps, 64);
        QVERIFY(h.view.pausePicture);

        for (int i = 0; i < 63; ++i)
            QVERIFY(h.clock.fire(RunTimer::Run));
        QCOMPARE(h.session.timedProgress(), 63);
        QCOMPARE(h.view.progress, 63);
        QVERIFY(h.clock.isActive(RunTimer::Run));
        QVERIFY(h.view.answer.isEmpty());

        QVERIFY(h.clock.fire(RunTimer::Run));
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        QVERIFY(h.run.mistakeMade);
        QVERIFY(h.run.answerShown);
        QCOMPARE(h.view.answer, QStringLiteral("go\t[go]\n"));
        QCOMPARE(h.session.timedProgress(), 0);
        QCOMPARE(h.session.timedSteps(), 0);
        QCOMPARE(h.view.progress, 0);
        QCOMPARE(h.view.steps, 0);
        QVERIFY(!h.view.pausePicture);
        // A tick that arrives after the stop does nothing.
        h.session.timerTick();
        QCOMPARE(h.session.timedProgress(), 0);
        QVERIFY(h.run.answerShown);

        h.session.next();
        QCOMPARE(h.card("go").pRE, 2);
        QVERIFY(h.clock.isActive(RunTimer::Run));

        // A right typed answer is taken at the next tick.
        h.view.typed = "go";
        QVERIFY(h.clock.fire(RunTimer::Run));
        QVERIFY(h.run.answerShown);
        QVERIFY(!h.run.mistakeMade);
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.view.frame, acceptedColor());
        QCOMPARE(h.session.timedProgress(), 0);
        QCOMPARE(h.view.prompts, QStringList{"question: <nobr>Для работы имеется менее 10 "
                                             "карточек</nobr><br>Начать?"});
    }

    void timedRunPausesAndResumes()
    {
        Harness h;
        h.fillTen();
        h.work.by_time = true;
        h.work.speed = 50;
        h.start();
        h.session.next();
        QCOMPARE(h.clock.interval(RunTimer::Run), 250);
        h.clock.fire(RunTimer::Run);
        h.clock.fire(RunTimer::Run);

        h.session.pauseResume();
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        QVERIFY(!h.view.pausePicture);
        h.session.timerTick(); // paused: nothing
        QCOMPARE(h.session.timedProgress(), 2);
        h.session.pauseResume();
        QVERIFY(h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.clock.interval(RunTimer::Run), 250);
        QVERIFY(h.view.pausePicture);
        QCOMPARE(h.session.timedProgress(), 2);

        // Coming back to the learning tab pauses the time.
        h.session.onLearningTabShown();
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.session.timedProgress(), 2);
        // And does not resume a paused one.
        h.session.onLearningTabShown();
        QVERIFY(!h.clock.isActive(RunTimer::Run));

        // Ending declined: a paused timer stays paused, a running one runs on.
        h.view.replies = {false};
        h.session.startStop(true, {});
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        h.session.pauseResume();
        h.view.replies = {false};
        h.session.startStop(true, {});
        QVERIFY(h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.clock.interval(RunTimer::Run), 250);
        QVERIFY(h.session.isRunning());

        // With the answer on screen the button moves on.
        h.session.next();
        QVERIFY(h.run.answerShown);
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        h.session.pauseResume();
        QVERIFY(!h.run.answerShown);
        QVERIFY(h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.view.prompts.size(), 2);
    }

    void forgettingAndGoingBackGiveUpTheTime()
    {
        Harness h;
        h.fillTen();
        h.work.by_time = true;
        h.start();
        h.session.next();
        h.clock.fire(RunTimer::Run);
        h.session.forgot();
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.view.steps, 0);
        QVERIFY(!h.view.pausePicture);
        // Given up: the pause button cannot bring the time back, it moves on.
        h.session.pauseResume();
        QVERIFY(h.run.answerShown);

        h.session.next();
        QCOMPARE(h.view.question, QStringLiteral("муравей\n")); // forgotten, first again
        h.answerAndMoveOn();
        QVERIFY(h.clock.isActive(RunTimer::Run));
        h.session.previous();
        // The card gone back to starts its own time.
        QCOMPARE(h.view.question, QStringLiteral("муравей\n"));
        QVERIFY(h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.session.timedProgress(), 0);
    }

    void untimedCardInTimedRun()
    {
        Harness h;
        h.add("I", "я");
        h.work.by_time = true;
        h.work.en_ru = true;
        h.work.use_autocheck = false;
        h.start({true});
        h.session.next();
        QCOMPARE(h.view.question, QStringLiteral("I\t[I]\n"));
        // int(1 * 0.6) = 0: no time limit for this card.
        QCOMPARE(h.session.timedSteps(), 0);
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        QVERIFY(!h.view.pausePicture);
        // The pause button cannot start a limit the card does not have.
        h.session.pauseResume();
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        QVERIFY(h.run.answerShown);
        QVERIFY(!h.run.mistakeMade);
        QCOMPARE(h.view.answer, QStringLiteral("я\n"));
    }

    void showInDictionary()
    {
        Harness h;
        h.fillTen();
        QCOMPARE(h.session.showInDictionary(), 0); // no run
        h.work.by_time = true;
        h.start();
        QCOMPARE(h.session.showInDictionary(), 0); // no card yet
        h.session.next();
        h.session.pauseResume();
        QVERIFY(!h.clock.isActive(RunTimer::Run));

        // The paused question's time runs again while the user looks.
        QCOMPARE(h.session.showInDictionary(), h.card("ant").id);
        QVERIFY(h.clock.isActive(RunTimer::Run));
        QCOMPARE(h.session.showInDictionary(), h.card("ant").id);
        QVERIFY(!h.clock.isActive(RunTimer::Run));
        QCOMPARE(cardNotInTableMessage(), QStringLiteral("Не удалось найти карточку в словаре\n"
                                                         "Возможно необходимо отключить фильтр"));
    }

    // ------------------------------------------------------------ keys

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("running");
        QTest::addColumn<MainTab>("tab");
        QTest::addColumn<bool>("inAnswer");
        QTest::addColumn<RunKeyAction>("action");
        using A = RunKeyAction;
        const int none = Qt::NoModifier;
        const int ctrl = Qt::ControlModifier;
        const int alt = Qt::AltModifier;
        const MainTab learn = MainTab::Learning;
        const MainTab dict = MainTab::Dictionary;
        const MainTab settings = MainTab::Settings;
        QTest::newRow("F9") << int(Qt::Key_F9) << none << true << learn << false << A::Next;
        QTest::newRow("F12") << int(Qt::Key_F12) << none << true << learn << false << A::Forgot;
        QTest::newRow("F4") << int(Qt::Key_F4) << none << true << learn << true << A::PlaySounds;
        QTest::newRow("F5") << int(Qt::Key_F5) << none << true << learn << false
                            << A::ShowInDictionary;
        QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << ctrl << true << learn << true << A::Previous;
        QTest::newRow("Ctrl+Shift+Z")
            << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier) << true << learn
            << true << A::None;
        QTest::newRow("F9 idle") << int(Qt::Key_F9) << none << false << learn << false << A::None;
        QTest::newRow("F9 other tab")
            << int(Qt::Key_F9) << none << true << settings << false << A::None;
        QTest::newRow("F12 other tab")
            << int(Qt::Key_F12) << none << true << settings << false << A::None;
        QTest::newRow("F4 dictionary tab")
            << int(Qt::Key_F4) << none << true << dict << false << A::None;
        QTest::newRow("F5 dictionary tab")
            << int(Qt::Key_F5) << none << true << dict << false << A::ShowLearningTab;
        QTest::newRow("F5 help tab")
            << int(Qt::Key_F5) << none << true << MainTab::Help << false << A::ShowLearningTab;
        QTest::newRow("F5 idle") << int(Qt::Key_F5) << none << false << dict << false << A::None;
        QTest::newRow("Ctrl+Return")
            << int(Qt::Key_Return) << ctrl << true << learn << true << A::Next;
        QTest::newRow("Alt+Return")
            << int(Qt::Key_Return) << alt << true << learn << true << A::Next;
        QTest::newRow("Ctrl+keypad Enter")
            << int(Qt::Key_Enter) << int(Qt::ControlModifier | Qt::KeypadModifier) << true << learn
            << true << A::Next;
        QTest::newRow("Alt+Right") << int(Qt::Key_Right) << alt << true << learn << true << A::Next;
        QTest::newRow("Ctrl+Right")
            << int(Qt::Key_Right) << ctrl << true << learn << true << A::Next;
        QTest::newRow("Return") << int(Qt::Key_Return) << none << true << learn << true << A::None;
        QTest::newRow("Ctrl+Alt+Return")
            << int(Qt::Key_Return) << int(Qt::ControlModifier | Qt::AltModifier) << true << learn
            << true << A::None;
        QTest::newRow("Right") << int(Qt::Key_Right) << none << true << learn << true << A::None;
        QTest::newRow("Ctrl+Return elsewhere")
            << int(Qt::Key_Return) << ctrl << true << learn << false << A::None;
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, running);
        QFETCH(MainTab, tab);
        QFETCH(bool, inAnswer);
        QFETCH(RunKeyAction, action);
        QCOMPARE(runKeyAction(key, Qt::KeyboardModifiers(modifiers), running, tab, inAnswer),
                 action);
    }

    // ------------------------------------------------------------ learning runs

    void learningRunTurnsCardsOffAndOn()
    {
        Harness h;
        h.fillTen();
        h.add("kiwi", "киви", "L2");
        h.add("lark", "жаворонок", "L2");
        h.add("mole", "крот", "L2");
        const QColor normal(10, 20, 30);
        h.look.backgroundColor = normal;
        h.learning("L2");
        h.start({true});
        QVERIFY(h.session.isRunning());
        QVERIFY(h.view.learningVisible);
        QVERIFY(!h.view.timedVisible);
        QCOMPARE(h.view.offButton, normal);
        const QString head =
            QStringLiteral("Изучение слов урока \"L2\", с русского на иностранный. ");
        QCOMPARE(h.status(), head + "(Все карточки урока включены) Приоритет: ");

        h.session.next();
        QCOMPARE(h.view.question, QStringLiteral("киви\n"));
        // Not learned yet (runMark 0 < 3).
        QCOMPARE(h.view.offButton, offButtonAlertColor());
        QCOMPARE(h.session.controls(), controls(false, false, true, true));

        int changes = h.view.controlsChanges;
        h.session.turnOffCard();
        QVERIFY(h.view.controlsChanges > changes);
        QCOMPARE(h.status(), head + "(Выключена 1 карточка урока) Приоритет: 1/1");
        QCOMPARE(h.session.controls().findInDict, false);
        QCOMPARE(h.view.question, QStringLiteral("киви\n")); // stays until next
        h.session.next();
        QCOMPARE(h.view.question, QStringLiteral("жаворонок\n"));
        QCOMPARE(h.card("kiwi").runMark, 0);

        changes = h.view.controlsChanges;
        h.session.turnOnAll();
        QVERIFY(h.view.controlsChanges > changes);
        QVERIFY(h.run.offCards().isEmpty());
        QVERIFY(h.status().contains("(Все карточки урока включены)"));
        h.session.turnOnAll();
        QCOMPARE(h.view.prompts.mid(1), QStringList{"warning: Все карточки уже включены"});

        // Right showing: runMark counts up; a mistake clears it at once.
        h.answerAndMoveOn();
        QCOMPARE(h.card("lark").runMark, 1);
        QCOMPARE(h.view.question, QStringLiteral("крот\n"));
        h.edit("mole", [](Card &c) { c.runMark = 2; });
        h.session.forgot();
        QCOMPARE(h.card("mole").runMark, 0);

        // Everything off: nothing left to draw.
        for (int i = 0; i < 3; ++i) {
            h.session.turnOffCard();
            if (i < 2)
                h.session.next();
        }
        h.view.prompts.clear();
        h.session.next();
        QCOMPARE(h.view.prompts, QStringList{"warning: Все карточки выключены"});
        QVERIFY(h.run.answerShown);
        QVERIFY(h.view.question.isEmpty());
        QVERIFY(h.status().contains("(Выключено 3 карточки урока)"));
        QVERIFY(!h.session.controls().findInDict);
    }

    void learningRunOffButtonFollowsRunMark_data()
    {
        QTest::addColumn<int>("runMark");
        QTest::addColumn<int>("numRightLearn");
        QTest::addColumn<bool>("alert");
        QTest::newRow("not learned") << 1 << 2 << true;
        QTest::newRow("learned") << 2 << 2 << false;
        QTest::newRow("nothing to learn") << 0 << 0 << false;
    }

    void learningRunOffButtonFollowsRunMark()
    {
        QFETCH(int, runMark);
        QFETCH(int, numRightLearn);
        QFETCH(bool, alert);
        Harness h;
        h.fillTen();
        h.look.numRightLearn = numRightLearn;
        h.look.backgroundColor = QColor(10, 20, 30);
        h.learning("L1");
        h.start();
        // Leaving ant counts one right showing.
        h.session.next();
        h.edit("ant", [&](Card &c) { c.runMark = runMark - 1; });
        h.answerAndMoveOn();
        // Going back to ant shows how far it is learned.
        h.session.previous();
        QCOMPARE(h.view.question, QStringLiteral("муравей\n"));
        QCOMPARE(h.view.offButton, alert ? offButtonAlertColor() : QColor(10, 20, 30));
    }

    // ------------------------------------------------------------ sound

    void soundSequence_data() { addSoundSequenceRows(); }

    // The view plays whatever it is given (a page without an audio device
    // drops it); the queue drains on the timer either way.
    void soundSequence()
    {
        QFETCH(QString, soundPath);
        QFETCH(QStringList, played);
        Harness h;
        h.session.playSounds(soundPath);
        for (int i = 0; i < 10 && h.clock.isActive(RunTimer::Sound); ++i) {
            QCOMPARE(h.clock.interval(RunTimer::Sound), 2000);
            h.view.played << QStringLiteral("|");
            QVERIFY(h.clock.fire(RunTimer::Sound));
        }
        QVERIFY(!h.clock.isActive(RunTimer::Sound));
        QCOMPARE(h.view.played, played);
        QVERIFY(h.session.pendingSounds().isEmpty());
        // A late firing plays nothing.
        h.session.soundTick();
        QCOMPARE(h.view.played, played);
    }

    void runPlaysTheShownCard()
    {
        Harness h;
        h.work.en_ru = true;
        h.work.use_autocheck = false;
        h.add("ant", "муравей");
        h.add("bee", "пчела");
        h.add("cat", "кошка");
        h.edit("ant", [](Card &c) { c.soundPath = "a.wav;b.wav"; });
        h.edit("cat", [](Card &c) { c.soundPath = "cat.wav"; });
        // Not running: nothing to play.
        h.session.playCardSounds();
        QVERIFY(h.view.played.isEmpty());

        h.start({true});
        QCOMPARE(h.session.controls().voice, false);
        h.session.next();
        QCOMPARE(h.session.soundList(), QStringLiteral("a.wav;b.wav"));
        QCOMPARE(h.session.controls().voice, true);
        h.session.playCardSounds();
        QCOMPARE(h.view.played, QStringList{"./sounds/a.wav"});
        // Requests during the sequence are ignored, from either tab.
        h.session.playCardSounds();
        h.session.playSounds("dog.wav");
        QCOMPARE(h.view.played, QStringList{"./sounds/a.wav"});

        // Moving on does not stop the sequence.
        h.answerAndMoveOn();
        QVERIFY(h.session.soundList().isEmpty());
        QCOMPARE(h.session.controls().voice, false);
        QVERIFY(h.clock.fire(RunTimer::Sound));
        QCOMPARE(h.view.played, (QStringList{"./sounds/a.wav", "./sounds/b.wav"}));

        h.answerAndMoveOn();
        QCOMPARE(h.session.soundList(), QStringLiteral("cat.wav"));
        // One name plays at once, as often as asked.
        h.session.playCardSounds();
        h.session.playCardSounds();
        QCOMPARE(h.view.played.mid(2), (QStringList{"./sounds/cat.wav", "./sounds/cat.wav"}));
        QVERIFY(!h.clock.isActive(RunTimer::Sound));

        // The end of the run forgets the card's sounds.
        h.view.replies = {true};
        h.session.requestStop();
        QVERIFY(h.session.soundList().isEmpty());
        h.session.playCardSounds();
        QCOMPARE(h.view.played.size(), 4);
    }

    // ------------------------------------------------------------ speech

    void speechForCardsWithoutSound_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("engine");
        QTest::addColumn<bool>("speaks");
        QTest::newRow("on") << true << true << true;
        QTest::newRow("off") << false << true << false;
        QTest::newRow("no engine") << true << false << false;
    }

    void speechForCardsWithoutSound()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, engine);
        QFETCH(bool, speaks);
        Harness h;
        SpeechSettings speech;
        speech.enabled = enabled;
        speech.locale = QStringLiteral("de_DE");
        speech.rate = 0.3;
        RecordingSpeaker speaker;
        speaker.available = engine;
        h.session.setSpeech(&speech, [&speaker]() -> Speaker & { return speaker; });
        h.work.en_ru = true;
        h.work.use_autocheck = false;
        const int antId = h.add("ant", "муравей");
        h.edit("ant", [](Card &c) {
            c.foreignWords << ForeignWord{QStringLiteral("  "), {}, false}
                           << ForeignWord{QStringLiteral("ants"), {}, false};
        });
        const int catId = h.add("cat", "кошка");
        h.edit("cat", [](Card &c) { c.soundPath = "cat.wav"; });
        h.add("eel", "угорь");
        h.edit("eel", [](Card &c) { c.foreignWords.clear(); });

        h.start({true});
        h.session.next();
        // Showing a card says nothing; the button and F4 do.
        QVERIFY(speaker.said.isEmpty());
        QCOMPARE(h.session.controls().voice, speaks);
        h.session.playCardSounds();
        QCOMPARE(speaker.said, speaks ? QStringList{"ant | ants"} : QStringList());
        QVERIFY(h.view.played.isEmpty());
        if (speaks) {
            QCOMPARE(speaker.lastLocale, QStringLiteral("de_DE"));
            QCOMPARE(speaker.lastRate, 0.3);
        }

        // A card with a sound file plays it, whatever the speech option.
        h.answerAndMoveOn();
        QCOMPARE(h.session.controls().voice, true);
        h.session.playCardSounds();
        QCOMPARE(h.view.played, QStringList{"./sounds/cat.wav"});
        QCOMPARE(speaker.said.size(), speaks ? 1 : 0);

        // Nothing to say: the button stays off.
        h.answerAndMoveOn();
        QCOMPARE(h.session.controls().voice, false);

        // The dictionary tab's button goes the same way, run or not.
        h.view.replies = {true};
        h.session.requestStop();
        h.session.playCard(*h.dict.cardById(antId));
        QCOMPARE(speaker.said.size(), speaks ? 2 : 0);
        h.session.playCard(*h.dict.cardById(catId));
        QCOMPARE(h.view.played.last(), QStringLiteral("./sounds/cat.wav"));
        QCOMPARE(speaker.said.size(), speaks ? 2 : 0);
    }

    // ------------------------------------------------------------ journal

    void journalRecordsTheRun()
    {
        Harness h;
        MemoryJournal journal;
        h.session.setJournal(&journal);
        h.fillTen();
        const QDateTime t0 = journal.clock;
        h.start();
        QVERIFY(journal.records.isEmpty());

        h.session.next();
        h.next("ant"); // right
        h.session.next();
        h.next("bees"); // wrong: the typed answer is checked
        h.session.next();
        QCOMPARE(h.view.question, QStringLiteral("пчела\n"));
        h.session.forgot(); // forgotten before the answer was seen
        h.session.forgot(); // twice counts once
        h.session.next();
        h.session.next();
        h.next("bee"); // right, settled when the run ends

        journal.clock = t0.addSecs(90);
        h.view.replies = {true};
        h.session.requestStop();
        QCOMPARE(journal.records.size(), 1);
        const RunRecord &r = journal.records.first();
        QCOMPARE(r.started, t0);
        QCOMPARE(r.durationMs, qint64(90000));
        QVERIFY(r.training);
        QVERIFY(!r.enRu);
        QVERIFY(!r.timed);
        QCOMPARE(r.shown, 4);
        QCOMPARE(r.right, 2);
        QCOMPARE(r.wrong, 1);
        QCOMPARE(r.forgotten, 1);
        QCOMPARE(r.files, QStringList{"/d/a.xml"});

        // Ending again, or a run that never started, writes nothing.
        h.session.endRun();
        h.dict.removeCards({h.card("ant").id, h.card("bee").id, h.card("cat").id});
        h.start({false}); // few cards: "Нет"
        QVERIFY(!h.session.isRunning());
        h.session.endRun();
        QCOMPARE(journal.records.size(), 1);
    }

    void journalOfALearningRun()
    {
        Harness h;
        MemoryJournal journal;
        h.session.setJournal(&journal);
        h.learning("L1");
        h.fillTen();
        h.start();
        h.session.next();
        h.session.forgot();
        h.session.next();
        h.session.next();
        // The second card's answer was never seen: it is not counted.
        h.view.replies = {true};
        h.session.requestStop();
        QCOMPARE(journal.records.size(), 1);
        QVERIFY(!journal.records[0].training);
        QCOMPARE(journal.records[0].shown, 2);
        QCOMPARE(journal.records[0].forgotten, 1);
        QCOMPARE(journal.records[0].right, 0);
    }

    // ------------------------------------------------------------ timers

    void clockTimers()
    {
        QtRunClock clock;
        RunTimer fired = RunTimer::Run;
        int count = 0;
        clock.setHandler([&](RunTimer t) {
            fired = t;
            ++count;
        });
        clock.start(RunTimer::Sound, 0);
        QVERIFY(clock.isActive(RunTimer::Sound));
        QVERIFY(!clock.isActive(RunTimer::Flash));
        QTRY_COMPARE_WITH_TIMEOUT(count, 1, 2000);
        QVERIFY(fired == RunTimer::Sound);
        QVERIFY(!clock.isActive(RunTimer::Sound)); // single shot

        clock.start(RunTimer::Run, 150);
        QVERIFY(clock.isActive(RunTimer::Run));
        QCOMPARE(clock.interval(RunTimer::Run), 150);
        clock.stop(RunTimer::Run);
        QVERIFY(!clock.isActive(RunTimer::Run));
        QVERIFY(!RunClock::isSingleShot(RunTimer::Run));
        QVERIFY(RunClock::isSingleShot(RunTimer::Flash));

        // A session gone leaves the clock without a handler.
        SteppedRunClock stepped;
        {
            Dictionary dict;
            RunState run;
            WorkSettings work;
            AppearanceSettings look;
            RecordingView view;
            RunSession session(dict, run, work, look, view, stepped);
            session.playSounds("a;b");
        }
        QVERIFY(stepped.fire(RunTimer::Sound));
        // A stopped timer cannot be fired.
        QVERIFY(!stepped.fire(RunTimer::Sound));
    }
};

QTEST_GUILESS_MAIN(TestRunSession)
#include "test_run_session.moc"
