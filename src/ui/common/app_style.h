#pragma once

#include <QColor>
#include <QProxyStyle>

// Colours of the group-box frames, shared by the style and the main window:
// `outer` follows the page background, `inner` flashes during runs.
struct FrameColors {
    QColor outer{255, 200, 200};
    QColor inner{255, 255, 255};
};

// The program's style: Fusion, but with its own group-box frames (a cut
// corner outline in two colours) and invisible splitter handles.
class AppStyle : public QProxyStyle
{
public:
    explicit AppStyle(FrameColors *colors);

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

private:
    FrameColors *m_colors;
};
