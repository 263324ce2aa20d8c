#include "ui/editor/my_q_line_edit.h"

#include <QContextMenuEvent>
#include <QMenu>

MyQLineEdit::MyQLineEdit(QWidget *parent) : QLineEdit(parent) {}

QMenu *MyQLineEdit::buildContextMenu()
{
    QMenu *menu = createStandardContextMenu();
    if (m_symbolMenu) {
        QAction *first = menu->actions().value(0);
        auto *symbol = new QAction(QStringLiteral("Вставить символ (ы)"), menu);
        symbol->setData(0);
        menu->insertAction(first, symbol);
        menu->insertSeparator(first);
        connect(symbol, &QAction::triggered, this, [this] { ppm_activated(0); });
    }
    return menu;
}

void MyQLineEdit::ppm_activated(int id)
{
    if (id == 0)
        emit sel_symbolActivated();
}

void MyQLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = buildContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
