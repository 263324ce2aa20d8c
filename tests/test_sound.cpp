#include "app/main_window.h"
#include "run/settings_begin_work_dialog.h"
#include "scripted_interaction.h"
#include "test_cards.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Writes what it is asked to play into a log the test shares, between the
// "|" marks the test writes for each firing of the voice timer.
class RecordingPlayer : public SoundPlayer
{
public:
    explicit RecordingPlayer(QStringList *log) : m_log(log) {}
    bool isAvailable() const override { return available; }
    void play(const QString &path) override { m_log->append(path); }
    bool available = true;

private:
    QStringList *m_log;
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
        auto w = std::make_unique<Vmain_form>(&m_colors, m_ui);
        m_player = new RecordingPlayer(&m_log);
        w->setSoundPlayer(m_player);
        w->runState().setRandomSource([] { return 0; });
        return w;
    }

    static int addCard(Vmain_form &w, const QString &foreign, const QString &sounds)
    {
        Card c = makeCard(foreign, {QStringLiteral("слово")}, "L1", "/d/a.xml");
        c.soundPath = sounds;
        w.dictionary().openFiles.insert("/d/a.xml");
        return w.dictionary().addCard(c);
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
        if (w.dictionary().cardCount() < 10)
            m_ui->answerYesNo(Interaction::Yes, QStringLiteral("менее 10"));
        w.slot_start();
        QVERIFY(w.isRunning());
    }

    void showDictionaryRow(Vmain_form &w, int id)
    {
        w.tabWidget2->setCurrentIndex(1);
        const int row = w.rowOfCard(id);
        QVERIFY(row >= 0);
        w.selectTableRow(row);
    }

    // The voice timer fires: it must be pending, single-shot, at 2 s.
    void fireVoice(Vmain_form &w)
    {
        QTimer &t = w.voiceTimer();
        QVERIFY(t.isActive());
        QVERIFY(t.isSingleShot());
        QCOMPARE(t.interval(), 2000);
        t.stop();
        m_log << QStringLiteral("|");
        w.slot_timered_voice();
    }

    void fireUntilIdle(Vmain_form &w)
    {
        for (int i = 0; i < 10 && w.voiceTimer().isActive(); ++i)
            fireVoice(w);
        QVERIFY(!w.voiceTimer().isActive());
    }

private slots:
    void init() { m_dir = enterTemporaryWorkingDir(); }

    void cleanup()
    {
        m_ui = nullptr; // checked by its destructor, with the window
        m_player = nullptr;
    }

    void dictionaryTabSequence_data()
    {
        QTest::addColumn<QString>("soundPath");
        QTest::addColumn<QStringList>("played");
        QTest::newRow("blanks around") << "  hello.wav  " << QStringList{"./sounds/hello.wav"};
        QTest::newRow("three, 2 s apart")
            << "a.wav;b.wav;c.wav"
            << QStringList{"./sounds/a.wav", "|", "./sounds/b.wav", "|", "./sounds/c.wav"};
        QTest::newRow("trailing separator") << "a.wav;" << QStringList{"./sounds/a.wav", "|"};
        QTest::newRow("empty middle name")
            << "a.wav;;b.wav"
            << QStringList{"./sounds/a.wav", "|", "./sounds/", "|", "./sounds/b.wav"};
        QTest::newRow("no sound") << "" << QStringList{};
    }

    void dictionaryTabSequence()
    {
        QFETCH(QString, soundPath);
        QFETCH(QStringList, played);
        auto w = makeWindow();
        const int id = addCard(*w, "cat", soundPath);
        w->slot_refresh();
        showDictionaryRow(*w, id);
        QCOMPARE(Vmain_form::iconFileOf(w->pushButton_voice2),
                 soundPath.isEmpty() ? QStringLiteral("Voice_small_disabled.png")
                                     : QStringLiteral("Voice_small.png"));
        w->pushButton_voice2->click();
        fireUntilIdle(*w);
        QCOMPARE(m_log, played);
        QVERIFY(w->pendingSounds().isEmpty());
    }

    void requestsDuringASequenceAreIgnored()
    {
        auto w = makeWindow();
        const int cat = addCard(*w, "cat", "a.wav;b.wav");
        const int dog = addCard(*w, "dog", "dog.wav");
        w->slot_refresh();
        showDictionaryRow(*w, cat);
        QTest::keyClick(w->table3, Qt::Key_F4);
        QCOMPARE(m_log, QStringList{"./sounds/a.wav"});
        QCOMPARE(w->pendingSounds(), QStringLiteral("b.wav"));

        showDictionaryRow(*w, dog);
        QTest::keyClick(w->table3, Qt::Key_F4);
        w->slot_voice();
        QCOMPARE(m_log, QStringList{"./sounds/a.wav"});

        fireVoice(*w);
        QCOMPARE(m_log, (QStringList{"./sounds/a.wav", "|", "./sounds/b.wav"}));
        QVERIFY(!w->voiceTimer().isActive());
        // Idle again: the current row plays.
        QTest::keyClick(w->table3, Qt::Key_F4);
        QCOMPARE(m_log.last(), QStringLiteral("./sounds/dog.wav"));
    }

    void headerRowsAndNoRowPlayNothing()
    {
        auto w = makeWindow();
        addCard(*w, "cat", "cat.wav");
        w->slot_refresh();
        w->tabWidget2->setCurrentIndex(1);
        w->slot_voice();      // no current row
        w->selectTableRow(0); // the letter header row
        QCOMPARE(w->currentCardId(), 0);
        w->slot_voice();
        QTest::keyClick(w->table3, Qt::Key_F4);
        QVERIFY(m_log.isEmpty());
    }

    void rowWhoseCardIsGoneIsAProgramError()
    {
        auto w = makeWindow();
        addCard(*w, "ant", "");
        const int cat = addCard(*w, "cat", "cat.wav");
        w->slot_refresh();
        showDictionaryRow(*w, cat);
        QVERIFY(w->dictionary().removeCard(cat)); // the table is not refilled
        m_ui->expect(ScriptedInteraction::Critical,
                     QStringLiteral("Ошибка программы\nНет карточки с id == %1").arg(cat));
        w->slot_voice();
        m_ui->expect(ScriptedInteraction::Critical, QStringLiteral("Нет карточки с id == "));
        QTest::keyClick(w->table3, Qt::Key_F4);
        QVERIFY(m_log.isEmpty());
    }

    void learningTabPlaysTheShownCard()
    {
        auto w = makeWindow();
        addCard(*w, "ant", "a.wav;b.wav");
        addCard(*w, "bee", "");
        addCard(*w, "cat", "cat.wav");
        w->slot_refresh();
        // Not running: nothing to play.
        w->slot_voice();
        QTest::keyClick(w->textEdit3_type, Qt::Key_F4);
        QVERIFY(m_log.isEmpty());

        startRun(*w);
        QCOMPARE(Vmain_form::iconFileOf(w->pushButton_voice), QStringLiteral("Voice_disabled.png"));
        w->slot_continue();
        QCOMPARE(w->runSoundList(), QStringLiteral("a.wav;b.wav"));
        QCOMPARE(Vmain_form::iconFileOf(w->pushButton_voice), QStringLiteral("Voice.png"));
        QTest::keyClick(w->textEdit3_type, Qt::Key_F4);
        QCOMPARE(m_log, QStringList{"./sounds/a.wav"});
        QTest::keyClick(w->textEdit3_type, Qt::Key_F4);
        w->pushButton_voice->click();
        QCOMPARE(m_log, QStringList{"./sounds/a.wav"});

        // Moving on does not stop the sequence.
        w->slot_continue();
        w->slot_continue();
        QCOMPARE(w->runSoundList(), QString());
        QCOMPARE(Vmain_form::iconFileOf(w->pushButton_voice), QStringLiteral("Voice_disabled.png"));
        fireVoice(*w);
        QCOMPARE(m_log, (QStringList{"./sounds/a.wav", "|", "./sounds/b.wav"}));

        w->slot_continue();
        w->slot_continue();
        QCOMPARE(w->runSoundList(), QStringLiteral("cat.wav"));
        // One name plays at once, as often as asked.
        w->slot_voice();
        w->slot_voice();
        QTest::keyClick(w->textEdit3_type, Qt::Key_F4);
        QCOMPARE(m_log.mid(3),
                 (QStringList{"./sounds/cat.wav", "./sounds/cat.wav", "./sounds/cat.wav"}));
        QVERIFY(!w->voiceTimer().isActive());

        // Other tabs do not play the run's card.
        w->tabWidget2->setCurrentIndex(2);
        w->slot_voice();
        QTest::keyClick(w->tabWidget2, Qt::Key_F4);
        QCOMPARE(m_log.size(), 6);

        // The dictionary tab plays its own row during a run.
        w->tabWidget2->setCurrentIndex(1);
        w->selectTableRow(w->rowOfCard(w->dictionary().cardAt(0).id));
        w->slot_voice();
        QCOMPARE(m_log.last(), QStringLiteral("./sounds/a.wav"));
    }

    void endingTheRunForgetsTheSoundList()
    {
        auto w = makeWindow();
        addCard(*w, "ant", "ant.wav");
        w->slot_refresh();
        startRun(*w);
        w->slot_continue();
        QCOMPARE(w->runSoundList(), QStringLiteral("ant.wav"));
        m_ui->answerYesNo(Interaction::Yes, QStringLiteral("Завершить"));
        w->slot_start();
        QVERIFY(w->runSoundList().isEmpty());
        QCOMPARE(Vmain_form::iconFileOf(w->pushButton_voice), QStringLiteral("Voice_disabled.png"));
        w->slot_voice();
        QVERIFY(m_log.isEmpty());
    }

    void withoutAudioNothingPlays()
    {
        auto w = makeWindow();
        const int id = addCard(*w, "cat", "a.wav;b.wav");
        w->slot_refresh();
        m_player->available = false;
        showDictionaryRow(*w, id);
        w->slot_voice();
        QVERIFY(m_log.isEmpty());
        // The sequence still runs out, so sound works again once a device is there.
        fireUntilIdle(*w);
        QCOMPARE(m_log, QStringList{"|"});
        m_player->available = true;
        w->slot_voice();
        QCOMPARE(m_log.last(), QStringLiteral("./sounds/a.wav"));
    }

    void realPlayerIsTheDefaultAndQuiet()
    {
        writeMinimalSettings(m_dir->path());
        m_ui = new ScriptedInteraction;
        {
            Vmain_form w(&m_colors, m_ui);
            SoundPlayer *player = w.soundPlayer();
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
