#include "core/settings/font_style.h"

#include <cstdlib>

QString matchingStyle(int weight, bool italic, const QList<FontStyleInfo> &styles)
{
    bool slantExists = false;
    for (const FontStyleInfo &s : styles)
        slantExists = slantExists || s.italic == italic;
    const FontStyleInfo *best = nullptr;
    for (const FontStyleInfo &s : styles) {
        if (slantExists && s.italic != italic)
            continue;
        if (!best || std::abs(s.weight - weight) < std::abs(best->weight - weight))
            best = &s;
    }
    return best ? best->name : QString();
}

QFont chosenFont(const QFont &opened, const QString &openedStyle, const QFont &fromChooser)
{
    if (fromChooser.family() == opened.family() && fromChooser.styleName() == openedStyle &&
        fromChooser.pointSize() == opened.pointSize() &&
        fromChooser.underline() == opened.underline() &&
        fromChooser.strikeOut() == opened.strikeOut())
        return opened;
    QFont f(fromChooser);
    f.setStyleName(QString());
    return f;
}
