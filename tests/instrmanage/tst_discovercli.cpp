// "listforge-cli discover" end to end: the command in a process of its own, against the
// simulator, inside the private network namespace (see privatehosts.h).

#include "privatehosts.h"
#include "tests/common/programrun.h"
#include "simprocess.h"

#include <QUdpSocket>
#include <QtTest>

namespace {

const char HostsFile[] = "127.0.0.1 localhost listforge-test\n";

ProgramRun discover(const QStringList &args)
{
    return runProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/discover-driver"), args);
}

} // namespace

class TstDiscoverCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void listsIdentifiedInstruments();
    void noUdpSocketExitsOne();
    void usageErrors_data();
    void usageErrors();
};

void TstDiscoverCli::initTestCase()
{
#ifndef LISTFORGE_HAVE_SIM
    QSKIP("listforge-sim is not part of this build");
#endif
}

// What the scanner finds and how it cleans identities up is its own suite's business; listing
// every instrument with the default expression is checked on the virtual LAN.
void TstDiscoverCli::listsIdentifiedInstruments()
{
    SimProcess sim;
    QVERIFY2(
        sim.start({"--instrument", "ZOY550X@127.0.0.2", "--instrument", "GKR550X@127.0.0.3", "--port", "0"}),
        qPrintable(sim.errorText()));

    ProgramRun run = discover({"--expression", "*ZOY*"});
    QCOMPARE(run.status, 0);
    const QRegularExpression line(
        QStringLiteral("^TCPIP::127\\.0\\.0\\.2::INSTR\tZOY550X\t[0-9]+\t[^\t\n]+\n$"));
    QVERIFY2(line.match(run.out).hasMatch(), qPrintable(run.out));

    // Nothing found is no error.
    run = discover({"--expression=*HERN*"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out.trimmed(), QStringLiteral("No instrument found."));
}

void TstDiscoverCli::noUdpSocketExitsOne()
{
    QUdpSocket blocker;
    QVERIFY(blocker.bind(QHostAddress(QStringLiteral("127.0.0.1")), 9757, QUdpSocket::DontShareAddress));
    const ProgramRun run = discover({});
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(QStringLiteral("no UDP socket")), qPrintable(run.err));
}

void TstDiscoverCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("missing-value") << QStringList{"--expression"};
    QTest::newRow("unknown") << QStringList{"--broadcast"};
    QTest::newRow("stray") << QStringList{"*ZOY*"};
    QTest::newRow("twice") << QStringList{"--expression", "a", "--expression", "b"};
}

void TstDiscoverCli::usageErrors()
{
    QFETCH(QStringList, args);
    QElapsedTimer timer;
    timer.start();
    const ProgramRun run = discover(args);
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.startsWith(QLatin1String("listforge-cli discover: ")));
    // Refused before any scan.
    QVERIFY(timer.elapsed() < 4000);
}

PRIVATE_HOSTS_MAIN(TstDiscoverCli, QCoreApplication, HostsFile)

#include "tst_discovercli.moc"
