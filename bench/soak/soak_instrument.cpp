// Soak of one instrument session: CYCLES rounds of a query, a path setting read back, and the
// upload of a 1 MB data list that replaces the previous copy, through ClsZOYControl,
// ClsVisaControl and libvisa32 (LISTFORGE_VISA_LIBRARY). Resident memory is compared between
// the end of the warm-up and the end of the run, open descriptors between the start and the end;
// with PEER_PID the same figures of the simulator are read too.
//
//   soak-instrument RESOURCE CYCLES [PEER_PID]
//
// Exit status 0 when every cycle succeeded and the goals are met, 1 otherwise.

#include "procstats.h"

#include "app/tracer.h"
#include "instrument/clszoycontrol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr qint64 ListBytes = 1000 * 1000;
constexpr long MaxGrowthKb = 2048;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || args.at(2).toInt() <= 0) {
        std::fprintf(stderr, "usage: soak-instrument RESOURCE CYCLES [PEER_PID]\n");
        return 2;
    }
    const QString strResource = args.at(1);
    const int intCycles = args.at(2).toInt();
    const QString strPeer = args.value(3);
    // Long enough for the heap and the library's buffers to reach their working size.
    const int intWarmUp = qMax(1, qMin(500, intCycles / 10));

    QTemporaryDir dir;
    const QString strName = QStringLiteral("soak.dm_iqd");
    {
        QFile file(dir.filePath(strName));
        QByteArray data(ListBytes, Qt::Uninitialized);
        QRandomGenerator(17).fillRange(reinterpret_cast<quint32 *>(data.data()), ListBytes / 4);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != ListBytes) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    // Replacing the previous copy is what the user agrees to in the window.
    ClsInstrControl::setConfirmHandler([](const QString &, const QString &) { return true; });

    ClsZOYControl instr(strResource);
    if (!instr.isSessionOpen() || instr.getInstrType() != QLatin1String("ZOY550X")) {
        std::fprintf(stderr, "cannot open a ZOY550X at %s\n", qPrintable(strResource));
        return 1;
    }
    ProcStats::Watch watch(strPeer);
    watch.start();

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < intCycles; ++i) {
        const QString strFreq = QString::number(1000 + i % 4000) + QStringLiteral(".5");
        instr.setRFFrequency(1, strFreq, QStringLiteral("MHz"));
        const bool bolOk = instr.queryCommand(QStringLiteral("*IDN?")).contains(QLatin1String("ZOY550X")) &&
                           instr.getRFFrequency(1, 1e6, 1) == strFreq &&
                           instr.uploadDataList(dir.path(), strName);
        // The window's trace log takes the lines as they come; nothing else here does.
        Tracer::takeTraceData();
        if (!bolOk) {
            std::fprintf(stderr, "cycle %d failed\n", i + 1);
            return 1;
        }
        if (i + 1 == intWarmUp)
            watch.warm();
    }
    const double dblSeconds = timer.elapsed() / 1000.0;
    std::printf("%s: %d cycles (warm-up %d) in %.1f s, %.1f cycles/s\n", qPrintable(strResource), intCycles,
                intWarmUp, dblSeconds, intCycles / dblSeconds);
    return watch.finish("client", MaxGrowthKb) ? 0 : 1;
}
