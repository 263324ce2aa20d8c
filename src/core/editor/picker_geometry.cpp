#include "core/editor/picker_geometry.h"

#include <algorithm>

bool snapPosition(const QRect &a, const QRect &b, bool editorMoved, QPoint *to)
{
    const int aRight = a.x() + a.width();
    const int aBottom = a.y() + a.height();
    const int bRight = b.x() + b.width();
    const int bBottom = b.y() + b.height();

    const bool rightEdge = aRight - kSnapDistance <= b.x() && b.x() <= aRight + kSnapDistance;
    const bool rowsOverlap = (a.y() <= b.y() && b.y() <= aBottom) ||
                             (a.y() <= bBottom && bBottom <= aBottom) ||
                             (b.y() < a.y() && aBottom < bBottom);
    if (rightEdge && rowsOverlap) {
        *to = editorMoved ? QPoint(aRight, a.y()) : QPoint(b.x() - a.width(), b.y());
        return true;
    }

    const bool bottomEdge = aBottom - kSnapDistance <= b.y() && b.y() <= aBottom + kSnapDistance;
    const bool columnsOverlap = (a.x() <= b.x() && b.x() <= aRight) ||
                                (a.x() <= bRight && bRight <= aRight) ||
                                (b.x() < a.x() && aRight < bRight);
    if (bottomEdge && columnsOverlap) {
        *to = editorMoved ? QPoint(a.x(), aBottom) : QPoint(b.x(), b.y() - a.height());
        return true;
    }
    return false;
}

QPoint SymbolGridLayout::cellPos(int i) const
{
    return QPoint((i % columns) * cell, (i / columns) * cell);
}

SymbolGridLayout symbolGridLayout(int viewWidth, int viewHeight, int cell, int cellCount)
{
    SymbolGridLayout g;
    g.cell = std::max(cell, 1);
    const int s = g.cell;
    int columns = viewWidth / s;
    if (columns * (viewHeight / s) < cellCount)
        columns = (viewWidth - 17) / s;
    // A view narrower than one cell still shows one column.
    g.columns = std::max(columns, 1);
    g.rows = (cellCount + g.columns - 1) / g.columns;
    g.contents = QSize(g.columns * s, g.rows * (s - 1));
    return g;
}
