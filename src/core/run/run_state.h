#pragma once

#include "core/run/work_settings.h"

#include <QColor>
#include <QList>
#include <QString>

#include <functional>
#include <random>

class Dictionary;
struct Card;

// The scheduler of learning and repetition runs.
//
// How RunSession drives a run (every call is on the GUI thread):
//
//   start   after the start dialog was accepted and the lesson checked
//           (lessonHasCards), call fillLists(). If startWarning(result) is not
//           empty, show it and stay idle; if needsFewCardsQuestion(result), ask
//           RunText::fewCardsQuestion() and stay idle on "Нет". Then
//           startRunning(dict) puts the state into run mode (and marks the
//           dictionary changed, since a run changes priorities).
//   next    when answerShown is false, set it and show the answer of
//           currentCardId(). Otherwise set answerShown = false and call
//           chooseNextCard(dict, numRightLearn): show RunText::allCardsOff()
//           when outcome.allCardsOff, repaint the turn-off button as
//           outcome.offButton says, show RunText::noCard() on NoPreviousCard,
//           and on anything but CardChosen set answerShown = true. On
//           CardChosen clear mistakeMade, show the question and call
//           countShownQuestion().
//   mistake makeMistake() marks the shown card; it returns true when the
//           window should flash the panes (if its flash setting is on).
//   previous  if requestPrevious() returns true, perform next.
//   off/on  turnOffCurrentCard(), then refresh the status line;
//           turnOnAllCards() returns true when RunText::allCardsAlreadyOn()
//           must be shown instead.
//   stop    endRun().
//
// Lists name cards by id, never by position or pointer, so re-sorting the
// dictionary's vector or adding cards during a run does not change which
// card a list means. Cards are looked up through Dictionary::cardById.
//
// Two-level priorities of a repetition run, per direction: n is the base
// priority the user sets, p the second-level priority (how often the card is
// shown per cycle), r the showings made in the current cycle and a the right
// answers collected toward lowering a raised p.

enum class ChooseResult {
    CardChosen,    // currentIndex() names the card to show
    NothingToShow, // no card can be drawn; see ChooseOutcome::allCardsOff
    NoPreviousCard // going back found nothing: the window shows RunText::noCard()
};

// How the learning run's "Выключить карточку" button is to be painted after
// a choice. Repetition runs, and a learning run's only due card, leave it.
enum class OffButtonPaint {
    Unchanged,
    Alert, // offButtonAlertColor(): the card is not yet learned (runMark < numRightLearn)
    Normal // the settings' background colour
};

struct ChooseOutcome {
    ChooseResult result = ChooseResult::NothingToShow;
    // A learning run whose remaining cards are all turned off: the window
    // shows RunText::allCardsOff() (with the arrow cursor).
    bool allCardsOff = false;
    OffButtonPaint offButton = OffButtonPaint::Unchanged;
};

struct FillResult {
    int count = 0;                 // cards in the due and done lists together
    bool archivedInLesson = false; // a learning run left out archived cards of its lesson
};

// The tabs of the main window, numbered as its `currentTab`.
enum class MainTab { Learning = 0, Dictionary = 1, Settings = 2, Help = 3 };

class RunState
{
public:
    // The highest a mistake raises the second-level priority.
    static constexpr int maxRaisedPriority = 10;
    // Right answers in a row that lower a raised priority by one.
    static constexpr int rightAnswersToLower = 5;
    // How many cards back the user can go.
    static constexpr int recentLimit = 5;
    // Fewer cards than this make the start ask whether to begin.
    static constexpr int fewCardsLimit = 10;
    // The random source yields 0..randomMax, like the C library's rand().
    static constexpr int randomMax = 32767;

    using RandomSource = std::function<int()>;

    bool running = false;     // a run is in progress
    bool answerShown = true;  // the answer is on screen, so next moves on
    bool mistakeMade = false; // the shown card was answered wrong or forgotten
    bool goingBack = false;   // the next choice takes the last recent card
    int shownER = 0;          // questions shown foreign to Russian since the program started
    int shownRE = 0;          // questions shown Russian to foreign

    RunState();

    // Empties the four lists, reseeds the default random source from the
    // clock, remembers the kind and direction of the run and fills the due
    // and done lists from the dictionary in its stored order. A learning run
    // sets the runMark of each card it takes to 0.
    FillResult fillLists(Dictionary &dict, const WorkSettings &settings);
    // Run mode after the start checks passed.
    void startRunning(Dictionary &dict);
    // Empties the due, done and off lists and leaves run mode. The recent
    // list stays until the next start.
    void endRun();

    // Accounts for the card being left, starts a new cycle when the due list
    // ran empty, goes back or draws, and sets currentIndex().
    ChooseOutcome chooseNextCard(Dictionary &dict, int numRightLearn);

    // "Забыл слово": a repetition run marks the card for the accounting of
    // the next choice (twice counts once); a learning run clears the card's
    // runMark at once. True when the panes should flash: always in a
    // repetition run, in a learning run only when numRightLearn > 0.
    bool makeMistake(Dictionary &dict, int numRightLearn);

    // "Предыдущая карточка": true (with goingBack and answerShown set) when
    // the window should now perform next.
    bool requestPrevious();

    // Learning runs only: moves the shown card to the off list without
    // accounting for it. True when a card was turned off.
    bool turnOffCurrentCard();
    // Returns every turned-off card to the due list. True when none was off,
    // i.e. the window shows RunText::allCardsAlreadyOn().
    bool turnOnAllCards();

    // Counts a shown question in the run's direction (shownER or shownRE).
    void countShownQuestion();
    // The table refill forgets the recent cards.
    void clearRecentCards() { m_recent.clear(); }

    int currentIndex() const { return m_currentIndex; }
    bool hasCurrentCard() const;
    // The id of the shown card, 0 when none.
    int currentCardId() const;
    std::optional<Card> currentCard(const Dictionary &dict) const;
    // The same question without making the card.
    bool currentCardIn(const Dictionary &dict) const;

    bool isTraining() const { return m_training; }
    bool isEnRu() const { return m_enRu; }
    bool canGoBack() const { return running && !m_recent.isEmpty(); }

    const QList<int> &dueCards() const { return m_due; }
    const QList<int> &doneCards() const { return m_done; }
    const QList<int> &offCards() const { return m_off; }
    const QList<int> &recentCards() const { return m_recent; }

    // Tests inject a deterministic source of 0..randomMax; an empty function
    // restores the default, which fillLists() seeds from the clock.
    void setRandomSource(RandomSource source);
    // One draw of the run's source, the injected one or the default: what
    // every choice of a card uses. Always in 0..randomMax.
    int nextRandom();

    // A position in 0..k-1, uniform over the positions. Below randomMax
    // positions one draw r gives r * k / randomMax (the top value clamped to
    // k - 1); from randomMax positions on, two draws make a 30-bit number so
    // every position of a large list can be reached.
    static int drawPosition(int k, const RandomSource &random);

private:
    void accountLeftCard(Dictionary &dict);
    void markChoice(Dictionary &dict, int numRightLearn, ChooseOutcome &outcome) const;

    QList<int> m_due;
    QList<int> m_done;
    QList<int> m_off;
    QList<int> m_recent;
    int m_currentIndex = -1;
    bool m_training = true;
    bool m_enRu = false;
    RandomSource m_random;
    std::mt19937 m_engine;
};

// True when some card has exactly this lesson.
bool lessonHasCards(const Dictionary &dict, const QString &lesson);

// The warning that keeps a filled run from starting, or empty.
QString startWarning(const FillResult &fill);
// Fewer than 10 cards: the start asks RunText::fewCardsQuestion().
bool needsFewCardsQuestion(const FillResult &fill);

// "В архив" on the card with this id: archives it and marks the dictionary
// changed. False (nothing changes) for header rows (id <= 0), unknown ids
// and cards already archived. Lists of a running run are not touched.
bool addToArchive(Dictionary &dict, int id);

// Puts every card's second-level priorities back to the base ones and clears
// repetitions and right answers in both directions; marks the dictionary
// changed. Returns how many cards had a raised priority. The window checks
// resetBlockedMessage() and asks RunText::resetQuestion() first, then shows
// resetDoneMessage(count); all with the caption RunText::toolsCaption().
int resetDictionaryState(Dictionary &dict);
// The part of the reset that changes one card (a Card or a stored record).
template <class C> void resetCardLearningState(C &c)
{
    c.pER = c.nPER;
    c.rER = 0;
    c.aER = 0;
    c.pRE = c.nPRE;
    c.rRE = 0;
    c.aRE = 0;
}
// Why the reset cannot go on (a run is going, the dictionary is empty), or empty.
QString resetBlockedMessage(bool running, const Dictionary &dict);
QString resetDoneMessage(int loweredCount);

// "Приоритет: n/p" of the card in the run's direction; "Приоритет: " alone
// without a card.
QString priorityLabel(const Card *card, bool enRu);

// The status bar text for every state of the window.
QString runStatusLine(const RunState &run, const WorkSettings &settings, bool dictionaryEmpty,
                      MainTab currentTab, bool autocheckPossible, const QString &priorityLabel);

// Background of the turn-off button while the shown card is not yet learned.
inline QColor offButtonAlertColor()
{
    return QColor(255, 60, 60);
}

// The run's message texts, exact as the user sees them.
namespace RunText
{
QString noCard();
QString allCardsOff();
QString allCardsAlreadyOn();
QString lessonMissing(const QString &lesson);
QString allLessonCardsArchived();
QString noCardsToStart();
QString fewCardsQuestion();
QString filterResetQuestion();
QString endRunQuestion(bool training);
QString finishRunFirst();
QString dictionaryEmpty();
QString resetQuestion();
QString toolsCaption();
} // namespace RunText
