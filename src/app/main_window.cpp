#include "app/main_window.h"

#include "app/session.h"
#include "core/run/run_session.h"
#include "ui/common/button_icons.h"
#include "ui/common/key_events.h"
#include "ui/common/window_placement.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/find/find_actions.h"
#include "ui/help/help_page.h"
#include "ui/run/learning_page.h"
#include "ui/settings/appearance_apply.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/speech_settings_box.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QStatusBar>
#include <QTimer>

Vmain_form::Vmain_form(Session &session, QWidget *parent) : main_Form1(parent), m_session(session)
{
    if (!m_session.hasInteraction()) {
        m_session.setInteraction(new QtInteraction(this, QStringLiteral("Словарь")));
        m_helpInteraction = std::make_unique<QtInteraction>(this, QStringLiteral("Справка"));
    }
    // The settings are read before the widgets are filled.
    m_session.loadSettings();
    m_session.settings.print();

    m_learning = new LearningPage(m_session, tabLearning);
    tabLearning->layout()->addWidget(m_learning);
    m_dictionary = new DictionaryPage(m_session, m_learning->run(), tabDictionary);
    tabDictionary->layout()->addWidget(m_dictionary);
    connectPages();
    qApp->installEventFilter(this);

    bool defaultCategories = false;
    m_session.dictionary.setCategoryList(readCategoryList(m_session.settings, &defaultCategories));
    if (defaultCategories)
        m_session.ui().showWarning(missingCategoriesWarning());

    m_geometry = readMainFormGeometry(m_session.settings);
    restoreWindowGeometry(this, WindowGeometry{m_geometry.topX, m_geometry.topY, m_geometry.width,
                                               m_geometry.height});
    if (m_geometry.currentTab >= 0 && m_geometry.currentTab < tabWidget2->count())
        tabWidget2->setCurrentIndex(m_geometry.currentTab);
    m_tab = MainTab(tabWidget2->currentIndex());
    m_learning->setCurrentTab(m_tab);
    m_dictionary->setCurrentTab(m_tab);

    m_learning->splitter2->setSizes({m_geometry.splitter2[0], m_geometry.splitter2[1]});
    m_learning->splitter3->setSizes({m_geometry.splitter3[0], m_geometry.splitter3[1]});
    setWindowIcon(QIcon(m_session.iconPath(QStringLiteral("Caption_icon.png"))));

    readSettingsAtStart();
    // The speech engine comes later and on its own thread; when its start is
    // over, the buttons and the settings page learn whether it can speak.
    if (BackgroundSpeaker *starter = m_session.speechStarter())
        connect(starter, &BackgroundSpeaker::stateChanged, this, [this] {
            updateActionStates();
            if (SpeechSettingsBox *box = m_settingsPage->speechBox())
                box->refreshAvailability();
        });
    setWindowTitle(QStringLiteral("Изучение слов"));
    updateActionStates();
}

Vmain_form::~Vmain_form()
{
    qApp->removeEventFilter(this);
    // The widgets go first, while the dictionary their model reads still
    // exists; their last events find no filter here.
    m_tearingDown = true;
    delete centralWidget();
}

void Vmain_form::connectPages()
{
    connect(tabWidget2, &QTabWidget::currentChanged, this, &Vmain_form::currentTabChanged);
    connect(toolButton1_openFiles, &QToolButton::clicked, m_dictionary,
            &DictionaryPage::slot_addFile);
    connect(toolButton2_saveOneFile, &QToolButton::clicked, m_dictionary,
            &DictionaryPage::slot_save_all);
    connect(toolButton11_start, &QToolButton::clicked, m_learning, &LearningPage::slot_start);
    connect(toolButton6_filter, &QToolButton::clicked, m_dictionary,
            &DictionaryPage::slot_call_filter);
    connect(m_dictionary, &DictionaryPage::dictionaryTabRequested, this,
            [this] { tabWidget2->setCurrentIndex(int(MainTab::Dictionary)); });

    connect(m_dictionary, &DictionaryPage::actionStatesChanged, this,
            &Vmain_form::updateActionStates);
    connect(m_dictionary, &DictionaryPage::filterChanged, this, &Vmain_form::updateActionStates);
    connect(m_dictionary, &DictionaryPage::runEndRequested, m_learning, &LearningPage::slot_start);
    connect(m_learning, &LearningPage::actionStatesChanged, this, &Vmain_form::updateActionStates);
    connect(m_learning, &LearningPage::filterReset, this, [this] {
        updateActionStates();
        m_dictionary->slot_refresh();
    });
    connect(m_learning, &LearningPage::showCardRequested, this,
            [this](int id, bool *shown) { *shown = showCardInDictionary(id); });
    connect(m_learning, &LearningPage::learningTabRequested, this,
            [this] { tabWidget2->setCurrentIndex(int(MainTab::Learning)); });
}

void Vmain_form::readSettingsAtStart()
{
    m_session.appearance = readAppearance(m_session.settings, QApplication::font());
    m_dictionary->readSettings();
    m_session.filter.readFromIni(m_session.filterStore, m_session.dictionary.categoryList());
    m_session.work.read(m_session.settings);
    // The settings page takes the window's first background before the
    // appearance is applied: it is what "По умолчанию" gives back.
    m_settingsPage = new SettingsPage(m_session.appearance, m_session.ui(), tabSettings);
    tabSettings->layout()->addWidget(m_settingsPage);
    connect(m_settingsPage, &SettingsPage::appearanceApplied, this, &Vmain_form::applyAppearance);
    m_settingsPage->addSpeechOptions(m_session.speech,
                                     [this]() -> Speaker & { return m_session.speaker(); });
    connect(m_settingsPage, &SettingsPage::speechApplied, this, [this] {
        if (!m_session.saveSpeechSettings())
            m_session.ui().showWarning(QStringLiteral("Невозможно сохранить файл настроек\n") +
                                       m_session.userOptionsFile());
        updateActionStates();
    });
    m_settingsPage->addAnswerOptions(m_session.answerOptions);
    connect(m_settingsPage, &SettingsPage::answerOptionsApplied, this, [this] {
        if (!m_session.saveAnswerOptions())
            m_session.ui().showWarning(QStringLiteral("Невозможно сохранить файл настроек\n") +
                                       m_session.userOptionsFile());
    });
    m_helpPage = new HelpPage(readHelpPage(m_session.settings),
                              m_helpInteraction ? *m_helpInteraction : m_session.ui(), tabHelp);
    tabHelp->layout()->addWidget(m_helpPage);
    applyAppearance();
}

void Vmain_form::applyAppearance()
{
    AppearanceTargets targets;
    targets.learningPanes = {m_learning->textEdit1_question, m_learning->textEdit2_answer,
                             m_learning->textEdit3_type};
    targets.cardSplitter = m_learning->splitter2;
    targets.contentsWidgets = {m_helpPage->myQTextBrowser1, m_dictionary->table3};
    targets.frameColors = &m_session.frameColors();
    targets.window = this;
    applyAppearanceToWindow(m_session.appearance, targets);
    m_session.frameColors().inner = m_session.appearance.frameColor;
}

bool Vmain_form::showCardInDictionary(int id)
{
    if (m_dictionary->rowOfCard(id) < 0)
        return false;
    tabWidget2->setCurrentIndex(int(MainTab::Dictionary));
    return m_dictionary->showCardInTable(id);
}

void Vmain_form::currentTabChanged(int index)
{
    m_tab = MainTab(index);
    m_learning->setCurrentTab(m_tab);
    m_dictionary->setCurrentTab(m_tab);
    updateActionStates();
}

// ---------------------------------------------------------------- keys

bool Vmain_form::handleGlobalKey(QObject *watched, QKeyEvent *e)
{
    if (m_learning->handleRunKey(watched, e))
        return true;
    const int key = latinKeyOf(e);
    if (m_tab == MainTab::Dictionary && key == Qt::Key_F4) {
        m_dictionary->playRowSound();
        return true;
    }
    if (m_tab == MainTab::Dictionary && key == Qt::Key_F1) {
        m_dictionary->slot_word_info();
        return true;
    }
    if (m_tab == MainTab::Dictionary) {
        const HistoryKey key = historyKey(latinKeyOf(e), e->modifiers());
        if (key == HistoryKey::Undo)
            m_dictionary->slot_undo();
        else if (key == HistoryKey::Redo)
            m_dictionary->slot_redo();
        if (key != HistoryKey::None)
            return true;
    }
    return false;
}

bool Vmain_form::eventFilter(QObject *watched, QEvent *event)
{
    if (m_tearingDown)
        return false;
    const QEvent::Type t = event->type();
    if (watched == m_dictionary->table3 && (t == QEvent::KeyPress || t == QEvent::KeyRelease))
        return m_dictionary->handleTableKey(static_cast<QKeyEvent *>(event));
    if (t == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this)
            return handleGlobalKey(watched, static_cast<QKeyEvent *>(event));
        return false;
    }
    if (m_dictionary->handleTableEvent(watched, event))
        return true;
    return main_Form1::eventFilter(watched, event);
}

// ---------------------------------------------------------------- states

void Vmain_form::setIcon(QAbstractButton *button, const QString &file)
{
    setButtonIcon(button, QStringLiteral("icons:"), file);
}

ActionStates Vmain_form::actionStates() const
{
    ActionContext context;
    context.tab = m_tab;
    context.currentCardId = m_dictionary->currentCardId();
    context.runHasSounds = m_learning->run().canPlayCurrentCard();
    context.speechOn = m_session.speechInUse();
    context.numRightLearn = m_session.appearance.numRightLearn;
    context.history = &m_session.history;
    return computeActionStates(m_session.dictionary, m_session.run, m_session.work, context);
}

void Vmain_form::showFilterIcon()
{
    setIcon(toolButton6_filter,
            FindActions::filterIconFile(m_session.filter, !actionStates().filter));
}

void Vmain_form::updateActionStates()
{
    const ActionStates s = actionStates();
    if (m_tab == MainTab::Dictionary)
        m_dictionary->showActionStates(s);
    else if (m_tab == MainTab::Learning)
        m_learning->showActionStates(s);
    setIcon(toolButton1_openFiles, pickIcon(s.openFiles, QStringLiteral("Open_files")));
    showFilterIcon();
    if (m_session.run.running)
        setIcon(toolButton11_start, QStringLiteral("Turn_off.png"));
    else
        setIcon(toolButton11_start, pickIcon(s.start, QStringLiteral("Turn_on")));
    setIcon(toolButton2_saveOneFile, pickIcon(s.saveAll, QStringLiteral("Save_one_file")));
    statusBar()->showMessage(m_learning->statusLine());
}

// ---------------------------------------------------------------- close

void Vmain_form::writeSettingsAtClose()
{
    m_geometry.topX = x();
    m_geometry.topY = y();
    m_geometry.width = width();
    m_geometry.height = height();
    m_geometry.currentTab = tabWidget2->currentIndex();
    const QList<int> s2 = m_learning->splitter2->sizes();
    const QList<int> s3 = m_learning->splitter3->sizes();
    for (int i = 0; i < 2; ++i) {
        m_geometry.splitter2[i] = s2.value(i, 150);
        m_geometry.splitter3[i] = s3.value(i, 150);
    }
    writeMainFormGeometry(m_session.settings, m_geometry);
    writeAppearance(m_session.settings, m_session.appearance);
    m_session.filter.writeToIni(m_session.filterStore);
    m_dictionary->writeSettings();
    if (m_learning->run().runBegunOnce())
        m_session.work.write(m_session.settings);
    writeHelpPage(m_session.settings, m_helpPage->topic());
    m_session.filter.writeLessons(m_session.filterStore);
    // A settings file that could not be written, or not wholly, is said.
    for (const QString &message : m_session.saveSettings())
        m_session.ui().showWarning(message);
}

void Vmain_form::showEvent(QShowEvent *event)
{
    main_Form1::showEvent(event);
    if (m_startedSpeech || !m_session.speech.enabled)
        return;
    m_startedSpeech = true;
    // After the window is on the screen: the engine never delays it.
    QTimer::singleShot(0, this, [this] { m_session.speaker(); });
}

void Vmain_form::closeEvent(QCloseEvent *event)
{
    // A file job's worker still reads or writes the dictionary: the window
    // closes once the job is over (a request from the window manager or a
    // signal must not free the cards under it).
    if (m_session.dictionary.isBusy()) {
        event->ignore();
        if (!m_closeAfterJob) {
            m_closeAfterJob = true;
            connect(
                &m_session.dictionary, &Dictionary::busyChanged, this,
                [this](bool busy) {
                    if (busy || !m_closeAfterJob)
                        return;
                    m_closeAfterJob = false;
                    QTimer::singleShot(0, this, &QWidget::close);
                },
                Qt::SingleShotConnection);
        }
        return;
    }
    if (m_session.run.running) {
        event->ignore();
        m_learning->slot_start();
        return;
    }
    if (m_session.dictionary.isModified() && m_session.dictionary.cardCount() > 0 &&
        // "Да" closes without saving, so Enter must not answer it.
        m_session.ui().askYesNo(QStringLiteral("<nobr><b>Вы сохранили словарь?</b></nobr>"),
                                Interaction::No) != Interaction::Yes) {
        event->ignore();
        return;
    }
    writeSettingsAtClose();
    event->accept();
}
