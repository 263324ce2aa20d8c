#pragma once

#include "app/main_form1.h"
#include "core/dictionary/action_states.h"
#include "core/settings/app_settings.h"

#include <memory>

class DictionaryPage;
class HelpPage;
class Interaction;
class LearningPage;
class SettingsPage;
class Session;

// The main window is the frame of the program: the buttons at its top, the
// four tabs with their pages, the status line, closing, and the keys that
// work anywhere. Each tab's behaviour lives in its page.
class Vmain_form : public main_Form1
{
    Q_OBJECT
public:
    // Reads the session's settings files before the widgets are filled. When
    // the session has no interaction yet, the real message boxes are installed.
    explicit Vmain_form(Session &session, QWidget *parent = nullptr);
    ~Vmain_form() override;

    Session &session() { return m_session; }
    LearningPage *learningPage() const { return m_learning; }
    DictionaryPage *dictionaryPage() const { return m_dictionary; }
    SettingsPage *settingsPage() const { return m_settingsPage; }
    HelpPage *helpPage() const { return m_helpPage; }
    MainTab currentTab() const { return m_tab; }

    // Repaints every button's picture and the status line.
    void updateActionStates();
    ActionStates actionStates() const;

public slots:
    void currentTabChanged(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void connectPages();
    void readSettingsAtStart();
    // Shows the applied appearance on every page and the application palette.
    void applyAppearance();
    void writeSettingsAtClose();
    void setIcon(QAbstractButton *button, const QString &file);
    void showFilterIcon();
    bool handleGlobalKey(QObject *watched, QKeyEvent *event);
    // Shows the card's row on the dictionary tab; false when it has none.
    bool showCardInDictionary(int id);

    Session &m_session;
    LearningPage *m_learning = nullptr;
    DictionaryPage *m_dictionary = nullptr;
    MainFormGeometry m_geometry;
    SettingsPage *m_settingsPage = nullptr;
    HelpPage *m_helpPage = nullptr;
    // The help page's boxes carry their own caption.
    std::unique_ptr<Interaction> m_helpInteraction;
    MainTab m_tab = MainTab::Learning;
    bool m_tearingDown = false;
    // A close came during a file job: it is repeated when the job is over.
    bool m_closeAfterJob = false;
    bool m_startedSpeech = false;
};
