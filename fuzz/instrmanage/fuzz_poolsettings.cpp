// libFuzzer target for the instrument pool as read from its INI settings. Whatever the pool keeps
// of the loaded entries must come back unchanged after saving and loading again, and a pool never
// holds the same instrument twice.
//
// This target is slower than the 5,000 inputs/s of the in-memory ones, and must be: QSettings
// parses INI text only from a file, and the round trip is the point, since it is QSettings'
// escaping that could change a saved entry. So every input is a file written on tmpfs, parsed,
// saved through QSettings' lock file and atomic replacement (temporary file, data sync, rename)
// and parsed again: about 70 system calls, which cost far more than the pool's own work (a
// profile shows the kernel's file system code on top, ClsInstrPool nowhere near it).
#include "fuzz/notracing.h"
#include "instrmanage/clsinstrpool.h"

#include "fuzz/scratchfile.h"

#include <QFile>
#include <QSettings>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString strInput = fuzzScratchPath("fuzz_poolsettings", "in.ini");
    static const QString strSaved = fuzzScratchPath("fuzz_poolsettings", "out.ini");
    {
        QFile file(strInput);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QSettings input(strInput, QSettings::IniFormat);
    const QList<InstrRecord> lstLoaded = ClsInstrPool::load(input);

    ClsInstrPool pool;
    for (const InstrRecord &record : lstLoaded)
        pool.addWithoutContact(record);
    for (int i = 0; i < pool.size(); ++i)
        fuzzRequire(pool.indexOfSame(pool.records().at(i)) == i,
                    "pool settings: the same instrument pooled twice");

    QFile::remove(strSaved);
    {
        QSettings saved(strSaved, QSettings::IniFormat);
        pool.save(saved);
    }
    QSettings again(strSaved, QSettings::IniFormat);
    fuzzRequire(ClsInstrPool::load(again) == pool.records(),
                "pool settings: pool entries changed on their way through a file");
    return 0;
}
