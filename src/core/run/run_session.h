#pragma once

#include "core/dictionary/action_states.h"
#include "core/run/run_state.h"
#include "core/statistics/run_journal.h"

#include <QString>
#include <QtCore/qnamespace.h>

#include <QStringList>

#include <functional>

class Dictionary;
struct AnswerOptions;
class RunClock;
class RunJournal;
class RunView;
class Speaker;
struct AppearanceSettings;
struct SpeechSettings;
struct Card;
struct SoundStep;
struct WorkSettings;
enum class RunTimer;

// Which run buttons are enabled; the page shows the picture for each.
struct RunControls {
    bool voice = false;      // pushButton_voice: Voice / Voice_disabled
    bool previous = false;   // pushButton_previous: Previous_word / ..._disabled
    bool findInDict = false; // toolButton_findInDict: Go_to_dict / ..._disabled
    bool forgot = false;     // pushButton_Mistake: IForgot / IForgot_disabled

    bool operator==(const RunControls &o) const
    {
        return voice == o.voice && previous == o.previous && findInDict == o.findInDict &&
               forgot == o.forgot;
    }
};

// What a key press means to a run. The page performs it and consumes the
// key for anything but None.
enum class RunKeyAction {
    None,
    Next,             // RunSession::next()
    Forgot,           // RunSession::forgot()
    Previous,         // RunSession::previous()
    PlaySounds,       // RunSession::playCardSounds()
    ShowInDictionary, // RunSession::showInDictionary(), then select the card
    ShowLearningTab,  // switch to the learning tab
};

// The run keys: F9, F12, F5, F4 and Ctrl+Z on the learning tab during a run;
// F5 on another tab during a run; Return, Enter or Right with exactly one of
// Ctrl and Alt in the typed-answer pane (`inAnswerInput`). F4 on the
// dictionary tab is the dictionary page's own key and gives None here.
RunKeyAction runKeyAction(int key, Qt::KeyboardModifiers modifiers, bool running,
                          MainTab currentTab, bool inAnswerInput);

// The warning when the run's card is not in the dictionary table.
QString cardNotInTableMessage();

// One learning or repetition run, step by step, over the scheduler RunState.
// It owns the run's screen state (priority label, sound list and queue,
// timed progress, flash) and talks to the learning page only through
// RunView; its timers are the RunClock's, whose timeouts it takes itself.
//
// The page wires its inputs like this (every call on the GUI thread):
//   "Старт/стоп"              startStop(learningTabCurrent, runStartDialog)
//   F9, pane click, Ctrl+Enter next()
//   "Забыл слово", F12        forgot()
//   "Предыдущая карточка"     previous()
//   "Выключить карточку"      turnOffCard()
//   "Включить все"            turnOnAll()
//   pause button              pauseResume()
//   learning tab shown        onLearningTabShown()
//   "Карточка в словаре", F5  showInDictionary(), then selects the card
//   run's sound button, F4    playCardSounds()
//   dictionary's sound, F4    playCard(card)
// and repaints the run buttons from controls() and the status bar from
// statusLine() whenever RunView::controlsChanged() is called.
class RunSession
{
public:
    // All references must outlive the session. The appearance is read at
    // every step, so changes on the settings page apply at once.
    RunSession(Dictionary &dict, RunState &run, WorkSettings &work,
               const AppearanceSettings &appearance, RunView &view, RunClock &clock);
    ~RunSession();
    RunSession(const RunSession &) = delete;
    RunSession &operator=(const RunSession &) = delete;

    // ---- start and stop
    // The start/stop button acts at all: the dictionary has lessons and
    // cards, and a run is going or the learning tab is current. Also what
    // the button's picture shows while idle.
    bool startButtonActs(bool learningTabCurrent) const;
    // The start/stop button: asks to end a going run, or runs the start
    // dialog (the callback runs it modally and returns true when accepted)
    // and begins the run; then refreshes the controls.
    void startStop(bool learningTabCurrent, const std::function<bool()> &runStartDialog);
    // Called just before a run begins (the undo history is emptied then).
    void setRunStartHook(std::function<void()> hook) { m_runStartHook = std::move(hook); }
    // After the start dialog was accepted: the lesson and filter checks,
    // filling the lists, the question about few cards, run mode.
    void beginRun();
    // A going run is to end: asks, and ends it on "Да"; on "Нет" a running
    // timer runs on and a paused one stays paused.
    void requestStop();
    // Ends the run without asking.
    void endRun();

    // ---- the steps of a run
    // Shows the answer of the question on screen, or moves on to the next
    // card's question.
    void next();
    // "Забыл слово".
    void forgot();
    // "Предыдущая карточка".
    void previous();
    // "Выключить карточку" of a learning run.
    void turnOffCard();
    // "Включить все".
    void turnOnAll();
    // The pause button: pauses or resumes the timed question, or moves on.
    void pauseResume();
    // The learning tab became the current tab: a running timer pauses.
    void onLearningTabShown();
    // "Карточка в словаре": the id of the run's card for the page to select
    // in the dictionary table (a timed run's timer toggles first), or 0 when
    // there is none (nothing to do). The page warns with
    // cardNotInTableMessage() when the table does not show the card.
    int showInDictionary();
    // The run's sound button and F4: plays the shown card's sounds.
    void playCardSounds();
    // Plays `soundPath` (names separated by ';', 2 s apart); ignored while an
    // earlier sequence is still queued. The dictionary tab plays through this
    // too, since both tabs share the queue.
    void playSounds(const QString &soundPath);

    // Speech for cards without sound files: `settings` (owned by the host,
    // read at every request) says whether it is on; `speaker` is asked for
    // only when something is to be said, so an engine is never started while
    // speech is off.
    void setSpeech(const SpeechSettings *settings, std::function<Speaker &()> speaker);
    // The learner's answer options (owned by the host, read at every
    // check); null: a typed answer is judged as typed.
    void setAnswerOptions(const AnswerOptions *options) { m_answerOptions = options; }
    // Every run that was going when it ended is appended here; null: none.
    void setJournal(RunJournal *journal) { m_journal = journal; }
    // The dictionary tab's sound button and F4: speaks `card` when speech
    // covers it (a request cancels the one still being said), otherwise
    // plays its files like playSounds().
    void playCard(const Card &card);
    // The run's sound button acts: the shown card has files or is spoken.
    bool canPlayCurrentCard() const { return !m_soundList.isEmpty() || !m_speechList.isEmpty(); }
    // What the shown card is spoken as; empty when it has files or speech is off.
    const QStringList &speechList() const { return m_speechList; }

    // ---- timeouts, taken from the clock by the session itself
    void timerTick();
    void flashStep();
    void soundTick();

    // ---- state for the page
    bool isRunning() const;
    bool hasCurrentCard() const;
    int currentCardId() const;
    bool canGoBack() const;
    // A run was begun since the program started: WorkSettings are saved at
    // the end.
    bool runBegunOnce() const { return m_runBegunOnce; }
    // The shown card's sound files, empty without a card.
    const QString &soundList() const { return m_soundList; }
    // Sound names still to be played; empty when no sequence is going.
    const QString &pendingSounds() const { return m_soundQueue; }
    // The shown card can have its typed answer checked.
    bool autocheckPossible() const { return m_autocheckPossible; }
    // "Приоритет: n/p" of the shown card.
    const QString &priorityLabel() const { return m_priorityLabel; }
    // The timed card's progress: steps used of its steps (0 of 0 when it is
    // not timed or was given up).
    int timedProgress() const { return m_cardProgress; }
    int timedSteps() const { return m_cardSteps; }
    bool isFlashing() const { return m_flashStep >= 0; }
    // Typed answers are checked: a Russian-to-foreign repetition run with
    // autocheck.
    bool checksTypedAnswer() const;

    RunControls controls() const;
    // Every action's state with the run's own part filled in.
    ActionStates actionStates(MainTab currentTab) const;
    QString statusLine(MainTab currentTab) const;

private:
    void onTimeout(RunTimer timer);
    void showQuestion();
    void showAnswer();
    void startCardTiming(const Card &card);
    // Stops the run timer; `giveUp` leaves the progress at 0 of 0.
    void stopRunTimer(bool giveUp);
    void showProgress();
    // Pauses a running timer or resumes the timed question's one; false
    // when neither applies.
    bool togglePause();
    void startFlash();
    void playStep(const SoundStep &step);
    void speak(const QStringList &texts);
    void takeCardSound(const Card *card);
    // The shown card leaves: it counts as right when its answer was seen
    // without a mistake.
    void settleCurrentCard();
    void countMistake(bool wrongAnswer);
    bool acceptsTypos() const;

    Dictionary &m_dict;
    RunState &m_run;
    WorkSettings &m_work;
    const AppearanceSettings &m_appearance;
    RunView &m_view;
    RunClock &m_clock;

    bool m_runBegunOnce = false;
    QString m_soundQueue;
    QString m_soundList;
    QString m_priorityLabel;
    bool m_autocheckPossible = true;
    // Next step of the mistake flash; -1 while no flash is going.
    int m_flashStep = -1;
    int m_cardSteps = 0;
    int m_cardProgress = 0;

    const AnswerOptions *m_answerOptions = nullptr;
    const SpeechSettings *m_speech = nullptr;
    std::function<Speaker &()> m_speaker;
    std::function<void()> m_runStartHook;
    QStringList m_speechList;

    RunJournal *m_journal = nullptr;
    RunRecord m_record;
    bool m_cardAnswerSeen = false;
    bool m_cardMistake = false;
    bool m_typedWrong = false;
};
