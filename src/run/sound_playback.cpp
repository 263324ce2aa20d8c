#include "run/sound_playback.h"

#include "run/sound_queue.h"

#include <QDir>

SoundPlayback::SoundPlayback(QString workDir, QObject *parent)
    : QObject(parent), m_workDir(std::move(workDir)), m_player(createMultimediaSoundPlayer())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SoundPlayback::slot_timered_voice);
}

SoundPlayback::~SoundPlayback() = default;

void SoundPlayback::play(const QString &soundPath)
{
    const SoundStep step = startSounds(m_queue, soundPath);
    playStep(step.hasName, step.path, step.more);
}

void SoundPlayback::slot_timered_voice()
{
    const SoundStep step = nextSound(m_queue);
    playStep(step.hasName, step.path, step.more);
}

QString SoundPlayback::inWorkDir(const QString &path) const
{
    // The cards' names are relative to the working folder ("./sounds/...").
    if (path.startsWith(QLatin1String("./")))
        return m_workDir + path.mid(1);
    return QDir(m_workDir).filePath(path);
}

void SoundPlayback::playStep(bool hasName, const QString &path, bool more)
{
    if (!hasName)
        return;
    if (m_player && m_player->isAvailable())
        m_player->play(inWorkDir(path));
    // The timer runs even without an audio device, so the queue always
    // drains and later requests are not ignored for good.
    if (more)
        m_timer.start(soundInterval);
}
