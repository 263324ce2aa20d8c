#pragma once

#include "core/settings/app_settings.h"

#include <QList>

class QSplitter;
class QTextEdit;
class QWidget;
struct FrameColors;

// The widgets outside the settings page that show the appearance.
struct AppearanceTargets {
    // Question, answer and typed-answer panes: font, text colour, background.
    QList<QTextEdit *> learningPanes;
    // The splitter of the question and answer panes.
    QSplitter *cardSplitter = nullptr;
    // Text areas that take the contents background: the help browser and
    // the dictionary table.
    QList<QWidget *> contentsWidgets;
    // Its outer frame colour follows the page background.
    FrameColors *frameColors = nullptr;
    // Repainted so the frames take their new colour.
    QWidget *window = nullptr;
};

// Shows an applied appearance on the whole program: the application palette
// (page background for windows and buttons, contents background for text
// areas), the learning panes, the splitter's orientation (vertical puts the
// question above the answer) and the frame colour of the style.
void applyAppearanceToWindow(const AppearanceSettings &appearance,
                             const AppearanceTargets &targets);
