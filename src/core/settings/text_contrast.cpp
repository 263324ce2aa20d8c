#include "core/settings/text_contrast.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

// The linear light of each 8-bit sRGB channel value, computed once.
const std::array<double, 256> &linearChannel()
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            t[v] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

double luminanceOf(QRgb rgb)
{
    const auto &lin = linearChannel();
    return 0.2126 * lin[qRed(rgb)] + 0.7152 * lin[qGreen(rgb)] + 0.0722 * lin[qBlue(rgb)];
}

double ratioOf(double l1, double l2)
{
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

struct LuminanceRange {
    double darkest = 1.0;
    double lightest = 0.0;
};

LuminanceRange luminanceRange(const QImage &picture, const QRect &area)
{
    LuminanceRange range;
    QRect r = area.intersected(picture.rect());
    if (r.isEmpty())
        r = picture.rect();
    if (r.isEmpty())
        return {0.0, 1.0};
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            const double l = luminanceOf(line[x]);
            range.darkest = std::min(range.darkest, l);
            range.lightest = std::max(range.lightest, l);
        }
    }
    return range;
}

} // namespace

double relativeLuminance(const QColor &color)
{
    return luminanceOf(color.toRgb().rgb());
}

double contrastRatio(const QColor &a, const QColor &b)
{
    return ratioOf(relativeLuminance(a), relativeLuminance(b));
}

QColor readableTextColor(const QColor &background)
{
    const double l = relativeLuminance(background);
    return ratioOf(l, 0.0) >= ratioOf(l, 1.0) ? QColor(Qt::black) : QColor(Qt::white);
}

QColor readableTextColorOver(const QImage &picture, const QRect &area)
{
    const LuminanceRange range = luminanceRange(picture, area);
    // Black reads worst on the darkest pixel, white on the lightest.
    return ratioOf(range.darkest, 0.0) >= ratioOf(range.lightest, 1.0) ? QColor(Qt::black)
                                                                       : QColor(Qt::white);
}

double worstContrastOver(const QImage &picture, const QRect &area, const QColor &text)
{
    const LuminanceRange range = luminanceRange(picture, area);
    const double t = relativeLuminance(text);
    // The pixel nearest to the text's luminance reads worst.
    if (t <= range.darkest)
        return ratioOf(t, range.darkest);
    if (t >= range.lightest)
        return ratioOf(t, range.lightest);
    return 1.0;
}

QColor readableVariant(const QColor &wanted, const QColor &background)
{
    if (contrastRatio(wanted, background) >= minimumTextContrast)
        return wanted;
    const QColor target = readableTextColor(background);
    const QColor from = wanted.toRgb();
    // The target itself reads (4.58 at least), so the walk always ends.
    constexpr int steps = 256;
    for (int i = 1; i < steps; ++i) {
        const auto mix = [i](int a, int b) { return a + (b - a) * i / steps; };
        const QColor c(mix(from.red(), target.red()), mix(from.green(), target.green()),
                       mix(from.blue(), target.blue()));
        if (contrastRatio(c, background) >= minimumTextContrast)
            return c;
    }
    return target;
}
