#include "core/run/sound_queue.h"

QString soundFilePath(const QString &name)
{
    return QStringLiteral("./sounds/") + name.trimmed();
}

SoundStep startSounds(QString &queue, const QString &soundPath)
{
    if (!queue.isEmpty())
        return SoundStep();
    queue = soundPath;
    return nextSound(queue);
}

SoundStep nextSound(QString &queue)
{
    SoundStep step;
    if (queue.isEmpty())
        return step;
    const qsizetype semicolon = queue.indexOf(QLatin1Char(';'));
    QString name;
    if (semicolon >= 0) {
        name = queue.left(semicolon);
        queue = queue.mid(semicolon + 1);
        step.more = true;
    } else {
        name = queue;
        queue.clear();
    }
    step.hasName = true;
    step.path = soundFilePath(name);
    return step;
}
