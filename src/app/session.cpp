#include "app/session.h"

#include <QDir>
#include <QFileInfo>

Session::Session(QString workDir, FrameColors *frameColors, Interaction *interaction)
    : m_workDir(QDir(workDir).absolutePath()), m_frameColors(frameColors),
      m_interaction(interaction)
{
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
    QStringList messages;
    const auto saveOne = [&](iniReader &store, const QString &file) {
        const QString path = QFileInfo(file).absoluteFilePath();
        QString error;
        if (!store.save(file, &error)) {
            messages << QStringLiteral("Невозможно сохранить файл настроек\n") + path +
                            QLatin1Char('\n') + error;
            return;
        }
        if (!store.saveNotes().isEmpty())
            messages << QStringLiteral("Файл настроек\n") + path +
                            QStringLiteral("\nсохранён не полностью:\n") +
                            store.saveNotes().join(QLatin1Char('\n'));
    };
    saveOne(settings, settingsFile());
    saveOne(filterStore, filterFile());
    return messages;
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
