#pragma once

#include <QFont>
#include <QList>
#include <QString>

// One style of a font family as the font database lists it.
struct FontStyleInfo {
    QString name; // "Book", "Oblique", "Bold"
    int weight = QFont::Normal;
    bool italic = false;
};

// The family's style that draws `weight` and `italic`: of the styles with
// the same slant (any style when none has it), the one of the nearest
// weight, the first of equals. Empty when the family lists no style. A font
// chooser opened on this style shows the font as it is; opened on none, it
// may preselect another (DejaVu Sans: "Oblique" for a plain font).
QString matchingStyle(int weight, bool italic, const QList<FontStyleInfo> &styles);

// The font a chooser opened on `opened` with the style `openedStyle`
// returned: `opened` itself when family, style, size and effects are the
// ones it opened on (a weight the family lacks is not rounded to a style's),
// else the chooser's font without the style name it adds, as the settings
// keep only family, size, weight and slant.
QFont chosenFont(const QFont &opened, const QString &openedStyle, const QFont &fromChooser);
