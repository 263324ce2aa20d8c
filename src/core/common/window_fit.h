#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where windows go on the screen, decided without one, so the rules can be
// checked in a table. Rectangles are window frames (title bar included);
// `area` is the available geometry of the screen (without panels).

// The frame moved as little as possible so that it lies wholly inside
// `area`. A frame wider or taller than the area keeps its left or top edge
// on the area's, so the title bar and the window's start stay reachable.
// An empty area leaves the frame where it is.
QRect fitIntoArea(const QRect &frame, const QRect &area);

// The top-left of a helper window of frame size `size` opened for the first
// time beside `owner`: against its right edge, tops aligned, when it fits
// there; else against its left edge; else fitted into the area over the
// owner's right part.
QPoint besideWindow(const QRect &owner, const QSize &size, const QRect &area);
