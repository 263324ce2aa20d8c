#include "ui/common/button_icons.h"

#include <QAbstractButton>
#include <QDir>
#include <QIcon>

namespace
{
const char *const kIconProperty = "iconFile";
}

void setButtonIcon(QAbstractButton *button, const QString &iconsDir, const QString &file)
{
    if (button->property(kIconProperty).toString() == file)
        return;
    button->setProperty(kIconProperty, file);
    // "icons:" names the search path of the program's pictures.
    button->setIcon(QIcon(iconsDir.endsWith(QLatin1Char(':')) ? iconsDir + file
                                                              : QDir(iconsDir).filePath(file)));
}

QString iconFileOf(const QAbstractButton *button)
{
    return button->property(kIconProperty).toString();
}

QString pickIcon(bool enabled, const QString &name)
{
    return name + (enabled ? QStringLiteral(".png") : QStringLiteral("_disabled.png"));
}
