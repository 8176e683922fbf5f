// libFuzzer target for colour-set files. A refused file must leave the scheme as it was; an
// accepted one must survive being saved and loaded again unchanged.
//
// This target stays below the 5,000 inputs/s of the in-memory ones because QSettings parses INI
// text only from a file: each input is written to a file on tmpfs, and one that gets past the
// line-shape check is parsed by QSettings, saved through its lock file and atomic replacement,
// and parsed again. Those system calls (a dozen stat calls alone per input), not the colour
// scheme's own checks, are what a profile shows.
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
