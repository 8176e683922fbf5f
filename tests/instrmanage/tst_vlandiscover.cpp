// Discovery on the virtual LAN of vlan-run.sh: simulated instruments in namespaces of their own
// behind a switch, the PC's host name on 127.0.1.1 as on a stock Debian install. listforge-cli,
// the management dialog and lxi-tools as a peer must all find every instrument.

#include "instrmanage/dlginstrmanage.h"
#include "tests/common/programrun.h"

#include <QApplication>
#include <QLineEdit>
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

// "resource<TAB>model" of each instrument, sorted: what a discover run must print.
QStringList expectedLines(const QList<Instrument> &instruments)
{
    QStringList lines;
    for (const Instrument &instrument : instruments)
        lines << instrument.resource + QLatin1Char('\t') + instrument.model;
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
    const QString cli = qEnvironmentVariable("LISTFORGE_BUILD_DIR") + QStringLiteral("/listforge-cli");
    const QStringList expected = expectedLines(m_instruments);
    for (int run = 0; run < 20; ++run) {
        const ProgramRun result = runProgram(cli, {QStringLiteral("discover")});
        QCOMPARE(result.status, 0);
        // Anything on stderr shows up as a line that does not fit.
        const QString out = result.out + result.err;
        QStringList lines;
        for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            lines << line.section(QLatin1Char('\t'), 0, 1);
        lines.sort();
        QVERIFY2(lines == expected, qPrintable(QStringLiteral("run %1:\n%2").arg(run + 1).arg(out)));
    }
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
