#include "core/run/run_clock.h"

namespace
{

constexpr size_t slot(RunTimer timer)
{
    return size_t(timer);
}

} // namespace

QtRunClock::QtRunClock()
{
    for (RunTimer t : {RunTimer::Run, RunTimer::Flash, RunTimer::Sound}) {
        QTimer &timer = m_timers[slot(t)];
        timer.setSingleShot(isSingleShot(t));
        QObject::connect(&timer, &QTimer::timeout, &timer, [this, t] { timeout(t); });
    }
}

void QtRunClock::start(RunTimer timer, int intervalMs)
{
    m_timers[slot(timer)].start(intervalMs);
}

void QtRunClock::stop(RunTimer timer)
{
    m_timers[slot(timer)].stop();
}

bool QtRunClock::isActive(RunTimer timer) const
{
    return m_timers[slot(timer)].isActive();
}

int QtRunClock::interval(RunTimer timer) const
{
    return m_timers[slot(timer)].interval();
}

void SteppedRunClock::start(RunTimer timer, int intervalMs)
{
    State &s = m_state[slot(timer)];
    s.active = true;
    s.interval = intervalMs;
    ++s.starts;
}

void SteppedRunClock::stop(RunTimer timer)
{
    m_state[slot(timer)].active = false;
}

bool SteppedRunClock::isActive(RunTimer timer) const
{
    return m_state[slot(timer)].active;
}

int SteppedRunClock::interval(RunTimer timer) const
{
    return m_state[slot(timer)].interval;
}

bool SteppedRunClock::fire(RunTimer timer)
{
    if (!isActive(timer))
        return false;
    if (isSingleShot(timer))
        stop(timer);
    timeout(timer);
    return true;
}

int SteppedRunClock::starts(RunTimer timer) const
{
    return m_state[slot(timer)].starts;
}
