#include "app/session.h"

#include <QDir>
#include <QFileInfo>

Session::Session(QString workDir, FrameColors *frameColors, Interaction *interaction)
    : m_workDir(QDir(workDir).absolutePath()), m_frameColors(frameColors),
      m_interaction(interaction)
{
    // Pictures are named "icons:<file>" everywhere; this says where they are.
    QDir::setSearchPaths(QStringLiteral("icons"), {path(QStringLiteral("icons"))});
}

QString Session::path(const QString &relative) const
{
    // Cards name their sounds "./sounds/…", relative to the working folder.
    if (relative.startsWith(QLatin1String("./")))
        return QDir(m_workDir).filePath(relative.mid(2));
    return QDir(m_workDir).filePath(relative);
}

QString Session::iconPath(const QString &file) const
{
    return path(QStringLiteral("icons/") + file);
}

QString Session::settingsFile() const
{
    return path(QStringLiteral("settings.ini"));
}

QString Session::filterFile() const
{
    return path(QStringLiteral("settings_filter.ini"));
}

void Session::loadSettings()
{
    settings.load(settingsFile());
    filterStore.load(filterFile());
}

QStringList Session::saveSettings()
{
    QStringList failed;
    if (!settings.save(settingsFile()))
        failed << QFileInfo(settingsFile()).absoluteFilePath();
    if (!filterStore.save(filterFile()))
        failed << QFileInfo(filterFile()).absoluteFilePath();
    return failed;
}

RunClock &Session::clock()
{
    if (!m_clock)
        m_clock = std::make_unique<QtRunClock>();
    return *m_clock;
}

SoundPlayer &Session::soundPlayer()
{
    if (!m_player)
        m_player = createMultimediaSoundPlayer();
    return *m_player;
}
