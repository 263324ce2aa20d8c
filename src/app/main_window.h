#pragma once

#include "app/app_style.h"
#include "app/interaction.h"
#include "dialogs/filter_settings.h"
#include "forms/main_form1.h"
#include "model/card_table.h"
#include "model/dictionary.h"
#include "run/run_state.h"
#include "run/sound_player.h"
#include "run/work_settings.h"
#include "settings/app_settings.h"
#include "settings/ini_reader.h"

#include <QPointer>
#include <QSet>
#include <QTimer>

#include <memory>

class DictionaryTableModel;
class QAbstractButton;
class QFrame;
class QMenu;

// The main window: owns the dictionary, both settings stores, the filter and
// the run state for the program's life, and wires them to the widgets of
// main_Form1. Decisions that need no screen live in the core library.
class Vmain_form : public main_Form1
{
    Q_OBJECT
public:
    // Takes ownership of `interaction`; null means the real message boxes.
    explicit Vmain_form(FrameColors *frameColors, Interaction *interaction = nullptr,
                        QWidget *parent = nullptr);
    ~Vmain_form() override;

    Dictionary &dictionary() { return m_dict; }
    iniReader &settingsStore() { return m_settings; }
    iniReader &filterStore() { return m_filterStore; }
    FilterSettings &filter() { return m_filter; }
    DictionaryTableModel *tableModel() const { return m_model; }
    Interaction &interaction() { return *m_interaction; }
    const AppearanceSettings &appearance() const { return m_appearance; }
    TableSortOptions sortOptions() const;
    bool isRunning() const { return m_run.running; }
    RunState &runState() { return m_run; }
    WorkSettings &workSettings() { return m_work; }
    // Takes ownership; tests put a recording player here.
    void setSoundPlayer(SoundPlayer *player);
    SoundPlayer *soundPlayer() const { return m_sound.get(); }
    QTimer &runTimer() { return m_runTimer; }
    QTimer &voiceTimer() { return m_voiceTimer; }
    QTimer &flashTimer() { return m_flashTimer; }
    bool joinAllowed() const { return m_joinAllowed; }
    int currentTab() const { return m_currentTab; }
    QString jumpKind() const { return m_jumpKind; }

    // Message boxes with the caption "Словарь".
    void showInformation(const QString &text) { m_interaction->showInformation(text); }
    void showWarning(const QString &text) { m_interaction->showWarning(text); }
    void showCritical(const QString &text) { m_interaction->showCritical(text); }
    int askYesNo(const QString &text) { return m_interaction->askYesNo(text); }

    void updateActionStates();
    void fitTableColumns();
    int cardRowCount() const;
    int addCardRow(const Card &card, int number);
    // Id of the card in the current table row, 0 for a header row or none.
    int currentCardId() const;
    // Table row of the card with this id, -1 when it is not shown.
    int rowOfCard(int id) const;
    void selectTableRow(int row);
    // The table's context menu for a row (-1: no row); the caller pops it up.
    QMenu *buildContextMenu(int row);
    // File name of the picture a button shows, as set by updateActionStates.
    static QString iconFileOf(const QAbstractButton *button);

public slots:
    void currentTabChanged(int index);
    void slot_sizeChange(int section, int oldSize, int newSize);
    void slot_table_clicked(const QPoint &pos);
    void slot_table_doubleClicked(const QModelIndex &index);
    void slot_table3currentChanged();
    void slot_checkBox3_clicked();
    void slot_rB1_clicked();
    void slot_rB2_clicked();
    void slot_refresh();
    void slot_add_to_archive();

    // Dictionary files.
    void slot_addFile();
    void slot_save_all();
    void slot_save_as();
    void slot_close();
    void slot_join();

    // ---- runs (main_window_run.cpp) ----
    void slot_start();
    void slot_continue();
    void slot_make_mistake();
    void slot_previous_word();
    void slot_turn_off_word();
    void slot_turn_on_all_words();
    void slot_search_in_dict();
    void slot_pause_resume();
    void slot_timer_timeout();
    void slot_timer_flash();
    void slot_voice();
    void slot_timered_voice();

public:
    // The timed card's progress: steps used of the steps it has (0 of 0
    // after it was given up or when it is not timed).
    int timedProgress() const { return m_cardProgress; }
    int timedSteps() const { return m_cardSteps; }
    // Sound names still to be played, ';'-separated.
    const QString &pendingSounds() const { return m_soundQueue; }
    // The shown card's sound files, empty without a card.
    const QString &runSoundList() const { return m_soundList; }
    bool paneHovered() const { return m_paneHovered; }
    bool autocheckPossible() const { return m_autocheckPossible; }

public slots:
    // ---- end of runs ----

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setupTable();
    void connectSignals();
    void readSettingsAtStart();
    void applyAppearance();
    void writeSettingsAtClose();
    void setButtonIcon(QAbstractButton *button, const QString &file);
    void setFilterIcon();
    void placeCornerFrame();
    void refreshStatusLine();
    bool handleTableKey(QKeyEvent *event);
    bool handleGlobalKey(QObject *watched, QKeyEvent *event);
    void jumpTo(bool up);
    // After opening files: take the filter's saved lessons and refill the
    // table when the filter then hides anything.
    void reapplyFilterLessons();
    QString askSaveFileName(bool forbidExisting);

    // ---- runs (main_window_run.cpp) ----
    // Connects the learning tab's buttons and the three timers.
    void setupRun();
    // The learning tab's part of updateActionStates.
    void updateRunControls();
    // Keys of the run and of the sound buttons; true when consumed.
    bool handleRunKey(QObject *watched, QKeyEvent *event);
    // Mouse over and clicks on the question and answer panes.
    bool handleRunPaneEvent(QObject *watched, QEvent *event);
    QString composeStatusLine() const;
    void beginRun();
    void endRun();
    void showQuestion();
    void showAnswer();
    // A timed run gives the shown card its steps and starts the run timer.
    void startCardTiming(const Card &card);
    // Stops the run timer; `giveUp` leaves the progress at 0 of 0.
    void stopRunTimer(bool giveUp);
    void showProgress();
    // Pauses a running timer or resumes the timed question's one; false
    // when neither applies.
    bool togglePause();
    // Called when the learning tab becomes current.
    void pauseRunOnLearningTab();
    void setPaneFrameColor(const QColor &color);
    void startFlash();
    void paintOffButton(const QColor &color);
    void playSounds(const QString &soundPath);
    void playDictionaryRowSound();
    // ---- end of runs ----

    std::unique_ptr<Interaction> m_interaction;
    FrameColors *m_frameColors;
    Dictionary m_dict;
    iniReader m_settings;
    iniReader m_filterStore;
    FilterSettings m_filter;
    AppearanceSettings m_appearance;
    MainFormGeometry m_geometry;
    int m_helpPage = 3;
    DictionaryTableModel *m_model = nullptr;
    QFrame *m_cornerFrame = nullptr;
    QTimer m_runTimer;
    QTimer m_voiceTimer;
    QTimer m_flashTimer;
    // Files already backed up to "<name>.bak" in this program run.
    QSet<QString> m_backedUp;

    int m_currentTab = 0;
    bool m_joinAllowed = false;
    // ---- runs (main_window_run.cpp) ----
    RunState m_run;
    WorkSettings m_work;
    std::unique_ptr<SoundPlayer> m_sound;
    bool m_runStartedOnce = false;
    QString m_soundQueue;
    QString m_soundList;
    QString m_priorityLabel = QStringLiteral("Приоритет: ");
    // The shown card has a foreign form to check a typed answer against.
    bool m_autocheckPossible = true;
    // The mouse is over the question or the answer pane.
    bool m_paneHovered = false;
    // Next step of the mistake flash; -1 while no flash is going.
    int m_flashStep = -1;
    int m_cardSteps = 0;
    int m_cardProgress = 0;
    // ---- end of runs ----
    bool m_firstDictionaryShow = true;
    bool m_fitting = false;
    bool m_tearingDown = false;
    QString m_lastSearchText;
    QString m_jumpKind;
};
