#include "core/common/window_fit.h"

#include <algorithm>

namespace
{

// The start of a span of `length` moved into [low, low + room).
int fitSpan(int start, int length, int low, int room)
{
    if (length >= room)
        return low;
    return std::clamp(start, low, low + room - length);
}

} // namespace

QRect fitIntoArea(const QRect &frame, const QRect &area)
{
    if (area.isEmpty())
        return frame;
    return QRect(QPoint(fitSpan(frame.x(), frame.width(), area.x(), area.width()),
                        fitSpan(frame.y(), frame.height(), area.y(), area.height())),
                 frame.size());
}

QPoint besideWindow(const QRect &owner, const QSize &size, const QRect &area)
{
    const QRect right(QPoint(owner.x() + owner.width(), owner.y()), size);
    if (area.isEmpty())
        return right.topLeft();
    if (right.right() <= area.right())
        return fitIntoArea(right, area).topLeft();
    const QRect left(QPoint(owner.x() - size.width(), owner.y()), size);
    if (left.x() >= area.x())
        return fitIntoArea(left, area).topLeft();
    return fitIntoArea(right, area).topLeft();
}
