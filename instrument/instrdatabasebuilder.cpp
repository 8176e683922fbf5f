#include "instrument/instrdatabasebuilder.h"

#include "instrument/cdmdisplaynames.h"
#include "instrument/clssiggenoptions.h"

namespace {

using namespace CdmNames;

QString text(const char *pUtf8)
{
    return QString::fromUtf8(pUtf8);
}

QStringList texts(std::initializer_list<const char *> lstUtf8)
{
    QStringList lstResult;
    for (const char *pText : lstUtf8)
        lstResult << text(pText);
    return lstResult;
}

enum EnuRateGroup
{
    RatePskQam,
    RateMsk,
    RateFskUser
};

struct ModulationRow
{
    const char *name;
    const char *bitsPerSymbol;
    const char *paramLabel; // nullptr: no parameter
    const char *paramMin;
    const char *paramMax; // nullptr: the model's maximum FSK deviation
    EnuRateGroup group;
    QStringList codings; // after "None"
};

QVector<ModulationRow> modulationRows(bool bolQam4096)
{
    const QStringList lstDiffGray = texts({CodDifferential, CodDifferentialGray, CodGray});
    const QStringList lstQam = texts({CodDifferential, CodPhaseDifferential, CodDifferentialGray, CodGray});
    QVector<ModulationRow> vecRows = {
        {ModAsk, "1", LblModDepth, "0", "100", RatePskQam, lstDiffGray},
        {ModBpsk, "1", nullptr, nullptr, nullptr, RatePskQam, lstDiffGray},
        {ModQpsk, "2", nullptr, nullptr, nullptr, RatePskQam,
         texts({CodDifferential, CodDifferentialGray, CodGray, CodInmarsat, CodIco, CodWcdma, CodCdma2000})},
        {ModQpsk45, "2", nullptr, nullptr, nullptr, RatePskQam, lstDiffGray},
        {ModQpskEdge, "2", nullptr, nullptr, nullptr, RatePskQam, {}},
        {ModAqpsk, "2", LblAngleAlpha, "0", "180", RatePskQam, lstDiffGray},
        {ModOqpsk, "2", nullptr, nullptr, nullptr, RatePskQam, lstDiffGray},
        {ModPi4Qpsk, "2", nullptr, nullptr, nullptr, RatePskQam, texts({CodDifferential, CodGray})},
        {ModPi2Dbpsk, "1", nullptr, nullptr, nullptr, RatePskQam, texts({CodGray})},
        {ModPi4Dqpsk, "2", nullptr, nullptr, nullptr, RatePskQam,
         texts({CodGray, CodNadc, CodPdc, CodPhs, CodTetra, CodApco25Psk, CodPwt, CodTftsTetra})},
        {ModPi8D8psk, "3", nullptr, nullptr, nullptr, RatePskQam, texts({CodGray, CodApco258Psk})},
        {Mod8psk, "3", nullptr, nullptr, nullptr, RatePskQam,
         texts({CodDifferential, CodDifferentialGray, CodGray, CodVdl})},
        {Mod8pskEdge, "3", nullptr, nullptr, nullptr, RatePskQam, {}},
        {Mod16Qam, "4", nullptr, nullptr, nullptr, RatePskQam, lstQam},
        {Mod16QamEdge, "4", nullptr, nullptr, nullptr, RatePskQam, {}},
        {Mod32Qam, "5", nullptr, nullptr, nullptr, RatePskQam, lstQam},
        {Mod32QamEdge, "5", nullptr, nullptr, nullptr, RatePskQam, {}},
        {Mod64Qam, "6", nullptr, nullptr, nullptr, RatePskQam, lstQam},
        {Mod128Qam, "7", nullptr, nullptr, nullptr, RatePskQam, lstQam},
        {Mod256Qam, "8", nullptr, nullptr, nullptr, RatePskQam, lstQam},
        {Mod1024Qam, "10", nullptr, nullptr, nullptr, RatePskQam, lstQam}};
    if (bolQam4096)
        vecRows.append({Mod4096Qam, "12", nullptr, nullptr, nullptr, RatePskQam, lstQam});
    vecRows.append({ModMsk, "1", nullptr, nullptr, nullptr, RateMsk,
                    texts({CodDifferential, CodDifferentialGray, CodGray, CodGsm})});
    vecRows.append({Mod2Fsk, "1", LblFreqDev, "0.001", nullptr, RateFskUser,
                    texts({CodDifferential, CodDifferentialGray, CodGray, CodGsm})});
    vecRows.append({Mod4Fsk, "2", LblFreqDev, "0.001", nullptr, RateFskUser,
                    texts({CodDifferential, CodDifferentialGray, CodGray, CodApco25Fsk})});
    vecRows.append({ModUser, "2", LblMapFile, LblNone, LblNone, RateFskUser, {}});
    return vecRows;
}

struct FilterRow
{
    const char *name;
    const char *label1;
    const char *min1;
    const char *max1;
    const char *label2;
    const char *min2;
    const char *max2;
};

const FilterRow s_filterRows[] = {
    {FltRootCosine, LblRollOff, "0.05", "1.00", nullptr, nullptr, nullptr},
    {FltCosine, LblRollOff, "0.05", "1.00", LblBandwidth, "400", "15000000"},
    {FltGaussPure, LblBxT, "0.15", "2.50", nullptr, nullptr, nullptr},
    {FltGaussFsk, LblBxT, "0.15", "100000", nullptr, nullptr, nullptr},
    {FltGaussLinear, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltEdgeNarrow, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltEdgeWide, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltCdmaOne, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltCdmaOne705, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltCdmaOneEqu, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltCdmaOneEqu705, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltCdma2000, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltApco25, LblRollOff, "0.05", "0.99", nullptr, nullptr, nullptr},
    {FltApco25Hcpm, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltApco25Lsm, LblGaussCutoff, "400", "25000000", LblLpCutoff, "400", "25000000"},
    {FltSplitPhase, LblBxT, "0.15", "2.50", nullptr, nullptr, nullptr},
    {FltRectangular, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltLowpassAcp, LblCutoffFactor, "0.05", "2.00", nullptr, nullptr, nullptr},
    {FltLowpassEvm, LblCutoffFactor, "0.05", "2.00", nullptr, nullptr, nullptr},
    {FltDirac, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltEutra, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {FltUser, LblFilterFile, LblNone, LblNone, nullptr, nullptr, nullptr}};

// A parameter the filter does not have reads "None" in all three places.
void setParameter(FilterInfo &info, int intIndex, const char *pLabel, const char *pMin, const char *pMax)
{
    const bool bolNone = pLabel == nullptr;
    info.paramLabels[intIndex] = text(bolNone ? LblNone : pLabel);
    info.paramMins[intIndex] = text(bolNone ? LblNone : pMin);
    info.paramMaxs[intIndex] = text(bolNone ? LblNone : pMax);
}

} // namespace

namespace InstrDatabaseBuilder {

QStringList installedOptionList(const QString &strOptionsText)
{
    QStringList lstOptions = strOptionsText.split(QLatin1Char(','));
    ClsSigGenOptions::sortOptionList(lstOptions);
    return lstOptions;
}

qint32 rfPathCount(const ModelDescription &model, const QStringList &lstOptions)
{
    for (const RfFrequencyOption &option : model.pathBFrequency) {
        if (lstOptions.contains(option.code))
            return 2;
    }
    return 1;
}

qint32 basebandPathCount(const ModelDescription &model, const QStringList &lstOptions)
{
    int intKinds = 0;
    bool bolDoubled = false;
    for (const QString &strCode : model.basebandGenerators) {
        const int intFirst = lstOptions.indexOf(strCode);
        if (intFirst < 0)
            continue;
        ++intKinds;
        bolDoubled = bolDoubled || lstOptions.lastIndexOf(strCode) != intFirst;
    }
    switch (model.basebandRule) {
    case ModelDescription::BasebandTwoOfAnyOrDouble:
        return bolDoubled || intKinds > 1 ? 2 : 1;
    case ModelDescription::BasebandDoubleOnly:
        return bolDoubled ? 2 : 1;
    case ModelDescription::BasebandSingle:
        break;
    }
    return 1;
}

bool frequencyLimits(const QVector<RfFrequencyOption> &vecTable, const QStringList &lstOptions,
                     double &dblMin, double &dblMax)
{
    dblMin = 0.0;
    dblMax = 0.0;
    for (const RfFrequencyOption &option : vecTable) {
        if (lstOptions.contains(option.code)) {
            dblMin = option.minHz;
            dblMax = option.maxHz;
        }
    }
    return dblMin != 0.0;
}

void levelLimits(const RfLevelRange &range, const QStringList &lstOptions, double &dblMin, double &dblMax)
{
    dblMin = range.minDbm;
    dblMax = !range.highPowerCode.isEmpty() && lstOptions.contains(range.highPowerCode)
                 ? range.highPowerMaxDbm
                 : range.maxDbm;
}

void digitalStandards(const ClsSigGenOptions &options, const QStringList &lstOptions, qint32 intCategory,
                      bool bolTwoPaths, QStringList &lstPathA, QStringList &lstPathB)
{
    for (int intPos = 0; intPos < lstOptions.size(); ++intPos) {
        const QString &strCode = lstOptions.at(intPos);
        if (options.getCategory(strCode) != intCategory)
            continue;
        const QString strDescription = options.getDescription(strCode);
        if (!bolTwoPaths) {
            lstPathA << strDescription;
            continue;
        }
        const int intFirst = lstOptions.indexOf(strCode);
        if (intFirst == intPos)
            lstPathA << strDescription;
        else if (lstOptions.lastIndexOf(strCode) == intPos)
            lstPathB << strDescription;
    }
}

QMap<QString, DataSourceInfo> dataSourceTable()
{
    const QStringList lstNone = texts({PrbsNone});
    QMap<QString, DataSourceInfo> mapSources;
    mapSources.insert(text(SrcDataList), DataSourceInfo{true, lstNone});
    mapSources.insert(text(SrcAll0), DataSourceInfo{false, lstNone});
    mapSources.insert(text(SrcAll1), DataSourceInfo{false, lstNone});
    mapSources.insert(text(SrcPrbs), DataSourceInfo{false, texts({"PRBS 9", "PRBS 11", "PRBS 15", "PRBS 16",
                                                                  "PRBS 20", "PRBS 21", "PRBS 23"})});
    return mapSources;
}

QMap<QString, ModulationInfo> modulationTable(const ModelDescription &model, const QStringList &lstOptions)
{
    const bool bolOption = !model.symbolRateOption.isEmpty() && lstOptions.contains(model.symbolRateOption);
    const SymbolRateLimits &rates = bolOption ? model.symbolRatesWithOption : model.symbolRates;
    QMap<QString, ModulationInfo> mapModulations;
    for (const ModulationRow &row : modulationRows(model.qam4096)) {
        ModulationInfo info;
        info.bitsPerSymbol = text(row.bitsPerSymbol);
        info.symbolRateMin = rates.rateMin;
        info.paramLabel = text(row.paramLabel ? row.paramLabel : LblNone);
        info.paramMin = text(row.paramLabel ? row.paramMin : LblNone);
        info.paramMax =
            row.paramLabel ? (row.paramMax ? text(row.paramMax) : model.fskDeviationMax) : text(LblNone);
        info.symbolRateMax = row.group == RatePskQam
                                 ? rates.pskQamMax
                                 : (row.group == RateMsk ? rates.mskMax : rates.fskUserMax);
        info.codings = QStringList{text(CodNone)} + row.codings;
        mapModulations.insert(text(row.name), info);
    }
    return mapModulations;
}

QMap<QString, FilterInfo> filterTable()
{
    QMap<QString, FilterInfo> mapFilters;
    for (const FilterRow &row : s_filterRows) {
        FilterInfo info;
        setParameter(info, 0, row.label1, row.min1, row.max1);
        setParameter(info, 1, row.label2, row.min2, row.max2);
        mapFilters.insert(text(row.name), info);
    }
    return mapFilters;
}

QList<QList<MarkerRoute>> markerRouteTable(const ModelDescription &model)
{
    QList<QList<MarkerRoute>> lstTable;
    for (const QVector<MarkerRouteTemplate> *pPath : {&model.pathAMarkers, &model.pathBMarkers}) {
        if (pPath->isEmpty())
            continue;
        QList<MarkerRoute> lstRoutes;
        for (const MarkerRouteTemplate &marker : *pPath) {
            MarkerRoute route;
            route.routable = marker.routable ? 1 : 0;
            route.fixedOutput = marker.routable ? QString() : marker.fixedOutput;
            route.assignedOutput = marker.routable ? text(OutNone) : marker.fixedOutput;
            lstRoutes << route;
        }
        lstTable << lstRoutes;
    }
    return lstTable;
}

QMap<QString, bool> outputUseMap(const ModelDescription &model)
{
    QMap<QString, bool> mapUse;
    for (const QString &strOutput : model.routableOutputs)
        mapUse.insert(strOutput, false);
    return mapUse;
}

bool fill(const ModelDescription &model, const QStringList &lstOptions, const ClsSigGenOptions &options,
          InstrDatabase &database)
{
    database.numRFPaths = rfPathCount(model, lstOptions);
    database.numBBPaths = basebandPathCount(model, lstOptions);
    database.numMarkers = model.markers;

    const bool bolPathA =
        frequencyLimits(model.pathAFrequency, lstOptions, database.rfFreqMin[0], database.rfFreqMax[0]);
    database.rfFreqMin[1] = database.rfFreqMax[1] = 0.0;
    database.rfLevelMin[1] = database.rfLevelMax[1] = 0.0;
    levelLimits(model.pathALevel, lstOptions, database.rfLevelMin[0], database.rfLevelMax[0]);
    if (database.numRFPaths == 2) {
        frequencyLimits(model.pathBFrequency, lstOptions, database.rfFreqMin[1], database.rfFreqMax[1]);
        levelLimits(model.pathBLevel, lstOptions, database.rfLevelMin[1], database.rfLevelMax[1]);
    }

    database.digStdIntA.clear();
    database.digStdIntB.clear();
    database.digStdExtA.clear();
    database.digStdExtB.clear();
    digitalStandards(options, lstOptions, ClsSigGenOptions::CategoryDigStdInt, model.twoPathDigitalStandards,
                     database.digStdIntA, database.digStdIntB);
    digitalStandards(options, lstOptions, ClsSigGenOptions::CategoryDigStdExt, model.twoPathDigitalStandards,
                     database.digStdExtA, database.digStdExtB);

    for (int intIndex = 0; intIndex < 8; ++intIndex)
        database.cdmRampLimits[intIndex] = model.rampLimits[intIndex];

    database.dataSources = dataSourceTable();
    database.modulations = modulationTable(model, lstOptions);
    database.filters = filterTable();
    database.markerRoutes = markerRouteTable(model);
    database.outputUse = outputUseMap(model);
    return bolPathA;
}

} // namespace InstrDatabaseBuilder
