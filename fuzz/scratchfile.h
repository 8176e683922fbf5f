// Shared by the targets whose parser reads only from a file: a scratch file on tmpfs per process,
// and a check that stops the run with a message, which libFuzzer reports as a crash.
#pragma once

#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

inline void fuzzRequire(bool bolHolds, const char *what)
{
    if (!bolHolds) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

inline QString fuzzScratchPath(const char *target, const char *name)
{
    const QString strDir =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/%2-%3-%4")
        .arg(strDir, QLatin1String(target))
        .arg(getpid())
        .arg(QLatin1String(name));
}
