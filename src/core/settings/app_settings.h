#pragma once

#include "core/dictionary/card_table.h"
#include "core/dictionary/dictionary.h"
#include "core/settings/settings_keys.h"

#include <QColor>
#include <QFont>
#include <QString>

class iniReader;

// The keys of settings.ini as typed records, named by the constants of
// settings_keys.h. Writers keep the order of the closing pass, because new
// keys are placed in the reverse order of their creation and files depend on
// that order.

// SETTINGS_FONT and ANOTHER_SETTINGS.
struct AppearanceSettings {
    QFont font;
    QColor fontColor{0, 0, 127};
    QColor backgroundColor{0, 0, 0};
    QColor contentsBackgroundColor{0, 0, 0};
    bool showPartsNums = false;
    bool showSpeechParts = false;
    bool flashIfWrong = false;
    bool vertical = true;
    QColor frameColor{255, 255, 255}; // never stored
    int numRightLearn = 3;
    int settingsPage = 0;
};

// `defaultFont` is used unless the file names a family, a size above 5 and a
// weight above 10. A colour is used only when its three keys are present
// and within 0..255; a missing contents background is derived as the
// midpoint between the page background and RGB(85, 170, 255).
AppearanceSettings readAppearance(iniReader &ini, const QFont &defaultFont);
void writeAppearance(iniReader &ini, const AppearanceSettings &settings);

// SORTING.
TableSortOptions readSorting(iniReader &ini);
void writeSorting(iniReader &ini, const TableSortOptions &options);

// MAIN_FORM. The size is to be applied only when both parts are above 0, the
// tab only when below the tab count.
struct MainFormGeometry {
    int topX = 40;
    int topY = 40;
    int width = 0;
    int height = 0;
    int currentTab = 0;
    int splitter2[2] = {150, 150};
    int splitter3[2] = {150, 150};
};
MainFormGeometry readMainFormGeometry(iniReader &ini);
void writeMainFormGeometry(iniReader &ini, const MainFormGeometry &geometry);

// A dialog's position and size, under FILTER_FORM, ONE_WORD_FORM,
// CATEGORY_FORM or SPEECH_PART_FORM. Same rules as the main window.
struct WindowGeometry {
    int topX = 40;
    int topY = 40;
    int width = 0;
    int height = 0;
};
WindowGeometry readWindowGeometry(iniReader &ini, const WindowGeometryKeys &keys);
void writeWindowGeometry(iniReader &ini, const WindowGeometryKeys &keys,
                         const WindowGeometry &geometry);
// The same by section name; an empty or invalid name reads the defaults and
// writes nothing.
WindowGeometry readWindowGeometry(iniReader &ini, const QString &section);
void writeWindowGeometry(iniReader &ini, const QString &section, const WindowGeometry &geometry);

// HELP_PAGE:current, 0..3; anything else reads as 3.
int readHelpPage(iniReader &ini);
void writeHelpPage(iniReader &ini, int page);

// PATHS:dict_dir, the start folder for opening dictionaries.
QString readDictDir(iniReader &ini);
void writeDictDir(iniReader &ini, const QString &dir);

// The 26 default categories, comma-separated.
QString defaultCategoriesText();
// What the window shows (caption "Словарь") when the defaults were used.
QString missingCategoriesWarning();
// WORDS_CATEGORY:categs split at ",". When the value is empty or missing,
// the default list is used and written into the store, and *usedDefault is
// set so the caller can show the warning.
StringSet readCategoryList(iniReader &ini, bool *usedDefault = nullptr);
