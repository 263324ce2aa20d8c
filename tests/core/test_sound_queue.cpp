#include "core/run/sound_queue.h"

#include <QTest>

// The order and spacing of a card's sound files, without a window.
class TestSoundQueue : public QObject
{
    Q_OBJECT

    // Plays a whole sequence: the first step, then one step per timer firing
    // for as long as a step asked for the timer. "path+" marks a step that
    // starts the timer again.
    static QStringList playAll(const QString &soundPath)
    {
        QString queue;
        QStringList out;
        SoundStep step = startSounds(queue, soundPath);
        while (step.hasName) {
            out << step.path + (step.more ? QStringLiteral("+") : QString());
            if (!step.more)
                break;
            step = nextSound(queue);
        }
        if (!queue.isEmpty())
            out << QStringLiteral("left: ") + queue;
        return out;
    }

private slots:
    void sequence_data()
    {
        QTest::addColumn<QString>("soundPath");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("one name") << "hello.wav" << QStringList{"./sounds/hello.wav"};
        QTest::newRow("blanks around") << "  hello.wav \t" << QStringList{"./sounds/hello.wav"};
        QTest::newRow("three") << "a.wav;b.wav;c.wav"
                               << QStringList{"./sounds/a.wav+", "./sounds/b.wav+",
                                              "./sounds/c.wav"};
        QTest::newRow("blanks around each")
            << " a.wav ; b.mp3" << QStringList{"./sounds/a.wav+", "./sounds/b.mp3"};
        // The timer finds nothing after the trailing ';' and the sequence ends.
        QTest::newRow("trailing separator") << "a.wav;" << QStringList{"./sounds/a.wav+"};
        // The empty middle name keeps its two seconds: b comes 4 s after a.
        QTest::newRow("empty middle name")
            << "a.wav;;b.wav" << QStringList{"./sounds/a.wav+", "./sounds/+", "./sounds/b.wav"};
        QTest::newRow("leading separator")
            << ";a.wav" << QStringList{"./sounds/+", "./sounds/a.wav"};
        QTest::newRow("nothing") << "" << QStringList{};
        QTest::newRow("blank name") << "  " << QStringList{"./sounds/"};
        QTest::newRow("cyrillic name") << "привет.ogg" << QStringList{"./sounds/привет.ogg"};
    }

    void sequence()
    {
        QFETCH(QString, soundPath);
        QFETCH(QStringList, steps);
        QCOMPARE(playAll(soundPath), steps);
    }

    void requestsWhileQueuedAreIgnored()
    {
        QString queue;
        SoundStep first = startSounds(queue, "a.wav;b.wav");
        QCOMPARE(first.path, QStringLiteral("./sounds/a.wav"));
        QCOMPARE(queue, QStringLiteral("b.wav"));

        const SoundStep ignored = startSounds(queue, "x.wav");
        QVERIFY(!ignored.hasName);
        QVERIFY(!ignored.more);
        QCOMPARE(queue, QStringLiteral("b.wav"));

        const SoundStep second = nextSound(queue);
        QCOMPARE(second.path, QStringLiteral("./sounds/b.wav"));
        QVERIFY(!second.more);
        QVERIFY(queue.isEmpty());

        // Idle again: a new request starts at once.
        QCOMPARE(startSounds(queue, "x.wav").path, QStringLiteral("./sounds/x.wav"));
    }

    void timerOnEmptyQueueDoesNothing()
    {
        QString queue;
        const SoundStep step = nextSound(queue);
        QVERIFY(!step.hasName);
        QVERIFY(step.path.isEmpty());
        QVERIFY(!step.more);
        QCOMPARE(soundInterval, 2000);
    }
};

QTEST_GUILESS_MAIN(TestSoundQueue)
#include "test_sound_queue.moc"
