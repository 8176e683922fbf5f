// Latency and memory of the list management dialog with the largest data list, driven through its
// widgets the way a user would (file dialogs and the warning box answered by the program).
//
// While each operation runs, a 5 ms timer on the GUI thread records the gaps between its ticks:
// the longest gap is how long the window could not paint or blink its lamp. Peak memory is the
// process's VmHWM, reset to the current resident size before each operation by writing "5" to
// /proc/self/clear_refs, so every figure is the peak of that operation alone.
//
//   bench_lstdialog WORKDIR [RESOURCE STORAGE_DIR]...
// prints one tab-separated line per operation: name, total ms, CPU ms of the process, longest gap
// ms, peak MB, MB resident before the operation (MB = 10^6 bytes, like the list's 250,000,000).
// Results are checked (a save read back gives the same list, an upload stores the file byte for
// byte, a refused append changes nothing); a wrong result ends the run with exit code 1.
// LF_BENCH_GAPS=1 also prints every gap over 20 ms and the trace lines around it (stderr).
#include "instrument/clsgkrcontrol.h"
#include "tests/lstdialog/lstdialogtesthelpers.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QTime>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

namespace {

constexpr int MaxBits = 250000000;

qint64 procStatusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

// Records the longest time between two ticks of a 5 ms timer while an operation runs; the edges
// (operation start to first tick, last tick to operation end) count as gaps too.
class GapRecorder : public QObject
{
public:
    GapRecorder()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_timer.start();
        m_clock.start();
    }
    void begin()
    {
        m_last = m_clock.nsecsElapsed();
        m_longest = 0;
    }
    double endMs()
    {
        tick();
        return double(m_longest) / 1e6;
    }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = qMax(m_longest, now - m_last);
        // With LF_BENCH_GAPS set, every gap over 20 ms is printed with the clock time it ended,
        // to be matched with the trace lines (printed after each operation) that surround it.
        if (m_bolShowGaps && now - m_last > 20000000)
            std::fprintf(stderr, "gap %.1f ms ending %s\n", double(now - m_last) / 1e6,
                         qPrintable(QTime::currentTime().toString(QStringLiteral("hh:mm:ss:zzz"))));
        m_last = now;
    }
    const bool m_bolShowGaps = qEnvironmentVariableIsSet("LF_BENCH_GAPS");
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

QByteArray digest(const QByteArray &bits)
{
    return QCryptographicHash::hash(bits, QCryptographicHash::Sha1);
}

bool sameFiles(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    }
    return true;
}

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "bench_lstdialog: %s\n", qPrintable(why));
    std::exit(1);
}

class Bench
{
public:
    explicit Bench(const QString &workDir) : m_dir(workDir) {}

    // Runs `action` as one measured operation.
    void measure(const QString &name, const std::function<void()> &action)
    {
        QCoreApplication::processEvents();
        const double rssBefore = procStatusKb("VmRSS:") * 1024 / 1e6;
        if (!resetPeak())
            fail(QStringLiteral("cannot reset the peak through /proc/self/clear_refs"));
        QElapsedTimer total;
        const double cpuBefore = processCpuMs();
        m_gaps.begin();
        total.start();
        action();
        const double ms = double(total.nsecsElapsed()) / 1e6;
        const double cpu = processCpuMs() - cpuBefore;
        const double gap = m_gaps.endMs();
        const double peak = procStatusKb("VmHWM:") * 1024 / 1e6;
        std::printf("%s\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\n", qPrintable(name), ms, cpu, gap, peak, rssBefore);
        std::fflush(stdout);
        for (const TraceEntry &entry : Tracer::takeTraceData()) {
            if (qEnvironmentVariableIsSet("LF_BENCH_GAPS"))
                std::fprintf(stderr, "  %s\n", qPrintable(entry.strLine.left(160)));
        }
    }

    ScriptedDlgLstManage dlg;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void choosePrbs23(int bits)
    {
        dlg.chooseSource(QStringLiteral("PRBS"));
        auto *type = dlg.w<QComboBox>("cbxDLPRBSType");
        type->setCurrentIndex(type->findText(QStringLiteral("PRBS23")));
        emit type->activated(type->currentIndex());
        dlg.w<QSpinBox>("sbxDLBitCount")->setValue(bits);
    }
    void click(const char *button) { dlg.w<QPushButton>(button)->click(); }
    void expect(bool ok, const QString &what)
    {
        if (!ok)
            fail(what);
    }
    void expectNoWarning(const QString &operation)
    {
        expect(dlg.warnings.isEmpty(),
               operation + QStringLiteral(": ") + dlg.warnings.join(QLatin1Char('|')));
    }

private:
    QDir m_dir;
    GapRecorder m_gaps;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() % 2 != 0) {
        std::fprintf(stderr, "usage: bench_lstdialog WORKDIR [RESOURCE STORAGE_DIR]...\n");
        return 2;
    }
    Bench b(args.at(1));
    ScriptedDlgLstManage &dlg = b.dlg;
    dlg.show();
    dlg.chooseModType(QStringLiteral("ASK"));
    if (qEnvironmentVariableIsSet("LF_BENCH_GAPS"))
        Tracer::setTraceMask(Tracer::DebugMask);
    Tracer::takeTraceData();

    // A data file of 31,250,000 bytes, i.e. the largest list, prepared before anything is measured.
    const QString strBin = b.path(QStringLiteral("data.bin"));
    {
        QFile f(strBin);
        b.expect(f.open(QIODevice::WriteOnly), QStringLiteral("cannot write ") + strBin);
        QByteArray block(1 << 20, '\0');
        quint32 x = 2463534242u;
        for (qint64 left = MaxBits / 8; left > 0; left -= block.size()) {
            for (char &c : block) {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                c = char(x);
            }
            f.write(block.constData(), qMin<qint64>(left, block.size()));
        }
    }

    b.choosePrbs23(MaxBits);
    b.measure(QStringLiteral("Apply PRBS23, 250,000,000 bits"), [&] { b.click("btnDLPRBSSelect"); });
    b.expect(dlg.dataList().size() == MaxBits, QStringLiteral("PRBS list has the wrong length"));
    b.expectNoWarning(QStringLiteral("Apply PRBS"));
    const QByteArray prbsDigest = digest(dlg.bits());

    b.measure(QStringLiteral("View Bytes (bin)"), [&] { dlg.w<QRadioButton>("rbtDLBinByte")->click(); });
    b.measure(QStringLiteral("View Bytes (hex)"), [&] { dlg.w<QRadioButton>("rbtDLHexByte")->click(); });
    b.measure(QStringLiteral("View Symbols"), [&] { dlg.w<QRadioButton>("rbtDLBinSym")->click(); });
    auto *offset = dlg.w<QSpinBox>("sbxDLCellOffset");
    b.measure(QStringLiteral("Offset to the end"), [&] { offset->setValue(offset->maximum()); });
    b.expect(offset->value() == MaxBits - 1, QStringLiteral("offset maximum"));
    offset->setValue(0);

    const QString strSaved = b.path(QStringLiteral("largest.dm_iqd"));
    dlg.saveAnswers << strSaved;
    b.measure(QStringLiteral("Save D.List (31 MB file)"), [&] { b.click("btnDLFileSave"); });
    b.expectNoWarning(QStringLiteral("Save"));
    b.expect(QFileInfo(strSaved).size() > MaxBits / 8, QStringLiteral("saved file is too short"));

    dlg.chooseSource(QStringLiteral("Data-list"));
    dlg.openAnswers << strSaved;
    b.measure(QStringLiteral("Load D.List (\"Data-list\", replacing)"), [&] { b.click("btnDLFileSelect"); });
    b.expectNoWarning(QStringLiteral("Load"));
    b.expect(digest(dlg.bits()) == prbsDigest, QStringLiteral("the list read back differs"));

    // Uploads of the file just read, one instrument per transport.
    ClsInstrControl::setConfirmHandler([](const QString &, const QString &) { return true; });
    for (int i = 2; i + 1 < args.size(); i += 2) {
        const QString strResource = args.at(i);
        const QString strStored = QDir(args.at(i + 1)).filePath(QStringLiteral("DataLists/largest.dm_iqd"));
        QFile::remove(strStored);
        auto instrument = std::make_unique<ClsGKRControl>(strResource);
        b.expect(instrument->isSessionOpen(), QStringLiteral("no session with ") + strResource);
        dlg.setInstrument(instrument.get());
        b.expect(dlg.w<QPushButton>("btnDLFileTrans")->isEnabled(), QStringLiteral("upload not offered"));
        b.measure(QStringLiteral("Upload D.List, ") + strResource.section(QStringLiteral("::"), 2),
                  [&] { b.click("btnDLFileTrans"); });
        dlg.releaseInstrument();
        // The simulator may still be storing what the socket buffers held when the last write
        // returned; a question answered after the block means it has all of it.
        QString strReply;
        b.expect(instrument->queryCmd(QStringLiteral("*OPC?"), strReply),
                 QStringLiteral("no answer after the upload over ") + strResource);
        b.expect(sameFiles(strSaved, strStored), QStringLiteral("stored copy differs over ") + strResource);
        QFile::remove(strStored);
    }

    dlg.chooseSource(QStringLiteral("Binary-file Hex"));
    dlg.openAnswers << strBin;
    b.measure(QStringLiteral("Import 31 MB binary data file"), [&] { b.click("btnDLDataFileSelect"); });
    b.expectNoWarning(QStringLiteral("Import"));
    b.expect(dlg.dataList().size() == MaxBits, QStringLiteral("imported list has the wrong length"));

    // Half the largest list, then append mode: a second half reaches the limit, a third is refused.
    b.choosePrbs23(MaxBits / 2);
    b.click("btnDLPRBSSelect");
    b.click("btnDLAppend");
    b.expect(dlg.isAppendMode(), QStringLiteral("append mode did not switch on"));
    b.choosePrbs23(MaxBits / 2);
    b.measure(QStringLiteral("Append PRBS23 up to 250,000,000 bits"), [&] { b.click("btnDLPRBSSelect"); });
    b.expectNoWarning(QStringLiteral("Append"));
    b.expect(dlg.dataList().size() == MaxBits, QStringLiteral("appended list has the wrong length"));
    const QByteArray fullDigest = digest(dlg.bits());
    b.choosePrbs23(1);
    b.measure(QStringLiteral("Append refused at the limit"), [&] { b.click("btnDLPRBSSelect"); });
    b.expect(dlg.warnings.size() == 1 && digest(dlg.bits()) == fullDigest,
             QStringLiteral("the refused append changed the list or gave no warning"));
    return 0;
}
