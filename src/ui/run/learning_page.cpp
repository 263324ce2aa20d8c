#include "ui/run/learning_page.h"

#include "app/session.h"
#include "core/run/run_session.h"
#include "core/settings/appearance_rules.h"
#include "ui/common/button_icons.h"
#include "ui/common/interaction.h"
#include "ui/common/key_events.h"
#include "ui/run/answer_difference_text.h"
#include "ui/run/settings_begin_work_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

LearningPage::LearningPage(Session &session, QWidget *parent)
    : LearningPageForm(parent), m_session(session)
{
    setObjectName(QStringLiteral("learningPage"));
    m_run = std::make_unique<RunSession>(m_session.dictionary, m_session.run, m_session.work,
                                         m_session.appearance, *this, m_session.clock());
    m_run->setSpeech(&m_session.speech, [this]() -> Speaker & { return m_session.speaker(); });
    m_run->setJournal(&m_session.journal());
    m_run->setAnswerOptions(&m_session.answerOptions);
    // The run holds the card list and changes counters: no older change may
    // be undone over it.
    m_run->setRunStartHook([this] { m_session.history.clear(); });
    connect(pushButton_previous, &QPushButton::clicked, this, &LearningPage::slot_previous_word);
    connect(pushButton_Mistake, &QPushButton::clicked, this, &LearningPage::slot_make_mistake);
    connect(toolButton_findInDict, &QToolButton::clicked, this, &LearningPage::slot_search_in_dict);
    connect(pushButton1_off_word, &QPushButton::clicked, this, &LearningPage::slot_turn_off_word);
    connect(pushButton2_on_all, &QPushButton::clicked, this, &LearningPage::slot_turn_on_all_words);
    connect(toolButton_pause_start, &QToolButton::clicked, this, &LearningPage::slot_pause_resume);
    connect(pushButton_voice, &QPushButton::clicked, this, &LearningPage::slot_voice);

    progressBar1->hide();
    toolButton_pause_start->hide();
    frame4_lerning->hide();
    textEdit3_type->setEnabled(false);
    setPausePicture(false);
    for (QWidget *w : {static_cast<QWidget *>(textEdit1_question),
                       static_cast<QWidget *>(textEdit1_question->viewport()),
                       static_cast<QWidget *>(textEdit2_answer),
                       static_cast<QWidget *>(textEdit2_answer->viewport())})
        w->installEventFilter(this);
}

LearningPage::~LearningPage() = default;

void LearningPage::setIcon(QAbstractButton *button, const QString &file)
{
    setButtonIcon(button, QStringLiteral("icons:"), file);
}

void LearningPage::setCurrentTab(MainTab tab)
{
    m_tab = tab;
    if (tab == MainTab::Learning)
        m_run->onLearningTabShown();
}

void LearningPage::showActionStates(const ActionStates &s)
{
    setIcon(pushButton_voice, pickIcon(s.runSound, QStringLiteral("Voice")));
    setIcon(pushButton_previous, pickIcon(s.previous, QStringLiteral("Previous_word")));
    setIcon(toolButton_findInDict, pickIcon(s.goToDictionary, QStringLiteral("Go_to_dict")));
    setIcon(pushButton_Mistake, pickIcon(s.forgot, QStringLiteral("IForgot")));
}

QString LearningPage::statusLine() const
{
    return m_run->statusLine(m_tab);
}

// ---------------------------------------------------------------- buttons

void LearningPage::slot_start()
{
    m_run->startStop(m_tab == MainTab::Learning, [this] {
        VSettingsBeginWork dialog(window(), m_session.dictionary.lessons(), &m_session.work,
                                  m_session.work.isConsistent());
        return m_session.ui().runDialog(&dialog) == QDialog::Accepted;
    });
}

void LearningPage::slot_continue()
{
    m_run->next();
}

void LearningPage::slot_make_mistake()
{
    m_run->forgot();
}

void LearningPage::slot_previous_word()
{
    m_run->previous();
}

void LearningPage::slot_turn_off_word()
{
    m_run->turnOffCard();
}

void LearningPage::slot_turn_on_all_words()
{
    m_run->turnOnAll();
}

void LearningPage::slot_pause_resume()
{
    m_run->pauseResume();
}

void LearningPage::slot_voice()
{
    m_run->playCardSounds();
}

void LearningPage::slot_search_in_dict()
{
    const int id = m_run->showInDictionary();
    if (id <= 0)
        return;
    bool shown = false;
    emit showCardRequested(id, &shown);
    if (!shown)
        showWarning(cardNotInTableMessage());
}

// ---------------------------------------------------------------- keys and mouse

bool LearningPage::handleRunKey(QObject *watched, QKeyEvent *e)
{
    const RunKeyAction action =
        runKeyAction(latinKeyOf(e), e->modifiers() & ~Qt::KeypadModifier, m_session.run.running,
                     m_tab, watched == textEdit3_type);
    switch (action) {
    case RunKeyAction::None:
        return false;
    case RunKeyAction::Next:
        slot_continue();
        break;
    case RunKeyAction::Forgot:
        slot_make_mistake();
        break;
    case RunKeyAction::Previous:
        slot_previous_word();
        break;
    case RunKeyAction::PlaySounds:
        slot_voice();
        break;
    case RunKeyAction::ShowInDictionary:
        slot_search_in_dict();
        break;
    case RunKeyAction::ShowLearningTab:
        emit learningTabRequested();
        break;
    }
    return true;
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
        pal.setColor(QPalette::Base, enter ? hoverBackground(base) : base);
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

// ---------------------------------------------------------------- RunView

namespace
{

// A read-only pane does not tell assistive technology that its whole text
// was replaced; without this a screen reader would not read the new card.
void setPaneText(QTextEdit *pane, const QString &text)
{
    const QString old = pane->toPlainText();
    pane->setPlainText(text);
    if (old == text)
        return;
    QAccessibleTextUpdateEvent event(pane, 0, old, text);
    QAccessible::updateAccessibility(&event);
}

} // namespace

void LearningPage::setQuestionText(const QString &text)
{
    setPaneText(textEdit1_question, text);
}

void LearningPage::setAnswerText(const QString &text)
{
    setPaneText(textEdit2_answer, text);
}

void LearningPage::showAnswerDifference(const AnswerDifference &difference)
{
    const QString old = textEdit2_answer->toPlainText();
    appendAnswerDifference(textEdit2_answer, difference);
    QAccessibleTextUpdateEvent event(textEdit2_answer, 0, old, textEdit2_answer->toPlainText());
    QAccessible::updateAccessibility(&event);
}

void LearningPage::clearPanes()
{
    setPaneText(textEdit1_question, QString());
    setPaneText(textEdit2_answer, QString());
    textEdit3_type->clear();
}

QString LearningPage::typedAnswer() const
{
    return textEdit3_type->toPlainText();
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

void LearningPage::setAnswerInputEnabled(bool enabled)
{
    textEdit3_type->setEnabled(enabled);
    if (enabled)
        textEdit3_type->setFocus();
}

void LearningPage::paintOffButton(const QColor &color)
{
    QPalette pal = pushButton1_off_word->palette();
    pal.setColor(QPalette::Button, color);
    // The alert colour is fixed, so the caption is chosen against it.
    pal.setColor(QPalette::ButtonText, readableTextColor(color));
    pushButton1_off_word->setPalette(pal);
}

void LearningPage::setProgress(int value, int steps)
{
    // A bar of 0 steps would turn into Qt's busy indicator; an empty bar
    // says the same here.
    progressBar1->setRange(0, std::max(1, steps));
    progressBar1->setValue(value);
}

void LearningPage::setTimedControlsVisible(bool visible)
{
    progressBar1->setVisible(visible);
    toolButton_pause_start->setVisible(visible);
}

void LearningPage::setPausePicture(bool timerRunning)
{
    setIcon(toolButton_pause_start,
            timerRunning ? QStringLiteral("16_16_pause.png") : QStringLiteral("16_16_play.png"));
}

void LearningPage::setLearningFrameVisible(bool visible)
{
    frame4_lerning->setVisible(visible);
}

void LearningPage::controlsChanged()
{
    emit actionStatesChanged();
}

void LearningPage::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void LearningPage::playSound(const QString &path)
{
    SoundPlayer &player = m_session.soundPlayer();
    if (player.isAvailable())
        player.play(m_session.path(path));
}

void LearningPage::showWarning(const QString &text)
{
    m_session.ui().showWarning(text);
}

bool LearningPage::askYesNo(const QString &text)
{
    return m_session.ui().askYesNo(text) == Interaction::Yes;
}

bool LearningPage::isFilterSet() const
{
    return m_session.filter.isActive();
}

void LearningPage::resetFilterAndRefresh()
{
    m_session.filter.reset();
    emit filterReset();
}
