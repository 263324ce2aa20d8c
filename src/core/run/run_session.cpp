#include "core/run/run_session.h"

#include "core/dictionary/action_states.h"

#include "core/dictionary/dictionary.h"
#include "core/run/answer_check.h"
#include "core/run/answer_diff.h"
#include "core/run/answer_options.h"
#include "core/run/run_clock.h"
#include "core/run/run_view.h"
#include "core/run/sound_queue.h"
#include "core/run/speech.h"
#include "core/run/work_settings.h"
#include "core/settings/app_settings.h"

namespace
{

// The flash: red after 10 ms, for 110 ms, white for 160 ms, red again.
constexpr int kFlashStartMs = 10;
constexpr int kFlashRedMs = 110;
constexpr int kFlashWhiteMs = 160;
constexpr int kFlashLastStep = 3;

} // namespace

RunKeyAction runKeyAction(int key, Qt::KeyboardModifiers modifiers, bool running,
                          MainTab currentTab, bool inAnswerInput)
{
    // Keys of the number block carry the keypad flag; Ctrl+Enter there is
    // still Ctrl+Enter.
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    const bool learningTab = currentTab == MainTab::Learning;

    if (running && learningTab) {
        switch (key) {
        case Qt::Key_F4:
            return RunKeyAction::PlaySounds;
        case Qt::Key_F5:
            return RunKeyAction::ShowInDictionary;
        case Qt::Key_F12:
            return RunKeyAction::Forgot;
        case Qt::Key_F9:
            return RunKeyAction::Next;
        case Qt::Key_Z:
            if (mods == Qt::ControlModifier)
                return RunKeyAction::Previous;
            break;
        default:
            break;
        }
    }
    if (running && !learningTab && key == Qt::Key_F5)
        return RunKeyAction::ShowLearningTab;
    if (inAnswerInput && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Right)) {
        const bool ctrl = mods.testFlag(Qt::ControlModifier);
        const bool alt = mods.testFlag(Qt::AltModifier);
        if (ctrl != alt)
            return RunKeyAction::Next;
    }
    return RunKeyAction::None;
}

QString cardNotInTableMessage()
{
    return QStringLiteral("Не удалось найти карточку в словаре\n"
                          "Возможно необходимо отключить фильтр");
}

RunSession::RunSession(Dictionary &dict, RunState &run, WorkSettings &work,
                       const AppearanceSettings &appearance, RunView &view, RunClock &clock)
    : m_dict(dict), m_run(run), m_work(work), m_appearance(appearance), m_view(view),
      m_clock(clock), m_priorityLabel(::priorityLabel(nullptr, work.en_ru))
{
    m_clock.setHandler([this](RunTimer timer) { onTimeout(timer); });
}

RunSession::~RunSession()
{
    m_clock.setHandler(RunClock::Handler());
}

void RunSession::onTimeout(RunTimer timer)
{
    switch (timer) {
    case RunTimer::Run:
        timerTick();
        break;
    case RunTimer::Flash:
        flashStep();
        break;
    case RunTimer::Sound:
        soundTick();
        break;
    }
}

// ---------------------------------------------------------------- state

bool RunSession::isRunning() const
{
    return m_run.running;
}

bool RunSession::hasCurrentCard() const
{
    return m_run.hasCurrentCard();
}

int RunSession::currentCardId() const
{
    return m_run.currentCardId();
}

bool RunSession::canGoBack() const
{
    return m_run.canGoBack();
}

bool RunSession::checksTypedAnswer() const
{
    return !m_work.en_ru && m_work.training && m_work.use_autocheck;
}

ActionStates RunSession::actionStates(MainTab currentTab) const
{
    ActionContext context;
    context.tab = currentTab;
    context.runHasSounds = canPlayCurrentCard();
    context.numRightLearn = m_appearance.numRightLearn;
    return computeActionStates(m_dict, m_run, m_work, context);
}

RunControls RunSession::controls() const
{
    const ActionStates s = actionStates(MainTab::Learning);
    RunControls c;
    c.voice = s.runSound;
    c.previous = s.previous;
    c.findInDict = s.goToDictionary;
    c.forgot = s.forgot;
    return c;
}

QString RunSession::statusLine(MainTab currentTab) const
{
    return runStatusLine(m_run, m_work, m_dict.cardCount() == 0, currentTab, m_autocheckPossible,
                         m_priorityLabel);
}

// ---------------------------------------------------------------- start and stop

bool RunSession::startButtonActs(bool learningTabCurrent) const
{
    return actionStates(learningTabCurrent ? MainTab::Learning : MainTab::Dictionary).start;
}

void RunSession::startStop(bool learningTabCurrent, const std::function<bool()> &runStartDialog)
{
    if (!startButtonActs(learningTabCurrent))
        return;
    if (m_run.running) {
        requestStop();
    } else {
        m_clock.stop(RunTimer::Run);
        m_view.setPaneFrameColor(m_appearance.frameColor);
        if (runStartDialog && runStartDialog())
            beginRun();
    }
    m_view.controlsChanged();
}

void RunSession::requestStop()
{
    if (!m_run.running)
        return;
    const bool timerWasActive = m_clock.isActive(RunTimer::Run);
    m_clock.stop(RunTimer::Run);
    m_view.setPaneFrameColor(m_appearance.frameColor);
    if (m_view.askYesNo(RunText::endRunQuestion(m_work.training)))
        endRun();
    else if (timerWasActive)
        m_clock.start(RunTimer::Run, runTimerInterval(m_work.speed));
}

void RunSession::beginRun()
{
    if (m_dict.cardCount() == 0)
        return;
    if (!m_work.training) {
        // A learning run stored with options it cannot have does not start.
        if (!m_work.isConsistent())
            return;
        if (!lessonHasCards(m_dict, m_work.lesson)) {
            m_view.showWarning(RunText::lessonMissing(m_work.lesson));
            return;
        }
    }
    m_runBegunOnce = true;

    if (!m_work.use_filter && m_view.isFilterSet() &&
        m_view.askYesNo(RunText::filterResetQuestion()))
        m_view.resetFilterAndRefresh();

    const FillResult fill = m_run.fillLists(m_dict, m_work);
    const QString warning = startWarning(fill);
    if (!warning.isEmpty()) {
        m_view.showWarning(warning);
        m_view.controlsChanged();
        return;
    }
    if (needsFewCardsQuestion(fill) && !m_view.askYesNo(RunText::fewCardsQuestion())) {
        m_view.controlsChanged();
        return;
    }

    m_cardSteps = 0;
    m_cardProgress = 0;
    showProgress();
    m_view.setPausePicture(false);
    m_view.setTimedControlsVisible(m_work.by_time);
    m_view.setLearningFrameVisible(!m_work.training);
    if (!m_work.training)
        m_view.paintOffButton(m_appearance.backgroundColor);
    m_view.setAnswerInputEnabled(true);
    if (m_runStartHook)
        m_runStartHook();
    m_run.startRunning(m_dict);
    m_autocheckPossible = true;
    m_record = RunRecord();
    m_record.started = m_journal ? m_journal->now() : QDateTime();
    m_record.training = m_work.training;
    m_record.enRu = m_work.en_ru;
    m_record.timed = m_work.by_time;
    m_cardAnswerSeen = false;
    m_cardMistake = false;
    m_view.controlsChanged();
}

void RunSession::endRun()
{
    if (m_run.running && m_journal) {
        settleCurrentCard();
        m_record.durationMs = qMax<qint64>(0, m_record.started.msecsTo(m_journal->now()));
        m_journal->append(m_record);
    }
    m_clock.stop(RunTimer::Run);
    // Green or olive of the last card must not outlive the run.
    m_view.setPaneFrameColor(m_appearance.frameColor);
    m_priorityLabel = ::priorityLabel(nullptr, m_work.en_ru);
    m_view.clearPanes();
    m_view.setTimedControlsVisible(false);
    m_view.setLearningFrameVisible(false);
    m_run.endRun();
    m_soundList.clear();
    m_speechList.clear();
    m_cardSteps = 0;
    m_cardProgress = 0;
    m_view.setAnswerInputEnabled(false);
    m_view.controlsChanged();
}

// ---------------------------------------------------------------- next

void RunSession::next()
{
    if (!m_run.running)
        return;
    if (!m_run.answerShown) {
        m_run.answerShown = true;
        if (m_run.hasCurrentCard())
            showAnswer();
        return;
    }

    settleCurrentCard();
    m_run.answerShown = false;
    m_view.clearPanes();
    m_view.setBusy(true);
    const ChooseOutcome outcome = m_run.chooseNextCard(m_dict, m_appearance.numRightLearn);
    m_view.setBusy(false);
    if (outcome.allCardsOff)
        m_view.showWarning(RunText::allCardsOff());
    if (outcome.offButton == OffButtonPaint::Alert)
        m_view.paintOffButton(offButtonAlertColor());
    else if (outcome.offButton == OffButtonPaint::Normal)
        m_view.paintOffButton(m_appearance.backgroundColor);

    const std::optional<Card> card =
        outcome.result == ChooseResult::CardChosen ? m_run.currentCard(m_dict) : std::nullopt;
    takeCardSound(card ? &*card : nullptr);
    if (!card) {
        if (outcome.result == ChooseResult::NoPreviousCard)
            m_view.showWarning(RunText::noCard());
        m_run.answerShown = true;
        m_view.controlsChanged();
        return;
    }
    m_run.mistakeMade = false;
    showQuestion();
    m_view.controlsChanged();
}

void RunSession::showQuestion()
{
    m_priorityLabel = ::priorityLabel(nullptr, m_work.en_ru);
    m_view.setPaneFrameColor(m_appearance.frameColor);
    const std::optional<Card> card = m_run.currentCard(m_dict);
    if (!card)
        return;

    const TranslationDisplay display{m_appearance.showSpeechParts, m_appearance.showPartsNums};
    const RenderedText question = runQuestionText(*card, m_work.en_ru, display);
    m_priorityLabel = ::priorityLabel(&*card, m_work.en_ru);
    m_run.countShownQuestion();
    ++m_record.shown;
    if (!card->filePath.isEmpty() && !m_record.files.contains(card->filePath))
        m_record.files << card->filePath;
    m_cardAnswerSeen = false;
    m_cardMistake = false;
    if (!canShowQuestion(question)) {
        m_view.showWarning(emptyWordMessage());
        return;
    }
    m_view.setQuestionText(question.text);
    if (checksTypedAnswer()) {
        m_autocheckPossible = hasAutocheckForm(*card);
        if (!m_autocheckPossible)
            m_view.setPaneFrameColor(uncheckableColor());
    }
    m_view.setAnswerInputEnabled(true);
    if (m_work.by_time)
        startCardTiming(*card);
}

void RunSession::showAnswer()
{
    const std::optional<Card> card = m_run.currentCard(m_dict);
    if (!card)
        return;
    AnswerReview review;
    if (checksTypedAnswer() && !m_run.mistakeMade) {
        review = reviewAnswer(autocheckItems(*card), m_view.typedAnswer(), acceptsTypos());
        if (review.verdict == AnswerVerdict::Wrong) {
            m_typedWrong = true;
            forgot();
            m_typedWrong = false;
        } else if (review.accepted()) {
            m_view.setPaneFrameColor(review.verdict == AnswerVerdict::AcceptedWithTypo
                                         ? typoAcceptedColor()
                                         : acceptedColor());
        }
    }
    // The question is off the screen now, so its time is over whether or
    // not the answer can be shown.
    if (m_work.by_time) {
        stopRunTimer(true);
        m_view.setPausePicture(false);
    }
    m_cardAnswerSeen = true;
    const TranslationDisplay display{m_appearance.showSpeechParts, m_appearance.showPartsNums};
    const RenderedText answer = runAnswerText(*card, m_work.en_ru, display);
    if (canShowAnswer(answer)) {
        m_view.setAnswerText(answer.text);
        if (review.showsDifference())
            m_view.showAnswerDifference(review.difference);
    } else
        m_view.showWarning(emptyWordMessage());
}

// ---------------------------------------------------------------- timed runs

void RunSession::showProgress()
{
    m_view.setProgress(m_cardProgress, m_cardSteps);
}

void RunSession::stopRunTimer(bool giveUp)
{
    m_clock.stop(RunTimer::Run);
    if (giveUp) {
        m_cardSteps = 0;
        m_cardProgress = 0;
        showProgress();
    }
}

void RunSession::startCardTiming(const Card &card)
{
    stopRunTimer(true);
    m_view.setPausePicture(false);
    const int steps = timedCardSteps(card, m_work.en_ru);
    if (steps <= 0)
        return;
    m_cardSteps = steps;
    m_cardProgress = 0;
    showProgress();
    m_clock.start(RunTimer::Run, runTimerInterval(m_work.speed));
    m_view.setPausePicture(true);
}

void RunSession::timerTick()
{
    // A tick queued before the timer was stopped does nothing.
    if (!m_clock.isActive(RunTimer::Run) || !m_run.running)
        return;
    if (m_cardProgress < m_cardSteps) {
        ++m_cardProgress;
        showProgress();
    }
    if (checksTypedAnswer()) {
        const std::optional<Card> card = m_run.currentCard(m_dict);
        if (card && checkAnswer(*card, m_view.typedAnswer()).accepted()) {
            next();
            return;
        }
    }
    if (m_cardProgress >= m_cardSteps) {
        // The move-on above takes only an answer right as typed: a word being
        // typed is often one letter short. When the time is up, a forgiven
        // typo counts as it would when the learner moved on.
        const std::optional<Card> card = m_run.currentCard(m_dict);
        if (!(card && checksTypedAnswer() && acceptsTypos() &&
              reviewAnswer(autocheckItems(*card), m_view.typedAnswer(), true).accepted()))
            forgot();
        next();
    }
}

bool RunSession::togglePause()
{
    if (m_clock.isActive(RunTimer::Run)) {
        m_clock.stop(RunTimer::Run);
        m_view.setPausePicture(false);
        return true;
    }
    // Only a question with time left resumes: an untimed card, or one given
    // up, would otherwise count as forgotten at the first tick.
    if (m_run.running && m_work.by_time && !m_run.answerShown && m_cardSteps > 0 &&
        m_cardProgress < m_cardSteps) {
        m_clock.start(RunTimer::Run, runTimerInterval(m_work.speed));
        m_view.setPausePicture(true);
        return true;
    }
    return false;
}

void RunSession::pauseResume()
{
    if (!togglePause())
        next();
}

void RunSession::onLearningTabShown()
{
    if (m_run.running && m_work.by_time && m_clock.isActive(RunTimer::Run))
        togglePause();
}

// ---------------------------------------------------------------- mistakes

void RunSession::forgot()
{
    if (m_clock.isActive(RunTimer::Run)) {
        stopRunTimer(true);
        m_view.setPausePicture(false);
    }
    if (m_run.running && m_run.currentCardIn(m_dict))
        countMistake(m_typedWrong);
    if (m_run.makeMistake(m_dict, m_appearance.numRightLearn))
        startFlash();
}

void RunSession::startFlash()
{
    if (!m_appearance.flashIfWrong || m_flashStep >= 0 || m_clock.isActive(RunTimer::Flash))
        return;
    m_flashStep = 0;
    m_clock.start(RunTimer::Flash, kFlashStartMs);
}

void RunSession::flashStep()
{
    if (m_flashStep < 0)
        return;
    const int step = m_flashStep++;
    if (step % 2 == 0) {
        m_view.setPaneFrameColor(mistakeFlashColor());
        m_clock.start(RunTimer::Flash, kFlashRedMs);
        return;
    }
    m_view.setPaneFrameColor(m_appearance.frameColor);
    if (m_flashStep > kFlashLastStep) {
        m_flashStep = -1;
        m_clock.stop(RunTimer::Flash);
    } else {
        m_clock.start(RunTimer::Flash, kFlashWhiteMs);
    }
}

// ---------------------------------------------------------------- other run buttons

void RunSession::previous()
{
    if (m_clock.isActive(RunTimer::Run)) {
        stopRunTimer(true);
        m_view.setPausePicture(false);
    }
    if (m_run.requestPrevious())
        next();
}

void RunSession::turnOffCard()
{
    m_run.turnOffCurrentCard();
    m_view.controlsChanged();
}

void RunSession::turnOnAll()
{
    if (m_run.turnOnAllCards())
        m_view.showWarning(RunText::allCardsAlreadyOn());
    else
        m_view.controlsChanged();
}

int RunSession::showInDictionary()
{
    if (!m_run.running || !m_run.hasCurrentCard())
        return 0;
    if (m_work.by_time)
        togglePause();
    return m_run.currentCardId();
}

// ---------------------------------------------------------------- sound

void RunSession::playStep(const SoundStep &step)
{
    if (!step.hasName)
        return;
    m_view.playSound(step.path);
    // The timer runs even without an audio device, so the queue always
    // drains and later requests are not ignored for good.
    if (step.more)
        m_clock.start(RunTimer::Sound, soundInterval);
}

void RunSession::playSounds(const QString &soundPath)
{
    playStep(startSounds(m_soundQueue, soundPath));
}

void RunSession::soundTick()
{
    playStep(nextSound(m_soundQueue));
}

void RunSession::playCardSounds()
{
    if (!m_run.running)
        return;
    if (!m_soundList.isEmpty())
        playSounds(m_soundList);
    else if (!m_speechList.isEmpty())
        speak(m_speechList);
}

void RunSession::setSpeech(const SpeechSettings *settings, std::function<Speaker &()> speaker)
{
    m_speech = settings;
    m_speaker = std::move(speaker);
}

void RunSession::speak(const QStringList &texts)
{
    if (!m_speech || !m_speaker || texts.isEmpty())
        return;
    Speaker &speaker = m_speaker();
    if (speaker.isAvailable())
        speaker.say(texts, m_speech->locale, m_speech->rate);
}

void RunSession::takeCardSound(const Card *card)
{
    m_soundList = card ? card->soundPath : QString();
    m_speechList.clear();
    if (card && m_speech && m_speaker && speaksCard(*card, *m_speech) && m_speaker().isAvailable())
        m_speechList = speechTexts(*card);
}

void RunSession::playCard(const Card &card)
{
    if (m_speech && m_speaker && speaksCard(card, *m_speech))
        speak(speechTexts(card));
    else
        playSounds(card.soundPath);
}

// ---------------------------------------------------------------- journal

void RunSession::settleCurrentCard()
{
    if (m_run.hasCurrentCard() && m_cardAnswerSeen && !m_cardMistake)
        ++m_record.right;
    m_cardAnswerSeen = false;
    m_cardMistake = false;
}

bool RunSession::acceptsTypos() const
{
    return m_answerOptions && m_answerOptions->acceptOneLetterTypos;
}

void RunSession::countMistake(bool wrongAnswer)
{
    if (m_cardMistake)
        return;
    m_cardMistake = true;
    if (wrongAnswer)
        ++m_record.wrong;
    else
        ++m_record.forgotten;
}
