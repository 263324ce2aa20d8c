#include "ui/editor/choose_category_dialog.h"
#include "ui/common/window_placement.h"

#include "core/editor/card_apply.h"
#include "core/editor/picker_geometry.h"

#include <QIcon>

_choose_aCategoryForm::_choose_aCategoryForm(QWidget *editor, const StringSet &categoryList,
                                             const QList<QString> &cardCategories)
    : choose_aCategoryForm(editor), m_editor(editor)
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    keepOnScreen(this);
    pushButton1->setIcon(QIcon(QStringLiteral("icons:arrow_right.png")));
    pushButton2->setIcon(QIcon(QStringLiteral("icons:cancel.png")));
    dDListBox1->setSide(0);
    dDListBox2->setSide(1);

    dDListBox1->addItems(availableCategories(categoryList));
    setChosen(initialChosenCategories(cardCategories));
    dDListBox2->setMinimumWidth(dDListBox1->sizeHint().width());

    connect(pushButton1, &QPushButton::clicked, this, &_choose_aCategoryForm::slot_add);
    connect(dDListBox2, &DDListBox::ready_drop, this, &_choose_aCategoryForm::slot_add);
    connect(pushButton2, &QPushButton::clicked, this, &_choose_aCategoryForm::slot_delete);
    connect(dDListBox1, &DDListBox::ready_delete, this, &_choose_aCategoryForm::slot_delete);
}

QStringList _choose_aCategoryForm::chosenCategories() const
{
    QStringList out;
    for (int i = 0; i < dDListBox2->count(); ++i)
        out << dDListBox2->item(i)->text();
    return out;
}

void _choose_aCategoryForm::setChosen(const QStringList &names)
{
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end());
    dDListBox2->clear();
    dDListBox2->addItems(sorted);
}

void _choose_aCategoryForm::slot_add()
{
    if (!isActiveWindow())
        return;
    const QListWidgetItem *current = dDListBox1->currentItem();
    const QString name = current ? current->text() : QString();
    QStringList chosen = chosenCategories();
    if (!canChooseCategory(chosen, name))
        return;
    chosen << name;
    setChosen(chosen);
}

void _choose_aCategoryForm::slot_delete()
{
    QListWidgetItem *current = dDListBox2->currentItem();
    if (current && current->isSelected())
        delete dDListBox2->takeItem(dDListBox2->row(current));
}

void _choose_aCategoryForm::moveEvent(QMoveEvent *event)
{
    choose_aCategoryForm::moveEvent(event);
    keepWindowsTogether(m_editor, this, false);
}

void _choose_aCategoryForm::resizeEvent(QResizeEvent *event)
{
    choose_aCategoryForm::resizeEvent(event);
    keepWindowsTogether(m_editor, this, false);
}

void keepWindowsTogether(QWidget *editor, QWidget *categories, bool editorMoved)
{
    // A guard rather than a toggle: a move that produces no event of its
    // own (the window already stood there) must not leave the next real
    // move skipped.
    static bool busy = false;
    if (busy || !editor || !categories || !editor->isVisible() || !categories->isVisible())
        return;
    QPoint to;
    if (!snapPosition(editor->frameGeometry(), categories->frameGeometry(), editorMoved, &to))
        return;
    busy = true;
    (editorMoved ? categories : editor)->move(to);
    busy = false;
}
