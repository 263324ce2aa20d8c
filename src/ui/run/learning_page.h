#pragma once

#include "core/dictionary/action_states.h"
#include "core/run/run_view.h"
#include "ui/run/learning_page_form.h"

#include <QString>

#include <memory>

class QKeyEvent;
class RunSession;
class Session;

// The learning tab: question, answer and typed-answer panes, the run's
// buttons and the progress of timed runs. Every step of a run is decided by
// its RunSession; the page only shows what the run tells it and passes the
// buttons, keys and mouse on.
class LearningPage : public LearningPageForm, public RunView
{
    Q_OBJECT
public:
    explicit LearningPage(Session &session, QWidget *parent = nullptr);
    ~LearningPage() override;

    RunSession &run() { return *m_run; }
    // The frame tells the page which tab is current.
    void setCurrentTab(MainTab tab);
    void showActionStates(const ActionStates &states);
    QString statusLine() const;

    // Keys of the run (any tab) and of the typed-answer pane; true when consumed.
    bool handleRunKey(QObject *watched, QKeyEvent *event);
    bool paneHovered() const { return m_paneHovered; }

    // RunView
    void setQuestionText(const QString &text) override;
    void setAnswerText(const QString &text) override;
    void showAnswerDifference(const AnswerDifference &difference) override;
    void clearPanes() override;
    QString typedAnswer() const override;
    void setPaneFrameColor(const QColor &color) override;
    void setAnswerInputEnabled(bool enabled) override;
    void paintOffButton(const QColor &color) override;
    void setProgress(int value, int steps) override;
    void setTimedControlsVisible(bool visible) override;
    void setPausePicture(bool timerRunning) override;
    void setLearningFrameVisible(bool visible) override;
    void controlsChanged() override;
    void setBusy(bool busy) override;
    void playSound(const QString &path) override;
    void showWarning(const QString &text) override;
    bool askYesNo(const QString &text) override;
    bool isFilterSet() const override;
    void resetFilterAndRefresh() override;

public slots:
    void slot_start();
    void slot_continue();
    void slot_make_mistake();
    void slot_previous_word();
    void slot_turn_off_word();
    void slot_turn_on_all_words();
    void slot_search_in_dict();
    void slot_pause_resume();
    void slot_voice();

signals:
    void actionStatesChanged();
    // The run dropped the filter: the table is to be refilled.
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

    Session &m_session;
    std::unique_ptr<RunSession> m_run;
    MainTab m_tab = MainTab::Learning;
    // The mouse is over the question or the answer pane.
    bool m_paneHovered = false;
    bool m_busy = false;
};
