#pragma once

#include "ui/editor/line_for_word_form.h"

#include <QList>

// One foreign-word line of the card editor: the auto-check box, the word
// (lE1) and its transcription (lE2) in a splitter. The line turns arrow keys
// at the edges of its fields into signals, so the editor can link the lines
// into a ring; within the line, Right at the end of the word goes to the
// transcription, Left at its start comes back, Enter moves on.
class _line_ForWordForm : public line_ForWordForm
{
    Q_OBJECT
public:
    explicit _line_ForWordForm(QWidget *parent = nullptr);

public slots:
    void slot_lE1_setFocus();
    void slot_lE2_setFocus();
    void slot_lE1_setCursor_to0();
    void slot_lE2_setCursor_to0();
    // The position is clamped to the text length.
    void slot_lE1_setCursor_toPos(int pos);
    void slot_lE2_setCursor_toPos(int pos);
    void slot_lE1_returnPressed();
    void slot_lE2_returnPressed();

signals:
    void return_lE2Pressed();
    // The user dragged this line's splitter; `sizes` are its new sizes.
    void signal_splitterResize(const QList<int> &sizes);
    void siglE1_Key_Left();
    void siglE1_Key_Right();
    void siglE1_Key_Up(int cursorPos);
    void siglE1_Key_Down(int cursorPos);
    void siglE2_Key_Left();
    void siglE2_Key_Right();
    void siglE2_Key_Up(int cursorPos);
    void siglE2_Key_Down(int cursorPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
