// listforge-cli upload and scpi against listforge-sim over a raw socket on a free port.

#include "../sim/simprocess.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};
} // namespace

class TestInstrCtlCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_sim.reset(); }

    void uploadAsksBeforeReplacing();
    void uploadRefusesBadArguments();
    void scpiCommandsQueriesAndErrors();
    void otherMakerIsRefused();

private:
    CliRun cli(const QStringList &lstArgs);
    QString resource() const
    {
        return QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(m_sim->socketPort());
    }
    QByteArray stored(const QString &strRelative) const
    {
        QFile file(m_tmp->filePath(QStringLiteral("storage/") + strRelative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString writeLocal(const QString &strName, const QByteArray &baData)
    {
        const QString strPath = m_tmp->filePath(strName);
        QFile file(strPath);
        return file.open(QIODevice::WriteOnly) && file.write(baData) == baData.size() ? strPath : QString();
    }

    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<QTemporaryDir> m_tmp;
};

void TestInstrCtlCli::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_sim = std::make_unique<SimProcess>();
    QVERIFY(m_sim->start({QStringLiteral("--model"), QStringLiteral("ZOY550X"), QStringLiteral("--port"),
                          QStringLiteral("0"), QStringLiteral("--portmapper-port"), QStringLiteral("0"),
                          QStringLiteral("--storage"), m_tmp->filePath(QStringLiteral("storage"))}));
}

CliRun TestInstrCtlCli::cli(const QStringList &lstArgs)
{
    const QString strBuild = qEnvironmentVariable("LISTFORGE_BUILD_DIR");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LISTFORGE_VISA_LIBRARY"), strBuild + QStringLiteral("/libvisa32.so"));
    process.setProcessEnvironment(env);
    process.start(strBuild + QStringLiteral("/listforge-cli"), lstArgs);
    CliRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

void TestInstrCtlCli::uploadAsksBeforeReplacing()
{
    const QByteArray baFirst(5000, 'a');
    const QString strData = writeLocal(QStringLiteral("d.dm_iqd"), baFirst);
    const QString strCtrl = writeLocal(QStringLiteral("c.dm_iqc"), QByteArray(77, 'c'));
    CliRun run = cli({QStringLiteral("upload"), QStringLiteral("--resource"), resource(), strData, strCtrl});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY(run.out.contains(
        QStringLiteral("Upload data list file 'd.dm_iqd' to instrument directory: /var/user/DataLists")));
    QVERIFY(run.out.contains(
        QStringLiteral("Upload control list file 'c.dm_iqc' to instrument directory: /var/user/CtrlLists")));
    QTRY_COMPARE_WITH_TIMEOUT(stored(QStringLiteral("DataLists/d.dm_iqd")), baFirst, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(stored(QStringLiteral("CtrlLists/c.dm_iqc")), QByteArray(77, 'c'), 10000);

    const QByteArray baSecond(6000, 'b');
    writeLocal(QStringLiteral("d.dm_iqd"), baSecond);
    run = cli({QStringLiteral("upload"), QStringLiteral("--resource"), resource(), strData});
    QCOMPARE(run.status, 1);
    QVERIFY(
        run.out.contains(QStringLiteral("WARNING: File (/var/user/DataLists/d.dm_iqd) exists on instrument. "
                                        "Delete it? No (no --overwrite)")));
    QVERIFY(run.err.contains(QStringLiteral("Unable to upload data list file 'd.dm_iqd' to instrument")));
    QTRY_COMPARE_WITH_TIMEOUT(stored(QStringLiteral("DataLists/d.dm_iqd")), baFirst, 10000);

    run = cli({QStringLiteral("upload"), QStringLiteral("--resource"), resource(),
               QStringLiteral("--overwrite"), strData});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QTRY_COMPARE_WITH_TIMEOUT(stored(QStringLiteral("DataLists/d.dm_iqd")), baSecond, 10000);

    // A local file that is gone costs nothing on the instrument: no question, no deletion.
    QVERIFY(QFile::remove(strData));
    run = cli({QStringLiteral("upload"), QStringLiteral("--resource"), resource(),
               QStringLiteral("--overwrite"), strData});
    QCOMPARE(run.status, 1);
    QVERIFY2(!run.out.contains(QStringLiteral("Delete it?")), qPrintable(run.out));
    QCOMPARE(stored(QStringLiteral("DataLists/d.dm_iqd")), baSecond);
}

void TestInstrCtlCli::uploadRefusesBadArguments()
{
    const QString strText = writeLocal(QStringLiteral("x.txt"), "x");
    QCOMPARE(cli({QStringLiteral("upload"), QStringLiteral("--resource"), resource(), strText}).status, 2);
    QCOMPARE(cli({QStringLiteral("upload"), strText}).status, 2);
    QCOMPARE(cli({QStringLiteral("upload"), QStringLiteral("--resource"), resource()}).status, 2);
    // A missing local file is a failed upload, not a crash.
    const CliRun run = cli({QStringLiteral("upload"), QStringLiteral("--resource"), resource(),
                            m_tmp->filePath(QStringLiteral("missing.dm_iqd"))});
    QCOMPARE(run.status, 1);
    QVERIFY(
        run.err.contains(QStringLiteral("Unable to upload data list file 'missing.dm_iqd' to instrument")));
}

void TestInstrCtlCli::scpiCommandsQueriesAndErrors()
{
    CliRun run =
        cli({QStringLiteral("scpi"), QStringLiteral("--resource"), resource(), QStringLiteral("--opc"),
             QStringLiteral("SOURce1:FREQuency 1.5GHz"), QStringLiteral("SOURce1:FREQuency?")});
    QVERIFY2(run.status == 0, qPrintable(run.err + run.out));
    QVERIFY(run.out.contains(QStringLiteral("Try to send command 'SOURce1:FREQuency 1.5GHz' to instrument")));
    QVERIFY(run.out.contains(QStringLiteral("Reply: 1500000000")));
    QVERIFY(QRegularExpression(QStringLiteral("Duration: \\d+\\.\\d{3} ms")).match(run.out).hasMatch());
    QVERIFY(!run.out.contains(QStringLiteral("Queue Errors:")));

    run = cli({QStringLiteral("scpi"), QStringLiteral("--resource"), resource(), QStringLiteral("FOO:BAR")});
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.contains(QStringLiteral("Queue Errors:\n  0-113\tUndefined header")));

    QCOMPARE(cli({QStringLiteral("scpi"), QStringLiteral("--resource"), resource(), QStringLiteral("--opc"),
                  QStringLiteral("--opc-loop"), QStringLiteral("*RST")})
                 .status,
             2);
}

void TestInstrCtlCli::otherMakerIsRefused()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY(m_sim->start({QStringLiteral("--manufacturer"), QStringLiteral("Other"), QStringLiteral("--port"),
                          QStringLiteral("0"), QStringLiteral("--portmapper-port"), QStringLiteral("0"),
                          QStringLiteral("--storage"), m_tmp->filePath(QStringLiteral("other"))}));
    const CliRun run =
        cli({QStringLiteral("scpi"), QStringLiteral("--resource"), resource(), QStringLiteral("*RST")});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains(QStringLiteral("unable to open instrument")));
}

QTEST_GUILESS_MAIN(TestInstrCtlCli)
#include "tst_instrctlcli.moc"
