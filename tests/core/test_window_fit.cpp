#include "core/common/window_fit.h"

#include <QTest>

// Windows are kept on the screen they are on, and a helper window first
// opens beside its owner rather than over it or off the screen.
class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void fitIntoArea_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("fitted");
        const QRect screen(0, 0, 1024, 768);
        QTest::newRow("inside stays") << QRect(40, 40, 500, 300) << screen << QPoint(40, 40);
        QTest::newRow("touching the edges stays")
            << QRect(524, 468, 500, 300) << screen << QPoint(524, 468);
        QTest::newRow("off the right edge")
            << QRect(825, 40, 300, 200) << screen << QPoint(724, 40);
        QTest::newRow("title bar above the top")
            << QRect(100, -60, 300, 200) << screen << QPoint(100, 0);
        QTest::newRow("stored on a wider screen")
            << QRect(1700, 900, 400, 300) << screen << QPoint(624, 468);
        QTest::newRow("left of the screen") << QRect(-1, 20, 300, 200) << screen << QPoint(0, 20);
        QTest::newRow("larger than the screen keeps its title bar")
            << QRect(200, 100, 1300, 900) << screen << QPoint(0, 0);
        QTest::newRow("panel at the top")
            << QRect(10, 5, 300, 200) << QRect(0, 28, 1024, 740) << QPoint(10, 28);
        QTest::newRow("second screen to the right")
            << QRect(3000, 10, 300, 200) << QRect(1920, 0, 1024, 768) << QPoint(2644, 10);
        QTest::newRow("no screen known")
            << QRect(5000, 5000, 10, 10) << QRect() << QPoint(5000, 5000);
    }
    void fitIntoArea()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, area);
        QFETCH(QPoint, fitted);
        const QRect r = ::fitIntoArea(frame, area);
        QCOMPARE(r.topLeft(), fitted);
        QCOMPARE(r.size(), frame.size());
    }

    void besideWindow_data()
    {
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("at");
        // The editor is 785 wide on a 1024 x 768 screen.
        QTest::newRow("room on the right")
            << QRect(40, 40, 500, 300) << QSize(300, 250) << QPoint(540, 40);
        QTest::newRow("room on the left only")
            << QRect(400, 40, 500, 300) << QSize(300, 250) << QPoint(100, 40);
        QTest::newRow("no room on either side: fitted on the right")
            << QRect(100, 40, 785, 300) << QSize(300, 250) << QPoint(724, 40);
        QTest::newRow("owner low on the screen: moved up")
            << QRect(40, 600, 500, 300) << QSize(300, 250) << QPoint(540, 518);
    }
    void besideWindow()
    {
        QFETCH(QRect, owner);
        QFETCH(QSize, size);
        QFETCH(QPoint, at);
        QCOMPARE(::besideWindow(owner, size, QRect(0, 0, 1024, 768)), at);
    }
};

QTEST_GUILESS_MAIN(TestWindowFit)
#include "test_window_fit.moc"
