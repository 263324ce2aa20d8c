#include "ui/editor/v_button_symbol.h"

#include "core/settings/text_contrast.h"
#include "ui/editor/phonetic_font.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace
{
constexpr int kSignAlignment = Qt::AlignHCenter | Qt::AlignVCenter;
} // namespace

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
    // A screen reader cannot read the character off the picture.
    setAccessibleName(QStringLiteral("Символ %1").arg(symbol));
    update();
}

QSize VButtonSymbol::sizeHint() const
{
    return QSize(30, 30);
}

const QPixmap &VButtonSymbol::face() const
{
    return (m_pressed && m_inside) ? m_down : m_up;
}

QRect VButtonSymbol::signRect() const
{
    QRect r = rect();
    if (m_pressed)
        r.translate(1, 1);
    return r;
}

QColor VButtonSymbol::signColor() const
{
    // The face as it shows: the picture over the page colour that shines
    // through its corners (or the page alone when the picture is missing).
    QImage shown(size(), QImage::Format_RGB32);
    shown.fill(palette().color(QPalette::Window));
    const QPixmap &pix = face();
    if (!pix.isNull()) {
        QPainter p(&shown);
        p.drawPixmap(rect(), pix);
    }
    // Judged on every pixel the character's line box covers.
    const QRect box = fontMetrics()
                          .boundingRect(signRect(), kSignAlignment, QString(m_symbol))
                          .adjusted(-1, -1, 1, 1);
    return readableTextColorOver(shown, box);
}

void VButtonSymbol::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPixmap &pix = face();
    if (!pix.isNull())
        p.drawPixmap(rect(), pix);
    if (!m_receiver)
        return;
    p.setPen(signColor());
    p.drawText(signRect(), kSignAlignment, QString(m_symbol));
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
