// ClsInstrControl over an INSTR resource of a network instrument, where END is a flag of each
// write: a transfer that breaks off runs the recovery sequence (blank with END, device clear,
// "*CLS") and looks for the partial file without asking. (Where END goes within a block is the
// chunk suite's, and whole uploads over VXI-11 and HiSLIP are rows of the fault matrix.) The
// connection test of an INSTR resource goes to the fixed port 111, so the suite runs in its own
// network namespace.

#include "testinstrcontrol.h"
#include "tracelines.h"

#include "instrument/clsploxacontrol.h"
#include "visa/visalibrary.h"

#include <QTimer>
#include <QtTest>

class TestInstrControlVxi11 : public QObject
{
    Q_OBJECT

private slots:
    void brokenTransferRunsRecovery();
};

void TestInstrControlVxi11::brokenTransferRunsRecovery()
{
    const QString strLib = qEnvironmentVariable("LISTFORGE_BUILD_DIR") + "/libvisa32.so";
    QVERIFY2(QFile::exists(strLib), qPrintable(strLib));
    qputenv(ClsVisaLibrary::PathVariable, strLib.toLocal8Bit());
    SimBench bench;
    QVERIFY(bench.start({"--model", "PLOXA550X"}));
    TraceLines trace;
    TestInstrControl ctl("TCPIP0::127.0.0.1::inst0::INSTR", ClsPLOXAControl::description());
    QVERIFY(ctl.isSessionOpen());
    QVERIFY(!trace.contains("termination character"));
    const QString strLocal = bench.writeLocal("cut.dm_iqd", patternBytes(200000, 1));
    QVERIFY(!strLocal.isEmpty());
    int intAsked = 0;
    ClsInstrControl::setConfirmHandler([&](const QString &, const QString &) {
        ++intAsked;
        return true;
    });
    QVERIFY(synced(ctl));
    const int intStart = bench.log.size();

    // The local file shrinks while it is being sent: the events processed between chunks run this.
    QTimer::singleShot(0, [strLocal]() { QFile(strLocal).resize(3000); });
    QVERIFY(!ctl.uploadDataList(bench.localDir(), "cut.dm_iqd"));
    QVERIFY2(trace.hasError(QString(
                 "CINSCT  : Unable to sent data block to instrument (transmit byte count mismatch)!")),
             qPrintable(trace.dump()));
    QVERIFY(!trace.contains("Unable to write dummy byte"));
    QVERIFY(!trace.contains("Unable to clear instrument status"));
    QCOMPARE(intAsked, 0);
    QVERIFY(synced(ctl));

    const QList<SimLogLine> lstLines = bench.log.lines().mid(intStart);
    QStringList lstSeen;
    for (const SimLogLine &line : lstLines)
        lstSeen << line.termination + QLatin1Char(' ') + line.message;
    // The blank with END closed the short block, the device clear and "*CLS" reset the
    // instrument, and the partial file was looked for in its directory (the instrument refused
    // the short block, so there is nothing to delete).
    QVERIFY2(lstLines.size() == 5, qPrintable(lstSeen.join(QLatin1Char('\n'))));
    QCOMPARE(lstLines.at(2).termination, "END");
    const QRegularExpressionMatch match =
        QRegularExpression("^:MMEM:DATA 'D:\\\\DataLists\\\\cut\\.dm_iqd',#6200000 <(\\d+) bytes>$")
            .match(lstLines.at(2).message);
    QVERIFY2(match.hasMatch(), qPrintable(lstLines.at(2).message));
    QVERIFY(match.captured(1).toInt() > 1024 && match.captured(1).toInt() < 200000);
    QCOMPARE(lstLines.at(3).message, "*CLS");
    QCOMPARE(lstLines.at(4).message, ":MMEM:CAT? 'D:\\DataLists\\*.dm_iqd'");
    QVERIFY(!QFile::exists(bench.tmp.filePath("storage/DataLists/cut.dm_iqd")));

    // The session is usable again.
    QVERIFY(ctl.writeCmd("SOURce1:FREQuency 2GHz"));
    QCOMPARE(ctl.queryCommand("SOURce1:FREQuency?").toDouble(), 2e9);
    ClsInstrControl::setConfirmHandler(nullptr);
}

QTEST_GUILESS_MAIN(TestInstrControlVxi11)
#include "tst_instrcontrolvxi11.moc"
