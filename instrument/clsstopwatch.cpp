#include "instrument/clsstopwatch.h"

#include <chrono>
#include <ratio>

namespace {
using Clock = std::chrono::steady_clock;
}

ClsStopWatch::ClsStopWatch()
{
    // A steady clock with at least microsecond resolution counts as high-resolution.
    m_available = Clock::is_steady && std::ratio_less_equal<Clock::period, std::micro>::value;
    m_frequency = static_cast<qint64>(Clock::period::den / Clock::period::num);
}

qint64 ClsStopWatch::currentCount()
{
    return static_cast<qint64>(Clock::now().time_since_epoch().count());
}

void ClsStopWatch::start()
{
    m_lastCount = 0;
    m_startCount = currentCount();
}

double ClsStopWatch::elapsedMs()
{
    if (!m_available || m_frequency <= 0)
        return m_fallback;
    m_lastCount = currentCount();
    return static_cast<double>(m_lastCount - m_startCount) * 1000.0 / static_cast<double>(m_frequency);
}
