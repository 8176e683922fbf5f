// The model databases built from option lists, without an instrument: path and baseband
// counts, frequency and level limits, digital standards, symbol-rate rows and the tables handed
// to the main window, against the values the instruments work with.

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

// By model number of ClsSigGenOptions.
ModelDescription descriptionOf(int intModel)
{
    const ModelDescription descriptions[] = {ClsDVTControl::description(), ClsGKRControl::description(),
                                             ClsPLOXAControl::description(), ClsHERNControl::description(),
                                             ClsZOYControl::description()};
    return descriptions[intModel];
}

// "1 2e9" -> {1, 2e9}
QVector<double> numbers(const QString &strText)
{
    QVector<double> values;
    for (const QString &strValue : strText.split(' '))
        values << strValue.toDouble();
    return values;
}

} // namespace

class TstInstrDatabase : public QObject
{
    Q_OBJECT

private slots:
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
    void markerRoutes();
    void valuesAnInstrumentNeeds_data();
    void valuesAnInstrumentNeeds();
};

void TstInstrDatabase::rfPathsAndFrequencyLimits_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("limits"); // RF paths, path A found (0/1), max A, min B, max B
    // Last match in table order wins, whatever the order of the reply.
    QTest::newRow("GKR 6 GHz before 3 GHz") << "GKR-B106,GKR-B103" << 1 << "1 1 6e9 0 0";
    QTest::newRow("GKR 2.2 and 4 GHz") << "GKR-B104,GKR-B122" << 1 << "1 1 4e9 0 0";
    QTest::newRow("GKR B option twice") << "GKR-B103,GKR-B222,GKR-B222" << 1 << "2 1 3e9 1e5 2.2e9";
    QTest::newRow("GKR both B options") << "GKR-B203,GKR-B222,GKR-B103" << 1 << "2 1 3e9 1e5 3e9";
    QTest::newRow("GKR B option lower case") << "GKR-B103,gkr-b203" << 1 << "1 1 3e9 0 0";
    QTest::newRow("GKR B code with suffix") << "GKR-B103,GKR-B203X" << 1 << "1 1 3e9 0 0";
    QTest::newRow("GKR without path A option") << "GKR-B203,GKR-K40" << 1 << "2 0 0 1e5 3e9";
    QTest::newRow("PLOXA path B 6 GHz") << "PLOXA-B103,PLOXA-B206" << 2 << "2 1 3e9 1e5 6e9";
    QTest::newRow("DVT ignores GKR B code") << "DVT-B106,GKR-B203" << 0 << "1 1 6e9 0 0";
    QTest::newRow("HERN 3.2 GHz") << "HERN-B132" << 3 << "1 1 3.2e9 0 0";
    QTest::newRow("ZOY 40 GHz, B 12.75 GHz") << "ZOY-B112,ZOY-B140,ZOY-B212" << 4 << "2 1 40e9 1e5 12.75e9";
    // The band-limited 40 GHz option sets no limits of its own.
    QTest::newRow("ZOY limited 40 GHz only") << "ZOY-B140N" << 4 << "1 0 0 0 0";
    QTest::newRow("ZOY limited 40 + 20 GHz") << "ZOY-B140N,ZOY-B120" << 4 << "1 1 20e9 0 0";
}

void TstInstrDatabase::rfPathsAndFrequencyLimits()
{
    QFETCH(int, model);
    QFETCH(QString, options);
    QFETCH(QString, limits);
    const QVector<double> expected = numbers(limits);
    const Built built = build(descriptionOf(model), options);
    const InstrDatabase &db = built.database;
    QCOMPARE((QVector<double>{double(db.numRFPaths), double(built.pathAFound), db.rfFreqMax[0],
                              db.rfFreqMin[1], db.rfFreqMax[1]}),
             expected);
    const double dblMinA = !built.pathAFound ? 0.0 : (model == ClsSigGenOptions::ModelHERN330X ? 9e3 : 1e5);
    QCOMPARE(db.rfFreqMin[0], dblMinA);
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
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("limits"); // max A, min B, max B in dBm (min A is -145)
    QTest::newRow("GKR standard") << "GKR-B103,GKR-B203" << 1 << "20 -145 20";
    QTest::newRow("GKR high power B only") << "GKR-B103,GKR-B203,GKR-B32" << 1 << "20 -145 30";
    QTest::newRow("GKR high power A, one path") << "GKR-B103,GKR-B31,GKR-B32" << 1 << "30 0 0";
    QTest::newRow("PLOXA high power A") << "PLOXA-B103,PLOXA-B203,PLOXA-B31" << 2 << "30 -145 20";
    QTest::newRow("DVT ignores high-power codes") << "DVT-B103,GKR-B31" << 0 << "20 0 0";
    QTest::newRow("HERN") << "HERN-B106" << 3 << "30 0 0";
    QTest::newRow("ZOY two paths") << "ZOY-B106,ZOY-B206" << 4 << "30 -145 30";
}

void TstInstrDatabase::levelLimits()
{
    QFETCH(int, model);
    QFETCH(QString, options);
    QFETCH(QString, limits);
    const InstrDatabase database = build(descriptionOf(model), options).database;
    QCOMPARE(database.rfLevelMin[0], -145.0);
    QCOMPARE((QVector<double>{database.rfLevelMax[0], database.rfLevelMin[1], database.rfLevelMax[1]}),
             numbers(limits));
}

void TstInstrDatabase::failedOptionRequestStillGivesFullTables()
{
    for (int intModel = 0; intModel <= 4; ++intModel) {
        const ModelDescription description = descriptionOf(intModel);
        const Built built = build(description, QString());
        const InstrDatabase &db = built.database;
        QCOMPARE(built.options, QStringList{QString()});
        QCOMPARE(db.rfFreqMax[0], 0.0);
        QCOMPARE((QVector<qint64>{built.pathAFound, db.numRFPaths, db.numBBPaths, db.dataSources.size(),
                                  db.modulations.size(), db.filters.size(), db.markerRoutes.value(0).size(),
                                  db.digStdIntA.size()}),
                 (QVector<qint64>{false, 1, 1, 4, intModel == ClsSigGenOptions::ModelZOY550X ? 26 : 25, 22,
                                  description.markers, 0}));
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
    // Symbol rates in kHz: minimum, maximum of QPSK and the other phase and amplitude formats, of
    // MSK, of FSK and USER; then the maximum FSK deviation in kHz.
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("limits");
    QTest::newRow("GKR") << "GKR-B103" << 1 << "0.4 25000 20000 15000 15000";
    QTest::newRow("PLOXA") << "PLOXA-B103" << 2 << "0.4 25000 20000 15000 15000";
    QTest::newRow("DVT") << "DVT-B103" << 0 << "0.4 25000 20000 15000 15000";
    QTest::newRow("HERN without licence") << "HERN-B106" << 3 << "0.05 50000 40000 40000 15000";
    QTest::newRow("HERN with licence") << "HERN-K520,HERN-B106" << 3 << "0.05 60000 50000 50000 15000";
    QTest::newRow("ZOY standard generator") << "ZOY-B10,ZOY-B103" << 4 << "0.05 100000 100000 100000 40000";
    QTest::newRow("ZOY wideband generator") << "ZOY-B9,ZOY-B103" << 4 << "0.05 600000 600000 600000 40000";
}

void TstInstrDatabase::symbolRatesAndDeviation()
{
    QFETCH(QString, options);
    QFETCH(int, model);
    QFETCH(QString, limits);
    const QStringList lstLimits = limits.split(' ');
    const QString rateMin = lstLimits.at(0), qpskMax = lstLimits.at(1), mskMax = lstLimits.at(2);
    const QString fskMax = lstLimits.at(3), deviationMax = lstLimits.at(4);

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

void TstInstrDatabase::markerRoutes()
{
    // Two-path models describe path B even with one RF path, single-path models only path A.
    const InstrDatabase gkr = build(ClsGKRControl::description(), QStringLiteral("GKR-B103")).database;
    const InstrDatabase dvt = build(ClsDVTControl::description(), QStringLiteral("DVT-B103")).database;
    const MarkerRoute &b1 = gkr.markerRoutes.value(1).value(0), &a4 = gkr.markerRoutes.value(0).value(3);
    // RF paths, routed paths of both models, then marker 1 of path B and marker 4 of path A.
    QCOMPARE((QVariantList{gkr.numRFPaths, gkr.markerRoutes.size(), dvt.markerRoutes.size(), b1.fixedOutput,
                           b1.assignedOutput, a4.routable, a4.assignedOutput, a4.fixedOutput}),
             (QVariantList{1, 2, 1, "Marker1B", "Marker1B", 1, "None", ""}));
}

// What a real instrument takes, written out once: the rows of the modulation table ("bits per
// symbol|parameter label|minimum|maximum|codings"), of the filter table (label, minimum and maximum
// of both parameters) and the eight ramp limits. A data list or a filter set up with a wrong
// value here plays wrongly on the instrument.
void TstInstrDatabase::valuesAnInstrumentNeeds_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("values");
    const QString dg = "None,Differential,Differential+Gray,Gray";
    const QString qam = "None,Differential,Phase Differential,Differential+Gray,Gray";
    const QString n = "None|None|None";
    auto mod = [](const char *key, int model, const QString &values) {
        QTest::newRow(key) << model << "mod" << QString::fromUtf8(key) << values;
    };
    mod("ASK", 1, "1|Mod. Depth [%]:|0|100|" + dg);
    mod("BPSK", 1, "1|" + n + "|" + dg);
    mod("QPSK", 1, "2|" + n + "|" + dg + ",INMARSAT,ICO,WCDMA,CDMA2000");
    mod("QPSK 45° Off.", 1, "2|" + n + "|" + dg);
    mod("QPSK EDGE", 1, "2|" + n + "|None");
    mod("AQPSK", 1, "2|Angle Alpha [°]:|0|180|" + dg);
    mod("OQPSK", 1, "2|" + n + "|" + dg);
    mod("Pi/4 QPSK", 1, "2|" + n + "|None,Differential,Gray");
    mod("Pi/2 DBPSK", 1, "1|" + n + "|None,Gray");
    mod("Pi/4 DQPSK", 1, "2|" + n + "|None,Gray,NADC,PDC,PHS,TETRA,APCOS25 (PSK),PWT,TFTS/TETRA");
    mod("Pi/8 D8PSK", 1, "3|" + n + "|None,Gray,APCOS25 (8PSK)");
    mod("8PSK", 1, "3|" + n + "|" + dg + ",VDL");
    mod("8PSK EDGE", 1, "3|" + n + "|None");
    mod("16QAM", 1, "4|" + n + "|" + qam);
    mod("16QAM EDGE", 1, "4|" + n + "|None");
    mod("32QAM", 1, "5|" + n + "|" + qam);
    mod("32QAM EDGE", 1, "5|" + n + "|None");
    mod("64QAM", 1, "6|" + n + "|" + qam);
    mod("128QAM", 1, "7|" + n + "|" + qam);
    mod("256QAM", 1, "8|" + n + "|" + qam);
    mod("1024QAM", 1, "10|" + n + "|" + qam);
    mod("4096QAM", 4, "12|" + n + "|" + qam);
    mod("MSK", 1, "1|" + n + "|" + dg + ",GSM");
    mod("2FSK", 1, "1|Freq. Dev. [kHz]:|0.001|15000|" + dg + ",GSM");
    mod("4FSK", 4, "2|Freq. Dev. [kHz]:|0.001|40000|" + dg + ",APCOS25 (FSK)");
    mod("USER", 3, "2|Map. File:|None|None|None");
    auto filter = [](const char *key, const QString &values) {
        QTest::newRow(key) << 0 << "filter" << QString(key) << values;
    };
    filter("Root Cosine", "Roll Off:|0.05|1.00|" + n);
    filter("Cosine", "Roll Off:|0.05|1.00|Bandwidth [Hz]:|400|15000000");
    filter("Gauss (Pure)", "B x T:|0.15|2.50|" + n);
    filter("Gauss (FSK)", "B x T:|0.15|100000|" + n);
    filter("Gauss (Linear)", n + "|" + n);
    filter("APCOS25", "Roll Off:|0.05|0.99|" + n);
    filter("APCOS25 (LSM)", "Gauss Cutoff [Hz]:|400|25000000|LP Cutoff [Hz]:|400|25000000");
    filter("Split Phase", "B x T:|0.15|2.50|" + n);
    filter("Lowpass (ACP opti.)", "Cuoff freq. fact.:|0.05|2.00|" + n);
    filter("Lowpass (EVM opti.)", "Cuoff freq. fact.:|0.05|2.00|" + n);
    filter("USER", "Filter File:|None|None|" + n);
    for (int model : {0, 1, 2, 3})
        QTest::addRow("ramp %d", model) << model << "ramp" << QString() << "0.25|16|-4|4|-4|4|0|50";
    QTest::newRow("ramp ZOY") << 4 << "ramp" << QString() << "0.25|16|0|4|0|4|0|50";
}

void TstInstrDatabase::valuesAnInstrumentNeeds()
{
    QFETCH(int, model);
    QFETCH(QString, table);
    QFETCH(QString, key);
    QFETCH(QString, values);
    const InstrDatabase database = build(descriptionOf(model), QString()).database;
    QStringList actual;
    if (table == "mod") {
        QVERIFY(database.modulations.contains(key));
        const ModulationInfo info = database.modulations.value(key);
        actual << info.bitsPerSymbol << info.paramLabel << info.paramMin << info.paramMax
               << info.codings.join(',');
    } else if (table == "filter") {
        QVERIFY(database.filters.contains(key));
        const FilterInfo info = database.filters.value(key);
        for (int index = 0; index < 2; ++index)
            actual << info.paramLabels[index] << info.paramMins[index] << info.paramMaxs[index];
    } else {
        for (double limit : database.cdmRampLimits)
            actual << QString::number(limit);
    }
    QCOMPARE(actual.join('|'), values);
}

QTEST_GUILESS_MAIN(TstInstrDatabase)
#include "tst_instrdatabase.moc"
