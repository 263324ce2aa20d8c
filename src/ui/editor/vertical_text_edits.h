#pragma once

#include <QList>
#include <QScrollArea>

class QTextEdit;

// A grid of equal square cells, one symbol each, that wraps to the width of
// the view and scrolls vertically. A left click on a cell reports its text;
// a right click reports it too and shows the symbol's decimal code.
class verticalTextEdits : public QScrollArea
{
    Q_OBJECT
public:
    explicit verticalTextEdits(QWidget *parent = nullptr);

    // Adds one cell per text, in the given font (the application font when
    // none). Cells grow to fit the widest text and the tallest line.
    void addCells(const QStringList &texts, const QFont *font = nullptr);
    const QList<QTextEdit *> &cells() const { return m_cells; }
    int cellSize() const { return m_cellSize; }
    // The one item of a cell's right-click menu: its first character's code.
    static QString codeText(const QString &cellText);

signals:
    void OneObjectClicked(const QString &text);
    void OneObjectEnter(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutCells();

    QWidget *m_contents;
    QList<QTextEdit *> m_cells;
    int m_cellSize = 0;
};
