#pragma once

#include "forms/learning_page_form.h"
#include "model/action_states.h"

#include <QString>
#include <QTimer>

class QKeyEvent;
class Session;
class SoundPlayback;
struct Card;

// The learning tab: question, answer and typed-answer panes, the run's
// buttons, the progress of timed runs, and the run's keys and timers.
class LearningPage : public LearningPageForm
{
    Q_OBJECT
public:
    LearningPage(Session &session, SoundPlayback &sounds, QWidget *parent = nullptr);
    ~LearningPage() override;

    // The frame tells the page which tab is current.
    void setCurrentTab(MainTab tab);
    ActionStates actionStates() const;
    void showActionStates(const ActionStates &states);
    // The fonts, colours and orientation of the panes from the appearance.
    void applyAppearance();
    QString statusLine() const;

    // Keys of the run (any tab) and the typed-answer pane; true when consumed.
    bool handleRunKey(QObject *watched, QKeyEvent *event);

    // The timed card's progress: steps used of the steps it has (0 of 0
    // after it was given up or when it is not timed).
    int timedProgress() const { return m_cardProgress; }
    int timedSteps() const { return m_cardSteps; }
    // The shown card's sound files, empty without a card.
    const QString &runSoundList() const { return m_soundList; }
    bool paneHovered() const { return m_paneHovered; }
    bool autocheckPossible() const { return m_autocheckPossible; }
    QTimer &runTimer() { return m_runTimer; }
    QTimer &flashTimer() { return m_flashTimer; }

public slots:
    void slot_start();
    void slot_continue();
    void slot_make_mistake();
    void slot_previous_word();
    void slot_turn_off_word();
    void slot_turn_on_all_words();
    void slot_search_in_dict();
    void slot_pause_resume();
    void slot_timer_timeout();
    void slot_timer_flash();
    void slot_voice();

signals:
    void actionStatesChanged();
    // The run asked to drop the filter: the table is to be refilled.
    void filterReset();
    // F5: show this card in the dictionary table; the receiver answers
    // whether the card has a row there.
    void showCardRequested(int id, bool *shown);
    // F5 outside the learning tab brings it back.
    void learningTabRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Mouse over and clicks on the question and answer panes.
    bool handlePaneEvent(QObject *watched, QEvent *event);
    void setIcon(QAbstractButton *button, const QString &file);
    void beginRun();
    void endRun();
    void showQuestion();
    void showAnswer();
    // A timed run gives the shown card its steps and starts the run timer.
    void startCardTiming(const Card &card);
    // Stops the run timer; `giveUp` leaves the progress at 0 of 0.
    void stopRunTimer(bool giveUp);
    void showProgress();
    // Pauses a running timer or resumes the timed question's one; false
    // when neither applies.
    bool togglePause();
    void pauseRunOnLearningTab();
    void setPaneFrameColor(const QColor &color);
    void startFlash();
    void paintOffButton(const QColor &color);

    Session &m_session;
    SoundPlayback &m_sounds;
    MainTab m_tab = MainTab::Learning;
    QTimer m_runTimer;
    QTimer m_flashTimer;
    bool m_runStartedOnce = false;
    QString m_soundList;
    QString m_priorityLabel = QStringLiteral("Приоритет: ");
    // The shown card has a foreign form to check a typed answer against.
    bool m_autocheckPossible = true;
    // The mouse is over the question or the answer pane.
    bool m_paneHovered = false;
    // Next step of the mistake flash; -1 while no flash is going.
    int m_flashStep = -1;
    int m_cardSteps = 0;
    int m_cardProgress = 0;

public:
    // WORK_SETTINGS is written at close only after a run began.
    bool runStartedOnce() const { return m_runStartedOnce; }
};
