#ifndef LISTFORGE_TESTS_COMMON_SCANRUN_H
#define LISTFORGE_TESTS_COMMON_SCANRUN_H

#include "instrmanage/clsinstrscanner.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

// How one scan ended: by newVxiInstrs(), by noVxiInstrs(), by neither within the time limit, or
// (a fault) by more than one end signal.
enum class ScanEnd
{
    Instruments,
    Nothing,
    Hung,
    Twice
};

struct ScanOutcome
{
    ScanEnd end = ScanEnd::Hung;
    qint64 elapsedMs = 0;
    int udpPhaseSignals = 0; // newUdpRpcReplys()
};

inline ScanOutcome runScan(ClsInstrScanner &scanner, const QString &strExpression, int intLimitMs = 20000)
{
    QSignalSpy found(&scanner, &ClsInstrScanner::newVxiInstrs);
    QSignalSpy nothing(&scanner, &ClsInstrScanner::noVxiInstrs);
    QSignalSpy udp(&scanner, &ClsInstrScanner::newUdpRpcReplys);
    QElapsedTimer timer;
    timer.start();
    scanner.startLanScan(strExpression);
    while (found.isEmpty() && nothing.isEmpty() && timer.elapsed() < intLimitMs)
        QTest::qWait(10);
    ScanOutcome outcome;
    outcome.elapsedMs = timer.elapsed();
    // Late second signals would show up here.
    QTest::qWait(50);
    outcome.udpPhaseSignals = udp.size();
    if (found.size() + nothing.size() > 1)
        outcome.end = ScanEnd::Twice;
    else if (found.size() == 1)
        outcome.end = ScanEnd::Instruments;
    else if (nothing.size() == 1)
        outcome.end = ScanEnd::Nothing;
    return outcome;
}

#endif
