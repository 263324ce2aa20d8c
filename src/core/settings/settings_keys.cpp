#include "core/settings/settings_keys.h"

QString SettingsKey::path() const
{
    if (section.isEmpty())
        return name.toString();
    return section.toString() + QLatin1Char(':') + name.toString();
}

namespace
{

void append(QList<SettingsKey> &keys, const ColorKeys &c)
{
    keys << c.red << c.green << c.blue;
}

void append(QList<SettingsKey> &keys, const WindowGeometryKeys &g)
{
    keys << g.topX << g.topY << g.width << g.height;
}

} // namespace

QList<SettingsKey> SettingsKeys::all()
{
    QList<SettingsKey> keys{fontFamily, fontSize, fontWeight, fontItalic};
    append(keys, fontColor);
    append(keys, backgroundColor);
    append(keys, contentsBackgroundColor);
    keys << showSpeechParts << flashIfWrong << showPartsNums << settingsPage << vertical
         << numRightLearn;
    keys << sortByFiles << sortByLessons << sortByForeign;
    keys << workTraining << workUseFilter << workByTime << workLesson << workEnRu
         << workUseAutocheck << workSpeed << workUseArchive;
    keys << helpPage;
    append(keys, mainForm);
    keys << mainFormCurrentTab << mainFormSplitter2Size0 << mainFormSplitter2Size1
         << mainFormSplitter3Size0 << mainFormSplitter3Size1;
    append(keys, filterForm);
    append(keys, oneWordForm);
    append(keys, categoryForm);
    append(keys, speechPartForm);
    keys << dictDir << categories;
    return keys;
}

QList<SettingsKey> FilterKeys::all()
{
    return {categories, speechParts,  prioritiesER, prioritiesRE, invertConditions, checkByAnd,
            checkVoice, checkArchive, forgottenRE,  forgottenER,  lessons};
}
