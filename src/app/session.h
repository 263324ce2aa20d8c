#pragma once

#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_history.h"
#include "core/dictionary/file_watch.h"
#include "core/find/filter_settings.h"
#include "core/run/answer_options.h"
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
    // A picture by file name, looked up in the working folder's icons/ and
    // then in the folders added below.
    QString iconPath(const QString &file) const;
    // Where pictures the working folder lacks are found (the installed ones).
    void addIconFolder(const QString &dir);
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
    // Loads `answerOptions`; a missing option gives the default.
    void loadAnswerOptions();
    // False when the options file could not be written.
    bool saveAnswerOptions();
    // Loads `speech`; missing options give the defaults.
    void loadSpeechSettings();
    // False when the options file could not be written.
    bool saveSpeechSettings();
    // The speech engine; Qt TextToSpeech unless a test set a recording one.
    // Its start begins on first use, on a thread of its own, so nothing is
    // started while speech is off and nothing waits for the engine.
    Speaker &speaker();
    void setSpeaker(Speaker *speaker);
    // What builds the engine in the background, and how long it may take;
    // tests put a slow one here. Set before the first use.
    void setSpeakerFactory(BackgroundSpeaker::Factory make,
                           int waitMs = BackgroundSpeaker::defaultWaitMs);
    // The background start of the engine, to be told when it is over; null
    // when a test set a speaker of its own.
    BackgroundSpeaker *speechStarter();
    // Speech is on and the engine can speak; never starts or waits for it.
    bool speechInUse() const;
    // The engine is still being built (the program must not wait for it).
    bool speechStillStarting() const { return m_starter && m_starter->stillStarting(); }
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
    AnswerOptions answerOptions;

private:
    QString m_workDir;
    FrameColors *m_frameColors;
    std::unique_ptr<Interaction> m_interaction;
    std::unique_ptr<RunClock> m_clock;
    std::unique_ptr<SoundPlayer> m_player;
    QString m_optionsFile;
    QString m_dataDir;
    std::unique_ptr<Speaker> m_speaker;
    BackgroundSpeaker *m_starter = nullptr;
    BackgroundSpeaker::Factory m_speakerFactory;
    int m_speechWaitMs = BackgroundSpeaker::defaultWaitMs;
    std::unique_ptr<RunJournal> m_journal;
};
