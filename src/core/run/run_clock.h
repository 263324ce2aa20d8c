#pragma once

#include <QTimer>

#include <array>
#include <functional>

// The three timers of a run, all on the GUI thread.
enum class RunTimer {
    Run,   // timed runs: repeating, 5 * speed ms per progress step
    Flash, // single shot: the steps of the mistake flash
    Sound, // single shot: 2000 ms between the sound files of a card
};

// The timers behind an interface, so a test can fire them one by one instead
// of waiting. The owner of the handler (RunSession) is called on every
// timeout; a single-shot timer is already inactive when its handler runs, as
// with QTimer.
class RunClock
{
public:
    using Handler = std::function<void(RunTimer)>;

    virtual ~RunClock() = default;

    // Starts or restarts the timer with this interval.
    virtual void start(RunTimer timer, int intervalMs) = 0;
    virtual void stop(RunTimer timer) = 0;
    virtual bool isActive(RunTimer timer) const = 0;
    // The interval of the last start, 0 before the first.
    virtual int interval(RunTimer timer) const = 0;

    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // Only the run timer repeats.
    static bool isSingleShot(RunTimer timer) { return timer != RunTimer::Run; }

protected:
    void timeout(RunTimer timer)
    {
        if (m_handler)
            m_handler(timer);
    }

private:
    Handler m_handler;
};

// The program's clock: three QTimers.
class QtRunClock : public RunClock
{
public:
    QtRunClock();

    void start(RunTimer timer, int intervalMs) override;
    void stop(RunTimer timer) override;
    bool isActive(RunTimer timer) const override;
    int interval(RunTimer timer) const override;

private:
    std::array<QTimer, 3> m_timers;
};

// A clock for tests: timers only change state, and fire() delivers one
// timeout the way the event loop would.
class SteppedRunClock : public RunClock
{
public:
    void start(RunTimer timer, int intervalMs) override;
    void stop(RunTimer timer) override;
    bool isActive(RunTimer timer) const override;
    int interval(RunTimer timer) const override;

    // One timeout of an active timer: a single-shot one stops first. False
    // (and nothing is called) when the timer is not active.
    bool fire(RunTimer timer);
    // How often the timer was started since the clock was made.
    int starts(RunTimer timer) const;

private:
    struct State {
        bool active = false;
        int interval = 0;
        int starts = 0;
    };
    std::array<State, 3> m_state;
};
