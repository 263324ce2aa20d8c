#pragma once

#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_history.h"
#include "core/dictionary/file_watch.h"
#include "core/find/filter_settings.h"
#include "core/run/run_clock.h"
#include "core/run/run_state.h"
#include "core/run/speech.h"
#include "core/run/work_settings.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"
#include "core/statistics/run_journal.h"
#include "ui/common/app_style.h"
#include "ui/common/interaction.h"
#include "ui/run/sound_player.h"

#include <QString>
#include <QStringList>

#include <memory>

// Everything one program run works on, created in main (or a test) and handed
// to the window and its pages: the dictionary, both settings stores, the
// filter, the appearance, the run's state and settings, the prompts and the
// working folder. Nothing below it looks at the current directory.
class Session
{
public:
    // `interaction` is owned; null until the window installs the real one.
    // The session's icons folder becomes the "icons:" search path of the
    // program's pictures.
    Session(QString workDir, FrameColors *frameColors, Interaction *interaction = nullptr);

    // A file or folder of the working folder ("settings.ini", "icons/x.png").
    QString path(const QString &relative) const;
    QString iconPath(const QString &file) const;
    const QString &workDir() const { return m_workDir; }

    Interaction &ui() { return *m_interaction; }
    bool hasInteraction() const { return bool(m_interaction); }
    void setInteraction(Interaction *interaction) { m_interaction.reset(interaction); }

    // Reads both settings files of the working folder; a missing file gives
    // an empty store.
    void loadSettings();
    // Writes both; returns the messages to show: a file that could not be
    // written, with the reason, or values a file could not hold as they stood.
    QStringList saveSettings();
    QString settingsFile() const;
    QString filterFile() const;

    FrameColors &frameColors() { return *m_frameColors; }

    // The run's three timers; Qt's unless a test set a stepped clock before
    // the window was built.
    RunClock &clock();
    void setClock(RunClock *clock) { m_clock.reset(clock); }
    // Where sounds go; Qt Multimedia unless a test set a recording player.
    SoundPlayer &soundPlayer();
    void setSoundPlayer(SoundPlayer *player) { m_player.reset(player); }

    // ---- per-user extras, outside the working folder
    // Where the speech options (a QSettings file) and the run journal live;
    // the user's configuration and data folders unless a test or the
    // command line says otherwise. Set before the window is built.
    void setUserFolders(const QString &optionsFile, const QString &dataDir);
    QString userOptionsFile() const;
    QString dataDir() const;
    QString journalFile() const;
    // Loads `speech`; missing options give the defaults.
    void loadSpeechSettings();
    // False when the options file could not be written.
    bool saveSpeechSettings();
    // The speech engine; Qt TextToSpeech unless a test set a recording one.
    // Built on first use, so nothing is started while speech is off.
    Speaker &speaker();
    void setSpeaker(Speaker *speaker) { m_speaker.reset(speaker); }
    // Speech is on and the engine can speak.
    bool speechInUse();
    // Where finished runs are written; the journal file unless a test set one.
    RunJournal &journal();
    void setJournal(RunJournal *journal) { m_journal.reset(journal); }

    Dictionary dictionary;
    // The undo history of the user's card changes (not the runs').
    DictionaryHistory history{dictionary};
    // Locks, stamps and merge bases of the open files, and the watcher that
    // reports changes on disk.
    FileWatch fileWatch{dictionary};
    iniReader settings;
    iniReader filterStore;
    FilterSettings filter;
    AppearanceSettings appearance;
    WorkSettings work;
    RunState run;
    SpeechSettings speech;

private:
    QString m_workDir;
    FrameColors *m_frameColors;
    std::unique_ptr<Interaction> m_interaction;
    std::unique_ptr<RunClock> m_clock;
    std::unique_ptr<SoundPlayer> m_player;
    QString m_optionsFile;
    QString m_dataDir;
    std::unique_ptr<Speaker> m_speaker;
    std::unique_ptr<RunJournal> m_journal;
};
