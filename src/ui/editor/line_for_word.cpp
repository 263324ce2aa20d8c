#include "ui/editor/line_for_word.h"

#include "ui/common/key_events.h"

#include <QKeyEvent>

_line_ForWordForm::_line_ForWordForm(QWidget *parent) : line_ForWordForm(parent)
{
    lineEdit2->setSymbolMenu(true);
    lineEdit1->installEventFilter(this);
    lineEdit2->installEventFilter(this);

    connect(lineEdit1, &QLineEdit::returnPressed, this, &_line_ForWordForm::slot_lE1_returnPressed);
    connect(lineEdit2, &QLineEdit::returnPressed, this, &_line_ForWordForm::slot_lE2_returnPressed);
    connect(this, &_line_ForWordForm::siglE1_Key_Right, this,
            &_line_ForWordForm::slot_lE2_setCursor_to0);
    connect(this, &_line_ForWordForm::siglE2_Key_Left, this, &_line_ForWordForm::slot_lE1_setFocus);
    // Only a drag of the handle reports; sizes set by the program do not.
    connect(splitter3, &QSplitter::splitterMoved, this,
            [this] { emit signal_splitterResize(splitter3->sizes()); });
}

void _line_ForWordForm::slot_lE1_setFocus()
{
    lineEdit1->setFocus();
}

void _line_ForWordForm::slot_lE2_setFocus()
{
    lineEdit2->setFocus();
}

void _line_ForWordForm::slot_lE1_setCursor_to0()
{
    slot_lE1_setCursor_toPos(0);
}

void _line_ForWordForm::slot_lE2_setCursor_to0()
{
    slot_lE2_setCursor_toPos(0);
}

void _line_ForWordForm::slot_lE1_setCursor_toPos(int pos)
{
    lineEdit1->setFocus();
    lineEdit1->setCursorPosition(qBound(0, pos, int(lineEdit1->text().size())));
}

void _line_ForWordForm::slot_lE2_setCursor_toPos(int pos)
{
    lineEdit2->setFocus();
    lineEdit2->setCursorPosition(qBound(0, pos, int(lineEdit2->text().size())));
}

void _line_ForWordForm::slot_lE1_returnPressed()
{
    lineEdit2->setFocus();
}

void _line_ForWordForm::slot_lE2_returnPressed()
{
    emit return_lE2Pressed();
}

bool _line_ForWordForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || (watched != lineEdit1 && watched != lineEdit2))
        return line_ForWordForm::eventFilter(watched, event);
    auto *field = static_cast<QLineEdit *>(watched);
    const bool word = field == lineEdit1;
    const int pos = field->cursorPosition();
    switch (latinKeyOf(static_cast<QKeyEvent *>(event))) {
    case Qt::Key_Left:
        if (pos != 0)
            return false;
        word ? emit siglE1_Key_Left() : emit siglE2_Key_Left();
        return true;
    case Qt::Key_Right:
        if (pos != field->text().size())
            return false;
        word ? emit siglE1_Key_Right() : emit siglE2_Key_Right();
        return true;
    case Qt::Key_Up:
        word ? emit siglE1_Key_Up(pos) : emit siglE2_Key_Up(pos);
        return true;
    case Qt::Key_Down:
        word ? emit siglE1_Key_Down(pos) : emit siglE2_Key_Down(pos);
        return true;
    default:
        return false;
    }
}
