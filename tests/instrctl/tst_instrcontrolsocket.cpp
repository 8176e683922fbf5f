// ClsInstrControl against listforge-sim over a raw SOCKET resource on a free port, through the
// project's VISA library: commands and completion modes, error queues, options, catalogs and
// file transfers, checked on the simulator's message log and mass-memory folder.

#include "../sim/simprocess.h"
#include "simlog.h"
#include "testinstrcontrol.h"
#include "tests/common/tracelines.h"

#include "instrument/options_codes.h"
#include "visa/visalibrary.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

QByteArray patternBytes(int intSize, int intSeed = 0)
{
    QByteArray ba(intSize, '\0');
    for (int i = 0; i < intSize; ++i)
        ba[i] = char((i * 7 + intSeed) & 0xFF);
    return ba;
}

} // namespace

class TestInstrControlSocket : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void identityAndMakerCheck();
    void deadSessionFailsEveryOperation();
    void sendCommandModes();
    void opcLoopCompletes();
    void opcLoopRunsToLimit();
    void errorQueueAndStaticErrors();
    void errorQueueIsBounded();
    void optionsAndOptionList();
    void directories();
    void splitPathCases_data();
    void splitPathCases();
    void uploadSizes_data();
    void uploadSizes();
    void uploadControlListLinuxLayout();
    void uploadOverExistingFile();
    void uploadRefusesBadInput();
    void quoteInNameCannotInject();
    void catalogs();
    void brokenTransferRecovers();
    void shrinkingFileEndsTheBlock();

private:
    bool startSim(const QStringList &lstExtra = QStringList(),
                  const QString &strModel = QStringLiteral("GKR550X"));
    QString resource() const;
    QString storageFile(const QString &strRelative) const;
    QString writeLocal(const QString &strName, const QByteArray &baData);

    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<QTemporaryDir> m_tmp;
    SimLog m_log;
    TraceLines m_trace;
};

void TestInstrControlSocket::initTestCase()
{
    const QString strBuild = qEnvironmentVariable("LISTFORGE_BUILD_DIR");
    const QString strLib = strBuild + QStringLiteral("/libvisa32.so");
    QVERIFY2(QFile::exists(strLib), qPrintable(strLib));
    QVERIFY(QFile::exists(strBuild + QStringLiteral("/listforge-sim")));
    qputenv(ClsVisaLibrary::PathVariable, strLib.toLocal8Bit());
    qRegisterMetaType<ClsInstrControl::EnuInstrLogType>();
}

void TestInstrControlSocket::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    QDir(m_tmp->path()).mkpath(QStringLiteral("storage"));
    QDir(m_tmp->path()).mkpath(QStringLiteral("local"));
    m_log.setPath(m_tmp->filePath(QStringLiteral("sim.log")));
    ClsInstrControl::setConfirmHandler(nullptr);
    m_trace.clear();
}

void TestInstrControlSocket::cleanup()
{
    ClsInstrControl::setConfirmHandler(nullptr);
    m_sim.reset();
}

bool TestInstrControlSocket::startSim(const QStringList &lstExtra, const QString &strModel)
{
    m_sim = std::make_unique<SimProcess>();
    return m_sim->start(QStringList{QStringLiteral("--model"), strModel, QStringLiteral("--port"),
                                    QStringLiteral("0"), QStringLiteral("--vxi11-port"), QStringLiteral("0"),
                                    QStringLiteral("--portmapper-port"), QStringLiteral("0"),
                                    QStringLiteral("--storage"), m_tmp->filePath(QStringLiteral("storage")),
                                    QStringLiteral("--log"), m_tmp->filePath(QStringLiteral("sim.log"))} +
                        lstExtra);
}

QString TestInstrControlSocket::resource() const
{
    return QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(m_sim->socketPort());
}

QString TestInstrControlSocket::storageFile(const QString &strRelative) const
{
    return m_tmp->filePath(QStringLiteral("storage/") + strRelative);
}

QString TestInstrControlSocket::writeLocal(const QString &strName, const QByteArray &baData)
{
    const QString strPath = m_tmp->filePath(QStringLiteral("local/") + strName);
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(baData) != baData.size())
        return QString();
    return strPath;
}

// The simulator works through its input on its own time: a query answered means every earlier
// message has been executed and logged.
static bool synced(ClsInstrControl &ctl)
{
    QString strReply;
    return ctl.queryCmd(QString::fromLatin1(SimLog::SyncQuery), strReply) && !strReply.isEmpty();
}

static QByteArray readAllOf(const QString &strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestInstrControlSocket::identityAndMakerCheck()
{
    QVERIFY(startSim({QStringLiteral("--serial"), QStringLiteral("100777")}));
    {
        TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
        QVERIFY(ctl.isSessionOpen());
        QCOMPARE(ctl.getInstrType(), QStringLiteral("GKR550X"));
        QCOMPARE(ctl.getSerialNumber(), QStringLiteral("100777"));
        QVERIFY(!ctl.getFirmware().isEmpty());
        QCOMPARE(ctl.getResource(), resource());
        QVERIFY(m_trace.hasDebug(QStringLiteral("CINSCT  : Instrument database partly initialized...")));
        QVERIFY(m_trace.hasDebug(QStringLiteral("CINSCT  : Instrument control object created")));
        QCOMPARE(ctl.getLastCmdDuration().count(QLatin1Char('.')), 1);
    }
    QVERIFY(m_trace.hasDebug(QStringLiteral("CINSCT  : Instrument control object deleted")));

    m_sim.reset();
    m_trace.clear();
    QVERIFY(startSim({QStringLiteral("--manufacturer"), QStringLiteral("Other Corp")}));
    TestInstrControl other(resource(), TestInstrControl::DriveLayout);
    QVERIFY(!other.isSessionOpen());
    QVERIFY(other.getInstrType().isEmpty());
    QVERIFY(
        m_trace.hasError(QStringLiteral("CINSCT  : Unable to open assigned instrument %1").arg(resource())));
    QVERIFY(m_trace.hasDebug(QStringLiteral("CINSCT  : Instrument control object created")));
}

void TestInstrControlSocket::deadSessionFailsEveryOperation()
{
    // Nothing listens on this port once the simulator has gone.
    QVERIFY(startSim());
    const QString strDead = resource();
    m_sim.reset();
    TestInstrControl ctl(strDead, TestInstrControl::DriveLayout);
    QVERIFY(!ctl.isSessionOpen());
    ctl.messages.clear();

    QCOMPARE(ctl.queryCommand(QStringLiteral("*IDN?")), QStringLiteral("-"));
    QVERIFY(!ctl.sendCommand(QStringLiteral("*RST"), ClsInstrControl::OpcNone, 100, 30000));
    QVERIFY(!ctl.sendCommand(QStringLiteral("*RST"), ClsInstrControl::OpcQuery, 100, 30000));
    QVERIFY(!ctl.sendCommand(QStringLiteral("*RST"), ClsInstrControl::OpcLoop, 100, 30000));
    QCOMPARE(ctl.getLastCmdDuration(), QStringLiteral("Not avail."));
    QVERIFY(!ctl.presetInstrument());
    QCOMPARE(ctl.getOptions(), QString());
    QMap<QString, QString> mapErrors{{QStringLiteral("stale"), QStringLiteral("x")}};
    QVERIFY(!ctl.getErrorQueue(mapErrors));
    QVERIFY(mapErrors.isEmpty());
    mapErrors.insert(QStringLiteral("stale"), QStringLiteral("x"));
    QVERIFY(!ctl.getStaticErrors(mapErrors));
    QVERIFY(mapErrors.isEmpty());

    QCOMPARE(
        ctl.messageTexts(ClsInstrControl::InstrLogError),
        (QStringList{QStringLiteral("Unable to sent query command '*IDN?' to instrument"),
                     QStringLiteral("Unable to sent command '*RST' to instrument"),
                     QStringLiteral("Unable to sent command '*RST; *OPC' to instrument"),
                     QStringLiteral("Unable to sent command '*RST' (with OPC loop) to instrument"),
                     QStringLiteral("Unable to preset instrument"), QStringLiteral("Unable to get options"),
                     QStringLiteral("Unable to get error queue entry"),
                     QStringLiteral("Unable to get static errors")}));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo).mid(0, 4),
             (QStringList{QStringLiteral("Try to send query command '*IDN?' to instrument"),
                          QStringLiteral("Try to send command '*RST' to instrument"),
                          QStringLiteral("Try to send command '*RST' to instrument"),
                          QStringLiteral("Try to send command '*RST' to instrument")}));

    const QString strLocal = writeLocal(QStringLiteral("a.dm_iqd"), patternBytes(10));
    QVERIFY(!ctl.uploadDataList(m_tmp->filePath(QStringLiteral("local")), QStringLiteral("a.dm_iqd")));
    QVERIFY(ctl.messageTexts(ClsInstrControl::InstrLogError)
                .contains(QStringLiteral("Unable to upload data list file 'a.dm_iqd' to instrument")));
    QVERIFY(ctl.getFileCatalog(QStringLiteral("D:"), QStringLiteral("\\"), QStringLiteral("*")).isEmpty());
    QVERIFY(m_trace.hasError(QStringLiteral("CINSCT  : Unable to request file catalog!")));
    QVERIFY(ctl.getDefaultDirCatalog(1).isEmpty());
    QVERIFY(m_trace.hasError(QStringLiteral("CINSCT  : Unable to get default directory catalog!")));
}

void TestInstrControlSocket::sendCommandModes()
{
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    QVERIFY(synced(ctl));
    const int intStart = m_log.size();
    ctl.messages.clear();

    QVERIFY(
        ctl.sendCommand(QStringLiteral("SOURce1:FREQuency 100MHz"), ClsInstrControl::OpcNone, 100, 30000));
    QVERIFY(ctl.getLastCmdDurationMs() >= 0.0 && ctl.getLastCmdDurationMs() < 5000.0);
    QVERIFY(
        ctl.sendCommand(QStringLiteral("SOURce1:FREQuency 200MHz"), ClsInstrControl::OpcQuery, 100, 30000));
    QCOMPARE(ctl.queryCommand(QStringLiteral("SOURce1:FREQuency?")).toDouble(), 200e6);
    QString strReply;
    QVERIFY(ctl.queryCmd(QStringLiteral("*OPC?"), strReply));
    QCOMPARE(strReply, QStringLiteral("1"));
    QVERIFY(ctl.writeCmd(QStringLiteral("*CLS")));

    QVERIFY(synced(ctl));
    QCOMPARE(m_log.messages(intStart), (QStringList{QStringLiteral("SOURce1:FREQuency 100MHz"),
                                                    QStringLiteral("SOURce1:FREQuency 200MHz; *OPC?"),
                                                    QStringLiteral("SOURce1:FREQuency?"),
                                                    QStringLiteral("*OPC?"), QStringLiteral("*CLS")}));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             (QStringList{QStringLiteral("Try to send command 'SOURce1:FREQuency 100MHz' to instrument"),
                          QStringLiteral("Try to send command 'SOURce1:FREQuency 200MHz' to instrument"),
                          QStringLiteral("Try to send query command 'SOURce1:FREQuency?' to instrument")}));
    QVERIFY(ctl.messageTexts(ClsInstrControl::InstrLogError).isEmpty());
    // The base never traces the command texts itself.
    QVERIFY(!m_trace.contains(QStringLiteral("CINSCT  : SOURce1")));
    const QString strDuration = ctl.getLastCmdDuration();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\.\\d{3}$")).match(strDuration).hasMatch(),
             qPrintable(strDuration));
}

void TestInstrControlSocket::opcLoopCompletes()
{
    QVERIFY(startSim({QStringLiteral("--preset-time"), QStringLiteral("250")}));
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    QVERIFY(synced(ctl));
    const int intStart = m_log.size();
    ctl.messages.clear();

    QVERIFY(ctl.presetInstrument());
    QVERIFY(ctl.getLastCmdDurationMs() >= 250.0 && ctl.getLastCmdDurationMs() < 5000.0);
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             QStringList{QStringLiteral("Perform instrument preset")});
    QVERIFY(ctl.messageTexts(ClsInstrControl::InstrLogError).isEmpty());
    QVERIFY(synced(ctl));
    const QStringList lstSent = m_log.messages(intStart);
    QCOMPARE(lstSent.mid(0, 4), (QStringList{QStringLiteral("*ESE 1"), QStringLiteral("*CLS"),
                                             QStringLiteral("SYSTem:PRESet"), QStringLiteral("*OPC")}));
    // Busy for 250 ms, polled every 100 ms: the bit shows at the third poll at the latest.
    const int intPolls = lstSent.count(QStringLiteral("*ESR?"));
    QVERIFY2(intPolls >= 2 && intPolls <= 4, qPrintable(lstSent.join(QLatin1Char('|'))));
    QCOMPARE(lstSent.size(), 4 + intPolls);
    QVERIFY(m_trace.hasDebug(
        QStringLiteral("CINSCT  : OPC Loop left after %1ms (max time: 30000ms)").arg(intPolls * 100)));

    // An idle instrument completes at once: the answer comes at the first poll.
    m_trace.clear();
    QVERIFY(synced(ctl));
    const int intSecond = m_log.size();
    QVERIFY(ctl.sendCommand(QStringLiteral("*RST"), ClsInstrControl::OpcLoop, 20, 1000));
    QVERIFY(synced(ctl));
    QCOMPARE(m_log.messages(intSecond).count(QStringLiteral("*ESR?")), 1);
    QVERIFY(m_trace.hasDebug(QStringLiteral("CINSCT  : OPC Loop left after 20ms (max time: 1000ms)")));
}

void TestInstrControlSocket::opcLoopRunsToLimit()
{
    QVERIFY(startSim({QStringLiteral("--fault"), QStringLiteral("opc-never")}));
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    QVERIFY(synced(ctl));
    const int intStart = m_log.size();
    ctl.messages.clear();

    QVERIFY(!ctl.sendCommand(QStringLiteral("*RST"), ClsInstrControl::OpcLoop, 50, 300));
    QVERIFY(ctl.getLastCmdDurationMs() >= 300.0);
    QVERIFY(synced(ctl));
    QCOMPARE(m_log.messages(intStart).count(QStringLiteral("*ESR?")), 6);
    QVERIFY(m_trace.hasDebug(QStringLiteral("CINSCT  : OPC Loop left after 300ms (max time: 300ms)")));
    QVERIFY(m_trace.hasError(QStringLiteral("CINSCT  : Operation not complete within 300ms!")));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogError),
             QStringList{QStringLiteral("Unable to sent command '*RST' (with OPC loop) to instrument")});

    // A zero interval still advances and ends.
    QVERIFY(synced(ctl));
    const int intSecond = m_log.size();
    QVERIFY(!ctl.sendWithOpcLoop(QStringLiteral("*RST"), 0, 5));
    QVERIFY(synced(ctl));
    QCOMPARE(m_log.messages(intSecond).count(QStringLiteral("*ESR?")), 5);
}

void TestInstrControlSocket::errorQueueAndStaticErrors()
{
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());

    QMap<QString, QString> mapErrors;
    QVERIFY(ctl.getErrorQueue(mapErrors));
    QVERIFY(mapErrors.isEmpty());
    QVERIFY(ctl.getStaticErrors(mapErrors));
    QVERIFY(mapErrors.isEmpty());
    QVERIFY(ctl.messageTexts(ClsInstrControl::InstrLogError).isEmpty());

    // Two faults: an unknown header and a value the instrument rejects.
    QVERIFY(ctl.writeCmd(QStringLiteral("FOO:BAR")));
    QVERIFY(ctl.writeCmd(QStringLiteral("*ESE 300")));
    ctl.messages.clear();
    QVERIFY(ctl.getErrorQueue(mapErrors));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             QStringList{QStringLiteral("Try to request pending instrument error queue entries(s)")});
    QCOMPARE(mapErrors.keys(), (QStringList{QStringLiteral("0-113"), QStringLiteral("1-222")}));
    QVERIFY(mapErrors.value(QStringLiteral("0-113")).startsWith(QStringLiteral("Undefined header")));
    QVERIFY(!mapErrors.value(QStringLiteral("1-222")).contains(QLatin1Char('"')));
    // The queue is empty now.
    QMap<QString, QString> mapAgain;
    QVERIFY(ctl.getErrorQueue(mapAgain));
    QVERIFY(mapAgain.isEmpty());
}

void TestInstrControlSocket::errorQueueIsBounded()
{
    QVERIFY(startSim({QStringLiteral("--fault"), QStringLiteral("endless-errors")}));
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    QVERIFY(synced(ctl));
    const int intStart = m_log.size();
    ctl.messages.clear();

    QMap<QString, QString> mapErrors;
    QVERIFY(!ctl.getErrorQueue(mapErrors));
    QVERIFY(synced(ctl));
    QCOMPARE(m_log.messages(intStart).count(QStringLiteral("SYSTem:ERRor?")),
             ClsInstrControl::MaxErrorQueueEntries);
    QCOMPARE(mapErrors.size(), ClsInstrControl::MaxErrorQueueEntries);
    QCOMPARE(mapErrors.value(QStringLiteral("0-221")), QStringLiteral("Settings conflict"));
    QCOMPARE(mapErrors.value(QStringLiteral("99-221")), QStringLiteral("Settings conflict"));
    QVERIFY(m_trace.hasError(QStringLiteral("CINSCT  : Error queue still not empty after 100 entries!")));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogError),
             QStringList{QStringLiteral("Unable to read the complete error queue (more than 100 entries)")});

    QMap<QString, QString> mapStatic;
    QVERIFY(ctl.getStaticErrors(mapStatic));
    QCOMPARE(mapStatic.size(), 1);
    QCOMPARE(mapStatic.value(QStringLiteral("0-221")), QStringLiteral("Settings conflict"));
}

void TestInstrControlSocket::optionsAndOptionList()
{
    using namespace SigGenOptionCodes;
    const QString strOptions = QStringLiteral("%1, %2,%3,%3")
                                   .arg(QLatin1String(Gkr::RfPathA6GHz), QLatin1String(Gkr::HighPowerPathA),
                                        QLatin1String(Gkr::BasebandGenerator64MS));
    QVERIFY(startSim({QStringLiteral("--options"), strOptions}));
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    ctl.messages.clear();
    const QString strText = ctl.getOptions();
    QVERIFY(!strText.contains(QLatin1Char(' ')));
    QCOMPARE(strText, QString(strOptions).remove(QLatin1Char(' ')));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             QStringList{QStringLiteral("Try to request instrument options")});

    ClsSigGenOptions db(ClsSigGenOptions::ModelGKR550X);
    const QString strBB = QLatin1String(Gkr::BasebandGenerator64MS);
    const QString strEntry = strBB + QLatin1Char(';') + db.getDescription(strBB);
    QStringList lstBB;
    ctl.getOptionList(db.getCategory(strBB), lstBB);
    QCOMPARE(lstBB, (QStringList{strEntry, strBB + QStringLiteral("(B);") + db.getDescription(strBB)}));
    // Entries already listed push the next ones to (C) and (D), then nothing more.
    QStringList lstMore{strEntry, strBB + QStringLiteral("(B);") + db.getDescription(strBB)};
    ctl.getOptionList(db.getCategory(strBB), lstMore);
    ctl.getOptionList(db.getCategory(strBB), lstMore);
    QCOMPARE(lstMore.size(), 4);
    QCOMPARE(lstMore.at(2), strBB + QStringLiteral("(C);") + db.getDescription(strBB));
    QCOMPARE(lstMore.at(3), strBB + QStringLiteral("(D);") + db.getDescription(strBB));
    QStringList lstAll;
    ctl.getOptionList(ClsSigGenOptions::CategoryAll, lstAll);
    QCOMPARE(lstAll.size(), 4);
}

void TestInstrControlSocket::directories()
{
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QCOMPARE(ctl.getDirectory(1), QStringLiteral("\\"));
    QCOMPARE(ctl.getDirectory(2), QStringLiteral("\\DataLists"));
    QCOMPARE(ctl.getDirectory(3), QStringLiteral("\\CtrlLists"));
    QCOMPARE(ctl.getDirectory(4), QStringLiteral("\\Mappings"));
    QCOMPARE(ctl.getDirectory(5), QStringLiteral("\\Filters"));
    QCOMPARE(ctl.getDirectory(9), QStringLiteral("\\"));
    QCOMPARE(ctl.getFullDirectory(2), QStringLiteral("D:\\DataLists"));

    QVERIFY(synced(ctl));
    const int intStart = m_log.size();
    ctl.messages.clear();
    QVERIFY(ctl.createDirectory(QStringLiteral("D:\\"), QStringLiteral("/DataLists")));
    QVERIFY(ctl.createDirectory(QStringLiteral("D:/Top//"), QStringLiteral("\\\\Sub/Deep")));
    QVERIFY(!ctl.createDirectory(QString(), QString()));
    QVERIFY(synced(ctl));
    QCOMPARE(m_log.messages(intStart), (QStringList{QStringLiteral(":MMEM:MDIR 'D:\\DataLists'"),
                                                    QStringLiteral(":MMEM:MDIR 'D:\\Top\\Sub\\Deep'")}));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             (QStringList{QStringLiteral("Create directory: D:\\DataLists"),
                          QStringLiteral("Create directory: D:\\Top\\Sub\\Deep")}));
    QVERIFY(QFileInfo(storageFile(QStringLiteral("Top/Sub/Deep"))).isDir());

    QVERIFY(ctl.getRFFreqMin(0) == 0.0 && ctl.getRFFreqMax(3) == 0.0 && ctl.getCDMRampLimit(8) == 0.0 &&
            ctl.getCDMRampLimit(-1) == 0.0);
}

void TestInstrControlSocket::splitPathCases_data()
{
    QTest::addColumn<bool>("backslash");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("parts"); // drive, dir, file, base, ext
    QTest::newRow("drive") << true << QStringLiteral("D:\\DataLists\\a.b.dm_iqd")
                           << QStringList{"D:", "\\DataLists\\", "a.b.dm_iqd", "a.b", "dm_iqd"};
    QTest::newRow("linux") << false << QStringLiteral("/var/user/CtrlLists/c.dm_iqc")
                           << QStringList{"", "/var/user/CtrlLists/", "c.dm_iqc", "c", "dm_iqc"};
    QTest::newRow("no dir") << true << QStringLiteral("name.txt")
                            << QStringList{"", "", "name.txt", "name", "txt"};
    QTest::newRow("hidden") << false << QStringLiteral("/x/.profile")
                            << QStringList{"", "/x/", ".profile", "", ""};
    QTest::newRow("no ext") << true << QStringLiteral("D:\\x\\") << QStringList{"D:", "\\x\\", "", "", ""};
    QTest::newRow("one char") << true << QStringLiteral(":") << QStringList{"", "", ":", "", ""};
}

void TestInstrControlSocket::splitPathCases()
{
    QFETCH(bool, backslash);
    QFETCH(QString, path);
    QFETCH(QStringList, parts);
    QVERIFY(startSim());
    TestInstrControl ctl(resource(),
                         backslash ? TestInstrControl::DriveLayout : TestInstrControl::LinuxLayout);
    QStringList lstOut{"stale", "stale", "stale", "stale", "stale"};
    ctl.splitPath(path, lstOut[0], lstOut[1], lstOut[2], lstOut[3], lstOut[4]);
    QCOMPARE(lstOut, parts);
}

void TestInstrControlSocket::uploadSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("header");
    QTest::newRow("9") << 9 << QStringLiteral("#19");
    QTest::newRow("1024") << 1024 << QStringLiteral("#41024");
    QTest::newRow("1025") << 1025 << QStringLiteral("#41025");
    QTest::newRow("1500") << 1500 << QStringLiteral("#41500");
    QTest::newRow("100000") << 100000 << QStringLiteral("#6100000");
}

void TestInstrControlSocket::uploadSizes()
{
    QFETCH(int, size);
    QFETCH(QString, header);
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    const QByteArray baData = patternBytes(size, size);
    QVERIFY(!writeLocal(QStringLiteral("a.dm_iqd"), baData).isEmpty());
    QVERIFY(synced(ctl));
    const int intStart = m_log.size();
    ctl.messages.clear();

    QVERIFY(ctl.uploadDataList(m_tmp->filePath(QStringLiteral("local/")), QStringLiteral("a.dm_iqd")));
    QVERIFY(synced(ctl));
    QCOMPARE(readAllOf(storageFile(QStringLiteral("DataLists/a.dm_iqd"))), baData);
    const QStringList lstSent = m_log.messages(intStart);
    QCOMPARE(lstSent.size(), 3);
    QCOMPARE(lstSent.at(0), QStringLiteral(":MMEM:MDIR 'D:\\DataLists'"));
    QCOMPARE(lstSent.at(1), QStringLiteral(":MMEM:CAT? 'D:\\DataLists\\*.*'"));
    QCOMPARE(lstSent.at(2),
             QStringLiteral(":MMEM:DATA 'D:\\DataLists\\a.dm_iqd',%1 <%2 bytes>").arg(header).arg(size));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             (QStringList{
                 QStringLiteral("Create directory: D:\\DataLists"),
                 QStringLiteral("Upload data list file 'a.dm_iqd' to instrument directory: D:\\DataLists")}));
    QVERIFY(ctl.messageTexts(ClsInstrControl::InstrLogError).isEmpty());
    QMap<QString, QString> mapErrors;
    QVERIFY(ctl.getErrorQueue(mapErrors));
    QVERIFY(mapErrors.isEmpty());
}

void TestInstrControlSocket::uploadControlListLinuxLayout()
{
    QVERIFY(startSim({}, QStringLiteral("ZOY550X")));
    TestInstrControl ctl(resource(), TestInstrControl::LinuxLayout, ClsSigGenOptions::ModelZOY550X);
    QVERIFY(ctl.isSessionOpen());
    const QByteArray baData = patternBytes(3000, 3);
    QVERIFY(!writeLocal(QStringLiteral("c.dm_iqc"), baData).isEmpty());
    QVERIFY(synced(ctl));
    const int intStart = m_log.size();
    ctl.messages.clear();
    // A folder without its closing slash is joined correctly.
    QVERIFY(ctl.uploadControlList(m_tmp->filePath(QStringLiteral("local")), QStringLiteral("c.dm_iqc")));
    QVERIFY(synced(ctl));
    QCOMPARE(readAllOf(storageFile(QStringLiteral("CtrlLists/c.dm_iqc"))), baData);
    QCOMPARE(m_log.messages(intStart).last(),
             QStringLiteral(":MMEM:DATA '/var/user/CtrlLists/c.dm_iqc',#43000 <3000 bytes>"));
    QCOMPARE(
        ctl.messageTexts(ClsInstrControl::InstrLogInfo).last(),
        QStringLiteral("Upload control list file 'c.dm_iqc' to instrument directory: /var/user/CtrlLists"));
}

void TestInstrControlSocket::uploadOverExistingFile()
{
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    const QString strLocalDir = m_tmp->filePath(QStringLiteral("local/"));
    const QByteArray baFirst = patternBytes(1500, 1);
    QVERIFY(!writeLocal(QStringLiteral("a.dm_iqd"), baFirst).isEmpty());
    QVERIFY(ctl.uploadDataList(strLocalDir, QStringLiteral("a.dm_iqd")));

    QList<QPair<QString, QString>> lstAsked;
    bool bolAnswer = false;
    ClsInstrControl::setConfirmHandler([&](const QString &strTitle, const QString &strText) {
        lstAsked.append(qMakePair(strTitle, strText));
        return bolAnswer;
    });
    const QByteArray baSecond = patternBytes(2000, 2);
    QVERIFY(!writeLocal(QStringLiteral("a.dm_iqd"), baSecond).isEmpty());

    // No keeps the instrument's file: nothing is deleted and nothing is transferred.
    QVERIFY(synced(ctl));
    int intStart = m_log.size();
    ctl.messages.clear();
    QVERIFY(!ctl.uploadDataList(strLocalDir, QStringLiteral("a.dm_iqd")));
    QCOMPARE(lstAsked.size(), 1);
    QCOMPARE(lstAsked.at(0).first, QStringLiteral("WARNING"));
    QCOMPARE(lstAsked.at(0).second,
             QStringLiteral("File (D:\\DataLists\\a.dm_iqd) exists on instrument. Delete it?"));
    QVERIFY(synced(ctl));
    QCOMPARE(readAllOf(storageFile(QStringLiteral("DataLists/a.dm_iqd"))), baFirst);
    for (const QString &strMsg : m_log.messages(intStart))
        QVERIFY2(!strMsg.contains(QLatin1String("DATA")) && !strMsg.contains(QLatin1String("DEL")),
                 qPrintable(strMsg));
    QVERIFY(m_trace.hasDebug(QStringLiteral("CVISCT  : Deleting file: D:\\DataLists\\a.dm_iqd...")));
    QVERIFY(m_trace.hasError(QStringLiteral("CINSCT  : Upload cancelled, file kept on instrument!")));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogError),
             QStringList{QStringLiteral("Unable to upload data list file 'a.dm_iqd' to instrument")});

    // Yes deletes it first, then the new content goes out.
    bolAnswer = true;
    QVERIFY(synced(ctl));
    intStart = m_log.size();
    QVERIFY(ctl.uploadDataList(strLocalDir, QStringLiteral("a.dm_iqd")));
    QCOMPARE(lstAsked.size(), 2);
    QVERIFY(synced(ctl));
    QCOMPARE(readAllOf(storageFile(QStringLiteral("DataLists/a.dm_iqd"))), baSecond);
    QVERIFY(m_log.messages(intStart).contains(QStringLiteral("MMEM:DEL 'D:\\DataLists\\a.dm_iqd'; *OPC?")));

    // Without an installed handler the answer is No.
    ClsInstrControl::setConfirmHandler(nullptr);
    QVERIFY(!ctl.uploadDataList(strLocalDir, QStringLiteral("a.dm_iqd")));
    QCOMPARE(ctl.deleteFile(QStringLiteral("D:\\DataLists\\a.dm_iqd"), true),
             ClsInstrControl::DeleteDeclined);
    QCOMPARE(ctl.deleteFile(QStringLiteral("D:\\DataLists\\missing.dm_iqd"), true),
             ClsInstrControl::DeleteNotFound);
    QCOMPARE(ctl.deleteFile(QStringLiteral("D:\\DataLists\\a.dm_iqd"), false), ClsInstrControl::DeleteDone);
    QVERIFY(synced(ctl));
    QVERIFY(!QFile::exists(storageFile(QStringLiteral("DataLists/a.dm_iqd"))));
}

void TestInstrControlSocket::uploadRefusesBadInput()
{
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    QVERIFY(synced(ctl));
    const int intStart = m_log.size();
    QVERIFY(!ctl.uploadFile(QString(), QStringLiteral("D:\\x.dm_iqd")));
    QVERIFY(!ctl.uploadFile(QStringLiteral("/x"), QString()));
    QVERIFY(m_trace.hasError(QStringLiteral("CINSCT  : File descriptors are unsufficiant!")));
    const QString strEmpty = writeLocal(QStringLiteral("empty.dm_iqd"), QByteArray());
    QVERIFY(!ctl.uploadFile(strEmpty, QStringLiteral("D:\\empty.dm_iqd")));
    QVERIFY(m_trace.hasError(QStringLiteral("CINSCT  : Local file is empty!")));
    QVERIFY(!ctl.uploadFile(m_tmp->filePath(QStringLiteral("local/none.dm_iqd")),
                            QStringLiteral("D:\\none.dm_iqd")));
    QVERIFY(m_trace.hasError(QStringLiteral("CINSCT  : Unable to open local file!")));
    // A line feed would end the program message on a raw socket and start a new one.
    const QString strOk = writeLocal(QStringLiteral("ok.dm_iqd"), patternBytes(9));
    QVERIFY(!ctl.uploadFile(strOk, QStringLiteral("D:\\a\n*RST\n.dm_iqd")));
    QVERIFY(!ctl.createDirectory(QStringLiteral("D:\\"), QStringLiteral("x\n*RST")));
    QVERIFY(synced(ctl));
    // No local file, no catalog query: nothing on the instrument is looked at, let alone deleted.
    const QStringList lstSent = m_log.messages(intStart);
    for (const QString &strBad : QStringList{"*RST", "DATA", "CAT?"})
        QVERIFY2(lstSent.filter(strBad).isEmpty(), qPrintable(lstSent.join(QLatin1Char('|'))));
}

void TestInstrControlSocket::quoteInNameCannotInject()
{
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    ClsInstrControl::setConfirmHandler([](const QString &, const QString &) { return true; });
    const QString strLocalDir = m_tmp->filePath(QStringLiteral("local/"));
    const QByteArray baData = patternBytes(9);
    const QString strName = QStringLiteral("it's';OUTP1 ON;'x.dm_iqd");
    QVERIFY(!writeLocal(strName, baData).isEmpty());
    QVERIFY(ctl.writeCmd(QStringLiteral("OUTPut1:STATe OFF")));
    QVERIFY(synced(ctl));
    const int intStart = m_log.size();

    QVERIFY(ctl.uploadDataList(strLocalDir, strName));
    QVERIFY(synced(ctl));
    QCOMPARE(m_log.messages(intStart).last(),
             QStringLiteral(":MMEM:DATA 'D:\\DataLists\\it''s'';OUTP1 ON;''x.dm_iqd',#19 <9 bytes>"));
    QCOMPARE(readAllOf(storageFile(QStringLiteral("DataLists/") + strName)), baData);
    // The command inside the name never ran: the output is still off and no error came up.
    QCOMPARE(ctl.queryCommand(QStringLiteral("OUTPut1:STATe?")), QStringLiteral("0"));
    QMap<QString, QString> mapErrors;
    QVERIFY(ctl.getErrorQueue(mapErrors));
    QVERIFY2(mapErrors.isEmpty(), qPrintable(QStringList(mapErrors.values()).join(QLatin1Char('|'))));
    QVERIFY(
        ctl.getFileCatalog(QStringLiteral("D:"), QStringLiteral("\\DataLists\\"), QStringLiteral("dm_iqd"))
            .contains(strName));
    // Uploading again finds it, asks, deletes it with a doubled quote and overwrites it.
    QVERIFY(ctl.uploadDataList(strLocalDir, strName));
    QVERIFY(synced(ctl));
    QVERIFY(m_log.messages(intStart).contains(
        QStringLiteral("MMEM:DEL 'D:\\DataLists\\it''s'';OUTP1 ON;''x.dm_iqd'; *OPC?")));
    QCOMPARE(readAllOf(storageFile(QStringLiteral("DataLists/") + strName)), baData);
}

void TestInstrControlSocket::catalogs()
{
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    const QString strLocalDir = m_tmp->filePath(QStringLiteral("local/"));
    QVERIFY(
        ctl.getFileCatalog(QStringLiteral("D:"), QStringLiteral("\\DataLists\\"), QStringLiteral("dm_iqd"))
            .isEmpty());
    for (const QString &strName :
         {QStringLiteral("b.dm_iqd"), QStringLiteral("a,1.dm_iqd"), QStringLiteral("c.dm_iqc")}) {
        QVERIFY(!writeLocal(strName, patternBytes(strName.size() * 10)).isEmpty());
        QVERIFY(ctl.uploadDataList(strLocalDir, strName));
    }
    QVERIFY(ctl.createDirectory(QStringLiteral("D:\\DataLists"), QStringLiteral("Sub")));

    QStringList lstNames =
        ctl.getFileCatalog(QStringLiteral("D:"), QStringLiteral("\\DataLists\\"), QStringLiteral("dm_iqd"));
    lstNames.sort();
    QCOMPARE(lstNames, (QStringList{QStringLiteral("a,1.dm_iqd"), QStringLiteral("b.dm_iqd")}));

    const QList<FileCatalogEntry> lstEntries =
        ctl.getDetailedCatalog(QStringLiteral("D:"), QStringLiteral("\\DataLists\\"), QStringLiteral("*.*"));
    QMap<QString, FileCatalogEntry> mapByName;
    for (const FileCatalogEntry &entry : lstEntries)
        mapByName.insert(entry.name, entry);
    QVERIFY2(mapByName.contains(QStringLiteral("a,1.dm_iqd")),
             qPrintable(QStringList(mapByName.keys()).join('|')));
    QCOMPARE(mapByName.value(QStringLiteral("a,1.dm_iqd")).size, qint64(100));
    QCOMPARE(mapByName.value(QStringLiteral("c.dm_iqc")).size, qint64(80));
    QVERIFY(mapByName.value(QStringLiteral("b.dm_iqd")).type != QStringLiteral("DIR"));

    ctl.defaultDirKinds.clear();
    const QStringList lstDirs = ctl.getDefaultDirCatalog(1);
    QCOMPARE(ctl.defaultDirKinds, QList<qint32>{1});
    QVERIFY2(lstDirs.contains(QStringLiteral("DataLists")), qPrintable(lstDirs.join('|')));
    for (const QString &strDir : lstDirs)
        QVERIFY(!strDir.contains(QLatin1Char('"')) && !strDir.isEmpty());
    ctl.defaultDirKinds.clear();
    QCOMPARE(ctl.getDefaultDirCatalog(2), QStringList{QStringLiteral("Sub")});
    QCOMPARE(ctl.defaultDirKinds, QList<qint32>{2});
}

void TestInstrControlSocket::brokenTransferRecovers()
{
    QVERIFY(startSim({QStringLiteral("--fault"), QStringLiteral("drop-block=2000")}));
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    int intAsked = 0;
    ClsInstrControl::setConfirmHandler([&](const QString &, const QString &) {
        ++intAsked;
        return true;
    });
    QVERIFY(!writeLocal(QStringLiteral("big.dm_iqd"), patternBytes(4 * 1024 * 1024)).isEmpty());
    ctl.messages.clear();
    QVERIFY(!ctl.uploadDataList(m_tmp->filePath(QStringLiteral("local/")), QStringLiteral("big.dm_iqd")));
    QVERIFY2(
        m_trace.hasError(QStringLiteral("CINSCT  : Unable to sent data block to instrument (write error)!")),
        qPrintable(m_trace.dump()));
    // The link is gone: a new one replaces it, the recovery runs on it and the partial file is
    // looked for without a question to the user.
    QVERIFY(m_trace.hasDebug(QStringLiteral("CINSCT  : Instrument session reopened after a broken block")));
    QVERIFY(!m_trace.contains(QStringLiteral("Unable to write dummy byte")));
    QVERIFY(m_trace.hasDebug(QStringLiteral("CVISCT  : Deleting file: D:\\DataLists\\big.dm_iqd...")));
    QCOMPARE(intAsked, 0);
    QVERIFY(synced(ctl));
    QVERIFY(!QFile::exists(storageFile(QStringLiteral("DataLists/big.dm_iqd"))));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogError),
             QStringList{QStringLiteral("Unable to upload data list file 'big.dm_iqd' to instrument")});
    const QList<SimLogLine> lstLines = m_log.lines();
    const auto itCut = std::find_if(lstLines.cbegin(), lstLines.cend(),
                                    [](const SimLogLine &line) { return line.termination == "CUT"; });
    QVERIFY(itCut != lstLines.cend());
    QVERIFY(itCut->message.startsWith(
        QStringLiteral(":MMEM:DATA 'D:\\DataLists\\big.dm_iqd',#74194304 <2000 bytes>")));
}

void TestInstrControlSocket::shrinkingFileEndsTheBlock()
{
    QVERIFY(startSim());
    TestInstrControl ctl(resource(), TestInstrControl::DriveLayout);
    QVERIFY(ctl.isSessionOpen());
    const QString strLocal = writeLocal(QStringLiteral("cut.dm_iqd"), patternBytes(200000, 1));
    QVERIFY(!strLocal.isEmpty());
    // The local file shrinks while it is being sent: the events processed between chunks run this.
    QTimer::singleShot(0, [strLocal]() { QFile(strLocal).resize(3000); });
    QVERIFY(!ctl.uploadDataList(m_tmp->filePath(QStringLiteral("local/")), QStringLiteral("cut.dm_iqd")));
    QVERIFY2(m_trace.hasError(QStringLiteral(
                 "CINSCT  : Unable to sent data block to instrument (transmit byte count mismatch)!")),
             qPrintable(m_trace.dump()));
    // The instrument read the block to its announced end, so the recovery sequence, the removal
    // of the filled-up file and the next commands are commands again.
    QVERIFY(synced(ctl));
    QVERIFY(!QFile::exists(storageFile(QStringLiteral("DataLists/cut.dm_iqd"))));
    QVERIFY(m_log.messages().contains(QStringLiteral("MMEM:DEL 'D:\\DataLists\\cut.dm_iqd'; *OPC?")));
    QVERIFY(ctl.writeCmd(QStringLiteral("SOURce1:FREQuency 2GHz")));
    QCOMPARE(ctl.queryCommand(QStringLiteral("SOURce1:FREQuency?")).toDouble(), 2e9);
}

QTEST_GUILESS_MAIN(TestInstrControlSocket)
#include "tst_instrcontrolsocket.moc"
