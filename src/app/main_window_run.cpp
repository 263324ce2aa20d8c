// Learning and repetition runs on the learning tab, and sound playback.
//
// The scheduler (RunState) decides which card comes next and what a mistake
// does to its priorities; answer_check.h renders the sides, checks typed
// answers and times cards. This file only puts their results on the screen
// and wires the buttons, keys, mouse and the three timers to them.
#include "app/main_window.h"

#include "run/answer_check.h"
#include "run/settings_begin_work_dialog.h"
#include "run/sound_queue.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace
{

const QString kPlayIcon = QStringLiteral("16_16_play.png");
const QString kPauseIcon = QStringLiteral("16_16_pause.png");
// The flash: red after 10 ms, for 110 ms, white for 160 ms, red again.
constexpr int kFlashStartMs = 10;
constexpr int kFlashRedMs = 110;
constexpr int kFlashWhiteMs = 160;
constexpr int kFlashLastStep = 3;
// How much darker a pane gets under the mouse.
constexpr int kHoverShade = 15;

QString iconName(bool enabled, const QString &name)
{
    return name + (enabled ? QStringLiteral(".png") : QStringLiteral("_disabled.png"));
}

QColor hoverColor(const QColor &c)
{
    return QColor(std::max(0, c.red() - kHoverShade), std::max(0, c.green() - kHoverShade),
                  std::max(0, c.blue() - kHoverShade));
}

void playStep(SoundPlayer *player, QTimer &timer, const SoundStep &step)
{
    if (!step.hasName)
        return;
    if (player && player->isAvailable())
        player->play(step.path);
    // The timer runs even without an audio device, so the queue always
    // drains and later requests are not ignored for good.
    if (step.more)
        timer.start(soundInterval);
}

} // namespace

// ---------------------------------------------------------------- setup

void Vmain_form::setupRun()
{
    connect(toolButton11_start, &QToolButton::clicked, this, &Vmain_form::slot_start);
    connect(pushButton_previous, &QPushButton::clicked, this, &Vmain_form::slot_previous_word);
    connect(pushButton_Mistake, &QPushButton::clicked, this, &Vmain_form::slot_make_mistake);
    connect(toolButton_findInDict, &QToolButton::clicked, this, &Vmain_form::slot_search_in_dict);
    connect(pushButton1_off_word, &QPushButton::clicked, this, &Vmain_form::slot_turn_off_word);
    connect(pushButton2_on_all, &QPushButton::clicked, this, &Vmain_form::slot_turn_on_all_words);
    connect(toolButton_pause_start, &QToolButton::clicked, this, &Vmain_form::slot_pause_resume);
    connect(pushButton_voice, &QPushButton::clicked, this, &Vmain_form::slot_voice);
    connect(pushButton_voice2, &QPushButton::clicked, this, &Vmain_form::slot_voice);

    m_runTimer.setSingleShot(false);
    m_flashTimer.setSingleShot(true);
    m_voiceTimer.setSingleShot(true);
    connect(&m_runTimer, &QTimer::timeout, this, &Vmain_form::slot_timer_timeout);
    connect(&m_flashTimer, &QTimer::timeout, this, &Vmain_form::slot_timer_flash);
    connect(&m_voiceTimer, &QTimer::timeout, this, &Vmain_form::slot_timered_voice);

    if (!m_sound)
        m_sound = createMultimediaSoundPlayer();
}

void Vmain_form::setSoundPlayer(SoundPlayer *player)
{
    m_sound.reset(player);
}

// ---------------------------------------------------------------- controls

void Vmain_form::updateRunControls()
{
    const bool running = m_run.running;
    setButtonIcon(pushButton_voice, iconName(running && !m_soundList.isEmpty(), "Voice"));
    setButtonIcon(pushButton_previous, iconName(m_run.canGoBack(), "Previous_word"));
    setButtonIcon(toolButton_findInDict, iconName(running && m_run.hasCurrentCard(), "Go_to_dict"));
    const bool canForget =
        running && (m_work.training || (!m_work.by_time && m_appearance.numRightLearn > 0));
    setButtonIcon(pushButton_Mistake, iconName(canForget, "IForgot"));
}

QString Vmain_form::composeStatusLine() const
{
    return runStatusLine(m_run, m_work, m_dict.cardCount() == 0, MainTab(m_currentTab),
                         m_autocheckPossible, m_priorityLabel);
}

void Vmain_form::setPaneFrameColor(const QColor &color)
{
    m_frameColors->inner = color;
    // The frames are the group boxes' panels.
    for (QWidget *w :
         {static_cast<QWidget *>(groupBox_question), static_cast<QWidget *>(groupBox_answer),
          static_cast<QWidget *>(groupBox_type)})
        w->update();
}

void Vmain_form::paintOffButton(const QColor &color)
{
    QPalette pal = pushButton1_off_word->palette();
    pal.setColor(QPalette::Button, color);
    pushButton1_off_word->setPalette(pal);
}

// ---------------------------------------------------------------- start and stop

void Vmain_form::slot_start()
{
    if (!m_run.running && m_currentTab != int(MainTab::Learning))
        return;
    if (m_dict.lessons.empty() || m_dict.cardCount() == 0)
        return;

    const bool timerWasActive = m_runTimer.isActive();
    m_runTimer.stop();
    setPaneFrameColor(m_appearance.frameColor);

    if (m_run.running) {
        if (askYesNo(RunText::endRunQuestion(m_work.training)) == Interaction::Yes)
            endRun();
        else if (timerWasActive)
            m_runTimer.start(runTimerInterval(m_work.speed));
    } else {
        VSettingsBeginWork dialog(this, m_dict.lessons, &m_work, m_work.isConsistent());
        if (m_interaction->runDialog(&dialog) == QDialog::Accepted)
            beginRun();
    }
    updateActionStates();
}

void Vmain_form::beginRun()
{
    if (m_dict.cardCount() == 0)
        return;
    if (!m_work.training) {
        // A learning run stored with options it cannot have does not start.
        if (!m_work.isConsistent())
            return;
        if (!lessonHasCards(m_dict, m_work.lesson)) {
            showWarning(RunText::lessonMissing(m_work.lesson));
            return;
        }
    }
    m_runStartedOnce = true;

    if (!m_work.use_filter && m_filter.isActive()) {
        if (askYesNo(RunText::filterResetQuestion()) == Interaction::Yes) {
            m_filter.reset();
            updateActionStates();
            slot_refresh();
        }
    }

    const FillResult fill = m_run.fillLists(m_dict, m_work);
    const QString warning = startWarning(fill);
    if (!warning.isEmpty()) {
        showWarning(warning);
        updateActionStates();
        return;
    }
    if (needsFewCardsQuestion(fill) && askYesNo(RunText::fewCardsQuestion()) != Interaction::Yes) {
        updateActionStates();
        return;
    }

    m_cardSteps = 0;
    m_cardProgress = 0;
    showProgress();
    setButtonIcon(toolButton_pause_start, kPlayIcon);
    if (m_work.by_time) {
        progressBar1->show();
        toolButton_pause_start->show();
    }
    if (!m_work.training) {
        frame4_lerning->show();
        paintOffButton(m_appearance.backgroundColor);
    }
    textEdit3_type->setEnabled(true);
    textEdit3_type->setFocus();
    m_run.startRunning(m_dict);
    m_autocheckPossible = true;
    updateActionStates();
}

void Vmain_form::endRun()
{
    m_runTimer.stop();
    m_priorityLabel = priorityLabel(nullptr, m_work.en_ru);
    textEdit1_question->clear();
    textEdit2_answer->clear();
    textEdit3_type->clear();
    progressBar1->hide();
    toolButton_pause_start->hide();
    frame4_lerning->hide();
    m_run.endRun();
    m_soundList.clear();
    m_cardSteps = 0;
    m_cardProgress = 0;
    textEdit3_type->setEnabled(false);
    updateActionStates();
}

// ---------------------------------------------------------------- next

void Vmain_form::slot_continue()
{
    if (!m_run.running)
        return;
    if (!m_run.answerShown) {
        m_run.answerShown = true;
        if (m_run.hasCurrentCard())
            showAnswer();
        return;
    }

    m_run.answerShown = false;
    textEdit1_question->clear();
    textEdit2_answer->clear();
    textEdit3_type->clear();
    ChooseOutcome outcome;
    {
        WaitCursor wait;
        outcome = m_run.chooseNextCard(m_dict, m_appearance.numRightLearn);
    }
    if (outcome.allCardsOff)
        showWarning(RunText::allCardsOff());
    if (outcome.offButton == OffButtonPaint::Alert)
        paintOffButton(offButtonAlertColor());
    else if (outcome.offButton == OffButtonPaint::Normal)
        paintOffButton(m_appearance.backgroundColor);

    const Card *card =
        outcome.result == ChooseResult::CardChosen ? m_run.currentCard(m_dict) : nullptr;
    m_soundList = card ? card->soundPath : QString();
    setButtonIcon(pushButton_voice, iconName(!m_soundList.isEmpty(), "Voice"));

    if (!card) {
        if (outcome.result == ChooseResult::NoPreviousCard)
            showWarning(RunText::noCard());
        m_run.answerShown = true;
        updateActionStates();
        return;
    }
    m_run.mistakeMade = false;
    showQuestion();
    updateActionStates();
}

void Vmain_form::showQuestion()
{
    m_priorityLabel = priorityLabel(nullptr, m_work.en_ru);
    setPaneFrameColor(m_appearance.frameColor);
    const Card *card = m_run.currentCard(m_dict);
    if (!card)
        return;

    const TranslationDisplay display{m_appearance.showSpeechParts, m_appearance.showPartsNums};
    const RenderedText question = runQuestionText(*card, m_work.en_ru, display);
    m_priorityLabel = priorityLabel(card, m_work.en_ru);
    m_run.countShownQuestion();
    if (!canShowQuestion(question)) {
        showWarning(emptyWordMessage());
        return;
    }
    textEdit1_question->setPlainText(question.text);
    if (!m_work.en_ru && m_work.use_autocheck) {
        m_autocheckPossible = hasAutocheckForm(*card);
        if (!m_autocheckPossible)
            setPaneFrameColor(uncheckableColor());
    }
    refreshStatusLine();
    textEdit3_type->setFocus();
    if (m_work.by_time)
        startCardTiming(*card);
}

void Vmain_form::showAnswer()
{
    const Card *card = m_run.currentCard(m_dict);
    if (!card)
        return;
    if (!m_work.en_ru && m_work.training && m_work.use_autocheck && !m_run.mistakeMade) {
        const AutocheckResult check = checkAnswer(*card, textEdit3_type->toPlainText());
        if (check.checkable && check.wrong)
            slot_make_mistake();
        else if (check.accepted())
            setPaneFrameColor(acceptedColor());
    }
    // The question is off the screen now, so its time is over whether or
    // not the answer can be shown.
    if (m_work.by_time) {
        stopRunTimer(true);
        setButtonIcon(toolButton_pause_start, kPlayIcon);
    }
    const TranslationDisplay display{m_appearance.showSpeechParts, m_appearance.showPartsNums};
    const RenderedText answer = runAnswerText(*card, m_work.en_ru, display);
    if (canShowAnswer(answer))
        textEdit2_answer->setPlainText(answer.text);
    else
        showWarning(emptyWordMessage());
}

// ---------------------------------------------------------------- timed runs

void Vmain_form::showProgress()
{
    // A bar of 0 steps would turn into Qt's busy indicator; an empty bar
    // says the same here.
    progressBar1->setRange(0, std::max(1, m_cardSteps));
    progressBar1->setValue(m_cardProgress);
}

void Vmain_form::stopRunTimer(bool giveUp)
{
    m_runTimer.stop();
    if (giveUp) {
        m_cardSteps = 0;
        m_cardProgress = 0;
        showProgress();
    }
}

void Vmain_form::startCardTiming(const Card &card)
{
    stopRunTimer(true);
    setButtonIcon(toolButton_pause_start, kPlayIcon);
    const int steps = timedCardSteps(card, m_work.en_ru);
    if (steps <= 0)
        return;
    m_cardSteps = steps;
    m_cardProgress = 0;
    showProgress();
    m_runTimer.start(runTimerInterval(m_work.speed));
    setButtonIcon(toolButton_pause_start, kPauseIcon);
}

void Vmain_form::slot_timer_timeout()
{
    if (!m_runTimer.isActive() || !m_run.running)
        return;
    if (m_cardProgress < m_cardSteps) {
        ++m_cardProgress;
        showProgress();
    }
    if (!m_work.en_ru && m_work.training && m_work.use_autocheck) {
        const Card *card = m_run.currentCard(m_dict);
        if (card && checkAnswer(*card, textEdit3_type->toPlainText()).accepted()) {
            slot_continue();
            return;
        }
    }
    if (m_cardProgress >= m_cardSteps) {
        slot_make_mistake();
        slot_continue();
    }
}

bool Vmain_form::togglePause()
{
    if (m_runTimer.isActive()) {
        m_runTimer.stop();
        setButtonIcon(toolButton_pause_start, kPlayIcon);
        return true;
    }
    // Only a question with time left resumes: an untimed card, or one given
    // up, would otherwise count as forgotten at the first tick.
    if (m_run.running && m_work.by_time && !m_run.answerShown && m_cardSteps > 0 &&
        m_cardProgress < m_cardSteps) {
        m_runTimer.start(runTimerInterval(m_work.speed));
        setButtonIcon(toolButton_pause_start, kPauseIcon);
        return true;
    }
    return false;
}

void Vmain_form::slot_pause_resume()
{
    if (!togglePause())
        slot_continue();
}

void Vmain_form::pauseRunOnLearningTab()
{
    if (m_run.running && m_work.by_time && m_runTimer.isActive())
        slot_pause_resume();
}

// ---------------------------------------------------------------- mistakes

void Vmain_form::slot_make_mistake()
{
    if (m_runTimer.isActive()) {
        stopRunTimer(true);
        setButtonIcon(toolButton_pause_start, kPlayIcon);
    }
    if (m_run.makeMistake(m_dict, m_appearance.numRightLearn))
        startFlash();
}

void Vmain_form::startFlash()
{
    if (!m_appearance.flashIfWrong || m_flashStep >= 0 || m_flashTimer.isActive())
        return;
    m_flashStep = 0;
    m_flashTimer.start(kFlashStartMs);
}

void Vmain_form::slot_timer_flash()
{
    if (m_flashStep < 0)
        return;
    const int step = m_flashStep++;
    if (step % 2 == 0) {
        setPaneFrameColor(mistakeFlashColor());
        m_flashTimer.start(kFlashRedMs);
        return;
    }
    setPaneFrameColor(m_appearance.frameColor);
    if (m_flashStep > kFlashLastStep) {
        m_flashStep = -1;
        m_flashTimer.stop();
    } else {
        m_flashTimer.start(kFlashWhiteMs);
    }
}

// ---------------------------------------------------------------- other run buttons

void Vmain_form::slot_previous_word()
{
    if (m_runTimer.isActive()) {
        stopRunTimer(true);
        setButtonIcon(toolButton_pause_start, kPlayIcon);
    }
    if (m_run.requestPrevious())
        slot_continue();
}

void Vmain_form::slot_turn_off_word()
{
    m_run.turnOffCurrentCard();
    updateActionStates();
}

void Vmain_form::slot_turn_on_all_words()
{
    if (m_run.turnOnAllCards())
        showWarning(RunText::allCardsAlreadyOn());
    else
        updateActionStates();
}

void Vmain_form::slot_search_in_dict()
{
    if (!m_run.running || !m_run.hasCurrentCard())
        return;
    if (m_work.by_time)
        togglePause();
    const int row = rowOfCard(m_run.currentCardId());
    if (row < 0) {
        showWarning(QStringLiteral("Не удалось найти карточку в словаре\n"
                                   "Возможно необходимо отключить фильтр"));
        return;
    }
    tabWidget2->setCurrentIndex(int(MainTab::Dictionary));
    selectTableRow(row);
    table3->setFocus();
}

// ---------------------------------------------------------------- keys and mouse

bool Vmain_form::handleRunKey(QObject *watched, QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const int key = e->key();
    const bool running = m_run.running;

    if (running && m_currentTab == int(MainTab::Learning)) {
        switch (key) {
        case Qt::Key_F4:
            if (!m_soundList.isEmpty())
                playSounds(m_soundList);
            return true;
        case Qt::Key_F5:
            slot_search_in_dict();
            return true;
        case Qt::Key_F12:
            slot_make_mistake();
            return true;
        case Qt::Key_F9:
            slot_continue();
            return true;
        case Qt::Key_Z:
            if (mods == Qt::ControlModifier) {
                slot_previous_word();
                return true;
            }
            break;
        default:
            break;
        }
    }
    if (m_currentTab == int(MainTab::Dictionary) && key == Qt::Key_F4) {
        playDictionaryRowSound();
        return true;
    }
    if (running && key == Qt::Key_F5 && m_currentTab != int(MainTab::Learning)) {
        tabWidget2->setCurrentIndex(int(MainTab::Learning));
        return true;
    }
    if (watched == textEdit3_type &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Right)) {
        const bool ctrl = mods.testFlag(Qt::ControlModifier);
        const bool alt = mods.testFlag(Qt::AltModifier);
        if (ctrl != alt) {
            slot_continue();
            return true;
        }
    }
    return false;
}

bool Vmain_form::handleRunPaneEvent(QObject *watched, QEvent *event)
{
    QTextEdit *pane = nullptr;
    for (QTextEdit *p : {textEdit1_question, textEdit2_answer})
        if (watched == p || watched == p->viewport())
            pane = p;
    if (!pane)
        return false;

    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave: {
        if (watched != pane)
            return false;
        const bool enter = event->type() == QEvent::Enter;
        QPalette pal = pane->palette();
        const QColor base = m_appearance.contentsBackgroundColor;
        pal.setColor(QPalette::Base, enter ? hoverColor(base) : base);
        pane->setPalette(pal);
        m_paneHovered = enter;
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton || !m_paneHovered || !m_run.running)
            return false;
        // Consumed, so the press does not reach the pane as well and move twice.
        slot_continue();
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------- sound

void Vmain_form::playSounds(const QString &soundPath)
{
    playStep(m_sound.get(), m_voiceTimer, startSounds(m_soundQueue, soundPath));
}

void Vmain_form::slot_timered_voice()
{
    playStep(m_sound.get(), m_voiceTimer, nextSound(m_soundQueue));
}

void Vmain_form::playDictionaryRowSound()
{
    if (!m_soundQueue.isEmpty())
        return;
    const int id = currentCardId();
    if (id <= 0)
        return;
    const Card *card = m_dict.cardById(id);
    if (!card) {
        showCritical(QStringLiteral("Ошибка программы\nНет карточки с id == ") +
                     QString::number(id));
        return;
    }
    playSounds(card->soundPath);
}

void Vmain_form::slot_voice()
{
    if (m_currentTab == int(MainTab::Dictionary))
        playDictionaryRowSound();
    else if (m_currentTab == int(MainTab::Learning) && m_run.running && !m_soundList.isEmpty())
        playSounds(m_soundList);
}
