// libFuzzer target for colour-set files. QSettings parses INI text only from a file, so each input
// is written to a file on tmpfs first; that costs a few hundred microseconds per input, which is
// why this target runs slower than the in-memory ones. A refused file must leave the scheme as it
// was; an accepted one must survive being saved and loaded again unchanged.
#include "ui/colorscheme.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void require(bool bolHolds, const char *what)
{
    if (!bolHolds) {
        std::fprintf(stderr, "colour set: %s\n", what);
        std::abort();
    }
}

QString scratchPath(const char *name)
{
    const QString strDir =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/fuzz_colorset-%2-%3.col").arg(strDir).arg(getpid()).arg(QLatin1String(name));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString strInput = scratchPath("in");
    static const QString strSaved = scratchPath("out");
    {
        QFile file(strInput);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    ClsColorScheme scheme;
    scheme.setBrightness(10); // a state that differs from the defaults, to see it kept
    const ClsColorScheme before = scheme;
    if (!scheme.loadFile(strInput)) {
        require(scheme == before, "a refused file changed the scheme");
        return 0;
    }
    scheme.styleSheet();
    QString strError;
    require(scheme.saveFile(strSaved, &strError), "an accepted scheme could not be saved");
    ClsColorScheme again;
    require(again.loadFile(strSaved, &strError), "a saved scheme was refused");
    require(again == scheme, "a scheme changed on its way through a file");
    return 0;
}
