#include "app/main_window.h"
#include "core/run/run_session.h"
#include "core/statistics/run_journal.h"
#include "recording_speaker.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/speech_settings_box.h"
#include "ui/statistics/statistics_window.h"

#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <QThread>

#include <atomic>
#include <memory>

// Speech options on the settings page, speaking from the dictionary tab, and
// the statistics window with its charts, tables and pictures.

class TestExtrasWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    ScriptedInteraction *m_ui = nullptr;

    std::unique_ptr<TestWindow> makeWindow()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        writeMinimalSettings(m_dir->path());
        m_ui = new ScriptedInteraction;
        return std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
    }

    static RecordingSpeaker &speaker(Vmain_form &w)
    {
        return static_cast<RecordingSpeaker &>(w.session().speaker());
    }

    static int addCard(Vmain_form &w, const QString &foreign, const QString &lesson,
                       const QString &sound = QString())
    {
        Card c = makeCard(foreign, {QStringLiteral("слово")}, lesson, "/d/a.xml");
        c.soundPath = sound;
        w.session().dictionary.addOpenFile("/d/a.xml");
        w.session().dictionary.addLesson(lesson);
        return w.session().dictionary.addCard(c);
    }

private slots:
    void speechOptionsApplyToTheUserStore()
    {
        auto w = makeWindow();
        auto *box = w->findChild<SpeechSettingsBox *>(QStringLiteral("groupBox_speech"));
        QVERIFY(box);
        QCOMPARE(box->title(), QStringLiteral("Озвучивание"));
        box->refreshAvailability();
        QVERIFY(box->enabledBox()->isEnabled());
        QVERIFY(!box->enabledBox()->isChecked());
        QVERIFY(!box->localeBox()->isEnabled());
        QVERIFY(box->reasonLabel()->isHidden());
        QCOMPARE(box->localeBox()->findData(QStringLiteral("de_DE")) >= 0, true);
        QCOMPARE(box->localeBox()->currentData().toString(), QStringLiteral("en_US"));

        box->enabledBox()->setChecked(true);
        QVERIFY(box->localeBox()->isEnabled());
        box->localeBox()->setCurrentIndex(box->localeBox()->findData(QStringLiteral("de_DE")));
        box->rateSlider()->setValue(-5);
        // Nothing changes before "Применить".
        QVERIFY(!w->session().speech.enabled);
        auto *page = w->findChild<SettingsPage *>();
        QVERIFY(page);
        page->slot_ApplySettings();
        QVERIFY(w->session().speech.enabled);
        QCOMPARE(w->session().speech.locale, QStringLiteral("de_DE"));
        QCOMPARE(w->session().speech.rate, -0.5);

        // Stored in the user's own file, read back by the next start.
        const QString options = m_dir->filePath(QStringLiteral("user/options.ini"));
        QVERIFY(QFile::exists(options));
        QSettings stored(options, QSettings::IniFormat);
        SpeechSettings read;
        read.read(stored);
        QCOMPARE(read, w->session().speech);

        // "Отмена" brings the applied values back; "По умолчанию" the defaults.
        box->enabledBox()->setChecked(false);
        page->slot_CancelSettings();
        QVERIFY(box->enabledBox()->isChecked());
        page->slot_byDefaultSettings();
        QCOMPARE(box->workingRecord(), SpeechSettings());
        page->slot_CancelSettings();

        // The settings files of the working folder never get the options.
        w->close();
        for (const char *file : {"settings.ini", "settings_filter.ini"}) {
            QFile f(m_dir->filePath(QString::fromLatin1(file)));
            if (f.open(QIODevice::ReadOnly))
                QVERIFY(!f.readAll().contains("[speech]"));
        }
        m_ui->verifyAllUsed();
    }

    // An engine that hangs at its start: the window opens at once, the
    // settings page says what is going on, and after the bounded wait speech
    // is off for this run, with the reason.
    void slowSpeechEngineNeverHoldsTheWindow()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        writeMinimalSettings(m_dir->path());
        {
            QSettings options(m_dir->filePath("user/options.ini"), QSettings::IniFormat);
            options.setValue("speech/enabled", true);
        }
        auto gate = std::make_shared<std::atomic<bool>>(false);
        auto session = std::make_unique<Session>(m_dir->path(), &m_colors, new ScriptedInteraction);
        session->setUserFolders(m_dir->filePath("user/options.ini"), m_dir->filePath("user/data"));
        auto built = std::make_shared<std::atomic<int>>(0);
        session->setSpeakerFactory(
            [gate, built]() -> std::unique_ptr<Speaker> {
                ++*built;
                while (!*gate)
                    QThread::msleep(5);
                return std::make_unique<RecordingSpeaker>();
            },
            200);
        {
            Vmain_form w(*session);
            QVERIFY(w.session().speech.enabled);
            // Nothing is started before the window is on the screen.
            QVERIFY(!session->speechStillStarting());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTRY_VERIFY(session->speechStillStarting());
            QVERIFY(!session->speechInUse());
            auto *box = w.findChild<SpeechSettingsBox *>(QStringLiteral("groupBox_speech"));
            box->refreshAvailability();
            QCOMPARE(box->reasonLabel()->text(), QStringLiteral("Озвучивание недоступно: ") +
                                                     BackgroundSpeaker::startingReason());
            QTRY_COMPARE(box->reasonLabel()->text(), QStringLiteral("Озвучивание недоступно: ") +
                                                         BackgroundSpeaker::timedOutReason());
            QVERIFY(!session->speechStillStarting());
            QVERIFY(!w.actionStates().rowSound);
            w.close();
        }
        *gate = true;
        QCOMPARE(built->load(), 1);
    }

    void speechOptionsWithoutEngine()
    {
        auto w = makeWindow();
        w->session().speech.enabled = true;
        speaker(*w).available = false;
        auto *box = w->findChild<SpeechSettingsBox *>(QStringLiteral("groupBox_speech"));
        box->refreshAvailability();
        QVERIFY(!box->enabledBox()->isEnabled());
        QVERIFY(!box->localeBox()->isEnabled());
        QVERIFY(!box->rateSlider()->isEnabled());
        QVERIFY(!box->reasonLabel()->isHidden());
        QCOMPARE(box->reasonLabel()->text(),
                 QStringLiteral("Озвучивание недоступно: Не установлен синтезатор речи"));
        // Stored "on" stays as it was, but nothing is spoken.
        QVERIFY(!w->session().speechInUse());
        const int id = addCard(*w, "ant", "L1");
        w->findChild<DictionaryPage *>()->slot_refresh();
        QVERIFY(w->findChild<DictionaryPage *>()->showCardInTable(id));
        QVERIFY(!w->actionStates().rowSound);
        w->findChild<DictionaryPage *>()->playRowSound();
        QVERIFY(speaker(*w).said.isEmpty());
    }

    void dictionaryTabSpeaksCardsWithoutSound()
    {
        auto w = makeWindow();
        w->session().speech.enabled = true;
        const int ant = addCard(*w, "ant", "L1");
        const int cat = addCard(*w, "cat", "L1", "cat.wav");
        auto *page = w->findChild<DictionaryPage *>();
        page->slot_refresh();
        QVERIFY(page->showCardInTable(ant));
        w->tabWidget2->setCurrentIndex(int(MainTab::Dictionary));
        QVERIFY(w->actionStates().rowSound);
        QTest::keyClick(page->table3, Qt::Key_F4);
        QCOMPARE(speaker(*w).said, QStringList{"ant"});
        QVERIFY(page->showCardInTable(cat));
        page->playRowSound();
        QCOMPARE(speaker(*w).said, QStringList{"ant"});

        w->session().speech.enabled = false;
        QVERIFY(page->showCardInTable(ant));
        QVERIFY(!w->actionStates().rowSound);
        page->playRowSound();
        QCOMPARE(speaker(*w).said, QStringList{"ant"});
    }

    void statisticsFromTheDictionaryPage()
    {
        auto w = makeWindow();
        addCard(*w, "ant", "L1");
        auto *page = w->findChild<DictionaryPage *>();
        page->slot_refresh();
        auto *button = w->findChild<QToolButton *>(QStringLiteral("toolButton_statistics"));
        QVERIFY(button);
        QString title;
        int lessons = -1;
        m_ui->answerDialog([&](QDialog *d) {
            title = d->windowTitle();
            if (auto *s = qobject_cast<StatisticsWindow *>(d))
                lessons = s->table(StatisticsWindow::LessonsPage)->rowCount();
            return int(QDialog::Accepted);
        });
        button->click();
        QCOMPARE(title, QStringLiteral("Статистика"));
        QCOMPARE(lessons, 1);

        std::unique_ptr<QMenu> menu(page->buildContextMenu(-1));
        QStringList texts;
        for (QAction *a : menu->actions())
            texts << a->text();
        QVERIFY(texts.contains(QStringLiteral("Статистика")));
        m_ui->answerDialog([](QDialog *) { return int(QDialog::Accepted); });
        menu->actions().last()->trigger();
        m_ui->verifyAllUsed();
    }

    void statisticsWindowFigures()
    {
        QTemporaryDir dir;
        Dictionary d;
        auto add = [&d](const char *lesson, int nPER, int pER, bool active, bool inFilter) {
            Card c = makeCard("w", {QStringLiteral("с")}, lesson, "/d/a.xml");
            c.nPER = nPER;
            c.pER = pER;
            c.nAr = active;
            c.inFilter = inFilter;
            d.addCard(c);
        };
        add("L1", 1, 1, true, true);
        add("L1", 1, 3, true, false);
        add("L2", 2, 2, false, true);

        const QDate today(2024, 3, 10);
        const QString journal = dir.filePath(QStringLiteral("journal.jsonl"));
        FileRunJournal file(journal);
        RunRecord r;
        r.started = QDateTime(today, QTime(8, 0));
        r.right = 3;
        r.wrong = 1;
        file.append(r);
        r.started = QDateTime(today.addDays(-40), QTime(8, 0));
        file.append(r);

        ScriptedInteraction ui;
        StatisticsWindow s(d, true, journal, ui, today);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        auto *onlyFiltered = s.findChild<QCheckBox *>(QStringLiteral("checkBox_statFilter"));
        QVERIFY(onlyFiltered->isChecked());
        QCOMPARE(s.pageText(StatisticsWindow::LessonsPage),
                 QStringLiteral("Урок\tБазовый приоритет\tПовышенный приоритет\tАрхивные\tВсего\n"
                                "L1\t1\t0\t0\t1\nL2\t0\t0\t1\t1\n"));
        onlyFiltered->setChecked(false);
        QCOMPARE(s.table(StatisticsWindow::LessonsPage)->item(0, 2)->text(), QStringLiteral("1"));
        QCOMPARE(s.cardStatistics().cards, 3);
        // The other direction: no raised card.
        s.findChild<QComboBox *>(QStringLiteral("comboBox_statDirection"))->setCurrentIndex(1);
        QCOMPARE(s.table(StatisticsWindow::LessonsPage)->item(0, 2)->text(), QStringLiteral("0"));

        QTableWidget *priorities = s.table(StatisticsWindow::PrioritiesPage);
        QCOMPARE(priorities->rowCount(), 10);
        QCOMPARE(priorities->item(0, 1)->text(), QStringLiteral("2")); // base ин-ру 1
        QCOMPARE(priorities->item(2, 2)->text(), QStringLiteral("1")); // current ин-ру 3

        // 30 days by default: the run 40 days ago only in the longer periods.
        QCOMPARE(s.days().size(), 30);
        QCOMPARE(s.days().last().answers, 4);
        QCOMPARE(s.table(StatisticsWindow::AnswersPage)->item(29, 3)->text(),
                 QStringLiteral("75.0"));
        // One day with answers: its share is drawn as a point.
        auto *share = qobject_cast<QLineSeries *>(
            s.chartView(StatisticsWindow::AnswersPage)->chart()->series().value(1));
        QVERIFY(share);
        QCOMPARE(share->count(), 1);
        QVERIFY(share->pointsVisible());
        // Lesson names are never cut short: whole on the axis and in the tooltip.
        const auto lessonAxes =
            s.chartView(StatisticsWindow::LessonsPage)->chart()->axes(Qt::Horizontal);
        QCOMPARE(lessonAxes.size(), 1);
        QVERIFY(!lessonAxes.first()->truncateLabels());
        QCOMPARE(s.lessonTip(0), QStringLiteral("L1: 2 карточки"));
        QCOMPARE(s.lessonTip(1), QStringLiteral("L2: 1 карточка"));
        auto *period = s.findChild<QComboBox *>(QStringLiteral("comboBox_statPeriod"));
        period->setCurrentIndex(1);
        QCOMPARE(s.days().size(), 90);
        QCOMPARE(s.days()[49].answers, 4);

        // Copy puts the current page's table on the clipboard.
        auto *tabs = s.findChild<QTabWidget *>(QStringLiteral("tabWidget_stat"));
        tabs->setCurrentIndex(StatisticsWindow::PrioritiesPage);
        s.slot_copy();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 s.pageText(StatisticsWindow::PrioritiesPage));

        // Every chart renders into a PNG.
        for (int page = 0; page < 3; ++page) {
            tabs->setCurrentIndex(page);
            QVERIFY(s.chartView(page)->chart()->series().size() > 0);
            const QString png = dir.filePath(QStringLiteral("chart%1.png").arg(page));
            QVERIFY(s.saveChartPng(page, png));
            QImage image(png);
            QVERIFY(!image.isNull());
            QVERIFY(image.width() >= 200);
        }

        // Through the button: a name without suffix gets ".png"; a folder that
        // does not exist is reported.
        ui.answerSaveFile(dir.filePath(QStringLiteral("answers")));
        s.slot_savePng();
        QVERIFY(!QImage(dir.filePath(QStringLiteral("answers.png"))).isNull());
        ui.answerSaveFile(dir.filePath(QStringLiteral("none/x.png")));
        ui.expect(ScriptedInteraction::Warning, QStringLiteral("Невозможно сохранить файл"));
        s.slot_savePng();
        ui.answerSaveFile(QString());
        s.slot_savePng();
        ui.verifyAllUsed();
    }

    void statisticsWithDamagedJournal()
    {
        QTemporaryDir dir;
        const QString journal = dir.filePath(QStringLiteral("journal.jsonl"));
        QFile f(journal);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{\"started\":\"2024-03-10T08:00:00\",\"kind\":\"lear");
        f.close();
        ScriptedInteraction ui;
        Dictionary d;
        StatisticsWindow s(d, false, journal, ui, QDate(2024, 3, 10));
        QVERIFY(!s.findChild<QCheckBox *>(QStringLiteral("checkBox_statFilter"))->isEnabled());
        QCOMPARE(s.journalNote(), QStringLiteral("Пропущено повреждённых строк журнала: 1"));
        QCOMPARE(s.days().last().answers, 0);
        QCOMPARE(s.table(StatisticsWindow::LessonsPage)->rowCount(), 0);
    }
};

QTEST_MAIN(TestExtrasWindow)
#include "test_extras_window.moc"
