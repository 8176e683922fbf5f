// "listforge-cli discover" end to end: the command in a process of its own, against the
// simulator, inside the private network namespace (see privatehosts.h).

#include "privatehosts.h"
#include "programrun.h"
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

void TstDiscoverCli::listsIdentifiedInstruments()
{
    // A serial number with a tab and a terminal escape sequence must not add fields or reach the
    // terminal.
    SimProcess sim;
    QVERIFY2(sim.start({"--instrument", "ZOY550X@127.0.0.2", "--instrument", "GKR550X@127.0.0.3", "--port",
                        "0", "--serial", "100\t200\x1b[2J"}),
             qPrintable(sim.errorText()));

    ProgramRun run = discover({"--expression", "*ZOY*"});
    QCOMPARE(run.status, 0);
    QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QStringList fields = lines.at(0).split(QLatin1Char('\t'));
    QCOMPARE(fields.size(), 4);
    QCOMPARE(fields.at(0), QStringLiteral("TCPIP::127.0.0.2::INSTR"));
    QCOMPARE(fields.at(1), QStringLiteral("ZOY550X"));
    QVERIFY(fields.at(2).startsWith(QLatin1String("100")) && fields.at(2).endsWith(QLatin1String("[2J")));
    QVERIFY(!fields.at(3).isEmpty());
    for (const QChar chr : run.out)
        QVERIFY2(chr == QLatin1Char('\n') || chr == QLatin1Char('\t') || chr.unicode() >= 0x20,
                 qPrintable(run.out));

    // The default expression is empty: every instrument, heard in one run.
    run = discover({});
    QCOMPARE(run.status, 0);
    lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith(QLatin1String("TCPIP::127.0.0.2::INSTR\tZOY550X\t")));
    QVERIFY(lines.at(1).startsWith(QLatin1String("TCPIP::127.0.0.3::INSTR\tGKR550X\t")));

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
