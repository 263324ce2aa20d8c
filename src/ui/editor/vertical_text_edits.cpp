#include "ui/editor/vertical_text_edits.h"

#include "core/editor/picker_geometry.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QTextEdit>

verticalTextEdits::verticalTextEdits(QWidget *parent) : QScrollArea(parent), m_contents(new QWidget)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(false);
    setWidget(m_contents);
}

void verticalTextEdits::addCells(const QStringList &texts, const QFont *font)
{
    const QFont f = font ? *font : QApplication::font();
    const QFontMetrics fm(f);
    for (const QString &t : texts) {
        auto *cell = new QTextEdit(m_contents);
        cell->setFont(f);
        cell->setReadOnly(true);
        cell->setFrameShape(QFrame::Box);
        cell->setLineWidth(1);
        cell->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        cell->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        cell->document()->setDocumentMargin(0);
        cell->setPlainText(t);
        cell->setAlignment(Qt::AlignHCenter);
        cell->viewport()->setCursor(Qt::PointingHandCursor);
        cell->viewport()->installEventFilter(this);
        cell->setFocusPolicy(Qt::NoFocus);
        cell->setAccessibleName(QStringLiteral("Символ %1").arg(t));
        cell->show();
        m_cells.append(cell);
        m_cellSize = std::max({m_cellSize, fm.horizontalAdvance(t) + 4, fm.lineSpacing() + 4});
    }
    layoutCells();
}

QString verticalTextEdits::codeText(const QString &cellText)
{
    if (cellText.isEmpty())
        return QString();
    return QString::number(cellText.toUcs4().value(0));
}

void verticalTextEdits::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    layoutCells();
}

void verticalTextEdits::layoutCells()
{
    if (m_cells.isEmpty())
        return;
    const QSize view = contentsRect().size();
    const SymbolGridLayout g =
        symbolGridLayout(view.width(), view.height(), m_cellSize, int(m_cells.size()));
    m_contents->resize(g.contents);
    for (int i = 0; i < m_cells.size(); ++i)
        m_cells[i]->setGeometry(QRect(g.cellPos(i), QSize(g.cell, g.cell)));
}

bool verticalTextEdits::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease)
        return QScrollArea::eventFilter(watched, event);
    QTextEdit *cell = nullptr;
    for (QTextEdit *c : std::as_const(m_cells))
        if (c->viewport() == watched)
            cell = c;
    if (!cell)
        return QScrollArea::eventFilter(watched, event);
    // Presses (a quick second click arrives as a double click) belong to the
    // grid; the cell never sees them, so it never selects or moves a cursor.
    if (type == QEvent::MouseButtonRelease)
        return true;
    auto *me = static_cast<QMouseEvent *>(event);
    const QString text = cell->toPlainText();
    if (me->button() == Qt::LeftButton) {
        emit OneObjectClicked(text);
    } else if (me->button() == Qt::RightButton) {
        emit OneObjectEnter(text);
        auto *menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction(codeText(text));
        menu->popup(me->globalPosition().toPoint());
    }
    return true;
}
