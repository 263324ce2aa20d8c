#include "core/run/speech.h"
#include "recording_speaker.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace
{

// An engine whose construction blocks until it is let go, as a speech
// service does that is shutting down.
struct Gate {
    std::mutex lock;
    std::condition_variable changed;
    bool open = false;
    std::atomic<bool> built{false};

    void release()
    {
        {
            std::lock_guard<std::mutex> hold(lock);
            open = true;
        }
        changed.notify_all();
    }
    BackgroundSpeaker::Factory factory(bool available = true)
    {
        return [this, available] {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [this] { return open; });
            auto speaker = std::make_unique<RecordingSpeaker>();
            speaker->available = available;
            built = true;
            return std::unique_ptr<Speaker>(std::move(speaker));
        };
    }
};

} // namespace

// The speech engine is built on a thread of its own: whatever it does, the
// program goes on, and after a bounded wait speech is off for the run.
class TestSpeechStart : public QObject
{
    Q_OBJECT

private slots:
    void engineStates_data()
    {
        QTest::addColumn<bool>("engineAnswers");
        QTest::addColumn<bool>("engineHasVoices");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("reason");
        QTest::newRow("ready") << true << true << int(BackgroundSpeaker::State::Ready) << true
                               << QString();
        QTest::newRow("ready without voices")
            << true << false << int(BackgroundSpeaker::State::Ready) << false
            << "Не установлен синтезатор речи";
        QTest::newRow("hangs") << false << true << int(BackgroundSpeaker::State::TimedOut) << false
                               << BackgroundSpeaker::timedOutReason();
    }
    void engineStates()
    {
        QFETCH(bool, engineAnswers);
        QFETCH(bool, engineHasVoices);
        QFETCH(int, state);
        QFETCH(bool, available);
        QFETCH(QString, reason);
        Gate gate;
        {
            BackgroundSpeaker speaker(gate.factory(engineHasVoices), 100);
            QSignalSpy changed(&speaker, &BackgroundSpeaker::stateChanged);
            QVERIFY(!speaker.isAvailable());
            speaker.start();
            // While the engine is being built, nothing waits and nothing speaks.
            QCOMPARE(speaker.state(), BackgroundSpeaker::State::Starting);
            QVERIFY(speaker.stillStarting());
            QCOMPARE(speaker.unavailableReason(), BackgroundSpeaker::startingReason());
            speaker.say({"cat"}, "en_US", 0);
            QVERIFY(speaker.locales().isEmpty());
            if (engineAnswers)
                gate.release();
            QTRY_COMPARE(int(speaker.state()), state);
            QCOMPARE(changed.count(), 1);
            QCOMPARE(speaker.isAvailable(), available);
            if (!available)
                QCOMPARE(speaker.unavailableReason(), reason);
            // An engine that answers too late is not taken up.
            gate.release();
            QTRY_VERIFY(gate.built);
            QTest::qWait(50);
            QCOMPARE(int(speaker.state()), state);
            QCOMPARE(changed.count(), 1);
            speaker.start();
            QCOMPARE(int(speaker.state()), state);
            if (available) {
                speaker.say({"cat", "kitten"}, "de_DE", 0.5);
                QCOMPARE(speaker.locales(), QStringList({"de_DE", "en_US"}));
            }
        }
    }

    // Closing while the engine hangs returns at once; the thread goes on
    // without the speaker.
    void destroyedWhileStarting()
    {
        Gate gate;
        {
            BackgroundSpeaker speaker(gate.factory(), 60000);
            speaker.start();
            QVERIFY(speaker.stillStarting());
        }
        gate.release();
        QTRY_VERIFY(gate.built);
    }
};

QTEST_GUILESS_MAIN(TestSpeechStart)
#include "test_speech_start.moc"
