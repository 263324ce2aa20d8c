#include "ui/dictionary/file_progress_window.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>

// The progress window of long opens and saves.
class TestFileProgressWindow : public QObject
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
        QCOMPARE(FileProgressWindow::labelText(progress(FileProgress::Stage(stage), done, total)),
                 text);
    }

    // Opening shows a cancel button; pressing it answers "cancel" from then
    // on; Finished takes the window away.
    void openCanBeCancelled()
    {
        QWidget host;
        host.show();
        FileProgressWindow w(&host);
        QVERIFY(!w.dialog());
        QVERIFY(w.report(progress(FileProgress::Opening, 0, 1)));
        QProgressDialog *d = w.dialog();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("Словарь"));
        QCOMPARE(d->labelText(), QStringLiteral("Открывается файл\nбольшой.xml"));
        auto *cancel = d->findChild<QPushButton *>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Отменить"));
        cancel->click();
        QVERIFY(!w.report(progress(FileProgress::Opening, 0, 1)));
        QVERIFY(w.report(progress(FileProgress::Finished, 0, 1)));
        QVERIFY(!w.dialog());
    }

    // Saving has no cancel button; several files show their count.
    void saveCountsFiles()
    {
        QWidget host;
        FileProgressWindow w(&host);
        QVERIFY(w.report(progress(FileProgress::Saving, 1, 3)));
        QProgressDialog *d = w.dialog();
        QVERIFY(d);
        QVERIFY(!d->findChild<QPushButton *>());
        QCOMPARE(d->maximum(), 3);
        QCOMPARE(d->value(), 1);
        QVERIFY(w.report(progress(FileProgress::Saving, 2, 3)));
        QCOMPARE(d->value(), 2);
        QVERIFY(w.report(progress(FileProgress::Finished, 3, 3)));
        QVERIFY(!w.dialog());
        // The next operation gets a window of its own, with its own buttons.
        QVERIFY(w.report(progress(FileProgress::Opening, 0, 1)));
        QVERIFY(w.dialog() && w.dialog() != d);
        QVERIFY(w.dialog()->findChild<QPushButton *>());
    }
};

QTEST_MAIN(TestFileProgressWindow)
#include "test_file_progress_window.moc"
