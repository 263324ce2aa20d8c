#pragma once

#include <QColor>
#include <QString>

struct AnswerDifference;

// What a run needs from the learning page. RunSession decides every step of a
// run and only tells the page what to show through these calls; the page
// holds no run logic of its own.
//
// The prompts are here too rather than behind a separate interface: the page
// forwards them to its Interaction, whose boxes carry the caption "Словарь".
class RunView
{
public:
    virtual ~RunView() = default;

    // ---- the three panes: question, answer and the typed answer
    virtual void setQuestionText(const QString &text) = 0;
    virtual void setAnswerText(const QString &text) = 0;
    // Below the answer text: the typed answer marked against the expected
    // items, the items not found and the line naming the mistake.
    virtual void showAnswerDifference(const AnswerDifference &difference) = 0;
    // Empties all three panes.
    virtual void clearPanes() = 0;
    virtual QString typedAnswer() const = 0;
    // The inner outline of the three panes' frames; the page repaints them.
    virtual void setPaneFrameColor(const QColor &color) = 0;
    // true: the typed-answer pane is enabled and gets the focus;
    // false: it is disabled.
    virtual void setAnswerInputEnabled(bool enabled) = 0;

    // ---- run controls
    // Background of the learning run's "Выключить карточку" button.
    virtual void paintOffButton(const QColor &color) = 0;
    // The timed card's progress: `value` of `steps`. 0 of 0 means no time
    // limit; the page shows it as an empty bar.
    virtual void setProgress(int value, int steps) = 0;
    // The progress bar and the pause button together.
    virtual void setTimedControlsVisible(bool visible) = 0;
    // The pause button's picture: true while the run timer runs
    // (16_16_pause.png), false otherwise (16_16_play.png).
    virtual void setPausePicture(bool timerRunning) = 0;
    // The frame with "Выключить карточку" and "Включить все".
    virtual void setLearningFrameVisible(bool visible) = 0;
    // Something the button pictures or the status line depend on changed:
    // the page asks RunSession::controls() and statusLine() again.
    virtual void controlsChanged() = 0;
    // The wait cursor around choosing the next card; always restored before
    // any prompt.
    virtual void setBusy(bool busy) = 0;

    // ---- sound
    // Plays one file if the machine has sound; never waits, never reports.
    virtual void playSound(const QString &path) = 0;

    // ---- prompts
    virtual void showWarning(const QString &text) = 0;
    // True for "Да".
    virtual bool askYesNo(const QString &text) = 0;

    // ---- the filter, which belongs to the dictionary page
    virtual bool isFilterSet() const = 0;
    // Clears the filter, refreshes the controls and refills the table.
    virtual void resetFilterAndRefresh() = 0;
};
