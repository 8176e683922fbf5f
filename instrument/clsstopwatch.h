#ifndef LISTFORGE_INSTRUMENT_CLSSTOPWATCH_H
#define LISTFORGE_INSTRUMENT_CLSSTOPWATCH_H

#include <QtGlobal>

// High-resolution stopwatch that times one instrument command at a time.
class ClsStopWatch
{
public:
    // Returned by elapsedMs() when the platform has no monotonic high-resolution counter.
    static constexpr double Unknown = 999999.999;

    ClsStopWatch();

    void start();
    double elapsedMs();

    bool isAvailable() const { return m_available; }
    qint64 frequency() const { return m_frequency; }

private:
    static qint64 currentCount();

    bool m_available = false;
    qint64 m_frequency = 0; // counts per second
    qint64 m_startCount = 0;
    qint64 m_lastCount = 0;
    double m_fallback = Unknown;
};

#endif
