// libFuzzer target for colour-set files. QSettings parses INI text only from a file, so each input
// is written to a file on tmpfs first; that costs a few hundred microseconds per input, which is
// why this target runs slower than the in-memory ones. A refused file must leave the scheme as it
// was; an accepted one must survive being saved and loaded again unchanged.
#include "ui/colorscheme.h"

#include "fuzz/scratchfile.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString strInput = fuzzScratchPath("fuzz_colorset", "in.col");
    static const QString strSaved = fuzzScratchPath("fuzz_colorset", "out.col");
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
        fuzzRequire(scheme == before, "colour set: a refused file changed the scheme");
        return 0;
    }
    scheme.styleSheet();
    QString strError;
    fuzzRequire(scheme.saveFile(strSaved, &strError), "colour set: an accepted scheme could not be saved");
    ClsColorScheme again;
    fuzzRequire(again.loadFile(strSaved, &strError), "colour set: a saved scheme was refused");
    fuzzRequire(again == scheme, "colour set: a scheme changed on its way through a file");
    return 0;
}
