#include "ui/editor/v_button_symbol.h"

#include "ui/editor/phonetic_font.h"

#include <QMouseEvent>
#include <QPainter>

VButtonSymbol::VButtonSymbol(QWidget *parent)
    : QWidget(parent), m_up(QStringLiteral("icons:Button30_30.png")),
      m_down(QStringLiteral("icons:Button30_30_downed.png"))
{
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setFont(phoneticFont(10, QFont::Bold));
}

void VButtonSymbol::setSymbol(QChar symbol, SymbolReceiver *receiver)
{
    m_symbol = symbol;
    m_receiver = receiver;
    update();
}

QSize VButtonSymbol::sizeHint() const
{
    return QSize(30, 30);
}

void VButtonSymbol::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPixmap &pix = (m_pressed && m_inside) ? m_down : m_up;
    if (!pix.isNull())
        p.drawPixmap(rect(), pix);
    if (!m_receiver)
        return;
    QRect r = rect();
    if (m_pressed)
        r.translate(1, 1);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(r, Qt::AlignHCenter | Qt::AlignVCenter, QString(m_symbol));
}

void VButtonSymbol::mousePressEvent(QMouseEvent *)
{
    m_pressed = true;
    m_inside = true;
    update();
}

void VButtonSymbol::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != m_inside) {
        m_inside = inside;
        update();
    }
}

void VButtonSymbol::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    m_inside = false;
    update();
    if (m_receiver && rect().contains(event->position().toPoint()))
        m_receiver->receiveSymbol(m_symbol);
}
