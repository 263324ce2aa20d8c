#include "app/session.h"

#include "ui/run/text_speaker.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

Session::Session(QString workDir, FrameColors *frameColors, Interaction *interaction)
    : m_workDir(QDir(workDir).absolutePath()), m_frameColors(frameColors),
      m_interaction(interaction)
{
    // Pictures are named "icons:<file>" everywhere; this says where they are.
    QDir::setSearchPaths(QStringLiteral("icons"), {path(QStringLiteral("icons"))});
    history.setRunningCheck([this] { return run.running; });
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
    return QStringLiteral("icons:") + file;
}

void Session::addIconFolder(const QString &dir)
{
    QDir::addSearchPath(QStringLiteral("icons"), dir);
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
    loadSpeechSettings();
    loadAnswerOptions();
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

void Session::setUserFolders(const QString &optionsFile, const QString &dataDir)
{
    m_optionsFile = optionsFile;
    m_dataDir = dataDir;
    m_journal.reset();
}

QString Session::userOptionsFile() const
{
    if (!m_optionsFile.isEmpty())
        return m_optionsFile;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("options.ini"));
}

QString Session::dataDir() const
{
    if (!m_dataDir.isEmpty())
        return m_dataDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString Session::journalFile() const
{
    return QDir(dataDir()).filePath(QStringLiteral("journal.jsonl"));
}

void Session::loadSpeechSettings()
{
    QSettings options(userOptionsFile(), QSettings::IniFormat);
    speech.read(options);
}

bool Session::saveSpeechSettings()
{
    QSettings options(userOptionsFile(), QSettings::IniFormat);
    speech.write(options);
    options.sync();
    return options.status() == QSettings::NoError;
}

void Session::loadAnswerOptions()
{
    QSettings options(userOptionsFile(), QSettings::IniFormat);
    answerOptions.read(options);
}

bool Session::saveAnswerOptions()
{
    QSettings options(userOptionsFile(), QSettings::IniFormat);
    answerOptions.write(options);
    options.sync();
    return options.status() == QSettings::NoError;
}

void Session::setSpeaker(Speaker *speaker)
{
    m_starter = nullptr;
    m_speaker.reset(speaker);
}

void Session::setSpeakerFactory(BackgroundSpeaker::Factory make, int waitMs)
{
    m_speakerFactory = std::move(make);
    m_speechWaitMs = waitMs;
}

BackgroundSpeaker *Session::speechStarter()
{
    if (!m_speaker) {
        BackgroundSpeaker::Factory make = m_speakerFactory;
        if (!make)
            make = [home = QThread::currentThread()] { return createTextSpeaker(home); };
        auto starter = std::make_unique<BackgroundSpeaker>(std::move(make), m_speechWaitMs);
        m_starter = starter.get();
        m_speaker = std::move(starter);
    }
    return m_starter;
}

Speaker &Session::speaker()
{
    if (BackgroundSpeaker *starter = speechStarter())
        starter->start();
    return *m_speaker;
}

bool Session::speechInUse() const
{
    return speech.enabled && m_speaker && m_speaker->isAvailable();
}

RunJournal &Session::journal()
{
    if (!m_journal)
        m_journal = std::make_unique<FileRunJournal>(journalFile());
    return *m_journal;
}
