// Learning and repetition runs on the learning tab, and sound playback.
//
// The scheduler (RunState) decides which card comes next and what a mistake
// does to its priorities; answer_check.h renders the sides, checks typed
// answers and times cards. This file only puts their results on the screen
// and wires the buttons, keys, mouse and the three timers to them.
#include "app/learning_page.h"

#include "app/button_icons.h"
#include "app/session.h"
#include "run/sound_playback.h"

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

QColor hoverColor(const QColor &c)
{
    return QColor(std::max(0, c.red() - kHoverShade), std::max(0, c.green() - kHoverShade),
                  std::max(0, c.blue() - kHoverShade));
}

} // namespace

// ---------------------------------------------------------------- setup

LearningPage::LearningPage(Session &session, SoundPlayback &sounds, QWidget *parent)
    : LearningPageForm(parent), m_session(session), m_sounds(sounds)
{
    setObjectName(QStringLiteral("learningPage"));
    connect(pushButton_previous, &QPushButton::clicked, this, &LearningPage::slot_previous_word);
    connect(pushButton_Mistake, &QPushButton::clicked, this, &LearningPage::slot_make_mistake);
    connect(toolButton_findInDict, &QToolButton::clicked, this, &LearningPage::slot_search_in_dict);
    connect(pushButton1_off_word, &QPushButton::clicked, this, &LearningPage::slot_turn_off_word);
    connect(pushButton2_on_all, &QPushButton::clicked, this, &LearningPage::slot_turn_on_all_words);
    connect(toolButton_pause_start, &QToolButton::clicked, this, &LearningPage::slot_pause_resume);
    connect(pushButton_voice, &QPushButton::clicked, this, &LearningPage::slot_voice);

    m_runTimer.setSingleShot(false);
    m_flashTimer.setSingleShot(true);
    connect(&m_runTimer, &QTimer::timeout, this, &LearningPage::slot_timer_timeout);
    connect(&m_flashTimer, &QTimer::timeout, this, &LearningPage::slot_timer_flash);

    progressBar1->hide();
    toolButton_pause_start->hide();
    frame4_lerning->hide();
    textEdit3_type->setEnabled(false);
    setIcon(toolButton_pause_start, kPlayIcon);
    for (QWidget *w : {static_cast<QWidget *>(textEdit1_question),
                       static_cast<QWidget *>(textEdit1_question->viewport()),
                       static_cast<QWidget *>(textEdit2_answer),
                       static_cast<QWidget *>(textEdit2_answer->viewport())})
        w->installEventFilter(this);
}

LearningPage::~LearningPage() = default;

void LearningPage::setIcon(QAbstractButton *button, const QString &file)
{
    ::setButtonIcon(button, m_session.path(QStringLiteral("icons")), file);
}

void LearningPage::setCurrentTab(MainTab tab)
{
    m_tab = tab;
    if (tab == MainTab::Learning)
        pauseRunOnLearningTab();
}

ActionStates LearningPage::actionStates() const
{
    ActionContext context;
    context.tab = m_tab;
    context.runHasSounds = !m_soundList.isEmpty();
    context.numRightLearn = m_session.appearance.numRightLearn;
    return computeActionStates(m_session.dictionary, m_session.run, m_session.work, context);
}

void LearningPage::applyAppearance()
{
    const AppearanceSettings &a = m_session.appearance;
    // Question above answer, or side by side.
    splitter2->setOrientation(a.vertical ? Qt::Vertical : Qt::Horizontal);
    for (QTextEdit *pane : {textEdit1_question, textEdit2_answer, textEdit3_type}) {
        pane->setFont(a.font);
        pane->setTextColor(a.fontColor);
        QPalette pal = pane->palette();
        pal.setColor(QPalette::Base, a.contentsBackgroundColor);
        pal.setColor(QPalette::Text, a.fontColor);
        pane->setPalette(pal);
    }
}

// ---------------------------------------------------------------- controls

void LearningPage::showActionStates(const ActionStates &s)
{
    setIcon(pushButton_voice, pickIcon(s.runSound, QStringLiteral("Voice")));
    setIcon(pushButton_previous, pickIcon(s.previous, QStringLiteral("Previous_word")));
    setIcon(toolButton_findInDict, pickIcon(s.goToDictionary, QStringLiteral("Go_to_dict")));
    setIcon(pushButton_Mistake, pickIcon(s.forgot, QStringLiteral("IForgot")));
}

QString LearningPage::statusLine() const
{
    return runStatusLine(m_session.run, m_session.work, m_session.dictionary.cardCount() == 0,
                         MainTab(m_tab), m_autocheckPossible, m_priorityLabel);
}

void LearningPage::setPaneFrameColor(const QColor &color)
{
    m_session.frameColors().inner = color;
    // The frames are the group boxes' panels.
    for (QWidget *w :
         {static_cast<QWidget *>(groupBox_question), static_cast<QWidget *>(groupBox_answer),
          static_cast<QWidget *>(groupBox_type)})
        w->update();
}

void LearningPage::paintOffButton(const QColor &color)
{
    QPalette pal = pushButton1_off_word->palette();
    pal.setColor(QPalette::Button, color);
    pushButton1_off_word->setPalette(pal);
}

// ---------------------------------------------------------------- start and stop

void LearningPage::slot_start()
{
    if (!actionStates().start)
        return;

    const bool timerWasActive = m_runTimer.isActive();
    m_runTimer.stop();
    setPaneFrameColor(m_session.appearance.frameColor);

    if (m_session.run.running) {
        if (m_session.ui().askYesNo(RunText::endRunQuestion(m_session.work.training)) ==
            Interaction::Yes)
            endRun();
        else if (timerWasActive)
            m_runTimer.start(runTimerInterval(m_session.work.speed));
    } else {
        VSettingsBeginWork dialog(window(), m_session.dictionary.lessons, &m_session.work,
                                  m_session.work.isConsistent());
        if (m_session.ui().runDialog(&dialog) == QDialog::Accepted)
            beginRun();
    }
    emit actionStatesChanged();
}

void LearningPage::beginRun()
{
    if (m_session.dictionary.cardCount() == 0)
        return;
    if (!m_session.work.training) {
        // A learning run stored with options it cannot have does not start.
        if (!m_session.work.isConsistent())
            return;
        if (!lessonHasCards(m_session.dictionary, m_session.work.lesson)) {
            m_session.ui().showWarning(RunText::lessonMissing(m_session.work.lesson));
            return;
        }
    }
    m_runStartedOnce = true;

    if (!m_session.work.use_filter && m_session.filter.isActive()) {
        if (m_session.ui().askYesNo(RunText::filterResetQuestion()) == Interaction::Yes) {
            m_session.filter.reset();
            emit filterReset();
        }
    }

    const FillResult fill = m_session.run.fillLists(m_session.dictionary, m_session.work);
    const QString warning = startWarning(fill);
    if (!warning.isEmpty()) {
        m_session.ui().showWarning(warning);
        emit actionStatesChanged();
        return;
    }
    if (needsFewCardsQuestion(fill) &&
        m_session.ui().askYesNo(RunText::fewCardsQuestion()) != Interaction::Yes) {
        emit actionStatesChanged();
        return;
    }

    m_cardSteps = 0;
    m_cardProgress = 0;
    showProgress();
    setIcon(toolButton_pause_start, kPlayIcon);
    if (m_session.work.by_time) {
        progressBar1->show();
        toolButton_pause_start->show();
    }
    if (!m_session.work.training) {
        frame4_lerning->show();
        paintOffButton(m_session.appearance.backgroundColor);
    }
    textEdit3_type->setEnabled(true);
    textEdit3_type->setFocus();
    m_session.run.startRunning(m_session.dictionary);
    m_autocheckPossible = true;
    emit actionStatesChanged();
}

void LearningPage::endRun()
{
    m_runTimer.stop();
    m_priorityLabel = priorityLabel(nullptr, m_session.work.en_ru);
    textEdit1_question->clear();
    textEdit2_answer->clear();
    textEdit3_type->clear();
    progressBar1->hide();
    toolButton_pause_start->hide();
    frame4_lerning->hide();
    m_session.run.endRun();
    m_soundList.clear();
    m_cardSteps = 0;
    m_cardProgress = 0;
    textEdit3_type->setEnabled(false);
    emit actionStatesChanged();
}

// ---------------------------------------------------------------- next

void LearningPage::slot_continue()
{
    if (!m_session.run.running)
        return;
    if (!m_session.run.answerShown) {
        m_session.run.answerShown = true;
        if (m_session.run.hasCurrentCard())
            showAnswer();
        return;
    }

    m_session.run.answerShown = false;
    textEdit1_question->clear();
    textEdit2_answer->clear();
    textEdit3_type->clear();
    ChooseOutcome outcome;
    {
        WaitCursor wait;
        outcome =
            m_session.run.chooseNextCard(m_session.dictionary, m_session.appearance.numRightLearn);
    }
    if (outcome.allCardsOff)
        m_session.ui().showWarning(RunText::allCardsOff());
    if (outcome.offButton == OffButtonPaint::Alert)
        paintOffButton(offButtonAlertColor());
    else if (outcome.offButton == OffButtonPaint::Normal)
        paintOffButton(m_session.appearance.backgroundColor);

    const Card *card = outcome.result == ChooseResult::CardChosen
                           ? m_session.run.currentCard(m_session.dictionary)
                           : nullptr;
    m_soundList = card ? card->soundPath : QString();
    setIcon(pushButton_voice, pickIcon(!m_soundList.isEmpty(), QStringLiteral("Voice")));

    if (!card) {
        if (outcome.result == ChooseResult::NoPreviousCard)
            m_session.ui().showWarning(RunText::noCard());
        m_session.run.answerShown = true;
        emit actionStatesChanged();
        return;
    }
    m_session.run.mistakeMade = false;
    showQuestion();
    emit actionStatesChanged();
}

void LearningPage::showQuestion()
{
    m_priorityLabel = priorityLabel(nullptr, m_session.work.en_ru);
    setPaneFrameColor(m_session.appearance.frameColor);
    const Card *card = m_session.run.currentCard(m_session.dictionary);
    if (!card)
        return;

    const TranslationDisplay display{m_session.appearance.showSpeechParts,
                                     m_session.appearance.showPartsNums};
    const RenderedText question = runQuestionText(*card, m_session.work.en_ru, display);
    m_priorityLabel = priorityLabel(card, m_session.work.en_ru);
    m_session.run.countShownQuestion();
    if (!canShowQuestion(question)) {
        m_session.ui().showWarning(emptyWordMessage());
        return;
    }
    textEdit1_question->setPlainText(question.text);
    if (!m_session.work.en_ru && m_session.work.use_autocheck) {
        m_autocheckPossible = hasAutocheckForm(*card);
        if (!m_autocheckPossible)
            setPaneFrameColor(uncheckableColor());
    }
    emit actionStatesChanged();
    textEdit3_type->setFocus();
    if (m_session.work.by_time)
        startCardTiming(*card);
}

void LearningPage::showAnswer()
{
    const Card *card = m_session.run.currentCard(m_session.dictionary);
    if (!card)
        return;
    if (!m_session.work.en_ru && m_session.work.training && m_session.work.use_autocheck &&
        !m_session.run.mistakeMade) {
        const AutocheckResult check = checkAnswer(*card, textEdit3_type->toPlainText());
        if (check.checkable && check.wrong)
            slot_make_mistake();
        else if (check.accepted())
            setPaneFrameColor(acceptedColor());
    }
    // The question is off the screen now, so its time is over whether or
    // not the answer can be shown.
    if (m_session.work.by_time) {
        stopRunTimer(true);
        setIcon(toolButton_pause_start, kPlayIcon);
    }
    const TranslationDisplay display{m_session.appearance.showSpeechParts,
                                     m_session.appearance.showPartsNums};
    const RenderedText answer = runAnswerText(*card, m_session.work.en_ru, display);
    if (canShowAnswer(answer))
        textEdit2_answer->setPlainText(answer.text);
    else
        m_session.ui().showWarning(emptyWordMessage());
}

// ---------------------------------------------------------------- timed runs

void LearningPage::showProgress()
{
    // A bar of 0 steps would turn into Qt's busy indicator; an empty bar
    // says the same here.
    progressBar1->setRange(0, std::max(1, m_cardSteps));
    progressBar1->setValue(m_cardProgress);
}

void LearningPage::stopRunTimer(bool giveUp)
{
    m_runTimer.stop();
    if (giveUp) {
        m_cardSteps = 0;
        m_cardProgress = 0;
        showProgress();
    }
}

void LearningPage::startCardTiming(const Card &card)
{
    stopRunTimer(true);
    setIcon(toolButton_pause_start, kPlayIcon);
    const int steps = timedCardSteps(card, m_session.work.en_ru);
    if (steps <= 0)
        return;
    m_cardSteps = steps;
    m_cardProgress = 0;
    showProgress();
    m_runTimer.start(runTimerInterval(m_session.work.speed));
    setIcon(toolButton_pause_start, kPauseIcon);
}

void LearningPage::slot_timer_timeout()
{
    if (!m_runTimer.isActive() || !m_session.run.running)
        return;
    if (m_cardProgress < m_cardSteps) {
        ++m_cardProgress;
        showProgress();
    }
    if (!m_session.work.en_ru && m_session.work.training && m_session.work.use_autocheck) {
        const Card *card = m_session.run.currentCard(m_session.dictionary);
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

bool LearningPage::togglePause()
{
    if (m_runTimer.isActive()) {
        m_runTimer.stop();
        setIcon(toolButton_pause_start, kPlayIcon);
        return true;
    }
    // Only a question with time left resumes: an untimed card, or one given
    // up, would otherwise count as forgotten at the first tick.
    if (m_session.run.running && m_session.work.by_time && !m_session.run.answerShown &&
        m_cardSteps > 0 && m_cardProgress < m_cardSteps) {
        m_runTimer.start(runTimerInterval(m_session.work.speed));
        setIcon(toolButton_pause_start, kPauseIcon);
        return true;
    }
    return false;
}

void LearningPage::slot_pause_resume()
{
    if (!togglePause())
        slot_continue();
}

void LearningPage::pauseRunOnLearningTab()
{
    if (m_session.run.running && m_session.work.by_time && m_runTimer.isActive())
        slot_pause_resume();
}

// ---------------------------------------------------------------- mistakes

void LearningPage::slot_make_mistake()
{
    if (m_runTimer.isActive()) {
        stopRunTimer(true);
        setIcon(toolButton_pause_start, kPlayIcon);
    }
    if (m_session.run.makeMistake(m_session.dictionary, m_session.appearance.numRightLearn))
        startFlash();
}

void LearningPage::startFlash()
{
    if (!m_session.appearance.flashIfWrong || m_flashStep >= 0 || m_flashTimer.isActive())
        return;
    m_flashStep = 0;
    m_flashTimer.start(kFlashStartMs);
}

void LearningPage::slot_timer_flash()
{
    if (m_flashStep < 0)
        return;
    const int step = m_flashStep++;
    if (step % 2 == 0) {
        setPaneFrameColor(mistakeFlashColor());
        m_flashTimer.start(kFlashRedMs);
        return;
    }
    setPaneFrameColor(m_session.appearance.frameColor);
    if (m_flashStep > kFlashLastStep) {
        m_flashStep = -1;
        m_flashTimer.stop();
    } else {
        m_flashTimer.start(kFlashWhiteMs);
    }
}

// ---------------------------------------------------------------- other run buttons

void LearningPage::slot_previous_word()
{
    if (m_runTimer.isActive()) {
        stopRunTimer(true);
        setIcon(toolButton_pause_start, kPlayIcon);
    }
    if (m_session.run.requestPrevious())
        slot_continue();
}

void LearningPage::slot_turn_off_word()
{
    m_session.run.turnOffCurrentCard();
    emit actionStatesChanged();
}

void LearningPage::slot_turn_on_all_words()
{
    if (m_session.run.turnOnAllCards())
        m_session.ui().showWarning(RunText::allCardsAlreadyOn());
    else
        emit actionStatesChanged();
}

void LearningPage::slot_search_in_dict()
{
    if (!actionStates().goToDictionary)
        return;
    if (m_session.work.by_time)
        togglePause();
    bool shown = false;
    emit showCardRequested(m_session.run.currentCardId(), &shown);
    if (!shown)
        m_session.ui().showWarning(QStringLiteral("Не удалось найти карточку в словаре\n"
                                                  "Возможно необходимо отключить фильтр"));
}

// ---------------------------------------------------------------- keys and mouse

bool LearningPage::handleRunKey(QObject *watched, QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const int key = e->key();
    const bool running = m_session.run.running;

    if (running && m_tab == MainTab::Learning) {
        switch (key) {
        case Qt::Key_F4:
            if (!m_soundList.isEmpty())
                m_sounds.play(m_soundList);
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
    if (running && key == Qt::Key_F5 && m_tab != MainTab::Learning) {
        emit learningTabRequested();
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

bool LearningPage::eventFilter(QObject *watched, QEvent *event)
{
    if (handlePaneEvent(watched, event))
        return true;
    return LearningPageForm::eventFilter(watched, event);
}

bool LearningPage::handlePaneEvent(QObject *watched, QEvent *event)
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
        const QColor base = m_session.appearance.contentsBackgroundColor;
        pal.setColor(QPalette::Base, enter ? hoverColor(base) : base);
        pane->setPalette(pal);
        m_paneHovered = enter;
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton || !m_paneHovered || !m_session.run.running)
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

void LearningPage::slot_voice()
{
    if (m_session.run.running && !m_soundList.isEmpty())
        m_sounds.play(m_soundList);
}
