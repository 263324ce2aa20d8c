#include "ui/editor/dd_list_box.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

namespace
{
// A guarded pointer: a list that is destroyed stops being "last pressed".
QPointer<DDListBox> &lastPressedList()
{
    static QPointer<DDListBox> list;
    return list;
}
} // namespace

DDListBox::DDListBox(QWidget *parent) : QListWidget(parent)
{
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

DDListBox *DDListBox::lastPressed()
{
    return lastPressedList().data();
}

void DDListBox::mousePressEvent(QMouseEvent *event)
{
    QListWidget::mousePressEvent(event);
    lastPressedList() = this;
    m_pressed = true;
    m_pressPos = event->position().toPoint();
}

void DDListBox::mouseMoveEvent(QMouseEvent *event)
{
    // A click that trembles by a pixel is still a click, not a drag.
    if (m_pressed && (event->position().toPoint() - m_pressPos).manhattanLength() >=
                         QApplication::startDragDistance()) {
        m_pressed = false;
        startTextDrag();
        return;
    }
    QListWidget::mouseMoveEvent(event);
}

void DDListBox::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    QListWidget::mouseReleaseEvent(event);
}

void DDListBox::startTextDrag()
{
    auto *drag = new QDrag(this);
    auto *data = new QMimeData;
    data->setText(QString());
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

void DDListBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void DDListBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void DDListBox::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    handleDrop();
}

void DDListBox::handleDrop()
{
    if (lastPressed() == this)
        return;
    if (m_side == 1)
        emit ready_drop();
    else if (m_side == 0)
        emit ready_delete();
}
