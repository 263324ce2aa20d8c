#include "ui/common/app_style.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

AppStyle::AppStyle(FrameColors *colors)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_colors(colors)
{
}

static void drawCutFrame(QPainter *p, const QRect &r, const QColor &outer, const QColor &inner)
{
    const int c = 4; // corner cut
    const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(outer);
    // Edges between the cuts.
    p->drawLine(x0 + c, y0, x1 - c, y0);
    p->drawLine(x0 + c, y1, x1 - c, y1);
    p->drawLine(x0, y0 + c, x0, y1 - c);
    p->drawLine(x1, y0 + c, x1, y1 - c);
    // The diagonal cuts and a point one pixel inside each corner.
    p->drawLine(x0, y0 + c, x0 + c, y0);
    p->drawLine(x1 - c, y0, x1, y0 + c);
    p->drawLine(x0, y1 - c, x0 + c, y1);
    p->drawLine(x1 - c, y1, x1, y1 - c);
    p->drawPoint(x0 + 1, y0 + 1);
    p->drawPoint(x1 - 1, y0 + 1);
    p->drawPoint(x0 + 1, y1 - 1);
    p->drawPoint(x1 - 1, y1 - 1);
    // Inner outline, two pixels inside.
    p->setPen(inner);
    p->drawRect(r.adjusted(2, 2, -3, -3));
    p->restore();
}

void AppStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                             QPainter *painter, const QWidget *widget) const
{
    if (element == PE_FrameGroupBox) {
        drawCutFrame(painter, option->rect, m_colors->outer, m_colors->inner);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void AppStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                           const QWidget *widget) const
{
    if (element == CE_Splitter)
        return; // splitter handles stay invisible
    QProxyStyle::drawControl(element, option, painter, widget);
}
