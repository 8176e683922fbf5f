// libFuzzer target for the instrument pool as read from its INI settings. QSettings parses INI
// text only from a file, so each input goes through a file on tmpfs (slower than an in-memory
// target for that reason). Whatever the pool keeps of the loaded entries must come back unchanged
// after saving and loading again, and a pool never holds the same instrument twice.
#include "instrmanage/clsinstrpool.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void require(bool bolHolds, const char *what)
{
    if (!bolHolds) {
        std::fprintf(stderr, "pool settings: %s\n", what);
        std::abort();
    }
}

QString scratchPath(const char *name)
{
    const QString strDir =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/fuzz_poolsettings-%2-%3.ini")
        .arg(strDir)
        .arg(getpid())
        .arg(QLatin1String(name));
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
    QSettings input(strInput, QSettings::IniFormat);
    const QList<InstrRecord> lstLoaded = ClsInstrPool::load(input);

    ClsInstrPool pool;
    for (const InstrRecord &record : lstLoaded)
        pool.addWithoutContact(record);
    for (int i = 0; i < pool.size(); ++i)
        require(pool.indexOfSame(pool.records().at(i)) == i, "the same instrument pooled twice");

    QFile::remove(strSaved);
    {
        QSettings saved(strSaved, QSettings::IniFormat);
        pool.save(saved);
    }
    QSettings again(strSaved, QSettings::IniFormat);
    require(ClsInstrPool::load(again) == pool.records(), "pool entries changed on their way through a file");
    return 0;
}
