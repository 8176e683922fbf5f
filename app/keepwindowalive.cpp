#include "app/keepwindowalive.h"

#include <QCoreApplication>
#include <QElapsedTimer>

void keepWindowAlive()
{
    // Counted from the start of a round, so a round that itself takes long is not followed by
    // another one straight away.
    constexpr qint64 RoundIntervalMs = 5;
    thread_local QElapsedTimer sinceLast;
    if (QCoreApplication::instance() == nullptr ||
        (sinceLast.isValid() && sinceLast.elapsed() < RoundIntervalMs))
        return;
    sinceLast.start();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
