// Discovery on the virtual LAN of vlan-run.sh: simulated instruments in namespaces of their own
// behind a switch, the PC's host name on 127.0.1.1 as on a stock Debian install. listforge-cli,
// the management dialog and lxi-tools as a peer must all find every instrument; the command
// also filters, says when it found nothing and refuses what it cannot do.

#include "instrmanage/dlginstrmanage.h"
#include "tests/common/programrun.h"

#include <QApplication>
#include <QLineEdit>
#include <QUdpSocket>
#include <QtTest>

#include <cstdio>

namespace {

struct Instrument
{
    QString address;
    QString resource; // as the scanner names it: by host name where the hosts file has one
    QString model;
};

// How the rig (tests/instrmanage/CMakeLists.txt) starts them: one without mDNS announcements,
// one without a portmapper; the others offer both, and mDNS tells of their HiSLIP server.
const QStringList PortmapperOnly = {QStringLiteral("192.0.2.3")};
const QStringList MdnsOnly = {QStringLiteral("192.0.2.5")};

QList<Instrument> rigInstruments()
{
    QList<Instrument> lstInstruments;
    for (const QString &entry :
         qEnvironmentVariable("LISTFORGE_VLAN_INSTRUMENTS").split(';', Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(' ');
        if (parts.size() != 3)
            continue;
        const QString name = parts.at(1) == QLatin1String("-") ? parts.at(0) : parts.at(1);
        const QString resource = PortmapperOnly.contains(parts.at(0))
                                     ? QStringLiteral("TCPIP::%1::INSTR").arg(name)
                                     : QStringLiteral("TCPIP0::%1::hislip0::INSTR").arg(parts.at(0));
        lstInstruments.append({parts.at(0), resource, parts.at(2)});
    }
    return lstInstruments;
}

// "resource<TAB>model" of each instrument of the model (any model if empty), sorted: what a
// discover run must print.
QStringList expectedLines(const QList<Instrument> &instruments, const QString &model = QString())
{
    QStringList lines;
    for (const Instrument &instrument : instruments)
        if (model.isEmpty() || instrument.model == model)
            lines << instrument.resource + QLatin1Char('\t') + instrument.model;
    lines.sort();
    return lines;
}

ProgramRun discover(const QStringList &args)
{
    return runProgram(qEnvironmentVariable("LISTFORGE_BUILD_DIR") + QStringLiteral("/listforge-cli"),
                      QStringList{QStringLiteral("discover")} + args);
}

// The first two fields of every line the run wrote, sorted; anything on stderr shows up as a
// line that does not fit.
QStringList listed(const ProgramRun &run)
{
    QStringList lines;
    for (const QString &line : (run.out + run.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines << line.section(QLatin1Char('\t'), 0, 1);
    lines.sort();
    return lines;
}

} // namespace

class TstVlanDiscover : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cliFindsEveryInstrumentEveryTime();
    void cliFiltersAndRefuses();
    void dialogScanFillsThePool();
    // A client written elsewhere finds the simulated instruments as it would real ones.
    void lxiFindsTheSameInstruments();

private:
    QList<Instrument> m_instruments;
};

void TstVlanDiscover::initTestCase()
{
    m_instruments = rigInstruments();
    QVERIFY2(m_instruments.size() >= 4, qPrintable(qEnvironmentVariable("LISTFORGE_VLAN_INSTRUMENTS")));
}

void TstVlanDiscover::cliFindsEveryInstrumentEveryTime()
{
    const QStringList expected = expectedLines(m_instruments);
    for (int run = 0; run < 20; ++run) {
        const ProgramRun result = discover({});
        QCOMPARE(result.status, 0);
        QVERIFY2(listed(result) == expected,
                 qPrintable(QStringLiteral("run %1:\n%2%3").arg(run + 1).arg(result.out, result.err)));
    }
}

void TstVlanDiscover::cliFiltersAndRefuses()
{
    ProgramRun run = discover({"--expression", "*ZOY*"});
    QCOMPARE(run.status, 0);
    QCOMPARE(listed(run), expectedLines(m_instruments, QStringLiteral("ZOY550X")));
    // Nothing found is no error.
    run = discover({"--expression=*HERN*"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out.trimmed(), QStringLiteral("No instrument found."));

    // Usage errors are refused before any scan.
    QElapsedTimer timer;
    timer.start();
    for (const QStringList &args :
         {QStringList{"--expression"}, QStringList{"--broadcast"}, QStringList{"*ZOY*"},
          QStringList{"--expression", "a", "--expression", "b"}}) {
        run = discover(args);
        QVERIFY2(run.status == 2 && run.err.startsWith(QLatin1String("listforge-cli discover: ")),
                 qPrintable(args.join(' ') + QLatin1String(": ") + run.err));
    }
    QVERIFY(timer.elapsed() < 4000);

    // Where the portmapper cannot be asked, a portmapper-only discovery fails.
    QUdpSocket blocker;
    QVERIFY(blocker.bind(QHostAddress::AnyIPv4, 9757, QUdpSocket::DontShareAddress));
    run = discover({"--method", "portmapper"});
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(QStringLiteral("no UDP socket")), qPrintable(run.err));
}

void TstVlanDiscover::dialogScanFillsThePool()
{
    DlgInstrManage dialog;
    QSignalSpy updated(&dialog, &DlgInstrManage::instrListUpdated);
    dialog.findChild<QLineEdit *>(QStringLiteral("ledScanLan"))->clear();
    dialog.scanLanForInstr();
    QVERIFY(updated.wait(30000));
    QStringList pool;
    for (const InstrRecord &record : dialog.instrRecords()) {
        QCOMPARE(record.comment, QStringLiteral("LAN Scan"));
        pool << record.resource + QLatin1Char('\t') + record.instrType;
    }
    pool.sort();
    QCOMPARE(pool, expectedLines(m_instruments));
}

void TstVlanDiscover::lxiFindsTheSameInstruments()
{
    const ProgramRun run = runProgram(QStringLiteral("lxi"), {"discover", "-t", "3"});
    if (run.status < 0 && run.out.isEmpty())
        QSKIP("lxi-tools are not installed");
    QCOMPARE(run.status, 0);
    for (const Instrument &instrument : m_instruments) {
        if (MdnsOnly.contains(instrument.address))
            continue; // plain "lxi discover" asks portmappers only
        const QRegularExpression found(
            QStringLiteral("Found \"[^\"]*%1[^\"]*\" on address %2\\b")
                .arg(instrument.model, QRegularExpression::escape(instrument.address)));
        QVERIFY2(found.match(run.out).hasMatch(), qPrintable(run.out));
    }
}

int main(int argc, char *argv[])
{
    if (qgetenv("LISTFORGE_IN_VLAN") != "1") {
        std::fprintf(stderr, "runs only on the virtual LAN of vlan-run.sh; skipping\n");
        return 77;
    }
    QApplication app(argc, argv);
    TstVlanDiscover suite;
    return QTest::qExec(&suite, argc, argv);
}

#include "tst_vlandiscover.moc"
