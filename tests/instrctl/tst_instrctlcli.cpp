// listforge-cli upload and scpi against listforge-sim over a raw socket on a free port.

#include "programrun.h"
#include "simlog.h"

#include <QtTest>

class TestInstrCtlCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The tool loads the project's VISA library, not one the machine may have installed.
        qputenv("LISTFORGE_VISA_LIBRARY", m_strBuild.toLocal8Bit() + "/libvisa32.so");
    }
    void init();
    void cleanup() { m_bench.reset(); }

    void uploadAsksBeforeReplacing();
    void uploadRefusesBadArguments();
    void scpiCommandsQueriesAndErrors();
    void otherMakerIsRefused();

private:
    ProgramRun cli(const QStringList &lstArgs) { return runProgram(m_strBuild + "/listforge-cli", lstArgs); }
    QString resource() const
    {
        return QString("TCPIP0::127.0.0.1::%1::SOCKET").arg(m_bench->sim->socketPort());
    }

    const QString m_strBuild = qEnvironmentVariable("LISTFORGE_BUILD_DIR");
    std::unique_ptr<SimBench> m_bench;
};

void TestInstrCtlCli::init()
{
    m_bench = std::make_unique<SimBench>();
    QVERIFY(m_bench->start(SimProcess::freePorts({"--model", "ZOY550X"})));
}

void TestInstrCtlCli::uploadAsksBeforeReplacing()
{
    const QByteArray baFirst(5000, 'a');
    const QString strData = m_bench->writeLocal("d.dm_iqd", baFirst);
    const QString strCtrl = m_bench->writeLocal("c.dm_iqc", QByteArray(77, 'c'));
    ProgramRun run = cli({"upload", "--resource", resource(), strData, strCtrl});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY(
        run.out.contains("Upload data list file 'd.dm_iqd' to instrument directory: /var/user/DataLists"));
    QVERIFY(
        run.out.contains("Upload control list file 'c.dm_iqc' to instrument directory: /var/user/CtrlLists"));
    QTRY_COMPARE_WITH_TIMEOUT(m_bench->stored("DataLists/d.dm_iqd"), baFirst, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(m_bench->stored("CtrlLists/c.dm_iqc"), QByteArray(77, 'c'), 10000);

    const QByteArray baSecond(6000, 'b');
    m_bench->writeLocal("d.dm_iqd", baSecond);
    run = cli({"upload", "--resource", resource(), strData});
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.contains(QString("WARNING: File (/var/user/DataLists/d.dm_iqd) exists on instrument. "
                                     "Delete it? No (no --overwrite)")));
    QVERIFY(run.err.contains("Unable to upload data list file 'd.dm_iqd' to instrument"));
    QTRY_COMPARE_WITH_TIMEOUT(m_bench->stored("DataLists/d.dm_iqd"), baFirst, 10000);

    run = cli({"upload", "--resource", resource(), "--overwrite", strData});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QTRY_COMPARE_WITH_TIMEOUT(m_bench->stored("DataLists/d.dm_iqd"), baSecond, 10000);
}

void TestInstrCtlCli::uploadRefusesBadArguments()
{
    const QString strText = m_bench->writeLocal("x.txt", "x");
    QCOMPARE(cli({"upload", "--resource", resource(), strText}).status, 2);
    QCOMPARE(cli({"upload", strText}).status, 2);
    QCOMPARE(cli({"upload", "--resource", resource()}).status, 2);
}

void TestInstrCtlCli::scpiCommandsQueriesAndErrors()
{
    ProgramRun run =
        cli({"scpi", "--resource", resource(), "--opc", "SOURce1:FREQuency 1.5GHz", "SOURce1:FREQuency?"});
    QVERIFY2(run.status == 0, qPrintable(run.err + run.out));
    QVERIFY(run.out.contains("Try to send command 'SOURce1:FREQuency 1.5GHz' to instrument"));
    QVERIFY(run.out.contains("Reply: 1500000000"));
    QVERIFY(QRegularExpression("Duration: \\d+\\.\\d{3} ms").match(run.out).hasMatch());
    QVERIFY(!run.out.contains("Queue Errors:"));

    run = cli({"scpi", "--resource", resource(), "FOO:BAR"});
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.contains("Try to request pending instrument error queue entries(s)"));
    QVERIFY(run.out.contains("Queue Errors:\n  0-113\tUndefined header"));

    QCOMPARE(cli({"scpi", "--resource", resource(), "--opc", "--opc-loop", "*RST"}).status, 2);
}

void TestInstrCtlCli::otherMakerIsRefused()
{
    QVERIFY(m_bench->start(SimProcess::freePorts({"--manufacturer", "Other"})));
    const ProgramRun run = cli({"scpi", "--resource", resource(), "*RST"});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains("unable to open instrument"));
}

QTEST_GUILESS_MAIN(TestInstrCtlCli)
#include "tst_instrctlcli.moc"
