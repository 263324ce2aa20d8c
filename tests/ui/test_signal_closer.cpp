#include "ui/common/signal_closer.h"

#include <QCoreApplication>
#include <QDialog>
#include <QTest>
#include <QWidget>

#include <csignal>

// A termination signal closes the main window through the event loop, as
// the user would, instead of killing the program.
class TestSignalCloser : public QObject
{
    Q_OBJECT

    static void processPendingEvents()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

private slots:
    void closesTheWindow_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void closesTheWindow()
    {
        QFETCH(int, signal);
        QWidget window;
        window.show();
        SignalCloser closer;
        closer.setWindow(&window);
        QVERIFY(::raise(signal) == 0);
        QTRY_VERIFY(!window.isVisible());
    }

    void signalBeforeTheWindowClosesItOnceSet()
    {
        SignalCloser closer;
        QVERIFY(::raise(SIGTERM) == 0);
        processPendingEvents();
        QWidget window;
        window.show();
        closer.setWindow(&window);
        QTRY_VERIFY(!window.isVisible());
    }

    void windowStaysWhileABoxWaitsForAnAnswer()
    {
        QWidget window;
        window.show();
        QDialog box(&window);
        box.setModal(true);
        box.show();
        QCOMPARE(QApplication::activeModalWidget(), &box);
        SignalCloser closer;
        closer.setWindow(&window);
        QVERIFY(::raise(SIGTERM) == 0);
        processPendingEvents();
        QVERIFY(window.isVisible());
        QVERIFY(box.isVisible());
    }
};

QTEST_MAIN(TestSignalCloser)
#include "test_signal_closer.moc"
