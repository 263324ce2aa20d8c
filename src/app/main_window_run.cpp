// Learning and repetition runs on the learning tab, and sound playback.
#include "app/main_window.h"

#include <QKeyEvent>

void Vmain_form::setupRun() {}

void Vmain_form::setSoundPlayer(SoundPlayer *) {}

void Vmain_form::updateRunControls()
{
    auto pick = [](bool on, const QString &name) {
        return name + (on ? QStringLiteral(".png") : QStringLiteral("_disabled.png"));
    };
    setButtonIcon(pushButton_voice, pick(false, QStringLiteral("Voice")));
    setButtonIcon(pushButton_previous, pick(m_run.canGoBack(), QStringLiteral("Previous_word")));
    setButtonIcon(toolButton_findInDict,
                  pick(m_run.running && m_run.hasCurrentCard(), QStringLiteral("Go_to_dict")));
    setButtonIcon(pushButton_Mistake, pick(false, QStringLiteral("IForgot")));
}

bool Vmain_form::handleRunKey(QObject *, QKeyEvent *) { return false; }
bool Vmain_form::handleRunPaneEvent(QObject *, QEvent *) { return false; }

QString Vmain_form::composeStatusLine() const
{
    return runStatusLine(m_run, m_work, m_dict.cardCount() == 0, MainTab(m_currentTab), true,
                         priorityLabel(nullptr, m_work.en_ru));
}

void Vmain_form::beginRun() {}
void Vmain_form::endRun() {}
void Vmain_form::slot_start() {}
void Vmain_form::slot_continue() {}
void Vmain_form::slot_make_mistake() {}
void Vmain_form::slot_previous_word() {}
void Vmain_form::slot_turn_off_word() {}
void Vmain_form::slot_turn_on_all_words() {}
void Vmain_form::slot_search_in_dict() {}
void Vmain_form::slot_pause_resume() {}
void Vmain_form::slot_timer_timeout() {}
void Vmain_form::slot_timer_flash() {}
void Vmain_form::slot_voice() {}
void Vmain_form::slot_timered_voice() {}
