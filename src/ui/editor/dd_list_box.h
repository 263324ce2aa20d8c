#pragma once

#include <QListWidget>
#include <QPoint>

// A list that trades items with a partner list by drag and drop. The drag
// carries no data: a drop only tells the list it landed on that something
// came from the other list, and the window moves the current item itself.
// Side 0 is the list items are taken from, side 1 the list they are put
// into: a drop on side 1 emits ready_drop(), a drop on side 0 ready_delete().
class DDListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit DDListBox(QWidget *parent = nullptr);

    int side() const { return m_side; }
    void setSide(int side) { m_side = side; }
    bool isPressed() const { return m_pressed; }

    // The list in which the last mouse press of the program happened.
    static DDListBox *lastPressed();

    // What a drop on this list does (exposed for the tests of both lists):
    // nothing when the drag started here, else one of the two signals.
    void handleDrop();

signals:
    void ready_drop();
    void ready_delete();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Runs the copy drag of an empty text; blocks until the drop.
    virtual void startTextDrag();

private:
    int m_side = 0;
    bool m_pressed = false;
    QPoint m_pressPos;
};
