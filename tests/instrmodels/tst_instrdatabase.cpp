// The model databases built from option lists, without an instrument: path and baseband
// counts, frequency and level limits, option order, digital standards, symbol-rate rows and
// the tables handed to the main window.

#include "instrument/cdmdisplaynames.h"
#include "instrument/clsdvtcontrol.h"
#include "instrument/clsgkrcontrol.h"
#include "instrument/clsherncontrol.h"
#include "instrument/clsploxacontrol.h"
#include "instrument/clssiggenoptions.h"
#include "instrument/clszoycontrol.h"
#include "instrument/instrdatabasebuilder.h"
#include "instrument/options_codes.h"

#include <QtTest>

namespace {

struct Built
{
    QStringList options;
    InstrDatabase database;
    bool pathAFound = false;
};

Built build(const ModelDescription &model, const QString &strOptionsText)
{
    Built built;
    ClsSigGenOptions options(model.optionModel);
    built.options = InstrDatabaseBuilder::installedOptionList(strOptionsText);
    built.pathAFound = InstrDatabaseBuilder::fill(model, built.options, options, built.database);
    return built;
}

QString utf8(const char *pText)
{
    return QString::fromUtf8(pText);
}

} // namespace

class TstInstrDatabase : public QObject
{
    Q_OBJECT

private slots:
    void optionOrder();
    void rfPathsAndFrequencyLimits_data();
    void rfPathsAndFrequencyLimits();
    void basebandPaths_data();
    void basebandPaths();
    void levelLimits_data();
    void levelLimits();
    void failedOptionRequestStillGivesFullTables();
    void digitalStandards();
    void symbolRatesAndDeviation_data();
    void symbolRatesAndDeviation();
    void rampLimitsAndMarkerRoutes();
};

void TstInstrDatabase::optionOrder()
{
    // B before K, numbers compared as numbers, duplicates kept next to each other, empty parts kept.
    const QStringList lstSorted = InstrDatabaseBuilder::installedOptionList(
        QStringLiteral("ZOY-K42,ZOY-B106,ZOY-B10,,ZOY-B9,ZOY-K42,ZOY-B10"));
    QCOMPARE(lstSorted, QStringList({QString(), QStringLiteral("ZOY-B9"), QStringLiteral("ZOY-B10"),
                                     QStringLiteral("ZOY-B10"), QStringLiteral("ZOY-B106"),
                                     QStringLiteral("ZOY-K42"), QStringLiteral("ZOY-K42")}));
    QCOMPARE(InstrDatabaseBuilder::installedOptionList(QString()), QStringList{QString()});
}

void TstInstrDatabase::rfPathsAndFrequencyLimits_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("paths");
    QTest::addColumn<bool>("pathAFound");
    QTest::addColumn<double>("maxA");
    QTest::addColumn<double>("minB");
    QTest::addColumn<double>("maxB");

    // Last match in table order wins, whatever the order of the reply.
    QTest::newRow("GKR 6 GHz listed before 3 GHz")
        << 1 << "GKR-B106,GKR-B103" << 1 << true << 6e9 << 0.0 << 0.0;
    QTest::newRow("GKR 2.2 and 4 GHz") << 1 << "GKR-B104,GKR-B122" << 1 << true << 4e9 << 0.0 << 0.0;
    QTest::newRow("GKR path B option listed twice")
        << 1 << "GKR-B103,GKR-B222,GKR-B222" << 2 << true << 3e9 << 1e5 << 2.2e9;
    QTest::newRow("GKR both path B options")
        << 1 << "GKR-B203,GKR-B222,GKR-B103" << 2 << true << 3e9 << 1e5 << 3e9;
    QTest::newRow("GKR path B option in lower case")
        << 1 << "GKR-B103,gkr-b203" << 1 << true << 3e9 << 0.0 << 0.0;
    QTest::newRow("GKR path B code with suffix")
        << 1 << "GKR-B103,GKR-B203X" << 1 << true << 3e9 << 0.0 << 0.0;
    QTest::newRow("GKR without path A option") << 1 << "GKR-B203,GKR-K40" << 2 << false << 0.0 << 1e5 << 3e9;
    QTest::newRow("PLOXA path B 6 GHz") << 2 << "PLOXA-B103,PLOXA-B206" << 2 << true << 3e9 << 1e5 << 6e9;
    QTest::newRow("DVT ignores other families' path B codes")
        << 0 << "DVT-B106,GKR-B203" << 1 << true << 6e9 << 0.0 << 0.0;
    QTest::newRow("HERN 3.2 GHz") << 3 << "HERN-B132" << 1 << true << 3.2e9 << 0.0 << 0.0;
    QTest::newRow("ZOY 40 GHz, path B 12.75 GHz")
        << 4 << "ZOY-B112,ZOY-B140,ZOY-B212" << 2 << true << 40e9 << 1e5 << 12.75e9;
    // The band-limited 40 GHz option sets no limits of its own.
    QTest::newRow("ZOY limited 40 GHz only") << 4 << "ZOY-B140N" << 1 << false << 0.0 << 0.0 << 0.0;
    QTest::newRow("ZOY limited 40 GHz with 20 GHz")
        << 4 << "ZOY-B140N,ZOY-B120" << 1 << true << 20e9 << 0.0 << 0.0;
}

namespace {
ModelDescription descriptionOf(int intModel)
{
    switch (intModel) {
    case ClsSigGenOptions::ModelDVT330X:
        return ClsDVTControl::description();
    case ClsSigGenOptions::ModelGKR550X:
        return ClsGKRControl::description();
    case ClsSigGenOptions::ModelPLOXA550X:
        return ClsPLOXAControl::description();
    case ClsSigGenOptions::ModelHERN330X:
        return ClsHERNControl::description();
    default:
        return ClsZOYControl::description();
    }
}
} // namespace

void TstInstrDatabase::rfPathsAndFrequencyLimits()
{
    QFETCH(int, model);
    QFETCH(QString, options);
    QFETCH(int, paths);
    QFETCH(bool, pathAFound);
    QFETCH(double, maxA);
    QFETCH(double, minB);
    QFETCH(double, maxB);

    const ModelDescription description = descriptionOf(model);
    const Built built = build(description, options);
    QCOMPARE(built.database.numRFPaths, paths);
    QCOMPARE(built.pathAFound, pathAFound);
    const double dblMinA = !pathAFound ? 0.0 : (model == ClsSigGenOptions::ModelHERN330X ? 9e3 : 1e5);
    QCOMPARE(built.database.rfFreqMin[0], dblMinA);
    QCOMPARE(built.database.rfFreqMax[0], maxA);
    QCOMPARE(built.database.rfFreqMin[1], minB);
    QCOMPARE(built.database.rfFreqMax[1], maxB);
}

void TstInstrDatabase::basebandPaths_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("paths");

    QTest::newRow("GKR one generator") << 1 << "GKR-B103,GKR-B10" << 1;
    QTest::newRow("GKR two different generators") << 1 << "GKR-B11,GKR-B13" << 2;
    QTest::newRow("GKR one generator twice") << 1 << "GKR-B13,GKR-K40,GKR-B13" << 2;
    QTest::newRow("GKR memory extension is no generator") << 1 << "GKR-B10,GKR-B50" << 1;
    QTest::newRow("PLOXA two different generators") << 2 << "PLOXA-B10,PLOXA-B13" << 2;
    QTest::newRow("ZOY two different generators") << 4 << "ZOY-B9,ZOY-B10" << 1;
    QTest::newRow("ZOY standard generator twice") << 4 << "ZOY-B10,ZOY-B10" << 2;
    QTest::newRow("ZOY wideband generator twice") << 4 << "ZOY-B9,ZOY-B9" << 2;
    QTest::newRow("DVT generator twice") << 0 << "DVT-B10,DVT-B10" << 1;
    QTest::newRow("HERN generator twice") << 3 << "HERN-B10,HERN-B10" << 1;
}

void TstInstrDatabase::basebandPaths()
{
    QFETCH(int, model);
    QFETCH(QString, options);
    QFETCH(int, paths);
    QCOMPARE(build(descriptionOf(model), options).database.numBBPaths, paths);
}

void TstInstrDatabase::levelLimits_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("options");
    QTest::addColumn<double>("maxA");
    QTest::addColumn<double>("minB");
    QTest::addColumn<double>("maxB");

    QTest::newRow("GKR standard") << 1 << "GKR-B103,GKR-B203" << 20.0 << -145.0 << 20.0;
    QTest::newRow("GKR high power B only") << 1 << "GKR-B103,GKR-B203,GKR-B32" << 20.0 << -145.0 << 30.0;
    QTest::newRow("GKR high power A, one path") << 1 << "GKR-B103,GKR-B31,GKR-B32" << 30.0 << 0.0 << 0.0;
    QTest::newRow("PLOXA high power A") << 2 << "PLOXA-B103,PLOXA-B203,PLOXA-B31" << 30.0 << -145.0 << 20.0;
    QTest::newRow("DVT ignores high-power codes") << 0 << "DVT-B103,GKR-B31" << 20.0 << 0.0 << 0.0;
    QTest::newRow("HERN") << 3 << "HERN-B106" << 30.0 << 0.0 << 0.0;
    QTest::newRow("ZOY two paths") << 4 << "ZOY-B106,ZOY-B206" << 30.0 << -145.0 << 30.0;
}

void TstInstrDatabase::levelLimits()
{
    QFETCH(int, model);
    QFETCH(QString, options);
    QFETCH(double, maxA);
    QFETCH(double, minB);
    QFETCH(double, maxB);
    const Built built = build(descriptionOf(model), options);
    QCOMPARE(built.database.rfLevelMin[0], -145.0);
    QCOMPARE(built.database.rfLevelMax[0], maxA);
    QCOMPARE(built.database.rfLevelMin[1], minB);
    QCOMPARE(built.database.rfLevelMax[1], maxB);
}

void TstInstrDatabase::failedOptionRequestStillGivesFullTables()
{
    for (int intModel = 0; intModel <= 4; ++intModel) {
        const ModelDescription description = descriptionOf(intModel);
        const Built built = build(description, QString());
        QCOMPARE(built.options, QStringList{QString()});
        QVERIFY(!built.pathAFound);
        QCOMPARE(built.database.numRFPaths, 1);
        QCOMPARE(built.database.numBBPaths, 1);
        QCOMPARE(built.database.rfFreqMax[0], 0.0);
        QCOMPARE(built.database.dataSources.size(), 4);
        QCOMPARE(built.database.modulations.size(), intModel == ClsSigGenOptions::ModelZOY550X ? 26 : 25);
        QCOMPARE(built.database.filters.size(), 22);
        QCOMPARE(built.database.markerRoutes.value(0).size(), description.markers);
        QVERIFY(built.database.digStdIntA.isEmpty());
    }
}

void TstInstrDatabase::digitalStandards()
{
    // Two-path model: once for path A, a second licence once for path B; order as sorted.
    const Built gkr =
        build(ClsGKRControl::description(),
              QStringLiteral("GKR-K42,GKR-K253,GKR-K40,GKR-K42,GKR-K253,GKR-K253,GKR-B103,XYZ-K1"));
    QCOMPARE(gkr.database.digStdIntA, QStringList({"GSM/EDGE", "3GPP FDD"}));
    QCOMPARE(gkr.database.digStdIntB, QStringList({"3GPP FDD"}));
    QCOMPARE(gkr.database.digStdExtA, QStringList({"LTE/E-UTRA"}));
    QCOMPARE(gkr.database.digStdExtB, QStringList({"LTE/E-UTRA"}));

    // The code listed under "Misc" and "DigStdInt" counts as a standard.
    const Built gkrMulti = build(ClsGKRControl::description(), QStringLiteral("GKR-K48"));
    QCOMPARE(gkrMulti.database.digStdIntA, QStringList({"Multicarrier CW"}));
    QVERIFY(gkrMulti.database.digStdIntB.isEmpty());

    const Built zoy = build(ClsZOYControl::description(), QStringLiteral("ZOY-K42,ZOY-K42,ZOY-K53"));
    QCOMPARE(zoy.database.digStdIntB, QStringList({"3GPP FDD"}));

    // Single-path model: every entry for path A, path B empty.
    const Built dvt = build(ClsDVTControl::description(), QStringLiteral("DVT-K42,DVT-K40,DVT-K42,DVT-K242"));
    QCOMPARE(dvt.database.digStdIntA, QStringList({"GSM/EDGE", "3GPP FDD", "3GPP FDD"}));
    QVERIFY(dvt.database.digStdIntB.isEmpty());
    QCOMPARE(dvt.database.digStdExtA, QStringList({"3GPP FDD"}));
    QVERIFY(dvt.database.digStdExtB.isEmpty());
}

void TstInstrDatabase::symbolRatesAndDeviation_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("rateMin");
    QTest::addColumn<QString>("qpskMax");
    QTest::addColumn<QString>("mskMax");
    QTest::addColumn<QString>("fskMax");
    QTest::addColumn<QString>("deviationMax");

    QTest::newRow("GKR") << 1 << "GKR-B103"
                         << "0.4"
                         << "25000"
                         << "20000"
                         << "15000"
                         << "15000";
    QTest::newRow("PLOXA") << 2 << "PLOXA-B103"
                           << "0.4"
                           << "25000"
                           << "20000"
                           << "15000"
                           << "15000";
    QTest::newRow("DVT") << 0 << "DVT-B103"
                         << "0.4"
                         << "25000"
                         << "20000"
                         << "15000"
                         << "15000";
    QTest::newRow("HERN without licence") << 3 << "HERN-B106"
                                          << "0.05"
                                          << "50000"
                                          << "40000"
                                          << "40000"
                                          << "15000";
    QTest::newRow("HERN with licence") << 3 << "HERN-K520,HERN-B106"
                                       << "0.05"
                                       << "60000"
                                       << "50000"
                                       << "50000"
                                       << "15000";
    QTest::newRow("ZOY standard generator") << 4 << "ZOY-B10,ZOY-B103"
                                            << "0.05"
                                            << "100000"
                                            << "100000"
                                            << "100000"
                                            << "40000";
    QTest::newRow("ZOY wideband generator") << 4 << "ZOY-B9,ZOY-B103"
                                            << "0.05"
                                            << "600000"
                                            << "600000"
                                            << "600000"
                                            << "40000";
}

void TstInstrDatabase::symbolRatesAndDeviation()
{
    QFETCH(int, model);
    QFETCH(QString, options);
    QFETCH(QString, rateMin);
    QFETCH(QString, qpskMax);
    QFETCH(QString, mskMax);
    QFETCH(QString, fskMax);
    QFETCH(QString, deviationMax);

    const QMap<QString, ModulationInfo> mapMod = build(descriptionOf(model), options).database.modulations;
    for (auto it = mapMod.cbegin(); it != mapMod.cend(); ++it)
        QCOMPARE(it.value().symbolRateMin, rateMin);
    for (const char *pName :
         {CdmNames::ModAsk, CdmNames::ModQpsk, CdmNames::Mod1024Qam, CdmNames::Mod32QamEdge})
        QCOMPARE(mapMod.value(utf8(pName)).symbolRateMax, qpskMax);
    QCOMPARE(mapMod.value(utf8(CdmNames::ModMsk)).symbolRateMax, mskMax);
    for (const char *pName : {CdmNames::Mod2Fsk, CdmNames::Mod4Fsk, CdmNames::ModUser})
        QCOMPARE(mapMod.value(utf8(pName)).symbolRateMax, fskMax);
    for (const char *pName : {CdmNames::Mod2Fsk, CdmNames::Mod4Fsk}) {
        QCOMPARE(mapMod.value(utf8(pName)).paramLabel, utf8(CdmNames::LblFreqDev));
        QCOMPARE(mapMod.value(utf8(pName)).paramMin, QStringLiteral("0.001"));
        QCOMPARE(mapMod.value(utf8(pName)).paramMax, deviationMax);
    }
    QCOMPARE(mapMod.contains(utf8(CdmNames::Mod4096Qam)), model == ClsSigGenOptions::ModelZOY550X);
    if (model == ClsSigGenOptions::ModelZOY550X)
        QCOMPARE(mapMod.value(utf8(CdmNames::Mod4096Qam)).symbolRateMax, qpskMax);
}

void TstInstrDatabase::rampLimitsAndMarkerRoutes()
{
    const InstrDatabase gkr = build(ClsGKRControl::description(), QStringLiteral("GKR-B103")).database;
    const InstrDatabase dvt = build(ClsDVTControl::description(), QStringLiteral("DVT-B103")).database;
    const InstrDatabase zoy = build(ClsZOYControl::description(), QStringLiteral("ZOY-B103")).database;
    const InstrDatabase hern = build(ClsHERNControl::description(), QStringLiteral("HERN-B106")).database;
    for (int intIndex = 0; intIndex < 8; ++intIndex)
        QCOMPARE(dvt.cdmRampLimits[intIndex], gkr.cdmRampLimits[intIndex]);
    QCOMPARE(gkr.cdmRampLimits[RampRiseDelayMin], -4.0);
    QCOMPARE(zoy.cdmRampLimits[RampRiseDelayMin], 0.0);
    QCOMPARE(zoy.cdmRampLimits[RampFallDelayMin], 0.0);
    QCOMPARE(zoy.cdmRampLimits[LevelAttenuationMax], 50.0);

    // Two-path models describe path B even with one RF path.
    QCOMPARE(gkr.numRFPaths, 1);
    QCOMPARE(gkr.markerRoutes.size(), 2);
    QCOMPARE(gkr.markerRoutes[1][0].fixedOutput, QStringLiteral("Marker1B"));
    QCOMPARE(gkr.markerRoutes[1][0].assignedOutput, QStringLiteral("Marker1B"));
    QCOMPARE(gkr.markerRoutes[0][3].routable, 1);
    QCOMPARE(gkr.markerRoutes[0][3].assignedOutput, QStringLiteral("None"));
    QVERIFY(gkr.markerRoutes[0][3].fixedOutput.isEmpty());
    QCOMPARE(dvt.markerRoutes.size(), 1);
    QCOMPARE(hern.markerRoutes.size(), 1);
    QCOMPARE(hern.markerRoutes[0].size(), 2);
    QVERIFY(hern.outputUse.isEmpty());
    QCOMPARE(zoy.outputUse.keys(), QStringList({"USER1", "USER2", "USER3", "USER4", "USER5", "USER6"}));
    QCOMPARE(zoy.markerRoutes[1].size(), 3);
    QCOMPARE(zoy.numMarkers, 3);
    QCOMPARE(hern.numMarkers, 2);
}

QTEST_GUILESS_MAIN(TstInstrDatabase)
#include "tst_instrdatabase.moc"
