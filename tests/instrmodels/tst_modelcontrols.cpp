// The five model controls against the simulated generator through the project's VISA library:
// the exact commands the instrument receives (read from the simulator's message log), the
// instrument messages, the single-path early returns, marker routing, getters and catalogs,
// failures on a dead session, refused arguments, and the model databases built from the
// instrument's own option reply, and every entry of its tables taken by the instrument.

#include "instrument/cdmdisplaynames.h"
#include "instrument/clsinstrcontrol.h"
#include "instrument/clssiggenoptions.h"
#include "modelharness.h"
#include "tracelines.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <functional>

namespace {

const QStringList s_models = {"GKR550X", "PLOXA550X", "DVT330X", "HERN330X", "ZOY550X"};

bool isTwoPathModel(const QString &strModel)
{
    return strModel == "GKR550X" || strModel == "PLOXA550X" || strModel == "ZOY550X";
}

bool hasDriveLetters(const QString &strModel)
{
    return strModel == "GKR550X" || strModel == "PLOXA550X" || strModel == "DVT330X";
}

// One row per model, in a column "model".
void modelRows(const QStringList &lstModels = s_models)
{
    QTest::addColumn<QString>("model");
    for (const QString &strModel : lstModels)
        QTest::newRow(qPrintable(strModel)) << strModel;
}

QString utf8(const char *pText)
{
    return QString::fromUtf8(pText);
}

// The commands that select a directory of the given kind as the default directory.
QStringList dirCommands(const QString &strModel, int intKind)
{
    static const QStringList s_sub = {QString(), "DataLists", "CtrlLists", "Mappings", "Filters"};
    const QString strSub = s_sub.value(intKind - 1);
    if (hasDriveLetters(strModel))
        return {"MMEMory:MSIS 'D:'", "MMEMory:CDIR '\\" + strSub + "'"};
    return {"MMEMory:CDIR '/var/user/" + strSub + "'"};
}

QString info(const QString &strText)
{
    return "1|" + strText;
}

QString err(const QString &strText)
{
    return "2|" + strText;
}

// Every setter of the model interface with the command it sends ("%1" the path, "%S" the CDM
// prefix of the path; none when empty), after the selection of a directory of kind dir, and
// its information line.
struct Case
{
    QString command;
    QString message;
    std::function<void(ClsInstrControl *, int)> op;
    int dir = 0;
};

QList<Case> setterCases(bool bolZoy)
{
    using C = ClsInstrControl;
    return {
        {"SOURce%1:FREQuency 100MHz", "Set RF frequency on path %1 to: 100MHz",
         [](C *c, int p) { c->setRFFrequency(p, "100", "MHz"); }},
        {"SOURce%1:POWer:LEVel:IMMediate:AMPLitude -30.5dBm", "Set RF level on path %1 to: -30.5dBm",
         [](C *c, int p) { c->setRFLevel(p, "-30.5", "dBm"); }},
        {"OUTPut%1:STATe ON", "Switch RF level on path %1 to: ON",
         [](C *c, int p) { c->switchRFLevel(p, "ON"); }},
        {"%SSOUR DLISt", "Set CDM data source on path %1 to: Data List",
         [](C *c, int p) { c->setCDMDataSource(p, "Data List"); }},
        {"%SSOUR ", "Set CDM data source on path %1 to: data list",
         [](C *c, int p) { c->setCDMDataSource(p, "data list"); }},
        {"%SDLIS:SEL 'burst_1'", "Set CDM data list file on path %1 to: burst_1",
         [](C *c, int p) { c->setCDMDataList(p, "burst_1"); }, 2},
        {"%SCLIS:SEL 'ctl'", "Set CDM control list file on path %1 to: ctl",
         [](C *c, int p) { c->setCDMControlList(p, "ctl"); }, 3},
        {"%SPRBS:LENGth  9", "Set CDM PRBS type on path %1 to: PRBS 9",
         [](C *c, int p) { c->setCDMPRBSType(p, "PRBS 9"); }},
        {"", "Set CDM PRBS type on path %1 to: None", [](C *c, int p) { c->setCDMPRBSType(p, "None"); }},
        {"", "Set CDM PRBS type on path %1 to: 23", [](C *c, int p) { c->setCDMPRBSType(p, "23"); }},
        {"%SFORMat QPSK45", "Set CDM modulation type on path %1 to: QPSK 45° Off.",
         [](C *c, int p) { c->setCDMModType(p, utf8(CdmNames::ModQpsk45)); }},
        {bolZoy ? "%SFORMat QAM4096" : "%SFORMat ", "Set CDM modulation type on path %1 to: 4096QAM",
         [](C *c, int p) { c->setCDMModType(p, "4096QAM"); }},
        {"%SFSK:DEViation 1500", "Set CDM 2FSK modulation parameter 'Freq. Dev. [kHz]:' on path %1 to: 1.5",
         [](C *c, int p) { c->setCDMModParam(p, "2FSK", "Freq. Dev. [kHz]:", "1.5"); }},
        {"%SFSK:DEViation 4e+07",
         "Set CDM 4FSK modulation parameter 'Freq. Dev. [kHz]:' on path %1 to: 40000",
         [](C *c, int p) { c->setCDMModParam(p, "4FSK", "Freq. Dev. [kHz]:", "40000"); }},
        {"%SFSK:DEViation 12345678",
         "Set CDM 2FSK modulation parameter 'Freq. Dev. [kHz]:' on path %1 to: 12345.678",
         [](C *c, int p) { c->setCDMModParam(p, "2FSK", "Freq. Dev. [kHz]:", "12345.678"); }},
        {"%SASK:DEPTh 55", "Set CDM ASK modulation parameter 'Mod. Depth [%]:' on path %1 to: 55",
         [](C *c, int p) { c->setCDMModParam(p, "ASK", "Mod. Depth [%]:", "55"); }},
        {"%SAQPSK:ANGLe 45", "Set CDM AQPSK modulation parameter 'Angle Alpha [°]:' on path %1 to: 45",
         [](C *c, int p) { c->setCDMModParam(p, "AQPSK", utf8(CdmNames::LblAngleAlpha), "45"); }},
        {"%SMLISt:SELect \"QPSK_gray\"",
         "Set CDM USER modulation parameter 'Map. File:' on path %1 to: QPSK_gray",
         [](C *c, int p) { c->setCDMModParam(p, "USER", "Map. File:", "QPSK_gray"); }, 4},
        {"%S", "Set CDM USER modulation parameter 'Roll Off:' on path %1 to: 1",
         [](C *c, int p) { c->setCDMModParam(p, "USER", "Roll Off:", "1"); }, 4},
        {"%S", "Set CDM BPSK modulation parameter 'Mod. Depth [%]:' on path %1 to: 5",
         [](C *c, int p) { c->setCDMModParam(p, "BPSK", "Mod. Depth [%]:", "5"); }},
        {"%SSRATe 270.833 kHz", "Set CDM symbol rate on path %1 to: 270.833",
         [](C *c, int p) { c->setCDMSymbolRate(p, "270.833"); }},
        {"%SCODing APCO258PSK", "Set CDM coding on path %1 to: APCOS25 (8PSK)",
         [](C *c, int p) { c->setCDMCoding(p, "APCOS25 (8PSK)"); }},
        {"%SFILTer:TYPE LPASSEVM", "Set CDM filter type on path %1 to: Lowpass (EVM opti.)",
         [](C *c, int p) { c->setCDMFilterType(p, "Lowpass (EVM opti.)"); }},
        {"%SFILTer:PARameter:COSine:BANDwidth 100000",
         "Set CDM Cosine filter parameter Bandwidth [Hz]: on path %1 to: 100000",
         [](C *c, int p) { c->setCDMFilterParam(p, "Cosine", "Bandwidth [Hz]:", "100000"); }},
        {"%SFILTer:PARameter:APCO25Lsm:LOWPass 4000",
         "Set CDM APCOS25 (LSM) filter parameter LP Cutoff [Hz]: on path %1 to: 4000",
         [](C *c, int p) { c->setCDMFilterParam(p, "APCOS25 (LSM)", "LP Cutoff [Hz]:", "4000"); }},
        {"%SFLISt:SELect \"gauss_bt03\"",
         "Set CDM USER filter parameter Filter File: on path %1 to: gauss_bt03",
         [](C *c, int p) { c->setCDMFilterParam(p, "USER", "Filter File:", "gauss_bt03"); }, 5},
        {"%SPRAMp:SHAPe Linear", "Set CDM ramp function on path %1 to: Lin",
         [](C *c, int p) { c->setCDMRampFunction(p, "Lin"); }},
        {"%SPRAMp:TIME 2.5", "Set CDM ramp time on path %1 to: 2.5 symbols",
         [](C *c, int p) { c->setCDMRampTime(p, "2.5"); }},
        {"%SPRAMp:RDELay 1", "Set CDM ramp rise delay on path %1 to: 1 symbols",
         [](C *c, int p) { c->setCDMRampRiseDelay(p, "1"); }},
        {"%SPRAMp:FDELay 0.5", "Set CDM ramp fall delay on path %1 to: 0.5 symbols",
         [](C *c, int p) { c->setCDMRampFallDelay(p, "0.5"); }},
        {"%SPRAMp:ATTenuation 15", "Set CDM level attenuation on path %1 to: 15 dB",
         [](C *c, int p) { c->setCDMLevelAttenuation(p, "15"); }},
        {"%SPRAMp:BBONly:STATe ON", "Set CDM ramp baseband only on path %1 to state: ON",
         [](C *c, int p) { c->setCDMRampBBOnly(p, "ON"); }},
        {"%SPRAMp:STATe OFF", "Switch CDM ramp on path %1 to state: OFF",
         [](C *c, int p) { c->switchCDMRamp(p, "OFF"); }},
        {"%STRIGger:OUTPut2:MODE CLISt", "Set CDM marker 2 on path %1 to mode: CLISt",
         [](C *c, int p) { c->setCDMMarkerMode(p, 2, "CLISt"); }},
        {"%SSTATe ON", "Switch CDM on path %1 to: ON", [](C *c, int p) { c->switchCDM(p, "ON"); }},
        // Placeholder texts inside a value are not filled a second time.
        {"SOURce%1:FREQuency %3Hz", "Set RF frequency on path %1 to: %3Hz",
         [](C *c, int p) { c->setRFFrequency(p, "%3", "Hz"); }},
    };
}

} // namespace

class TstModelControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void settersSendTheirCommands_data();
    void settersSendTheirCommands();
    void pathsAModelLacksAreIgnored_data();
    void pathsAModelLacksAreIgnored();
    void markerRouting_data();
    void markerRouting();
    void failedRoutingKeepsTheTable();
    void gettersAndCatalogs_data();
    void gettersAndCatalogs();
    void deadSessionReportsErrorLines_data();
    void deadSessionReportsErrorLines();
    void unsafeArgumentsAreRefused();
    void databaseFromTheInstrumentReply();
    void instrumentAcceptsTheTables_data();
    void instrumentAcceptsTheTables();
};

void TstModelControls::initTestCase()
{
    const QString strBuild = qEnvironmentVariable("LISTFORGE_BUILD_DIR");
    QVERIFY2(QFile::exists(strBuild + "/listforge-sim"), qPrintable(strBuild));
    QVERIFY2(QFile::exists(strBuild + "/libvisa32.so"), qPrintable(strBuild));
}

void TstModelControls::settersSendTheirCommands_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("path");
    for (const QString &strModel : s_models) {
        QTest::newRow(qPrintable(strModel + " path A")) << strModel << 1;
        if (isTwoPathModel(strModel))
            QTest::newRow(qPrintable(strModel + " path B")) << strModel << 2;
    }
}

void TstModelControls::settersSendTheirCommands()
{
    QFETCH(QString, model);
    QFETCH(int, path);
    ModelHarness h;
    QVERIFY(h.start(model));
    const QString P = QString::number(path);
    for (const Case &k : setterCases(model == "ZOY550X")) {
        k.op(h.control(), path);
        QStringList lstCommands = k.dir ? dirCommands(model, k.dir) : QStringList();
        if (!k.command.isEmpty())
            lstCommands << QString(k.command).replace("%S", "SOURce%1:BB:DM:").replace("%1", P);
        QCOMPARE(h.takeCommands(), lstCommands);
        QCOMPARE(h.takeMessages(), QStringList{info(QString(k.message).replace("%1", P))});
    }
}

void TstModelControls::pathsAModelLacksAreIgnored_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("path");
    QTest::newRow("DVT path B") << "DVT330X" << 2;
    QTest::newRow("HERN path B") << "HERN330X" << 2;
    QTest::newRow("DVT path 0") << "DVT330X" << 0;
    QTest::newRow("GKR path 3") << "GKR550X" << 3;
    QTest::newRow("ZOY path -1") << "ZOY550X" << -1;
}

void TstModelControls::pathsAModelLacksAreIgnored()
{
    QFETCH(QString, model);
    QFETCH(int, path);
    ModelHarness h;
    QVERIFY(h.start(model));
    ClsInstrControl *c = h.control();
    // One operation of each way the path is checked (the plain setters share one).
    c->setRFFrequency(path, "1", "GHz");
    c->setCDMDataList(path, "a");
    c->setCDMPRBSType(path, "PRBS 9");
    c->setCDMModParam(path, "USER", "Map. File:", "m");
    c->setCDMFilterParam(path, "USER", "Filter File:", "f");
    c->setMarkerOutput(path, 1, "USER1");
    QCOMPARE(QStringList{c->getRFFrequency(path, 1.0, 2)} + c->getDataListCatalog(path) +
                 c->getMarkerOutputs(path, 1),
             QStringList{"0"});
    QCOMPARE(h.takeCommands(), QStringList());
    // The HERN330X refuses marker routing for every path, with its error line.
    const QStringList lstExpected =
        model == "HERN330X"
            ? QStringList{err(QString("Unable to assign marker 1 on path %1 to output: USER1").arg(path))}
            : QStringList{};
    QCOMPARE(h.takeMessages(), lstExpected);
}

void TstModelControls::markerRouting_data()
{
    modelRows({"GKR550X", "PLOXA550X", "DVT330X", "ZOY550X", "HERN330X"});
}

void TstModelControls::markerRouting()
{
    QFETCH(QString, model);
    ModelHarness h;
    QVERIFY(h.start(model));
    ClsInstrControl *c = h.control();
    if (model == "HERN330X") {
        // No routing at all: even a marker's own output is refused, and nothing is sent.
        c->setMarkerOutput(1, 1, "Marker1");
        c->setMarkerOutput(1, 2, "None");
        QCOMPARE(h.takeCommands(), QStringList());
        QCOMPARE(h.takeMessages(), QStringList({err("Unable to assign marker 1 on path 1 to output: Marker1"),
                                                err("Unable to assign marker 2 on path 1 to output: None")}));
        QCOMPARE(c->getMarkerOutputs(1, 2), QStringList{"Marker2"});
        return;
    }
    const bool bolZoy = model == "ZOY550X";
    const int intRoutable = bolZoy ? 1 : 4; // a routable marker of path A
    const QString M = QString::number(intRoutable);
    auto route = [&](const QString &strOutput, const QString &strSide) {
        return bolZoy ? QStringList{"OUTPut:" + strOutput + ":DIRection OUTPut",
                                    "OUTPut:" + strOutput + ":SIGNal MARK" + strSide + M}
                      : QStringList{"OUTPut:" + strOutput + ":SOURce " + strSide + "MARk" + M};
    };
    const QStringList lstAll = bolZoy ? QStringList{"USER1", "USER2", "USER3", "USER4", "USER5", "USER6"}
                                      : QStringList{"USER1", "USER2", "USER3", "USER4"};

    QCOMPARE(c->getMarkerOutputs(1, intRoutable), lstAll);
    if (!bolZoy) {
        QCOMPARE(c->getMarkerOutputs(1, 1), QStringList{"Marker1"});
        QCOMPARE(c->getMarkerOutputs(1, 3), QStringList{"AuxIO-Pin41"});
    }

    c->setMarkerOutput(1, intRoutable, "USER1");
    QCOMPARE(h.takeCommands(), route("USER1", "A"));
    QCOMPARE(h.takeMessages(), QStringList{info("Set marker " + M + " on path 1 to output: USER1")});

    // Moving the marker sends only the new route: leaving a connector sends nothing.
    c->setMarkerOutput(1, intRoutable, "USER2");
    QCOMPARE(h.takeCommands(), route("USER2", "A"));
    QCOMPARE(h.takeMessages(), QStringList{info("Set marker " + M + " on path 1 to output: USER2")});
    QStringList lstFree = lstAll;
    lstFree.removeAll("USER2");
    QCOMPARE(c->getMarkerOutputs(1, intRoutable), lstFree);
    QCOMPARE(c->getOutputUseMap().value("USER2"), true);
    QCOMPARE(c->getOutputUseMap().value("USER1"), false);
    QCOMPARE(c->getMarkerRouteTable()[0][intRoutable - 1].assignedOutput, QString("USER2"));

    if (model != "DVT330X") {
        // Path B's marker goes out as "B"; both used outputs are no longer offered.
        c->setMarkerOutput(2, intRoutable, "USER3");
        QCOMPARE(h.takeCommands(), route("USER3", "B"));
        QCOMPARE(h.takeMessages(), QStringList{info("Set marker " + M + " on path 2 to output: USER3")});
        lstFree.removeAll("USER3");
        QCOMPARE(c->getMarkerOutputs(1, intRoutable), lstFree);
        QCOMPARE(c->getMarkerOutputs(2, intRoutable), lstFree);
        c->setMarkerOutput(2, intRoutable, "None");
        QCOMPARE(h.takeCommands(), QStringList());
        lstFree.append("USER3");
        lstFree.sort();
    }

    // Release: the output is offered again, nothing is sent or reported.
    c->setMarkerOutput(1, intRoutable, "None");
    c->setMarkerOutput(1, intRoutable, "None");
    QCOMPARE(h.takeCommands(), QStringList());
    QCOMPARE(h.takeMessages(), QStringList());
    QCOMPARE(c->getMarkerOutputs(1, intRoutable), lstAll);
    // The instrument took every routing command.
    QCOMPARE(h.takeInstrumentErrors(), QString());

    // Markers outside the table, outputs the model does not have and other outputs for a
    // hard-wired marker are refused without a command and without a change.
    c->setMarkerOutput(1, intRoutable, "USER2");
    h.drain();
    const int intBeyond = bolZoy ? 4 : 5;
    c->setMarkerOutput(1, intBeyond, "USER1");
    c->setMarkerOutput(1, intRoutable, "USER9");
    c->setMarkerOutput(1, intRoutable, "USER1;*RST");
    if (!bolZoy) {
        c->setMarkerOutput(1, 1, "Marker1"); // its own output: no change, no message
        c->setMarkerOutput(1, 1, "USER1");
    }
    QCOMPARE(h.takeCommands(), QStringList());
    QStringList lstErrors = {
        err(QString("Unable to assign marker %1 on path 1 to output: USER1").arg(intBeyond)),
        err("Unable to assign marker " + M + " on path 1 to output: USER9"),
        err("Unable to assign marker " + M + " on path 1 to output: USER1;*RST")};
    if (!bolZoy)
        lstErrors << err("Unable to assign marker 1 on path 1 to output: USER1");
    QCOMPARE(h.takeMessages(), lstErrors);
    QCOMPARE(c->getMarkerOutputs(1, intBeyond), QStringList());
    QCOMPARE(c->getOutputUseMap().keys(), lstAll);
    QCOMPARE(c->getMarkerRouteTable()[0][intRoutable - 1].assignedOutput, QString("USER2"));
}

void TstModelControls::failedRoutingKeepsTheTable()
{
    for (const QString &strModel : {QString("GKR550X"), QString("ZOY550X")}) {
        ModelHarness h;
        QVERIFY(h.startUnreachable(strModel));
        ClsInstrControl *c = h.control();
        const QString M = strModel == "ZOY550X" ? "2" : "4";
        c->setMarkerOutput(1, M.toInt(), "USER1");
        QStringList lstExpected = {info("Set marker " + M + " on path 1 to output: USER1")};
        if (strModel == "ZOY550X")
            lstExpected << err("Unable to USER1 port to 'OUTPUT");
        lstExpected << err("Unable to assign marker " + M + " on path 1 to output: USER1");
        QCOMPARE(h.takeMessages(), lstExpected);
        // The table shows what was asked for; the error line tells that it did not happen.
        QVERIFY(!c->getMarkerOutputs(1, M.toInt()).contains("USER1"));
        QCOMPARE(c->getMarkerRouteTable()[0][M.toInt() - 1].assignedOutput, QString("USER1"));
    }
}

void TstModelControls::gettersAndCatalogs_data()
{
    modelRows();
}

void TstModelControls::gettersAndCatalogs()
{
    QFETCH(QString, model);
    ModelHarness h;
    QVERIFY(h.start(model));
    ClsInstrControl *c = h.control();

    c->setRFFrequency(1, "1.5", "GHz");
    h.drain();
    QCOMPARE(c->getRFFrequency(1, 1e9, 3), QString("1.500"));
    QCOMPARE(c->getRFFrequency(1, 1e6, 0), QString("1500"));
    QCOMPARE(c->getRFLevel(1, 1.0, 2), QString("-30.00")); // the instrument's preset level
    QCOMPARE(h.takeCommands(), QStringList({"SOURce1:FREQuency?", "SOURce1:FREQuency?",
                                            "SOURce1:POWer:LEVel:IMMediate:AMPLitude?"}));
    // A divisor that leaves no number is a failure, not "inf".
    QCOMPARE(c->getRFLevel(1, 0.0, 2), QString("0"));
    QCOMPARE(h.takeMessages(), QStringList{err("Unable to get RF level")});
    if (isTwoPathModel(model)) {
        c->setRFLevel(2, "-12.25", "");
        QCOMPARE(c->getRFLevel(2, 1.0, 1), QString("-12.3"));
    }
    h.drain();

    // No "DataLists" directory: only the root is selected and listed, nothing is reported.
    QCOMPARE(c->getDataListCatalog(1), QStringList());
    QCOMPARE(h.takeCommands(), dirCommands(model, 1) + QStringList{"MMEMory:DCATalog?"});
    QCOMPARE(h.takeMessages(), QStringList());

    // The mapping and filter directories exist on a fresh instrument.
    QCOMPARE(c->getMappingFileCatalog(1), QStringList({"16APSK_dvbs2", "8PSK_natural", "QPSK_gray"}));
    QCOMPARE(h.takeCommands(), dirCommands(model, 1) + QStringList{"MMEMory:DCATalog?"} +
                                   dirCommands(model, 4) + QStringList{"SOURce1:BB:DM:MLISt:CATalog?"});
    QCOMPARE(c->getFilterFileCatalog(1), QStringList({"gauss_bt03", "rc_alpha035"}));

    for (const QString &strFile : {QString("DataLists/b.dm_iqd"), QString("DataLists/a.dm_iqd"),
                                   QString("CtrlLists/c.dm_iqc"), QString("DataLists/x.dm_iqc")}) {
        QFile file(h.storageDir() + "/" + strFile);
        QVERIFY(QDir(h.storageDir()).mkpath(QFileInfo(strFile).path()) && file.open(QIODevice::WriteOnly));
        file.write("1");
    }
    h.takeCommands();
    QCOMPARE(c->getDataListCatalog(1), QStringList({"a", "b"}));
    QCOMPARE(h.takeCommands(), dirCommands(model, 1) + QStringList{"MMEMory:DCATalog?"} +
                                   dirCommands(model, 2) + QStringList{"SOURce1:BB:DM:DLISt:CATalog?"});
    QCOMPARE(c->getControlListCatalog(1), QStringList({"c"}));
    QCOMPARE(h.takeMessages(), QStringList());
}

void TstModelControls::deadSessionReportsErrorLines_data()
{
    modelRows({"GKR550X", "HERN330X", "ZOY550X"});
}

void TstModelControls::deadSessionReportsErrorLines()
{
    QFETCH(QString, model);
    TraceLines trace;
    ModelHarness h;
    QVERIFY(h.startUnreachable(model));
    ClsInstrControl *c = h.control();
    const QString strTag = model == "GKR550X" ? "CGKRCT  " : (model == "HERN330X" ? "CHERNCT " : "CZOYCT  ");
    // A failed option request; what the database makes of it is the database suite's.
    QVERIFY_TRACED(trace, TraceKindError, strTag + ": No RF option for path A available!!");

    const QStringList lstDirErrors =
        hasDriveLetters(model)
            ? QStringList{err("Unable to set default drive"), err("Unable to set default path")}
            : QStringList{err("Unable to set default drive/path")};
    // The setters that share one way of sending are rows of the fault matrix (path setting on an
    // instrument that cannot be opened); here the ones that select a directory first or send
    // on their own.
    c->setCDMDataList(1, "a");
    QCOMPARE(h.takeMessages(), QStringList{info("Set CDM data list file on path 1 to: a")} + lstDirErrors +
                                   QStringList{err("Unable to set CDM data list file")});
    c->setCDMPRBSType(1, "PRBS 23");
    c->setCDMFilterParam(1, "Root Cosine", "Roll Off:", "0.3");
    QCOMPARE(h.takeMessages(),
             QStringList({info("Set CDM PRBS type on path 1 to: PRBS 23"), err("Unable to set CDM PRBS type"),
                          info("Set CDM Root Cosine filter parameter Roll Off: on path 1 to: 0.3"),
                          err("Unable to set CDM filter parameter")}));
    QCOMPARE(c->getRFFrequency(1, 1.0, 0), QString("0"));
    QCOMPARE(h.takeMessages(), QStringList{err("Unable to get RF frequency")});
    // The catalogs find no directory: only the root selection reports.
    QCOMPARE(c->getFilterFileCatalog(1), QStringList());
    QCOMPARE(h.takeMessages(), lstDirErrors);
}

void TstModelControls::unsafeArgumentsAreRefused()
{
    ModelHarness h;
    QVERIFY(h.start("GKR550X"));
    ClsInstrControl *c = h.control();

    // Separators, block headers and control characters would change what runs; numbers that
    // are not finite and characters beyond Latin-1 would arrive as something else ("inf", "?").
    // Each with what the error line says it was unable to set.
    const QList<QPair<std::function<void()>, QString>> lstRefused = {
        {[c] { c->setRFFrequency(1, "1;*RST", "MHz"); }, "RF frequency"},
        {[c] { c->setRFLevel(1, "0", "dBm\n*RST"); }, "RF level"},
        {[c] { c->setCDMSymbolRate(1, "#9999999999"); }, "CDM symbol rate"},
        {[c] { c->setCDMModParam(1, "2FSK", "Freq. Dev. [kHz]:", "fast"); }, "CDM modulation parameter"},
        {[c] { c->setCDMModParam(1, "4FSK", "Freq. Dev. [kHz]:", "inf"); }, "CDM modulation parameter"},
        {[c] { c->setCDMModParam(1, "2FSK", "Freq. Dev. [kHz]:", "1e306"); }, "CDM modulation parameter"},
        {[c] { c->setRFFrequency(1, "1e999", "Hz"); }, "RF frequency"},
        {[c] { c->setCDMRampTime(1, "-Infinity"); }, "CDM ramp time"},
        {[c] { c->setCDMFilterParam(1, "Cosine", "Roll Off:", "NaN"); }, "CDM filter parameter"},
        {[c] { c->setCDMDataList(1, "a\rb"); }, "CDM data list file"},
        {[c] { c->setCDMDataList(1, QString::fromUtf8("\u03a9.dm")); }, "CDM data list file"},
        {[c] { c->setCDMModParam(1, "USER", "Map. File:", QString::fromUtf8("\u2013x")); },
         "CDM modulation parameter"},
        {[c] { c->setCDMModType(1, QString::fromUtf8("\u03c0/4 QPSK")); }, "CDM modulation type"},
        {[c] { c->setCDMMarkerMode(1, 1, QString::fromUtf8("CLIS\u0442")); }, "CDM marker mode"},
    };
    for (const auto &refused : lstRefused) {
        refused.first();
        QCOMPARE(h.takeCommands(), QStringList());
        // The information line, then the error line.
        QCOMPARE(h.takeMessages().mid(1), QStringList{err("Unable to set " + refused.second)});
    }
    // The information line still shows what was asked for.
    c->setCDMDataList(1, QString::fromUtf8("\u03a9.dm"));
    QCOMPARE(h.takeMessages().first(),
             info(QString::fromUtf8("Set CDM data list file on path 1 to: \u03a9.dm")));

    // Quotes inside file names are doubled, so the name cannot end its string.
    c->setCDMControlList(1, "it's;x");
    c->setCDMModParam(1, "USER", "Map. File:", "say \"hi\"");
    QCOMPARE(h.takeCommands(), dirCommands("GKR550X", 3) + QStringList{"SOURce1:BB:DM:CLIS:SEL 'it''s;x'"} +
                                   dirCommands("GKR550X", 4) +
                                   QStringList{"SOURce1:BB:DM:MLISt:SELect \"say \"\"hi\"\"\""});
    // Both arrive as one string each: the instrument only misses the directory and the files.
    const QString strErrors = h.takeInstrumentErrors();
    QCOMPARE(strErrors.count("-256,"), 3);
    QCOMPARE(strErrors.count('\n'), 3);
}

void TstModelControls::databaseFromTheInstrumentReply()
{
    // What the database makes of an option list is the database suite's; here the list is the
    // instrument's own reply, repeats and spaces as it sends them. (Separator, drive and root of
    // each model are in the directory commands of the setter rows.)
    ModelHarness h;
    QVERIFY(
        h.start("GKR550X", {"--options", "GKR-K42, GKR-B222,GKR-B106,GKR-B103, GKR-B222,GKR-K42,GKR-B9"}));
    ClsInstrControl *c = h.control();
    QCOMPARE(c->getOptionsText(), QString("GKR-K42,GKR-B222,GKR-B106,GKR-B103,GKR-B222,GKR-K42,GKR-B9"));
    QCOMPARE(c->getInstalledOptions(),
             QStringList({"GKR-B9", "GKR-B103", "GKR-B106", "GKR-B222", "GKR-B222", "GKR-K42", "GKR-K42"}));
    QCOMPARE(c->getNumRFPaths(), 2);
    QCOMPARE(c->getRFFreqMax(2), 2.2e9);
    QCOMPARE(c->getDigStdIntList(2), QStringList{"3GPP FDD"});
}

void TstModelControls::instrumentAcceptsTheTables_data()
{
    modelRows({"GKR550X", "ZOY550X"});
}

// Every entry the model database offers goes out as a command the instrument takes: the
// mnemonics of modulations, codings, filters, parameters, sources and markers.
void TstModelControls::instrumentAcceptsTheTables()
{
    QFETCH(QString, model);
    ModelHarness h;
    QVERIFY(h.start(model));
    ClsInstrControl *c = h.control();
    const QMap<QString, ModulationInfo> mapMod = c->getModulationTable();
    QStringList lstCodings;
    for (auto it = mapMod.cbegin(); it != mapMod.cend(); ++it) {
        c->setCDMModType(1, it.key());
        if (it.value().paramLabel != "None" && it.value().paramMin != "None")
            c->setCDMModParam(1, it.key(), it.value().paramLabel, it.value().paramMax);
        lstCodings << it.value().codings;
    }
    lstCodings.removeDuplicates();
    for (const QString &strCoding : lstCodings)
        c->setCDMCoding(1, strCoding);
    const QMap<QString, FilterInfo> mapFilters = c->getFilterTable();
    for (auto it = mapFilters.cbegin(); it != mapFilters.cend(); ++it) {
        c->setCDMFilterType(1, it.key());
        for (int intParam = 0; intParam < 2; ++intParam) {
            if (it.value().paramMins[intParam] != "None")
                c->setCDMFilterParam(1, it.key(), it.value().paramLabels[intParam],
                                     it.value().paramMins[intParam]);
        }
    }
    const QMap<QString, DataSourceInfo> mapSources = c->getDataSourceTable();
    for (auto it = mapSources.cbegin(); it != mapSources.cend(); ++it) {
        c->setCDMDataSource(1, it.key());
        for (const QString &strPrbs : it.value().prbsTypes)
            c->setCDMPRBSType(1, strPrbs);
    }
    c->setCDMRampFunction(1, "Lin");
    c->setCDMRampFunction(1, "Cos");
    for (int intMarker = 1; intMarker <= c->getNumMarkers(); ++intMarker)
        c->setCDMMarkerMode(c->getNumBBPaths(), intMarker, "RATio");
    QCOMPARE(h.takeInstrumentErrors(), QString());
    // The check can fail: a marker the instrument lacks is refused.
    c->setCDMMarkerMode(1, c->getNumMarkers() + 1, "RATio");
    QVERIFY(!h.takeInstrumentErrors().isEmpty());
}

QTEST_GUILESS_MAIN(TstModelControls)
#include "tst_modelcontrols.moc"
