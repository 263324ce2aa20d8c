#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Geometry rules of the editor's helper windows, kept apart from the widgets
// so they can be checked without a screen.

// How close (in pixels) the category window must come to the editor's right
// or bottom edge to be pulled against it.
constexpr int kSnapDistance = 20;

// The editor (frame `editor`) and its category window (frame `categories`)
// stay together: when the window stands within kSnapDistance of the
// editor's right edge and overlaps it vertically, or of its bottom edge and
// overlaps it horizontally, the window that did not move follows the one
// that did. Returns true with the new top-left of the follower (the category
// window when `editorMoved`, else the editor); false when nothing moves.
bool snapPosition(const QRect &editor, const QRect &categories, bool editorMoved, QPoint *to);

// Layout of the symbol grid: square cells of side `cell` filled row by row.
struct SymbolGridLayout {
    int columns = 1;
    int rows = 0;
    QSize contents; // the scrolled area
    QPoint cellPos(int i) const;
    int cell = 0;
};
// Columns fill the view's width; when the cells then need more height than
// the view has, 17 pixels are left for the vertical scroll bar.
SymbolGridLayout symbolGridLayout(int viewWidth, int viewHeight, int cell, int cellCount);
