#pragma once

#include "core/dictionary/dictionary.h"
#include "ui/editor/choose_a_category_form.h"

#include <QStringList>

// The card editor's category window: the allowed categories on the left,
// the card's (at most six) on the right. Items go right with the arrow
// button or by dragging them over, and back with the other button or by
// dragging them back. Not modal; it sticks to the editor when either window
// comes within 20 pixels of the other's right or bottom edge.
class _choose_aCategoryForm : public choose_aCategoryForm
{
    Q_OBJECT
public:
    _choose_aCategoryForm(QWidget *editor, const StringSet &categoryList,
                          const QList<QString> &cardCategories);

    // The right list, top to bottom: what the card will get.
    QStringList chosenCategories() const;

private slots:
    void slot_add();
    void slot_delete();

protected:
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setChosen(const QStringList &names);

    QWidget *m_editor;
};

// Moves the window that did not move so that the two stay together (see
// snapPosition). The moves it makes call it again; those calls do nothing.
void keepWindowsTogether(QWidget *editor, QWidget *categories, bool editorMoved);
