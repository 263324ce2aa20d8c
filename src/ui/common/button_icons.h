#pragma once

#include <QString>

class QAbstractButton;

// Buttons are never disabled: each shows an enabled or a "_disabled" picture.
// The picture's file name is kept on the button, so it is only reloaded when
// it changes and tests can read which one is shown.
void setButtonIcon(QAbstractButton *button, const QString &iconsDir, const QString &file);
QString iconFileOf(const QAbstractButton *button);
// "name.png" or "name_disabled.png".
QString pickIcon(bool enabled, const QString &name);
