#pragma once

#include "app/app_style.h"
#include "app/interaction.h"
#include "dialogs/filter_settings.h"
#include "model/dictionary.h"
#include "run/run_clock.h"
#include "run/run_state.h"
#include "run/sound_player.h"
#include "run/work_settings.h"
#include "settings/app_settings.h"
#include "settings/ini_reader.h"

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

    Dictionary dictionary;
    iniReader settings;
    iniReader filterStore;
    FilterSettings filter;
    AppearanceSettings appearance;
    WorkSettings work;
    RunState run;

private:
    QString m_workDir;
    FrameColors *m_frameColors;
    std::unique_ptr<Interaction> m_interaction;
    std::unique_ptr<RunClock> m_clock;
    std::unique_ptr<SoundPlayer> m_player;
};
