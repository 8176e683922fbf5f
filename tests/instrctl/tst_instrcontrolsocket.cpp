// ClsInstrControl against listforge-sim over a raw SOCKET resource on a free port, through the
// project's VISA library: commands and completion modes, error queues, options, catalogs and
// file transfers, checked on the simulator's message log and mass-memory folder.

#include "hangbound.h"
#include "testinstrcontrol.h"
#include "tracelines.h"

#include "instrument/clssiggenoptions.h"
#include "instrument/clszoycontrol.h"
#include "instrument/options_codes.h"
#include "visa/visalibrary.h"

#include <QTimer>
#include <QtTest>

class TestInstrControlSocket : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void deadSessionFailsEveryOperation();
    void sendCommandModes();
    void opcLoopCompletes();
    void errorQueueIsBounded();
    void optionsAndOptionList();
    void directories();
    void splitPathCases();
    void uploadSizes();
    void deleteFileAnswers();
    void uploadRefusesBadInput();
    void quoteInNameCannotInject();
    void catalogs();
    void shrinkingFileEndsTheBlock();

private:
    bool startSim(const QStringList &lstExtra = {}, const QString &strModel = "GKR550X")
    {
        return m_bench->start(SimProcess::freePorts({"--model", strModel}) + lstExtra);
    }
    QString resource() const
    {
        return QString("TCPIP0::127.0.0.1::%1::SOCKET").arg(m_bench->sim->socketPort());
    }
    QString storageFile(const QString &strRelative) const
    {
        return m_bench->tmp.filePath("storage/" + strRelative);
    }

    // Starts the simulator and a control on it; the test fails unless its session is open.
    TestInstrControl &open(const QStringList &lstExtra = {})
    {
        startSim(lstExtra);
        m_ctl = std::make_unique<TestInstrControl>(resource());
        QTest::qVerify(m_ctl->isSessionOpen(), "open", "session not open", __FILE__, __LINE__);
        return *m_ctl;
    }
    // Waits until the simulator has worked through everything sent so far, then starts a new record
    // of the messages it logs and of the control's own messages.
    bool mark(TestInstrControl &ctl)
    {
        const bool bolSynced = synced(ctl);
        m_intMark = m_bench->log.size();
        ctl.messages.clear();
        return bolSynced;
    }
    // The messages the simulator received since the mark, once it has worked through them (the test
    // fails if it never does, so that an empty list cannot pass for "nothing sent").
    QStringList sent(ClsInstrControl &ctl)
    {
        QTest::qVerify(synced(ctl), "synced(ctl)", "simulator did not answer", __FILE__, __LINE__);
        return m_bench->log.messages(m_intMark);
    }

    std::unique_ptr<SimBench> m_bench;
    std::unique_ptr<TestInstrControl> m_ctl;
    int m_intMark = 0;
    TraceLines m_trace;
};

void TestInstrControlSocket::initTestCase()
{
    const QString strBuild = qEnvironmentVariable("LISTFORGE_BUILD_DIR");
    const QString strLib = strBuild + "/libvisa32.so";
    QVERIFY2(QFile::exists(strLib), qPrintable(strLib));
    QVERIFY(QFile::exists(strBuild + "/listforge-sim"));
    qputenv(ClsVisaLibrary::PathVariable, strLib.toLocal8Bit());
    qRegisterMetaType<ClsInstrControl::EnuInstrLogType>();
}

void TestInstrControlSocket::init()
{
    m_bench = std::make_unique<SimBench>();
    QVERIFY(m_bench->tmp.isValid());
    m_trace.clear();
}

void TestInstrControlSocket::cleanup()
{
    ClsInstrControl::setConfirmHandler(nullptr);
    m_ctl.reset();
    m_bench.reset();
}

void TestInstrControlSocket::deadSessionFailsEveryOperation()
{
    // Nothing listens on this port once the simulator has gone. (Commands, preset and uploads on
    // an instrument that cannot be opened are rows of the fault matrix.)
    QVERIFY(startSim());
    const QString strDead = resource();
    m_bench->sim.reset();
    TestInstrControl ctl(strDead);
    QVERIFY(!ctl.isSessionOpen());
    ctl.messages.clear();

    QCOMPARE(ctl.queryCommand("*IDN?"), "-");
    QVERIFY(!ctl.sendCommand("*RST", ClsInstrControl::OpcLoop, 100, 30000));
    QCOMPARE(ctl.getLastCmdDuration(), "Not avail.");
    QCOMPARE(ctl.getOptions(), QString());
    QMap<QString, QString> mapErrors{{"stale", "x"}};
    QVERIFY(!ctl.getErrorQueue(mapErrors));
    QVERIFY(mapErrors.isEmpty());
    mapErrors.insert("stale", "x");
    QVERIFY(!ctl.getStaticErrors(mapErrors));
    QVERIFY(mapErrors.isEmpty());
    QCOMPARE(
        ctl.messageTexts(ClsInstrControl::InstrLogError),
        (QStringList{"Unable to sent query command '*IDN?' to instrument",
                     "Unable to sent command '*RST' (with OPC loop) to instrument", "Unable to get options",
                     "Unable to get error queue entry", "Unable to get static errors"}));
    QVERIFY(ctl.getFileCatalog("D:", "\\", "*").isEmpty());
    QVERIFY(m_trace.hasError("CINSCT  : Unable to request file catalog!"));
    QVERIFY(ctl.getDefaultDirCatalog(1).isEmpty());
    QVERIFY(m_trace.hasError("CINSCT  : Unable to get default directory catalog!"));
}

void TestInstrControlSocket::sendCommandModes()
{
    TestInstrControl &ctl = open();
    QVERIFY(mark(ctl));
    QVERIFY(ctl.sendCommand("SOURce1:FREQuency 100MHz", ClsInstrControl::OpcNone, 100, 30000));
    QVERIFY(ctl.getLastCmdDurationMs() >= 0.0 && endedWithoutHanging(ctl.getLastCmdDurationMs(), 0));
    QVERIFY(ctl.sendCommand("SOURce1:FREQuency 200MHz", ClsInstrControl::OpcQuery, 100, 30000));
    QCOMPARE(ctl.queryCommand("SOURce1:FREQuency?").toDouble(), 200e6);
    QString strReply;
    QVERIFY(ctl.queryCmd("*OPC?", strReply));
    QCOMPARE(strReply, "1");
    QVERIFY(ctl.writeCmd("*CLS"));

    QCOMPARE(sent(ctl), (QStringList{"SOURce1:FREQuency 100MHz", "SOURce1:FREQuency 200MHz; *OPC?",
                                     "SOURce1:FREQuency?", "*OPC?", "*CLS"}));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             (QStringList{"Try to send command 'SOURce1:FREQuency 100MHz' to instrument",
                          "Try to send command 'SOURce1:FREQuency 200MHz' to instrument",
                          "Try to send query command 'SOURce1:FREQuency?' to instrument"}));
    QVERIFY(ctl.messageTexts(ClsInstrControl::InstrLogError).isEmpty());
    // The base never traces the command texts itself.
    QVERIFY(!m_trace.contains("CINSCT  : SOURce1"));
    const QString strDuration = ctl.getLastCmdDuration();
    QVERIFY2(QRegularExpression("^\\d+\\.\\d{3}$").match(strDuration).hasMatch(), qPrintable(strDuration));
}

void TestInstrControlSocket::opcLoopCompletes()
{
    TestInstrControl &ctl = open({"--preset-time", "250"});
    QVERIFY(mark(ctl));
    QVERIFY(ctl.presetInstrument());
    QVERIFY(ctl.getLastCmdDurationMs() >= 250.0 && endedWithoutHanging(ctl.getLastCmdDurationMs(), 250));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo), QStringList{"Perform instrument preset"});
    QVERIFY(ctl.messageTexts(ClsInstrControl::InstrLogError).isEmpty());
    const QStringList lstSent = sent(ctl);
    QCOMPARE(lstSent.mid(0, 4), (QStringList{"*ESE 1", "*CLS", "SYSTem:PRESet", "*OPC"}));
    // Busy for 250 ms, polled every 100 ms: the bit shows at the third poll at the latest.
    const int intPolls = lstSent.count("*ESR?");
    QVERIFY2(intPolls >= 2 && intPolls <= 4, qPrintable(lstSent.join(QLatin1Char('|'))));
    QCOMPARE(lstSent.size(), 4 + intPolls);
}

void TestInstrControlSocket::errorQueueIsBounded()
{
    TestInstrControl &ctl = open({"--fault", "endless-errors"});
    QVERIFY(mark(ctl));

    QMap<QString, QString> mapErrors;
    QVERIFY(!ctl.getErrorQueue(mapErrors));
    QCOMPARE(sent(ctl).count("SYSTem:ERRor?"), ClsInstrControl::MaxErrorQueueEntries);
    QCOMPARE(mapErrors.size(), ClsInstrControl::MaxErrorQueueEntries);
    QCOMPARE(mapErrors.value("0-221"), "Settings conflict");
    QCOMPARE(mapErrors.value("99-221"), "Settings conflict");
    QVERIFY(m_trace.hasError("CINSCT  : Error queue still not empty after 100 entries!"));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogError),
             QStringList{"Unable to read the complete error queue (more than 100 entries)"});

    QMap<QString, QString> mapStatic;
    QVERIFY(ctl.getStaticErrors(mapStatic));
    QCOMPARE(mapStatic, (QMap<QString, QString>{{"0-221", "Settings conflict"}}));
}

void TestInstrControlSocket::optionsAndOptionList()
{
    using namespace SigGenOptionCodes;
    const QString strBB = QLatin1String(Gkr::BasebandGenerator64MS);
    const QString strOptions =
        QString("%1, %2,%3,%3")
            .arg(QLatin1String(Gkr::RfPathA6GHz), QLatin1String(Gkr::HighPowerPathA), strBB);
    TestInstrControl &ctl = open({"--options", strOptions});
    ctl.messages.clear();
    QCOMPARE(ctl.getOptions(), QString(strOptions).remove(QLatin1Char(' ')));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             QStringList{"Try to request instrument options"});
    // The entries come from the instrument's own list (how repeats are told apart is the option
    // database's own matter).
    ClsSigGenOptions db(ClsSigGenOptions::ModelGKR550X);
    QStringList lstBB;
    ctl.getOptionList(db.getCategory(strBB), lstBB);
    QCOMPARE(lstBB, (QStringList{strBB + ";" + db.getDescription(strBB),
                                 strBB + "(B);" + db.getDescription(strBB)}));
    QStringList lstAll;
    ctl.getOptionList(ClsSigGenOptions::CategoryAll, lstAll);
    QCOMPARE(lstAll.size(), 4);
}

void TestInstrControlSocket::directories()
{
    // The directory of each kind is in the model suites' directory commands; an unknown kind is
    // the root.
    TestInstrControl &ctl = open();
    QCOMPARE(ctl.getDirectory(9), "\\");
    QCOMPARE(ctl.getFullDirectory(2), "D:\\DataLists");

    QVERIFY(mark(ctl));
    QVERIFY(ctl.createDirectory("D:\\", "/DataLists"));
    QVERIFY(ctl.createDirectory("D:/Top//", "\\\\Sub/Deep"));
    QVERIFY(!ctl.createDirectory(QString(), QString()));
    QCOMPARE(sent(ctl), (QStringList{":MMEM:MDIR 'D:\\DataLists'", ":MMEM:MDIR 'D:\\Top\\Sub\\Deep'"}));
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             (QStringList{"Create directory: D:\\DataLists", "Create directory: D:\\Top\\Sub\\Deep"}));
    QVERIFY(QFileInfo(storageFile("Top/Sub/Deep")).isDir());

    QVERIFY(ctl.getRFFreqMin(0) == 0.0 && ctl.getRFFreqMax(3) == 0.0 && ctl.getCDMRampLimit(8) == 0.0 &&
            ctl.getCDMRampLimit(-1) == 0.0);
}

// Pure text work: no instrument and no bench needed.
void TestInstrControlSocket::splitPathCases()
{
    const auto split = [](bool bolBackslash, const QString &strPath) {
        TestInstrControl ctl(QString(),
                             bolBackslash ? ClsGKRControl::description() : ClsZOYControl::description());
        QStringList lstOut{"stale", "stale", "stale", "stale", "stale"}; // drive, dir, file, base, ext
        ctl.splitPath(strPath, lstOut[0], lstOut[1], lstOut[2], lstOut[3], lstOut[4]);
        return lstOut;
    };
    QCOMPARE(split(true, "D:\\DataLists\\a.b.dm_iqd"),
             (QStringList{"D:", "\\DataLists\\", "a.b.dm_iqd", "a.b", "dm_iqd"}));
    QCOMPARE(split(false, "/var/user/CtrlLists/c.dm_iqc"),
             (QStringList{"", "/var/user/CtrlLists/", "c.dm_iqc", "c", "dm_iqc"}));
    QCOMPARE(split(true, "name.txt"), (QStringList{"", "", "name.txt", "name", "txt"}));
    QCOMPARE(split(false, "/x/.profile"), (QStringList{"", "/x/", ".profile", "", ""}));
    QCOMPARE(split(true, "D:\\x\\"), (QStringList{"D:", "\\x\\", "", "", ""}));
    QCOMPARE(split(true, ":"), (QStringList{"", "", ":", "", ""}));
}

void TestInstrControlSocket::uploadSizes()
{
    // The block header of each size and the END of the last chunk are the chunk suite's; here the
    // line feed that ends the block on a raw socket, and the catalog before and after it.
    TestInstrControl &ctl = open();
    const QByteArray baData = patternBytes(100000, 5);
    QVERIFY(!m_bench->writeLocal("a.dm_iqd", baData).isEmpty());
    QVERIFY(mark(ctl));

    QVERIFY(ctl.uploadDataList(m_bench->localDir(), "a.dm_iqd"));
    // The catalog is asked before the transfer (an older file?) and after it (all bytes there?).
    QCOMPARE(sent(ctl), (QStringList{":MMEM:MDIR 'D:\\DataLists'", ":MMEM:CAT? 'D:\\DataLists\\*.*'",
                                     ":MMEM:DATA 'D:\\DataLists\\a.dm_iqd',#6100000 <100000 bytes>",
                                     ":MMEM:CAT? 'D:\\DataLists\\*.*'"}));
    QCOMPARE(m_bench->stored("DataLists/a.dm_iqd"), baData);
    QCOMPARE(ctl.messageTexts(ClsInstrControl::InstrLogInfo),
             (QStringList{"Create directory: D:\\DataLists",
                          "Upload data list file 'a.dm_iqd' to instrument directory: D:\\DataLists"}));
    QVERIFY(ctl.messageTexts(ClsInstrControl::InstrLogError).isEmpty());
    QMap<QString, QString> mapErrors;
    QVERIFY(ctl.getErrorQueue(mapErrors));
    QVERIFY(mapErrors.isEmpty());
}

void TestInstrControlSocket::deleteFileAnswers()
{
    // Replacing a file on upload, asked and answered either way, is the command-line suite's;
    // here deleting without any handler to ask (No), a missing file, and deleting unasked.
    TestInstrControl &ctl = open();
    QVERIFY(!m_bench->writeLocal("a.dm_iqd", patternBytes(1500, 1)).isEmpty());
    QVERIFY(ctl.uploadDataList(m_bench->localDir(), "a.dm_iqd"));
    QCOMPARE(ctl.deleteFile("D:\\DataLists\\a.dm_iqd", true), ClsInstrControl::DeleteDeclined);
    QCOMPARE(ctl.deleteFile("D:\\DataLists\\missing.dm_iqd", true), ClsInstrControl::DeleteNotFound);
    QVERIFY(QFile::exists(storageFile("DataLists/a.dm_iqd")));
    QCOMPARE(ctl.deleteFile("D:\\DataLists\\a.dm_iqd", false), ClsInstrControl::DeleteDone);
    QVERIFY(synced(ctl));
    QVERIFY(!QFile::exists(storageFile("DataLists/a.dm_iqd")));
}

void TestInstrControlSocket::uploadRefusesBadInput()
{
    TestInstrControl &ctl = open();
    QVERIFY(mark(ctl));
    QVERIFY(!ctl.uploadFile(QString(), "D:\\x.dm_iqd"));
    QVERIFY(!ctl.uploadFile("/x", QString()));
    QVERIFY(m_trace.hasError("CINSCT  : File descriptors are unsufficiant!"));
    const QString strEmpty = m_bench->writeLocal("empty.dm_iqd", QByteArray());
    QVERIFY(!ctl.uploadFile(strEmpty, "D:\\empty.dm_iqd"));
    QVERIFY(m_trace.hasError("CINSCT  : Local file is empty!"));
    QVERIFY(!ctl.uploadFile(m_bench->localDir() + "none.dm_iqd", "D:\\none.dm_iqd"));
    QVERIFY(m_trace.hasError("CINSCT  : Unable to open local file!"));
    // A line feed would end the program message on a raw socket and start a new one.
    const QString strOk = m_bench->writeLocal("ok.dm_iqd", patternBytes(9));
    QVERIFY(!ctl.uploadFile(strOk, "D:\\a\n*RST\n.dm_iqd"));
    QVERIFY(!ctl.createDirectory("D:\\", "x\n*RST"));
    QVERIFY(synced(ctl));
    // No local file, no catalog query: nothing on the instrument is looked at, let alone deleted.
    const QStringList lstSent = sent(ctl);
    for (const QString &strBad : QStringList{"*RST", "DATA", "CAT?"})
        QVERIFY2(lstSent.filter(strBad).isEmpty(), qPrintable(lstSent.join(QLatin1Char('|'))));
}

void TestInstrControlSocket::quoteInNameCannotInject()
{
    TestInstrControl &ctl = open();
    ClsInstrControl::setConfirmHandler([](const QString &, const QString &) { return true; });
    const QString strLocalDir = m_bench->localDir();
    const QByteArray baData = patternBytes(9);
    const QString strName = "it's';OUTP1 ON;'x.dm_iqd";
    QVERIFY(!m_bench->writeLocal(strName, baData).isEmpty());
    QVERIFY(ctl.writeCmd("OUTPut1:STATe OFF"));
    QVERIFY(mark(ctl));

    QVERIFY(ctl.uploadDataList(strLocalDir, strName));
    QVERIFY(sent(ctl).contains(":MMEM:DATA 'D:\\DataLists\\it''s'';OUTP1 ON;''x.dm_iqd',#19 <9 bytes>"));
    QCOMPARE(m_bench->stored("DataLists/" + strName), baData);
    // The command inside the name never ran: the output is still off and no error came up.
    QCOMPARE(ctl.queryCommand("OUTPut1:STATe?"), "0");
    QMap<QString, QString> mapErrors;
    QVERIFY(ctl.getErrorQueue(mapErrors));
    QVERIFY2(mapErrors.isEmpty(), qPrintable(QStringList(mapErrors.values()).join(QLatin1Char('|'))));
    QVERIFY(ctl.getFileCatalog("D:", "\\DataLists\\", "dm_iqd").contains(strName));
    // Uploading again finds it, asks, deletes it with a doubled quote and overwrites it.
    QVERIFY(ctl.uploadDataList(strLocalDir, strName));
    QVERIFY(sent(ctl).contains("MMEM:DEL 'D:\\DataLists\\it''s'';OUTP1 ON;''x.dm_iqd'; *OPC?"));
    QCOMPARE(m_bench->stored("DataLists/" + strName), baData);
}

void TestInstrControlSocket::catalogs()
{
    TestInstrControl &ctl = open();
    const QString strLocalDir = m_bench->localDir();
    QVERIFY(ctl.getFileCatalog("D:", "\\DataLists\\", "dm_iqd").isEmpty());
    for (const QString &strName : QStringList{"b.dm_iqd", "a,1.dm_iqd", "c.dm_iqc"}) {
        QVERIFY(!m_bench->writeLocal(strName, patternBytes(strName.size() * 10)).isEmpty());
        QVERIFY(ctl.uploadDataList(strLocalDir, strName));
    }
    QVERIFY(ctl.createDirectory("D:\\DataLists", "Sub"));

    QStringList lstNames = ctl.getFileCatalog("D:", "\\DataLists\\", "dm_iqd");
    lstNames.sort();
    QCOMPARE(lstNames, (QStringList{"a,1.dm_iqd", "b.dm_iqd"}));

    const QList<FileCatalogEntry> lstEntries = ctl.getDetailedCatalog("D:", "\\DataLists\\", "*.*");
    QMap<QString, FileCatalogEntry> mapByName;
    for (const FileCatalogEntry &entry : lstEntries)
        mapByName.insert(entry.name, entry);
    QVERIFY2(mapByName.contains("a,1.dm_iqd"), qPrintable(QStringList(mapByName.keys()).join('|')));
    QCOMPARE(mapByName.value("a,1.dm_iqd").size, qint64(100));
    QCOMPARE(mapByName.value("c.dm_iqc").size, qint64(80));
    QVERIFY(mapByName.value("b.dm_iqd").type != "DIR");

    // Each kind's directory is selected before it is listed.
    const QStringList lstDirs = ctl.getDefaultDirCatalog(1);
    QVERIFY2(lstDirs.contains("DataLists"), qPrintable(lstDirs.join('|')));
    for (const QString &strDir : lstDirs)
        QVERIFY(!strDir.contains(QLatin1Char('"')) && !strDir.isEmpty());
    QCOMPARE(ctl.getDefaultDirCatalog(2), QStringList{"Sub"});
}

void TestInstrControlSocket::shrinkingFileEndsTheBlock()
{
    TestInstrControl &ctl = open();
    const QString strLocal = m_bench->writeLocal("cut.dm_iqd", patternBytes(200000, 1));
    QVERIFY(!strLocal.isEmpty());
    // The local file shrinks while it is being sent: the events processed between chunks run this.
    QTimer::singleShot(0, [strLocal]() { QFile(strLocal).resize(3000); });
    QVERIFY(!ctl.uploadDataList(m_bench->localDir(), "cut.dm_iqd"));
    QVERIFY2(m_trace.hasError(QString(
                 "CINSCT  : Unable to sent data block to instrument (transmit byte count mismatch)!")),
             qPrintable(m_trace.dump()));
    // The instrument read the block to its announced end, so the recovery sequence, the removal
    // of the filled-up file and the next commands are commands again.
    QVERIFY(synced(ctl));
    QVERIFY(!QFile::exists(storageFile("DataLists/cut.dm_iqd")));
    QVERIFY(m_bench->log.messages().contains("MMEM:DEL 'D:\\DataLists\\cut.dm_iqd'; *OPC?"));
    QVERIFY(ctl.writeCmd("SOURce1:FREQuency 2GHz"));
    QCOMPARE(ctl.queryCommand("SOURce1:FREQuency?").toDouble(), 2e9);
}

QTEST_GUILESS_MAIN(TestInstrControlSocket)
#include "tst_instrcontrolsocket.moc"
