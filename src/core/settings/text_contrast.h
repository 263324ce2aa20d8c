#pragma once

#include <QColor>

class QImage;
class QRect;

// How well text reads on its background, measured as the WCAG 2 contrast
// ratio: (L1 + 0.05) / (L2 + 0.05) of the relative luminances of the
// lighter and the darker colour, from 1 (the same) to 21 (black on white).

// The least ratio text of the program keeps with what it is drawn on
// (WCAG 2, level AA, for text of ordinary size).
inline constexpr double minimumTextContrast = 4.5;

// Relative luminance of an sRGB colour, 0 (black) to 1 (white). Alpha is
// ignored.
double relativeLuminance(const QColor &color);
double contrastRatio(const QColor &a, const QColor &b);

// Black or white, whichever has the higher contrast with `background`: at
// least 4.58 (the square root of 21) for every colour.
QColor readableTextColor(const QColor &background);

// Black or white for text drawn over `area` of a picture of several colours
// (a key face with a gradient): the one whose contrast with the pixel it
// reads worst on is the higher. The picture is taken as it shows on screen:
// a caller composes it over whatever shines through first. An area that
// misses the picture reads the whole picture.
QColor readableTextColorOver(const QImage &picture, const QRect &area);

// The least contrast `text` has with any pixel of `area` of `picture`.
double worstContrastOver(const QImage &picture, const QRect &area, const QColor &text);

// `wanted` where it reads on `background`; else the nearest colour on the
// way from it to readableTextColor(background) that does, so a colour that
// marks something (blue for an archived card) keeps its hue where it can.
QColor readableVariant(const QColor &wanted, const QColor &background);
