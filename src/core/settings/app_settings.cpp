#include "core/settings/app_settings.h"

#include "core/settings/ini_reader.h"
#include "core/settings/settings_keys.h"

#include <algorithm>

namespace
{

namespace K = SettingsKeys;

// A colour from three keys; invalid (so the default is kept) when a key is
// missing (-1) or a value lies outside 0..255, which QColor would reject.
QColor readColor(iniReader &ini, const ColorKeys &keys)
{
    const int red = ini.readNumEntry(keys.red, -1);
    const int green = ini.readNumEntry(keys.green, -1);
    const int blue = ini.readNumEntry(keys.blue, -1);
    const auto inRange = [](int v) { return v >= 0 && v <= 255; };
    if (!inRange(red) || !inRange(green) || !inRange(blue))
        return QColor();
    return QColor(red, green, blue);
}

void writeColor(iniReader &ini, const ColorKeys &keys, const QColor &color)
{
    ini.writeEntry(keys.red, color.red());
    ini.writeEntry(keys.green, color.green());
    ini.writeEntry(keys.blue, color.blue());
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

} // namespace

AppearanceSettings readAppearance(iniReader &ini, const QFont &defaultFont)
{
    AppearanceSettings s;
    s.font = defaultFont;

    const QString family = ini.readEntry(K::fontFamily, QString());
    const int size = ini.readNumEntry(K::fontSize, 0);
    const int weight = ini.readNumEntry(K::fontWeight, 0);
    const bool italic = ini.readBoolEntry(K::fontItalic, false);
    if (!family.isEmpty() && size > 5 && weight > 10) {
        QFont font(family, size);
        setLegacyWeight(font, weight);
        font.setItalic(italic);
        s.font = font;
    }

    const QColor fontColor = readColor(ini, K::fontColor);
    if (fontColor.isValid())
        s.fontColor = fontColor;
    const QColor background = readColor(ini, K::backgroundColor);
    if (background.isValid())
        s.backgroundColor = background;
    const QColor contents = readColor(ini, K::contentsBackgroundColor);
    if (contents.isValid()) {
        s.contentsBackgroundColor = contents;
    } else {
        const QColor &bg = s.backgroundColor;
        s.contentsBackgroundColor =
            QColor((bg.red() + 85) / 2, (bg.green() + 170) / 2, (bg.blue() + 255) / 2);
    }

    s.showSpeechParts = ini.readBoolEntry(K::showSpeechParts, false);
    s.flashIfWrong = ini.readBoolEntry(K::flashIfWrong, false);
    s.showPartsNums = ini.readBoolEntry(K::showPartsNums, false);
    s.settingsPage = ini.readNumEntry(K::settingsPage, 0);
    s.vertical = ini.readBoolEntry(K::vertical, true);
    s.numRightLearn = std::clamp(ini.readNumEntry(K::numRightLearn, 3), 0, 100);
    return s;
}

void writeAppearance(iniReader &ini, const AppearanceSettings &s)
{
    ini.writeEntry(K::fontFamily, s.font.family());
    ini.writeEntry(K::fontSize, s.font.pointSize());
    ini.writeEntry(K::fontWeight, legacyWeightOf(s.font));
    ini.writeEntry(K::fontItalic, s.font.italic());
    writeColor(ini, K::fontColor, s.fontColor);
    writeColor(ini, K::backgroundColor, s.backgroundColor);
    writeColor(ini, K::contentsBackgroundColor, s.contentsBackgroundColor);

    ini.writeEntry(K::showSpeechParts, s.showSpeechParts);
    ini.writeEntry(K::showPartsNums, s.showPartsNums);
    ini.writeEntry(K::settingsPage, s.settingsPage);
    ini.writeEntry(K::flashIfWrong, s.flashIfWrong);
    ini.writeEntry(K::vertical, s.vertical);
    ini.writeEntry(K::numRightLearn, s.numRightLearn);
}

TableSortOptions readSorting(iniReader &ini)
{
    TableSortOptions o;
    o.byFiles = ini.readBoolEntry(K::sortByFiles, false);
    o.byLessons = ini.readBoolEntry(K::sortByLessons, false);
    o.byForeign = ini.readBoolEntry(K::sortByForeign, true);
    return o;
}

void writeSorting(iniReader &ini, const TableSortOptions &o)
{
    ini.writeEntry(K::sortByFiles, o.byFiles);
    ini.writeEntry(K::sortByLessons, o.byLessons);
    ini.writeEntry(K::sortByForeign, o.byForeign);
}

MainFormGeometry readMainFormGeometry(iniReader &ini)
{
    MainFormGeometry g;
    const WindowGeometry w = readWindowGeometry(ini, K::mainForm);
    g.topX = w.topX;
    g.topY = w.topY;
    g.width = w.width;
    g.height = w.height;
    g.currentTab = ini.readNumEntry(K::mainFormCurrentTab, 0);
    g.splitter2[0] = ini.readNumEntry(K::mainFormSplitter2Size0, 150);
    g.splitter2[1] = ini.readNumEntry(K::mainFormSplitter2Size1, 150);
    g.splitter3[0] = ini.readNumEntry(K::mainFormSplitter3Size0, 150);
    g.splitter3[1] = ini.readNumEntry(K::mainFormSplitter3Size1, 150);
    return g;
}

void writeMainFormGeometry(iniReader &ini, const MainFormGeometry &g)
{
    writeWindowGeometry(ini, K::mainForm, WindowGeometry{g.topX, g.topY, g.width, g.height});
    ini.writeEntry(K::mainFormCurrentTab, g.currentTab);
    ini.writeEntry(K::mainFormSplitter2Size0, g.splitter2[0]);
    ini.writeEntry(K::mainFormSplitter2Size1, g.splitter2[1]);
    ini.writeEntry(K::mainFormSplitter3Size0, g.splitter3[0]);
    ini.writeEntry(K::mainFormSplitter3Size1, g.splitter3[1]);
}

WindowGeometry readWindowGeometry(iniReader &ini, const WindowGeometryKeys &keys)
{
    WindowGeometry g;
    g.topX = ini.readNumEntry(keys.topX, 40);
    g.topY = ini.readNumEntry(keys.topY, 40);
    g.width = ini.readNumEntry(keys.width, 0);
    g.height = ini.readNumEntry(keys.height, 0);
    return g;
}

void writeWindowGeometry(iniReader &ini, const WindowGeometryKeys &keys, const WindowGeometry &g)
{
    ini.writeEntry(keys.topX, g.topX);
    ini.writeEntry(keys.topY, g.topY);
    ini.writeEntry(keys.width, g.width);
    ini.writeEntry(keys.height, g.height);
}

WindowGeometry readWindowGeometry(iniReader &ini, const QString &section)
{
    // An empty or invalid name would address keys above any header or none.
    if (!iniReader::isValidName(section))
        return WindowGeometry();
    return readWindowGeometry(ini, windowGeometryKeys(section));
}

void writeWindowGeometry(iniReader &ini, const QString &section, const WindowGeometry &g)
{
    if (iniReader::isValidName(section))
        writeWindowGeometry(ini, windowGeometryKeys(section), g);
}

int readHelpPage(iniReader &ini)
{
    const int page = ini.readNumEntry(K::helpPage, 3);
    return (page >= 0 && page <= 3) ? page : 3;
}

void writeHelpPage(iniReader &ini, int page)
{
    ini.writeEntry(K::helpPage, page);
}

QString readDictDir(iniReader &ini)
{
    return ini.readEntry(K::dictDir, QString());
}

void writeDictDir(iniReader &ini, const QString &dir)
{
    ini.writeEntry(K::dictDir, dir);
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
    const SettingsKey &key = K::categories;
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
