#pragma once

#include "core/settings/app_settings.h"

class QWidget;

// Puts a window at a stored geometry: `topX`, `topY` the frame's top-left,
// `width`, `height` the size without the frame (applied only when both are
// above 0), as the window reported them when they were stored. Once the
// window is shown and its frame is known, it is put back where it was asked
// to be if the window manager placed it elsewhere (the client rather than
// the frame at that point), and kept on its screen like keepOnScreen().
void restoreWindowGeometry(QWidget *window, const WindowGeometry &geometry);

// Every time the window is shown, its frame is moved fully inside the
// available geometry of the screen it is on (a window that does not fit
// keeps its title bar on the screen).
void keepOnScreen(QWidget *window);

// The available geometry of the screen the window's frame is on (the
// primary screen when it is on none).
QRect availableAreaFor(const QWidget *window);
