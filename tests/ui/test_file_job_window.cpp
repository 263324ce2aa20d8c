#include "core/dictionary/action_states.h"
#include "core/dictionary/dictionary_file.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/dictionary/file_job_window.h"

#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <thread>

using SI = ScriptedInteraction;

// The window that runs long file steps on a worker, and what the program
// refuses while a file job runs.
class TestFileJobWindow : public QObject
{
    Q_OBJECT

    static FileProgress progress(FileProgress::Stage stage, int done, int total)
    {
        FileProgress p;
        p.stage = stage;
        p.path = QStringLiteral("/home/u/слова/большой.xml");
        p.done = done;
        p.total = total;
        p.cancellable = stage == FileProgress::Opening;
        return p;
    }

    // Work that runs until it is cancelled or released.
    struct Blocking {
        std::atomic<bool> release{false};
        std::atomic<bool> sawCancel{false};
        FileJobRunner::Work work()
        {
            return [this](const std::atomic<bool> &cancel) {
                while (!release && !cancel)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                sawCancel = cancel.load();
            };
        }
    };

    static void pressEscape(QWidget *w)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }

private slots:
    void labelText_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("one file opened") << int(FileProgress::Opening) << 0 << 1
                                         << QStringLiteral("Открывается файл\nбольшой.xml");
        QTest::newRow("second of three saved")
            << int(FileProgress::Saving) << 1 << 3
            << QStringLiteral("Сохраняется файл\nбольшой.xml\n(2 из 3)");
    }
    void labelText()
    {
        QFETCH(int, stage);
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(QString, text);
        QCOMPARE(FileJobWindow::labelText(progress(FileProgress::Stage(stage), done, total)), text);
    }

    // What dismisses the window of a step: during an open its button, Escape
    // and the close button cancel; during a save nothing does, and the work
    // runs to its end.
    void dismissing_data()
    {
        QTest::addColumn<bool>("opening");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("open, button") << true << "button" << true;
        QTest::newRow("open, Escape") << true << "escape" << true;
        QTest::newRow("open, close") << true << "close" << true;
        QTest::newRow("save, Escape") << false << "escape" << false;
        QTest::newRow("save, close") << false << "close" << false;
    }
    void dismissing()
    {
        QFETCH(bool, opening);
        QFETCH(QString, how);
        QFETCH(bool, cancelled);
        QWidget host;
        host.show();
        FileJobWindow w(&host);
        w.setDelay(0);
        Blocking job;
        bool shownOnce = false;
        w.setShownHook([&](QProgressDialog *d) {
            shownOnce = true;
            QCOMPARE(d->windowTitle(), QStringLiteral("Словарь"));
            QVERIFY(d->isVisible());
            QCOMPARE(bool(d->findChild<QPushButton *>()), opening);
            if (how == "button")
                d->findChild<QPushButton *>()->click();
            else if (how == "escape")
                pressEscape(d);
            else
                d->close();
            // A save's window stays up over the program until the file is written.
            if (!cancelled)
                QVERIFY(d->isVisible());
            job.release = true;
        });
        const bool went = w.run(
            progress(opening ? FileProgress::Opening : FileProgress::Saving, 0, 1), job.work());
        QVERIFY(shownOnce);
        QCOMPARE(went, !cancelled);
        QCOMPARE(bool(job.sawCancel), cancelled);
        QVERIFY(!w.dialog());
    }

    // A step that ends before the delay shows no window.
    void quickStepShowsNothing()
    {
        FileJobWindow w(nullptr);
        bool shown = false;
        w.setShownHook([&](QProgressDialog *) { shown = true; });
        int ran = 0;
        QVERIFY(
            w.run(progress(FileProgress::Saving, 0, 1), [&](const std::atomic<bool> &) { ++ran; }));
        QCOMPARE(ran, 1);
        QVERIFY(!shown);
    }

    // While a save or an open runs, Escape, closing files, saving and
    // opening are refused: no card is freed under the job, no prompt comes,
    // and the saved file is whole.
    void programWaitsForTheJob_data()
    {
        QTest::addColumn<bool>("saving");
        QTest::newRow("during a save") << true;
        QTest::newRow("during an open") << false;
    }
    void programWaitsForTheJob()
    {
        QFETCH(bool, saving);
        auto workDir = makeWorkingDir();
        QTemporaryDir &dir = *workDir;
        writeMinimalSettings(dir.path());
        FrameColors colors;
        auto *ui = new SI;
        TestWindow w(dir.path(), &colors, ui);
        Dictionary &dict = w.session().dictionary;
        QList<Card> cards;
        for (int i = 0; i < 400; ++i)
            cards << makeCard(QStringLiteral("w%1").arg(i), {QStringLiteral("слово")},
                              QStringLiteral("L%1").arg(i % 7));
        const QString a = writeFixtureFile(dir.path() + "/a.xml", cards);
        const QString b = writeFixtureFile(dir.path() + "/b.xml", cards.mid(0, 3));
        DictionaryPage *page = w.dictionaryPage();
        w.show();
        page->openFiles({a});
        QCOMPARE(dict.cardCount(), 400);

        FileJobWindow &jobs = page->jobWindow();
        jobs.setDelay(0);
        int pokes = 0;
        jobs.setShownHook([&](QProgressDialog *d) {
            ++pokes;
            QVERIFY(dict.isBusy());
            const ActionStates s = page->actionStates();
            QVERIFY(!s.openFiles && !s.saveAll && !s.saveAs && !s.closeFiles && !s.join &&
                    !s.remove && !s.edit && !s.addWord);
            pressEscape(d);
            // Nothing of these may act or ask: the script has no answer.
            page->slot_close();
            page->slot_save_all();
            page->slot_save_as();
            page->openFiles({b});
            page->slot_word_add();
            page->slot_word_del();
            // Closing the window (the window manager, a signal) waits for the job.
            w.close();
            QVERIFY(w.isVisible());
            QCOMPARE(dict.cardCount(), saving ? 400 : 400);
            QCOMPARE(dict.openFiles().size(), size_t(1));
            if (saving)
                QVERIFY(d->isVisible());
        });
        if (saving) {
            dict.updateCard(dict.cardAt(0).id, [](Card &c) { c.pER = 3; });
            ui->answerYesNo(SI::Yes, "Сохранить изменения?")
                .expect(SI::Information, "Было сохранено:");
            page->slot_save_all();
            QVERIFY(!dict.isModified());
        } else {
            // Escape cancels the open: nothing of b.xml is added.
            page->openFiles({b});
            QCOMPARE(dict.openFiles().size(), size_t(1));
        }
        QCOMPARE(pokes, 1);
        QVERIFY(!dict.isBusy());
        QCOMPARE(dict.cardCount(), 400);
        // The close asked for during the job comes once it is over.
        QTRY_VERIFY(!w.isVisible());
        if (saving) {
            Dictionary back;
            back.setCategoryList(dict.categoryList());
            QVERIFY(readDictionaryFile(back, a).added);
            QCOMPARE(back.cardCount(), 400);
        }
    }

    // The table after an open shows the rows its worker made, which are
    // what a refresh makes; a refresh asked for during the open (here with
    // other options) waits for its end and wins.
    void openShowsTheRowsOfItsWorker_data()
    {
        QTest::addColumn<bool>("regrouped");
        QTest::newRow("options kept") << false;
        QTest::newRow("grouped by lessons during the open") << true;
    }
    void openShowsTheRowsOfItsWorker()
    {
        QFETCH(bool, regrouped);
        auto workDir = makeWorkingDir();
        QTemporaryDir &dir = *workDir;
        writeMinimalSettings(dir.path());
        FrameColors colors;
        TestWindow w(dir.path(), &colors, new SI);
        Dictionary &dict = w.session().dictionary;
        QList<Card> cards;
        for (int i = 0; i < 300; ++i)
            cards << makeCard(QStringLiteral("w%1").arg((i * 7919) % 300),
                              {QStringLiteral("слово")}, QStringLiteral("L%1").arg(i % 5));
        const QString a = writeFixtureFile(dir.path() + "/a.xml", cards);
        DictionaryPage *page = w.dictionaryPage();
        w.show();
        page->checkBox2->setChecked(false);
        FileJobWindow &jobs = page->jobWindow();
        jobs.setDelay(0);
        jobs.setShownHook([&](QProgressDialog *) {
            if (!regrouped)
                return;
            page->checkBox2->setChecked(true);
            page->slot_refresh();
            QCOMPARE(dict.cardCount(), 0);
        });
        page->openFiles({a});
        QCOMPARE(dict.cardCount(), 300);
        TableSortOptions options;
        options.byFiles = page->checkBox1->isChecked();
        options.byLessons = regrouped;
        options.byForeign = page->radioButton1->isChecked();
        Dictionary copy;
        copy.assign(dict);
        const QList<TableRow> expected = sortAndBuildTableRows(copy, options);
        const QList<TableRow> &shown =
            static_cast<const DictionaryTableModel *>(page->table3->model())->rows();
        QCOMPARE(shown.size(), expected.size());
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown[i].kindText(), expected[i].kindText());
            QCOMPARE(shown[i].label, expected[i].label);
        }
        QCOMPARE(shown.first().kind == TableRow::LessonHeader, regrouped);
    }
};

QTEST_MAIN(TestFileJobWindow)
#include "test_file_job_window.moc"
