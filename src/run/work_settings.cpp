#include "run/work_settings.h"

#include "settings/ini_reader.h"

#include <climits>

namespace
{
const QString kTraining = QStringLiteral("WORK_SETTINGS:training");
const QString kUseFilter = QStringLiteral("WORK_SETTINGS:use_filter");
const QString kByTime = QStringLiteral("WORK_SETTINGS:by_time");
const QString kLesson = QStringLiteral("WORK_SETTINGS:lesson");
const QString kEnRu = QStringLiteral("WORK_SETTINGS:en_ru");
const QString kUseAutocheck = QStringLiteral("WORK_SETTINGS:use_autocheck");
const QString kSpeed = QStringLiteral("WORK_SETTINGS:speed");
const QString kUseArchive = QStringLiteral("WORK_SETTINGS:use_archive");
} // namespace

bool WorkSettings::isConsistent() const
{
    if (training)
        return true;
    return !use_filter && !by_time && !use_autocheck && !use_archive && !lesson.isEmpty();
}

void WorkSettings::read(iniReader &ini)
{
    const WorkSettings d;
    training = ini.readBoolEntry(kTraining, d.training);
    use_filter = ini.readBoolEntry(kUseFilter, d.use_filter);
    by_time = ini.readBoolEntry(kByTime, d.by_time);
    lesson = ini.readEntry(kLesson, d.lesson);
    en_ru = ini.readBoolEntry(kEnRu, d.en_ru);
    use_autocheck = ini.readBoolEntry(kUseAutocheck, d.use_autocheck);
    speed = ini.readNumEntry(kSpeed, d.speed);
    use_archive = ini.readBoolEntry(kUseArchive, d.use_archive);
}

void WorkSettings::write(iniReader &ini) const
{
    ini.writeEntry(kTraining, training);
    ini.writeEntry(kUseFilter, use_filter);
    ini.writeEntry(kByTime, by_time);
    ini.writeEntry(kLesson, lesson);
    ini.writeEntry(kEnRu, en_ru);
    ini.writeEntry(kUseAutocheck, use_autocheck);
    ini.writeEntry(kSpeed, speed);
    ini.writeEntry(kUseArchive, use_archive);
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
