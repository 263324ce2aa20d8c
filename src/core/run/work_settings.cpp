#include "core/run/work_settings.h"

#include "core/settings/ini_reader.h"
#include "core/settings/settings_keys.h"

#include <climits>

namespace K = SettingsKeys;

bool WorkSettings::isConsistent() const
{
    if (training)
        return true;
    return !use_filter && !by_time && !use_autocheck && !use_archive && !lesson.isEmpty();
}

void WorkSettings::read(iniReader &ini)
{
    const WorkSettings d;
    training = ini.readBoolEntry(K::workTraining, d.training);
    use_filter = ini.readBoolEntry(K::workUseFilter, d.use_filter);
    by_time = ini.readBoolEntry(K::workByTime, d.by_time);
    lesson = ini.readEntry(K::workLesson, d.lesson);
    en_ru = ini.readBoolEntry(K::workEnRu, d.en_ru);
    use_autocheck = ini.readBoolEntry(K::workUseAutocheck, d.use_autocheck);
    speed = ini.readNumEntry(K::workSpeed, d.speed);
    use_archive = ini.readBoolEntry(K::workUseArchive, d.use_archive);
}

void WorkSettings::write(iniReader &ini) const
{
    ini.writeEntry(K::workTraining, training);
    ini.writeEntry(K::workUseFilter, use_filter);
    ini.writeEntry(K::workByTime, by_time);
    ini.writeEntry(K::workLesson, lesson);
    ini.writeEntry(K::workEnRu, en_ru);
    ini.writeEntry(K::workUseAutocheck, use_autocheck);
    ini.writeEntry(K::workSpeed, speed);
    ini.writeEntry(K::workUseArchive, use_archive);
}

bool WorkSettings::operator==(const WorkSettings &o) const
{
    return training == o.training && use_filter == o.use_filter && by_time == o.by_time &&
           lesson == o.lesson && en_ru == o.en_ru && use_autocheck == o.use_autocheck &&
           speed == o.speed && use_archive == o.use_archive;
}

int dialogSpeedFromStored(int storedSpeed)
{
    // 64-bit, so a hand-edited extreme value cannot overflow.
    const qint64 value = (80 - qint64(storedSpeed)) / 5;
    return value >= 1 && value <= 15 ? int(value) : 6;
}

int storedSpeedFromDialog(int dialogSpeed)
{
    const qint64 speed = 80 - 5 * qint64(dialogSpeed);
    if (speed <= 0)
        return 5;
    return speed > INT_MAX ? INT_MAX : int(speed);
}
