#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// One key of settings.ini or settings_filter.ini: the section it lives in and
// its name. Every reader and writer names its keys through the constants
// below, so a key cannot be spelled one way when read and another way when
// written, which would lose the user's setting without a word.
struct SettingsKey {
    QStringView section; // empty: a key above any header (settings_filter.ini)
    QStringView name;

    // "SECTION:name", or the bare name for a key without a section.
    QString path() const;

    bool operator==(const SettingsKey &o) const { return section == o.section && name == o.name; }
    bool operator!=(const SettingsKey &o) const { return !(*this == o); }
};

// A colour stored as three numbers 0..255.
struct ColorKeys {
    SettingsKey red;
    SettingsKey green;
    SettingsKey blue;
};

// A window's frame position and its size without the frame; every window
// keeps the same four names in a section of its own.
struct WindowGeometryKeys {
    SettingsKey topX;
    SettingsKey topY;
    SettingsKey width;
    SettingsKey height;
};

// The four geometry keys of the window stored under `section`. The view must
// outlive the keys: a literal, or a string held by the caller for the call.
constexpr WindowGeometryKeys windowGeometryKeys(QStringView section)
{
    return {{section, u"topX"}, {section, u"topY"}, {section, u"width"}, {section, u"height"}};
}

// settings.ini
namespace SettingsKeys
{

// The learning font and the colours of the panes and pages.
inline constexpr SettingsKey fontFamily{u"SETTINGS_FONT", u"font_family"};
inline constexpr SettingsKey fontSize{u"SETTINGS_FONT", u"font_size"};
inline constexpr SettingsKey fontWeight{u"SETTINGS_FONT", u"font_weight"};
inline constexpr SettingsKey fontItalic{u"SETTINGS_FONT", u"font_italic"};
inline constexpr ColorKeys fontColor{
    {u"SETTINGS_FONT", u"font_r"}, {u"SETTINGS_FONT", u"font_g"}, {u"SETTINGS_FONT", u"font_b"}};
inline constexpr ColorKeys backgroundColor{
    {u"SETTINGS_FONT", u"bckg_r"}, {u"SETTINGS_FONT", u"bckg_g"}, {u"SETTINGS_FONT", u"bckg_b"}};
inline constexpr ColorKeys contentsBackgroundColor{{u"SETTINGS_FONT", u"bckg_cont_r"},
                                                   {u"SETTINGS_FONT", u"bckg_cont_g"},
                                                   {u"SETTINGS_FONT", u"bckg_cont_b"}};

inline constexpr SettingsKey showSpeechParts{u"ANOTHER_SETTINGS", u"show_speech_parts"};
inline constexpr SettingsKey flashIfWrong{u"ANOTHER_SETTINGS", u"flash_i_wrong"};
inline constexpr SettingsKey showPartsNums{u"ANOTHER_SETTINGS", u"show_parts_nums"};
inline constexpr SettingsKey settingsPage{u"ANOTHER_SETTINGS", u"settings_page"};
inline constexpr SettingsKey vertical{u"ANOTHER_SETTINGS", u"vertical"};
inline constexpr SettingsKey numRightLearn{u"ANOTHER_SETTINGS", u"num_right_learn"};

// The dictionary table's sort options.
inline constexpr SettingsKey sortByFiles{u"SORTING", u"by_files"};
inline constexpr SettingsKey sortByLessons{u"SORTING", u"by_lessons"};
inline constexpr SettingsKey sortByForeign{u"SORTING", u"by_foreign"};

// The settings of the last run.
inline constexpr SettingsKey workTraining{u"WORK_SETTINGS", u"training"};
inline constexpr SettingsKey workUseFilter{u"WORK_SETTINGS", u"use_filter"};
inline constexpr SettingsKey workByTime{u"WORK_SETTINGS", u"by_time"};
inline constexpr SettingsKey workLesson{u"WORK_SETTINGS", u"lesson"};
inline constexpr SettingsKey workEnRu{u"WORK_SETTINGS", u"en_ru"};
inline constexpr SettingsKey workUseAutocheck{u"WORK_SETTINGS", u"use_autocheck"};
inline constexpr SettingsKey workSpeed{u"WORK_SETTINGS", u"speed"};
inline constexpr SettingsKey workUseArchive{u"WORK_SETTINGS", u"use_archive"};

inline constexpr SettingsKey helpPage{u"HELP_PAGE", u"current"};

// The main window: geometry, open tab and the panes of both splitters.
inline constexpr WindowGeometryKeys mainForm = windowGeometryKeys(u"MAIN_FORM");
inline constexpr SettingsKey mainFormCurrentTab{u"MAIN_FORM", u"currentTab"};
inline constexpr SettingsKey mainFormSplitter2Size0{u"MAIN_FORM", u"splitter2Size0"};
inline constexpr SettingsKey mainFormSplitter2Size1{u"MAIN_FORM", u"splitter2Size1"};
inline constexpr SettingsKey mainFormSplitter3Size0{u"MAIN_FORM", u"splitter3Size0"};
inline constexpr SettingsKey mainFormSplitter3Size1{u"MAIN_FORM", u"splitter3Size1"};

// The dialogs that remember where they were.
inline constexpr WindowGeometryKeys filterForm = windowGeometryKeys(u"FILTER_FORM");
inline constexpr WindowGeometryKeys oneWordForm = windowGeometryKeys(u"ONE_WORD_FORM");
inline constexpr WindowGeometryKeys categoryForm = windowGeometryKeys(u"CATEGORY_FORM");
inline constexpr WindowGeometryKeys speechPartForm = windowGeometryKeys(u"SPEECH_PART_FORM");

inline constexpr SettingsKey dictDir{u"PATHS", u"dict_dir"};
inline constexpr SettingsKey categories{u"WORDS_CATEGORY", u"categs"};

// Every key above, in the order of this header.
QList<SettingsKey> all();

} // namespace SettingsKeys

// settings_filter.ini: the saved filter, keys without a section.
namespace FilterKeys
{

inline constexpr SettingsKey categories{u"", u"CATEGORY"};
inline constexpr SettingsKey speechParts{u"", u"SPEECHPARTS"};
inline constexpr SettingsKey prioritiesER{u"", u"PRIORITYER"};
inline constexpr SettingsKey prioritiesRE{u"", u"PRIORITYRE"};
inline constexpr SettingsKey invertConditions{u"", u"INVERTCONDITIONS"};
inline constexpr SettingsKey checkByAnd{u"", u"CHECKBYAND"};
inline constexpr SettingsKey checkVoice{u"", u"CHECKVOICE"};
inline constexpr SettingsKey checkArchive{u"", u"CHECKARCHIVE"};
inline constexpr SettingsKey forgottenRE{u"", u"FORGETED_RE"};
inline constexpr SettingsKey forgottenER{u"", u"FORGETED_ER"};
inline constexpr SettingsKey lessons{u"", u"LESSONS"};

// Every key above, in the order of this header.
QList<SettingsKey> all();

} // namespace FilterKeys
