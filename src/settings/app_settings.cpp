#include "settings/app_settings.h"

#include "settings/ini_reader.h"

#include <algorithm>

namespace
{

// A colour from three keys; invalid (so the default is kept) when a key is
// missing (-1) or a value lies outside 0..255, which QColor would reject.
QColor readColor(iniReader &ini, const QString &r, const QString &g, const QString &b)
{
    const int red = ini.readNumEntry(r, -1);
    const int green = ini.readNumEntry(g, -1);
    const int blue = ini.readNumEntry(b, -1);
    const auto inRange = [](int v) { return v >= 0 && v <= 255; };
    if (!inRange(red) || !inRange(green) || !inRange(blue))
        return QColor();
    return QColor(red, green, blue);
}

void writeColor(iniReader &ini, const QString &prefix, const QColor &color)
{
    ini.writeEntry(prefix + QLatin1String("_r"), color.red());
    ini.writeEntry(prefix + QLatin1String("_g"), color.green());
    ini.writeEntry(prefix + QLatin1String("_b"), color.blue());
}

// Files keep the old 0..99 weight scale (normal 50, bold 75), and the
// "above 10" rule is stated on that scale.
int legacyWeightOf(const QFont &font)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return font.legacyWeight();
    QT_WARNING_POP
}

void setLegacyWeight(QFont &font, int weight)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    font.setLegacyWeight(std::clamp(weight, 0, 99));
    QT_WARNING_POP
}

WindowGeometry readGeometryKeys(iniReader &ini)
{
    WindowGeometry g;
    g.topX = ini.readNumEntry(QStringLiteral("topX"), 40);
    g.topY = ini.readNumEntry(QStringLiteral("topY"), 40);
    g.width = ini.readNumEntry(QStringLiteral("width"), 0);
    g.height = ini.readNumEntry(QStringLiteral("height"), 0);
    return g;
}

} // namespace

AppearanceSettings readAppearance(iniReader &ini, const QFont &defaultFont)
{
    AppearanceSettings s;
    s.font = defaultFont;

    ini.setGroup(QStringLiteral("SETTINGS_FONT"));
    const QString family = ini.readEntry(QStringLiteral("font_family"), QString());
    const int size = ini.readNumEntry(QStringLiteral("font_size"), 0);
    const int weight = ini.readNumEntry(QStringLiteral("font_weight"), 0);
    const bool italic = ini.readBoolEntry(QStringLiteral("font_italic"), false);
    if (!family.isEmpty() && size > 5 && weight > 10) {
        QFont font(family, size);
        setLegacyWeight(font, weight);
        font.setItalic(italic);
        s.font = font;
    }

    const QColor fontColor = readColor(ini, QStringLiteral("font_r"), QStringLiteral("font_g"),
                                       QStringLiteral("font_b"));
    if (fontColor.isValid())
        s.fontColor = fontColor;
    const QColor background = readColor(ini, QStringLiteral("bckg_r"), QStringLiteral("bckg_g"),
                                        QStringLiteral("bckg_b"));
    if (background.isValid())
        s.backgroundColor = background;
    const QColor contents = readColor(ini, QStringLiteral("bckg_cont_r"),
                                      QStringLiteral("bckg_cont_g"), QStringLiteral("bckg_cont_b"));
    if (contents.isValid()) {
        s.contentsBackgroundColor = contents;
    } else {
        const QColor &bg = s.backgroundColor;
        s.contentsBackgroundColor =
            QColor((bg.red() + 85) / 2, (bg.green() + 170) / 2, (bg.blue() + 255) / 2);
    }
    ini.endGroup();

    ini.setGroup(QStringLiteral("ANOTHER_SETTINGS"));
    s.showSpeechParts = ini.readBoolEntry(QStringLiteral("show_speech_parts"), false);
    s.flashIfWrong = ini.readBoolEntry(QStringLiteral("flash_i_wrong"), false);
    s.showPartsNums = ini.readBoolEntry(QStringLiteral("show_parts_nums"), false);
    s.settingsPage = ini.readNumEntry(QStringLiteral("settings_page"), 0);
    s.vertical = ini.readBoolEntry(QStringLiteral("vertical"), true);
    s.numRightLearn = std::clamp(ini.readNumEntry(QStringLiteral("num_right_learn"), 3), 0, 100);
    ini.endGroup();
    return s;
}

void writeAppearance(iniReader &ini, const AppearanceSettings &s)
{
    ini.writeEntry(QStringLiteral("SETTINGS_FONT:font_family"), s.font.family());
    ini.writeEntry(QStringLiteral("SETTINGS_FONT:font_size"), s.font.pointSize());
    ini.writeEntry(QStringLiteral("SETTINGS_FONT:font_weight"), legacyWeightOf(s.font));
    ini.writeEntry(QStringLiteral("SETTINGS_FONT:font_italic"), s.font.italic());
    writeColor(ini, QStringLiteral("SETTINGS_FONT:font"), s.fontColor);
    writeColor(ini, QStringLiteral("SETTINGS_FONT:bckg"), s.backgroundColor);
    writeColor(ini, QStringLiteral("SETTINGS_FONT:bckg_cont"), s.contentsBackgroundColor);

    ini.writeEntry(QStringLiteral("ANOTHER_SETTINGS:show_speech_parts"), s.showSpeechParts);
    ini.writeEntry(QStringLiteral("ANOTHER_SETTINGS:show_parts_nums"), s.showPartsNums);
    ini.writeEntry(QStringLiteral("ANOTHER_SETTINGS:settings_page"), s.settingsPage);
    ini.writeEntry(QStringLiteral("ANOTHER_SETTINGS:flash_i_wrong"), s.flashIfWrong);
    ini.writeEntry(QStringLiteral("ANOTHER_SETTINGS:vertical"), s.vertical);
    ini.writeEntry(QStringLiteral("ANOTHER_SETTINGS:num_right_learn"), s.numRightLearn);
}

TableSortOptions readSorting(iniReader &ini)
{
    TableSortOptions o;
    ini.setGroup(QStringLiteral("SORTING"));
    o.byFiles = ini.readBoolEntry(QStringLiteral("by_files"), false);
    o.byLessons = ini.readBoolEntry(QStringLiteral("by_lessons"), false);
    o.byForeign = ini.readBoolEntry(QStringLiteral("by_foreign"), true);
    ini.endGroup();
    return o;
}

void writeSorting(iniReader &ini, const TableSortOptions &o)
{
    ini.writeEntry(QStringLiteral("SORTING:by_files"), o.byFiles);
    ini.writeEntry(QStringLiteral("SORTING:by_lessons"), o.byLessons);
    ini.writeEntry(QStringLiteral("SORTING:by_foreign"), o.byForeign);
}

MainFormGeometry readMainFormGeometry(iniReader &ini)
{
    MainFormGeometry g;
    ini.setGroup(QStringLiteral("MAIN_FORM"));
    const WindowGeometry w = readGeometryKeys(ini);
    g.topX = w.topX;
    g.topY = w.topY;
    g.width = w.width;
    g.height = w.height;
    g.currentTab = ini.readNumEntry(QStringLiteral("currentTab"), 0);
    g.splitter2[0] = ini.readNumEntry(QStringLiteral("splitter2Size0"), 150);
    g.splitter2[1] = ini.readNumEntry(QStringLiteral("splitter2Size1"), 150);
    g.splitter3[0] = ini.readNumEntry(QStringLiteral("splitter3Size0"), 150);
    g.splitter3[1] = ini.readNumEntry(QStringLiteral("splitter3Size1"), 150);
    ini.endGroup();
    return g;
}

void writeMainFormGeometry(iniReader &ini, const MainFormGeometry &g)
{
    ini.writeEntry(QStringLiteral("MAIN_FORM:topX"), g.topX);
    ini.writeEntry(QStringLiteral("MAIN_FORM:topY"), g.topY);
    ini.writeEntry(QStringLiteral("MAIN_FORM:width"), g.width);
    ini.writeEntry(QStringLiteral("MAIN_FORM:height"), g.height);
    ini.writeEntry(QStringLiteral("MAIN_FORM:currentTab"), g.currentTab);
    ini.writeEntry(QStringLiteral("MAIN_FORM:splitter2Size0"), g.splitter2[0]);
    ini.writeEntry(QStringLiteral("MAIN_FORM:splitter2Size1"), g.splitter2[1]);
    ini.writeEntry(QStringLiteral("MAIN_FORM:splitter3Size0"), g.splitter3[0]);
    ini.writeEntry(QStringLiteral("MAIN_FORM:splitter3Size1"), g.splitter3[1]);
}

WindowGeometry readWindowGeometry(iniReader &ini, const QString &section)
{
    // An invalid section name is refused by setGroup; then nothing is found
    // and every key keeps its default.
    if (!ini.setGroup(section) || section.isEmpty())
        return WindowGeometry();
    const WindowGeometry g = readGeometryKeys(ini);
    ini.endGroup();
    return g;
}

void writeWindowGeometry(iniReader &ini, const QString &section, const WindowGeometry &g)
{
    if (!iniReader::isValidName(section))
        return;
    const QString prefix = section + QLatin1Char(':');
    ini.writeEntry(prefix + QLatin1String("topX"), g.topX);
    ini.writeEntry(prefix + QLatin1String("topY"), g.topY);
    ini.writeEntry(prefix + QLatin1String("width"), g.width);
    ini.writeEntry(prefix + QLatin1String("height"), g.height);
}

int readHelpPage(iniReader &ini)
{
    ini.setGroup(QStringLiteral("HELP_PAGE"));
    const int page = ini.readNumEntry(QStringLiteral("current"), 3);
    ini.endGroup();
    return (page >= 0 && page <= 3) ? page : 3;
}

void writeHelpPage(iniReader &ini, int page)
{
    ini.writeEntry(QStringLiteral("HELP_PAGE:current"), page);
}

QString readDictDir(iniReader &ini)
{
    return ini.readEntry(QStringLiteral("PATHS:dict_dir"), QString());
}

void writeDictDir(iniReader &ini, const QString &dir)
{
    ini.writeEntry(QStringLiteral("PATHS:dict_dir"), dir);
}

QString defaultCategoriesText()
{
    return QStringLiteral("Ощущения,Торговля,Одежда,Числа,Общение,Еда,Родственники,Учеба,Животные,"
                          "Растительность,Природа,Работа,Дом,Транспорт,СМИ,Искусство,Человек,"
                          "Медицина,Досуг,Служебные,Неправильные глаголы,Прочие,Названия,Город,"
                          "Время,Техника");
}

QString missingCategoriesWarning()
{
    return QStringLiteral("Отсутствует список категорий в файле настроек (или отсутствует файл)\n"
                          "Будет установлен список категорий по умолчанию");
}

StringSet readCategoryList(iniReader &ini, bool *usedDefault)
{
    const QString key = QStringLiteral("WORDS_CATEGORY:categs");
    QString text = ini.readEntry(key, QString(), true);
    const bool useDefault = text.isEmpty();
    if (useDefault) {
        text = defaultCategoriesText();
        ini.writeEntry(key, text);
    }
    if (usedDefault)
        *usedDefault = useDefault;

    StringSet names;
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &name : parts)
        names.insert(name);
    return names;
}
