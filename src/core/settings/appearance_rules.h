#pragma once

#include "core/settings/app_settings.h"
#include "core/settings/text_contrast.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QStringList>

// Decisions of the settings page that need no screen: the default record,
// the colours derived from the chosen ones and the text of the font sample.

// The family the default learning font prefers: it holds the transcription
// symbols on most systems that have it.
QString preferredLearningFamily();

// The contents background that goes with a page background when none was
// chosen: the midpoint between it and RGB(85, 170, 255).
QColor derivedContentsBackground(const QColor &pageBackground);

// The default learning font: the application font, in the preferred family
// when `installedFamilies` has it, always 14 points and bold.
QFont defaultLearningFont(const QFont &applicationFont, const QStringList &installedFamilies);

// What "По умолчанию" puts on the page. `initialBackground` is the window's
// background before any setting was applied. The open page of the tool box
// and the frame colour are not part of the defaults; they are copied from
// `current`.
AppearanceSettings defaultAppearance(const AppearanceSettings &current,
                                     const QFont &applicationFont,
                                     const QStringList &installedFamilies,
                                     const QColor &initialBackground);

// "Family, size [æðŋɔθʒʧ]": the sample shows at once whether the font has
// the transcription symbols.
QString fontDescription(const QFont &font);

// Background of the question and answer panes while the pointer is over
// them: each component 15 darker, not below 0.
QColor hoverBackground(const QColor &contentsBackground);

// The application palette for an appearance: window and buttons in the page
// background, text areas in the contents background, with the shades and
// text colours made to go with them (readableTextColor, so every page and
// contents colour keeps a contrast of 4.5 at least). Selection, link and
// tool-tip colours are kept from `current`.
QPalette appearancePalette(const QPalette &current, const AppearanceSettings &appearance);
