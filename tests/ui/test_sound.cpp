#include "app/main_window.h"
#include "core/run/run_clock.h"
#include "core/run/run_session.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/common/button_icons.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/run/learning_page.h"
#include "ui/run/settings_begin_work_dialog.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Writes what it is asked to play into a log the test shares, between the
// "|" marks the test writes for each firing of the voice timer.
class RecordingPlayer : public SoundPlayer
{
public:
    RecordingPlayer(QStringList *log, QString workDir) : m_log(log), m_workDir(std::move(workDir))
    {
    }
    bool isAvailable() const override { return available; }
    // Paths are logged relative to the working folder, as the cards name them.
    void play(const QString &path) override
    {
        m_log->append(path.startsWith(m_workDir + QLatin1Char('/'))
                          ? QStringLiteral(".") + path.mid(m_workDir.size())
                          : path);
    }
    bool available = true;

private:
    QStringList *m_log;
    QString m_workDir;
};

class TestSound : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    ScriptedInteraction *m_ui = nullptr;
    RecordingPlayer *m_player = nullptr;
    QStringList m_log;

    std::unique_ptr<Vmain_form> makeWindow()
    {
        writeMinimalSettings(m_dir->path());
        m_ui = new ScriptedInteraction;
        m_log.clear();
        auto w = std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
        m_player = new RecordingPlayer(&m_log, m_dir->path());
        w->session().setSoundPlayer(m_player);
        w->session().run.setRandomSource([] { return 0; });
        return w;
    }

    static int addCard(Vmain_form &w, const QString &foreign, const QString &sounds)
    {
        Card c = makeCard(foreign, {QStringLiteral("слово")}, "L1", "/d/a.xml");
        c.soundPath = sounds;
        w.session().dictionary.addOpenFile("/d/a.xml");
        return w.session().dictionary.addCard(c);
    }

    // A repetition run, foreign to Russian, over the cards there are.
    void startRun(Vmain_form &w)
    {
        m_ui->answerDialog([](QDialog *d) {
            auto *dialog = qobject_cast<VSettingsBeginWork *>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            dialog->radioButton3->setChecked(true);
            dialog->slot_EN_RU();
            dialog->slot_accept();
            return dialog->result();
        });
        if (w.session().dictionary.cardCount() < 10)
            m_ui->answerYesNo(Interaction::Yes, QStringLiteral("менее 10"));
        w.learningPage()->slot_start();
        QVERIFY(w.session().run.running);
    }

    void showDictionaryRow(Vmain_form &w, int id)
    {
        w.tabWidget2->setCurrentIndex(1);
        const int row = w.dictionaryPage()->rowOfCard(id);
        QVERIFY(row >= 0);
        w.dictionaryPage()->selectTableRow(row);
    }

    // The voice timer fires: it must be pending, single-shot, at 2 s.
    void fireVoice(Vmain_form &w)
    {
        SteppedRunClock &clock = steppedClock(w);
        QVERIFY(clock.isActive(RunTimer::Sound));
        QVERIFY(RunClock::isSingleShot(RunTimer::Sound));
        QCOMPARE(clock.interval(RunTimer::Sound), 2000);
        m_log << QStringLiteral("|");
        clock.fire(RunTimer::Sound);
    }

    // The voice button of the tab shown; the other tabs have none.
    static void pressVoice(Vmain_form &w)
    {
        if (w.currentTab() == MainTab::Dictionary)
            w.dictionaryPage()->pushButton_voice2->click();
        else if (w.currentTab() == MainTab::Learning)
            w.learningPage()->pushButton_voice->click();
    }

    void fireUntilIdle(Vmain_form &w)
    {
        for (int i = 0; i < 10 && steppedClock(w).isActive(RunTimer::Sound); ++i)
            fireVoice(w);
        QVERIFY(!steppedClock(w).isActive(RunTimer::Sound));
    }

private slots:
    void init() { m_dir = makeWorkingDir(); }

    void cleanup()
    {
        m_ui = nullptr; // checked by its destructor, with the window
        m_player = nullptr;
    }

    void dictionaryTabSequence_data() { addSoundSequenceRows(); }

    void dictionaryTabSequence()
    {
        QFETCH(QString, soundPath);
        QFETCH(QStringList, played);
        auto w = makeWindow();
        const int id = addCard(*w, "cat", soundPath);
        w->dictionaryPage()->slot_refresh();
        showDictionaryRow(*w, id);
        QCOMPARE(iconFileOf(w->dictionaryPage()->pushButton_voice2),
                 soundPath.isEmpty() ? QStringLiteral("Voice_small_disabled.png")
                                     : QStringLiteral("Voice_small.png"));
        w->dictionaryPage()->pushButton_voice2->click();
        fireUntilIdle(*w);
        QCOMPARE(m_log, played);
        QVERIFY(w->learningPage()->run().pendingSounds().isEmpty());
    }

    void requestsDuringASequenceAreIgnored()
    {
        auto w = makeWindow();
        const int cat = addCard(*w, "cat", "a.wav;b.wav");
        const int dog = addCard(*w, "dog", "dog.wav");
        w->dictionaryPage()->slot_refresh();
        showDictionaryRow(*w, cat);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_F4);
        QCOMPARE(m_log, QStringList{"./sounds/a.wav"});
        QCOMPARE(w->learningPage()->run().pendingSounds(), QStringLiteral("b.wav"));

        showDictionaryRow(*w, dog);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_F4);
        pressVoice(*w);
        QCOMPARE(m_log, QStringList{"./sounds/a.wav"});

        fireVoice(*w);
        QCOMPARE(m_log, (QStringList{"./sounds/a.wav", "|", "./sounds/b.wav"}));
        QVERIFY(!steppedClock(*w).isActive(RunTimer::Sound));
        // Idle again: the current row plays.
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_F4);
        QCOMPARE(m_log.last(), QStringLiteral("./sounds/dog.wav"));
    }

    void headerRowsAndNoRowPlayNothing()
    {
        auto w = makeWindow();
        addCard(*w, "cat", "cat.wav");
        w->dictionaryPage()->slot_refresh();
        w->tabWidget2->setCurrentIndex(1);
        pressVoice(*w);                         // no current row
        w->dictionaryPage()->selectTableRow(0); // the letter header row
        QCOMPARE(w->dictionaryPage()->currentCardId(), 0);
        pressVoice(*w);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_F4);
        QVERIFY(m_log.isEmpty());
    }

    // A card that leaves the dictionary leaves the table with it (the
    // table follows the dictionary's signals): its sound can no longer be
    // asked for, and no program error comes.
    void removedCardLeavesTheTable()
    {
        auto w = makeWindow();
        addCard(*w, "ant", "");
        const int cat = addCard(*w, "cat", "cat.wav");
        w->dictionaryPage()->slot_refresh();
        showDictionaryRow(*w, cat);
        QVERIFY(w->session().dictionary.removeCard(cat));
        QCOMPARE(w->dictionaryPage()->rowOfCard(cat), -1);
        pressVoice(*w);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_F4);
        QVERIFY(m_log.isEmpty());
    }

    void learningTabPlaysTheShownCard()
    {
        auto w = makeWindow();
        addCard(*w, "ant", "a.wav;b.wav");
        addCard(*w, "bee", "");
        addCard(*w, "cat", "cat.wav");
        w->dictionaryPage()->slot_refresh();
        // Not running: nothing to play.
        pressVoice(*w);
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_F4);
        QVERIFY(m_log.isEmpty());

        startRun(*w);
        QCOMPARE(iconFileOf(w->learningPage()->pushButton_voice),
                 QStringLiteral("Voice_disabled.png"));
        w->learningPage()->slot_continue();
        QCOMPARE(w->learningPage()->run().soundList(), QStringLiteral("a.wav;b.wav"));
        QCOMPARE(iconFileOf(w->learningPage()->pushButton_voice), QStringLiteral("Voice.png"));
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_F4);
        QCOMPARE(m_log, QStringList{"./sounds/a.wav"});
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_F4);
        w->learningPage()->pushButton_voice->click();
        QCOMPARE(m_log, QStringList{"./sounds/a.wav"});

        // Moving on does not stop the sequence.
        w->learningPage()->slot_continue();
        w->learningPage()->slot_continue();
        QCOMPARE(w->learningPage()->run().soundList(), QString());
        QCOMPARE(iconFileOf(w->learningPage()->pushButton_voice),
                 QStringLiteral("Voice_disabled.png"));
        fireVoice(*w);
        QCOMPARE(m_log, (QStringList{"./sounds/a.wav", "|", "./sounds/b.wav"}));

        w->learningPage()->slot_continue();
        w->learningPage()->slot_continue();
        QCOMPARE(w->learningPage()->run().soundList(), QStringLiteral("cat.wav"));
        // One name plays at once, as often as asked.
        pressVoice(*w);
        pressVoice(*w);
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_F4);
        QCOMPARE(m_log.mid(3),
                 (QStringList{"./sounds/cat.wav", "./sounds/cat.wav", "./sounds/cat.wav"}));
        QVERIFY(!steppedClock(*w).isActive(RunTimer::Sound));

        // Other tabs do not play the run's card.
        w->tabWidget2->setCurrentIndex(2);
        pressVoice(*w);
        QTest::keyClick(w->tabWidget2, Qt::Key_F4);
        QCOMPARE(m_log.size(), 6);

        // The dictionary tab plays its own row during a run.
        w->tabWidget2->setCurrentIndex(1);
        w->dictionaryPage()->selectTableRow(
            w->dictionaryPage()->rowOfCard(w->session().dictionary.cardAt(0).id));
        pressVoice(*w);
        QCOMPARE(m_log.last(), QStringLiteral("./sounds/a.wav"));
    }

    void endingTheRunForgetsTheSoundList()
    {
        auto w = makeWindow();
        addCard(*w, "ant", "ant.wav");
        w->dictionaryPage()->slot_refresh();
        startRun(*w);
        w->learningPage()->slot_continue();
        QCOMPARE(w->learningPage()->run().soundList(), QStringLiteral("ant.wav"));
        m_ui->answerYesNo(Interaction::Yes, QStringLiteral("Завершить"));
        w->learningPage()->slot_start();
        QVERIFY(w->learningPage()->run().soundList().isEmpty());
        QCOMPARE(iconFileOf(w->learningPage()->pushButton_voice),
                 QStringLiteral("Voice_disabled.png"));
        pressVoice(*w);
        QVERIFY(m_log.isEmpty());
    }

    void withoutAudioNothingPlays()
    {
        auto w = makeWindow();
        const int id = addCard(*w, "cat", "a.wav;b.wav");
        w->dictionaryPage()->slot_refresh();
        m_player->available = false;
        showDictionaryRow(*w, id);
        pressVoice(*w);
        QVERIFY(m_log.isEmpty());
        // The sequence still runs out, so sound works again once a device is there.
        fireUntilIdle(*w);
        QCOMPARE(m_log, QStringList{"|"});
        m_player->available = true;
        pressVoice(*w);
        QCOMPARE(m_log.last(), QStringLiteral("./sounds/a.wav"));
    }

    void realPlayerIsTheDefaultAndQuiet()
    {
        writeMinimalSettings(m_dir->path());
        m_ui = new ScriptedInteraction;
        {
            TestWindow w(m_dir->path(), &m_colors, m_ui);
            SoundPlayer *player = &w.session().soundPlayer();
            QVERIFY(player);
            Q_UNUSED(player->isAvailable());
            // Missing files, folders and empty names are silently skipped.
            player->play("./sounds/missing.wav");
            player->play("./sounds/");
            player->play(QString());
        }
    }
};

QTEST_MAIN(TestSound)
#include "test_sound.moc"
