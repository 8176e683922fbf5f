#include "instrument/clsmodelcontrol.h"

#include "app/tracer.h"
#include "instrument/cdmdisplaynames.h"
#include "instrument/cdmmnemonics.h"
#include "instrument/clssiggenoptions.h"
#include "instrument/instrdatabasebuilder.h"
#include "instrument/scpitext.h"

#include <algorithm>
#include <cmath>

namespace {

const QString s_none = QString::fromUtf8(CdmNames::OutNone);

QString pathText(qint32 intPath)
{
    return QString::number(intPath);
}

} // namespace

ClsModelControl::ClsModelControl(const QString &strResource, const ModelDescription &model)
    : ClsInstrControl(strResource), m_model(model)
{
}

ClsModelControl::~ClsModelControl()
{
    delete options;
    options = nullptr;
    traceModelDebug(QStringLiteral("%1 control object deleted").arg(m_model.shortName));
}

void ClsModelControl::initModelDatabase()
{
    options = new ClsSigGenOptions(m_model.optionModel);

    database.optionsText = getOptions();
    installedOptions = InstrDatabaseBuilder::installedOptionList(database.optionsText);

    pathSeparator = m_model.pathSeparator;
    drive = m_model.drive;
    rootDir = m_model.rootDir;
    dataListDir = QStringLiteral("DataLists");
    controlListDir = QStringLiteral("CtrlLists");
    mappingDir = QStringLiteral("Mappings");
    filterDir = QStringLiteral("Filters");

    if (!InstrDatabaseBuilder::fill(m_model, installedOptions, *options, database))
        traceModelError(QStringLiteral("No RF option for path A available!!"));
    traceModelDebug(QStringLiteral("Instrument database initialized %1 specific").arg(m_model.shortName));
    traceModelDebug(QStringLiteral("%1 control object created (%2)").arg(m_model.shortName, resource));
}

void ClsModelControl::traceModelDebug(const QString &strText) const
{
    Tracer::traceDebug(m_model.traceTag + QStringLiteral(": ") + strText);
}

void ClsModelControl::traceModelError(const QString &strText) const
{
    Tracer::traceError(m_model.traceTag + QStringLiteral(": ") + strText);
}

bool ClsModelControl::hasPath(qint32 intPath) const
{
    return intPath == 1 || (intPath == 2 && !m_model.singlePath);
}

void ClsModelControl::info(const QString &strText)
{
    instrMessage(InstrLogInfo, strText);
}

void ClsModelControl::error(const QString &strText)
{
    instrMessage(InstrLogError, strText);
}

void ClsModelControl::send(const QString &strCmd, const QString &strErrorLine)
{
    if (!writeCmd(strCmd))
        error(strErrorLine);
}

bool ClsModelControl::argumentsSendable(const QStringList &lstBare, const QStringList &lstTexts)
{
    return std::all_of(lstBare.cbegin(), lstBare.cend(), ScpiText::isBareToken) &&
           std::all_of(lstTexts.cbegin(), lstTexts.cend(), ScpiText::isSendable);
}

void ClsModelControl::runSetter(qint32 intPath, const QString &strInfo, const QStringList &lstBareArgs,
                                const QString &strCmd, const QString &strErrorLine,
                                const QStringList &lstNames)
{
    if (!hasPath(intPath))
        return;
    info(strInfo);
    if (!argumentsSendable(lstBareArgs, lstNames)) {
        error(strErrorLine);
        return;
    }
    send(strCmd, strErrorLine);
}

void ClsModelControl::setRFFrequency(const qint32 &intPath, const QString &strValue, const QString &strUnit)
{
    runSetter(
        intPath,
        QStringLiteral("Set RF frequency on path %1 to: %2%3").arg(pathText(intPath), strValue, strUnit),
        {strValue, strUnit},
        QStringLiteral("SOURce%1:FREQuency %2%3").arg(pathText(intPath), strValue, strUnit),
        QStringLiteral("Unable to set RF frequency"));
}

void ClsModelControl::setRFLevel(const qint32 &intPath, const QString &strValue, const QString &strUnit)
{
    runSetter(intPath,
              QStringLiteral("Set RF level on path %1 to: %2%3").arg(pathText(intPath), strValue, strUnit),
              {strValue, strUnit},
              QStringLiteral("SOURce%1:POWer:LEVel:IMMediate:AMPLitude %2%3")
                  .arg(pathText(intPath), strValue, strUnit),
              QStringLiteral("Unable to set RF level"));
}

void ClsModelControl::switchRFLevel(const qint32 &intPath, const QString &strState)
{
    runSetter(intPath, QStringLiteral("Switch RF level on path %1 to: %2").arg(pathText(intPath), strState),
              {strState}, QStringLiteral("OUTPut%1:STATe %2").arg(pathText(intPath), strState),
              QStringLiteral("Unable to switch RF level"));
}

void ClsModelControl::setCDMDataSource(const qint32 &intPath, const QString &strSource)
{
    runSetter(intPath,
              QStringLiteral("Set CDM data source on path %1 to: %2").arg(pathText(intPath), strSource), {},
              QStringLiteral("SOURce%1:BB:DM:SOUR ").arg(intPath) + CdmMnemonics::dataSource(strSource),
              QStringLiteral("Unable to set CDM data source"), {strSource});
}

void ClsModelControl::setFileSelection(qint32 intPath, const QString &strFileName, qint32 intDirKind,
                                       const QString &strInfoTemplate, const QString &strCmdTemplate,
                                       const QString &strErrorLine)
{
    if (!hasPath(intPath))
        return;
    info(strInfoTemplate.arg(pathText(intPath), strFileName));
    if (!ScpiText::isSendable(strFileName)) {
        error(strErrorLine);
        return;
    }
    // The instrument resolves the bare file name in its current directory.
    setDefaultDirectory(intDirKind);
    send(strCmdTemplate.arg(pathText(intPath), quoteBody(strFileName)), strErrorLine);
}

void ClsModelControl::setCDMDataList(const qint32 &intPath, const QString &strFileName)
{
    setFileSelection(intPath, strFileName, 2, QStringLiteral("Set CDM data list file on path %1 to: %2"),
                     QStringLiteral("SOURce%1:BB:DM:DLIS:SEL '%2'"),
                     QStringLiteral("Unable to set CDM data list file"));
}

void ClsModelControl::setCDMControlList(const qint32 &intPath, const QString &strFileName)
{
    setFileSelection(intPath, strFileName, 3, QStringLiteral("Set CDM control list file on path %1 to: %2"),
                     QStringLiteral("SOURce%1:BB:DM:CLIS:SEL '%2'"),
                     QStringLiteral("Unable to set CDM control list file"));
}

void ClsModelControl::setCDMPRBSType(const qint32 &intPath, const QString &strPrbsType)
{
    if (!hasPath(intPath))
        return;
    info(QStringLiteral("Set CDM PRBS type on path %1 to: %2").arg(pathText(intPath), strPrbsType));
    bool bolSend = false;
    const QString strLength = CdmMnemonics::prbsLength(strPrbsType, bolSend);
    if (!bolSend)
        return;
    const QString strError = QStringLiteral("Unable to set CDM PRBS type");
    if (!ScpiText::isBareToken(strLength)) {
        error(strError);
        return;
    }
    send(QStringLiteral("SOURce%1:BB:DM:PRBS:LENGth %2").arg(pathText(intPath), strLength), strError);
}

void ClsModelControl::setCDMModType(const qint32 &intPath, const QString &strModType)
{
    runSetter(intPath,
              QStringLiteral("Set CDM modulation type on path %1 to: %2").arg(pathText(intPath), strModType),
              {},
              QStringLiteral("SOURce%1:BB:DM:FORMat ").arg(intPath) +
                  CdmMnemonics::modulation(strModType, m_model.qam4096),
              QStringLiteral("Unable to set CDM modulation type"), {strModType});
}

void ClsModelControl::setCDMModParam(const qint32 &intPath, const QString &strModType,
                                     const QString &strParamLabel, const QString &strValue)
{
    if (!hasPath(intPath))
        return;
    info(QStringLiteral("Set CDM %1 modulation parameter '%2' on path %3 to: %4")
             .arg(strModType, strParamLabel, pathText(intPath), strValue));
    const QString strError = QStringLiteral("Unable to set CDM modulation parameter");
    const bool bolUser = strModType == QString::fromUtf8(CdmNames::ModUser);
    // The mapping file name goes between quotes, every other value unquoted.
    if (!argumentsSendable(bolUser ? QStringList() : QStringList{strValue},
                           {strModType, strParamLabel, strValue})) {
        error(strError);
        return;
    }
    if (bolUser)
        setDefaultDirectory(4);
    bool bolValid = true;
    const QString strPart = CdmMnemonics::modulationParameter(strModType, strParamLabel, strValue, bolValid);
    if (!bolValid) {
        error(strError);
        return;
    }
    send(QStringLiteral("SOURce%1:BB:DM:").arg(intPath) + strPart, strError);
}

void ClsModelControl::setCDMSymbolRate(const qint32 &intPath, const QString &strValue)
{
    runSetter(intPath,
              QStringLiteral("Set CDM symbol rate on path %1 to: %2").arg(pathText(intPath), strValue),
              {strValue}, QStringLiteral("SOURce%1:BB:DM:SRATe %2 kHz").arg(pathText(intPath), strValue),
              QStringLiteral("Unable to set CDM symbol rate"));
}

void ClsModelControl::setCDMCoding(const qint32 &intPath, const QString &strCoding)
{
    runSetter(intPath, QStringLiteral("Set CDM coding on path %1 to: %2").arg(pathText(intPath), strCoding),
              {}, QStringLiteral("SOURce%1:BB:DM:CODing ").arg(intPath) + CdmMnemonics::coding(strCoding),
              QStringLiteral("Unable to set CDM coding"), {strCoding});
}

void ClsModelControl::setCDMFilterType(const qint32 &intPath, const QString &strFilterType)
{
    runSetter(
        intPath,
        QStringLiteral("Set CDM filter type on path %1 to: %2").arg(pathText(intPath), strFilterType), {},
        QStringLiteral("SOURce%1:BB:DM:FILTer:TYPE ").arg(intPath) + CdmMnemonics::filter(strFilterType),
        QStringLiteral("Unable to set CDM filter type"), {strFilterType});
}

void ClsModelControl::setCDMFilterParam(const qint32 &intPath, const QString &strFilterType,
                                        const QString &strParamLabel, const QString &strValue)
{
    if (!hasPath(intPath))
        return;
    info(QStringLiteral("Set CDM %1 filter parameter %2 on path %3 to: %4")
             .arg(strFilterType, strParamLabel, pathText(intPath), strValue));
    const QString strError = QStringLiteral("Unable to set CDM filter parameter");
    const bool bolUser = strFilterType == QString::fromUtf8(CdmNames::FltUser);
    if (!argumentsSendable(bolUser ? QStringList() : QStringList{strValue},
                           {strFilterType, strParamLabel, strValue})) {
        error(strError);
        return;
    }
    if (bolUser)
        setDefaultDirectory(5);
    send(QStringLiteral("SOURce%1:BB:DM:").arg(intPath) +
             CdmMnemonics::filterParameter(strFilterType, strParamLabel, strValue),
         strError);
}

void ClsModelControl::setCDMRampFunction(const qint32 &intPath, const QString &strRampFunction)
{
    runSetter(
        intPath,
        QStringLiteral("Set CDM ramp function on path %1 to: %2").arg(pathText(intPath), strRampFunction), {},
        QStringLiteral("SOURce%1:BB:DM:PRAMp:SHAPe ").arg(intPath) +
            CdmMnemonics::rampFunction(strRampFunction),
        QStringLiteral("Unable to set CDM ramp function"), {strRampFunction});
}

void ClsModelControl::setCDMRampTime(const qint32 &intPath, const QString &strValue)
{
    runSetter(intPath,
              QStringLiteral("Set CDM ramp time on path %1 to: %2 symbols").arg(pathText(intPath), strValue),
              {strValue}, QStringLiteral("SOURce%1:BB:DM:PRAMp:TIME %2").arg(pathText(intPath), strValue),
              QStringLiteral("Unable to set CDM ramp time"));
}

void ClsModelControl::setCDMRampRiseDelay(const qint32 &intPath, const QString &strValue)
{
    runSetter(
        intPath,
        QStringLiteral("Set CDM ramp rise delay on path %1 to: %2 symbols").arg(pathText(intPath), strValue),
        {strValue}, QStringLiteral("SOURce%1:BB:DM:PRAMp:RDELay %2").arg(pathText(intPath), strValue),
        QStringLiteral("Unable to set CDM ramp rise delay"));
}

void ClsModelControl::setCDMRampFallDelay(const qint32 &intPath, const QString &strValue)
{
    runSetter(
        intPath,
        QStringLiteral("Set CDM ramp fall delay on path %1 to: %2 symbols").arg(pathText(intPath), strValue),
        {strValue}, QStringLiteral("SOURce%1:BB:DM:PRAMp:FDELay %2").arg(pathText(intPath), strValue),
        QStringLiteral("Unable to set CDM ramp fall delay"));
}

void ClsModelControl::setCDMLevelAttenuation(const qint32 &intPath, const QString &strValue)
{
    runSetter(
        intPath,
        QStringLiteral("Set CDM level attenuation on path %1 to: %2 dB").arg(pathText(intPath), strValue),
        {strValue}, QStringLiteral("SOURce%1:BB:DM:PRAMp:ATTenuation %2").arg(pathText(intPath), strValue),
        QStringLiteral("Unable to set CDM level attenuation"));
}

void ClsModelControl::setCDMRampBBOnly(const qint32 &intPath, const QString &strState)
{
    runSetter(
        intPath,
        QStringLiteral("Set CDM ramp baseband only on path %1 to state: %2").arg(pathText(intPath), strState),
        {strState}, QStringLiteral("SOURce%1:BB:DM:PRAMp:BBONly:STATe %2").arg(pathText(intPath), strState),
        QStringLiteral("Unable to set CDM ramp baseband only"));
}

void ClsModelControl::switchCDMRamp(const qint32 &intPath, const QString &strState)
{
    runSetter(intPath,
              QStringLiteral("Switch CDM ramp on path %1 to state: %2").arg(pathText(intPath), strState),
              {strState}, QStringLiteral("SOURce%1:BB:DM:PRAMp:STATe %2").arg(pathText(intPath), strState),
              QStringLiteral("Unable to switch CDM ramp state"));
}

void ClsModelControl::setCDMMarkerMode(const qint32 &intPath, const qint32 &intMarker, const QString &strMode)
{
    const QString strMarker = QString::number(intMarker);
    runSetter(
        intPath,
        QStringLiteral("Set CDM marker %1 on path %2 to mode: %3").arg(strMarker, pathText(intPath), strMode),
        {strMode},
        QStringLiteral("SOURce%1:BB:DM:TRIGger:OUTPut%2:MODE %3").arg(pathText(intPath), strMarker, strMode),
        QStringLiteral("Unable to set CDM marker mode"));
}

void ClsModelControl::switchCDM(const qint32 &intPath, const QString &strState)
{
    runSetter(intPath, QStringLiteral("Switch CDM on path %1 to: %2").arg(pathText(intPath), strState),
              {strState}, QStringLiteral("SOURce%1:BB:DM:STATe %2").arg(pathText(intPath), strState),
              QStringLiteral("Unable to switch CDM state"));
}

MarkerRoute *ClsModelControl::markerRoute(qint32 intPath, qint32 intMarker)
{
    if (intPath < 1 || intPath > database.markerRoutes.size())
        return nullptr;
    QList<MarkerRoute> &lstRoutes = database.markerRoutes[intPath - 1];
    if (intMarker < 1 || intMarker > lstRoutes.size())
        return nullptr;
    return &lstRoutes[intMarker - 1];
}

void ClsModelControl::setMarkerOutput(const qint32 &intPath, const qint32 &intMarker,
                                      const QString &strOutput)
{
    const QString strError = QStringLiteral("Unable to assign marker %1 on path %2 to output: %3")
                                 .arg(QString::number(intMarker), pathText(intPath), strOutput);
    if (m_model.markerRouting == ModelDescription::MarkerRoutingNone) {
        error(strError);
        return;
    }
    if (!hasPath(intPath))
        return;
    MarkerRoute *pRoute = markerRoute(intPath, intMarker);
    if (pRoute == nullptr) {
        error(strError);
        return;
    }
    // A hard-wired marker stays where it is: asking for its own output is no change, any
    // other output is impossible.
    if (pRoute->routable == 0) {
        if (strOutput != pRoute->fixedOutput)
            error(strError);
        return;
    }
    // Only the connectors of the model's output table can carry a marker.
    if (strOutput != s_none && !database.outputUse.contains(strOutput)) {
        error(strError);
        return;
    }
    // Leaving an output sends nothing: "NONE" is no source every generator accepts (each change
    // would add an error to its queue), and the next marker put on the connector replaces it.
    if (pRoute->assignedOutput != s_none) {
        database.outputUse.insert(pRoute->assignedOutput, false);
        pRoute->assignedOutput = s_none;
    }
    if (strOutput == s_none)
        return;
    info(QStringLiteral("Set marker %1 on path %2 to output: %3")
             .arg(QString::number(intMarker), pathText(intPath), strOutput));
    // The table follows the request, whatever the instrument answers: the main window shows
    // the request, and the error line tells that the instrument did not take it.
    database.outputUse.insert(strOutput, true);
    pRoute->assignedOutput = strOutput;
    if (!routeMarker(intPath, intMarker, strOutput))
        error(strError);
}

bool ClsModelControl::routeMarker(qint32 intPath, qint32 intMarker, const QString &strOutput)
{
    const QString strSide = intPath == 1 ? QStringLiteral("A") : QStringLiteral("B");
    const QString strMarker = QString::number(intMarker);
    if (m_model.markerRouting == ModelDescription::MarkerRoutingDirectionSignal) {
        // The connector is bidirectional; failing to make it an output is reported, but the
        // signal is assigned all the same.
        if (!writeCmd(QStringLiteral("OUTPut:%1:DIRection OUTPut").arg(strOutput)))
            error(QStringLiteral("Unable to %1 port to 'OUTPUT").arg(strOutput));
        return writeCmd(QStringLiteral("OUTPut:%1:SIGNal MARK%2%3").arg(strOutput, strSide, strMarker));
    }
    return writeCmd(QStringLiteral("OUTPut:%1:SOURce %2MARk%3").arg(strOutput, strSide, strMarker));
}

QStringList ClsModelControl::getMarkerOutputs(const qint32 &intPath, qint32 intMarker)
{
    if (m_model.markerRouting != ModelDescription::MarkerRoutingNone && !hasPath(intPath))
        return {};
    const MarkerRoute *pRoute = markerRoute(intPath, intMarker);
    if (pRoute == nullptr)
        return {};
    if (pRoute->routable == 0)
        return {pRoute->fixedOutput};
    QStringList lstFree;
    for (auto it = database.outputUse.cbegin(); it != database.outputUse.cend(); ++it) {
        if (!it.value())
            lstFree << it.key();
    }
    return lstFree;
}

void ClsModelControl::setDefaultDirectory(const qint32 &intKind)
{
    const QString strDir = quoteBody(getDirectory(intKind));
    if (!m_model.massStorageDrive) {
        send(QStringLiteral("MMEMory:CDIR '%1'").arg(strDir),
             QStringLiteral("Unable to set default drive/path"));
        return;
    }
    send(QStringLiteral("MMEMory:MSIS '%1'").arg(quoteBody(drive)),
         QStringLiteral("Unable to set default drive"));
    send(QStringLiteral("MMEMory:CDIR '%1'").arg(strDir), QStringLiteral("Unable to set default path"));
}

QString ClsModelControl::getRFValue(qint32 intPath, const QString &strQuery, double dblDivisor,
                                    qint32 intDecimals, const QString &strErrorLine)
{
    if (!hasPath(intPath))
        return QStringLiteral("0");
    QString strReply;
    bool bolOk = queryCmd(strQuery.arg(intPath), strReply);
    const double dblValue = bolOk ? strReply.trimmed().toDouble(&bolOk) / dblDivisor : 0.0;
    // A reply that is no number, or a divisor that makes none of it, is no value either.
    if (!bolOk || !std::isfinite(dblValue)) {
        error(strErrorLine);
        return QStringLiteral("0");
    }
    return QString::number(dblValue, 'f', qBound(0, intDecimals, 15));
}

QString ClsModelControl::getRFFrequency(const qint32 &intPath, const double &dblDivisor,
                                        const qint32 &intDecimals)
{
    return getRFValue(intPath, QStringLiteral("SOURce%1:FREQuency?"), dblDivisor, intDecimals,
                      QStringLiteral("Unable to get RF frequency"));
}

QString ClsModelControl::getRFLevel(const qint32 &intPath, const double &dblDivisor,
                                    const qint32 &intDecimals)
{
    return getRFValue(intPath, QStringLiteral("SOURce%1:POWer:LEVel:IMMediate:AMPLitude?"), dblDivisor,
                      intDecimals, QStringLiteral("Unable to get RF level"));
}

QStringList ClsModelControl::getListCatalog(qint32 intPath, const QString &strSubDir, qint32 intDirKind,
                                            const QString &strQuery, const QString &strErrorLine)
{
    if (!hasPath(intPath))
        return {};
    if (!getDefaultDirCatalog(1).contains(strSubDir))
        return {};
    setDefaultDirectory(intDirKind);
    QString strReply;
    if (!queryCmd(strQuery.arg(intPath), strReply)) {
        error(strErrorLine);
        return {};
    }
    return strReply.split(QLatin1Char(','));
}

QStringList ClsModelControl::getDataListCatalog(const qint32 &intPath)
{
    return getListCatalog(intPath, dataListDir, 2, QStringLiteral("SOURce%1:BB:DM:DLISt:CATalog?"),
                          QStringLiteral("Unable to get data list file catalog"));
}

QStringList ClsModelControl::getControlListCatalog(const qint32 &intPath)
{
    return getListCatalog(intPath, controlListDir, 3, QStringLiteral("SOURce%1:BB:DM:CLISt:CATalog?"),
                          QStringLiteral("Unable to get control list file catalog"));
}

QStringList ClsModelControl::getMappingFileCatalog(const qint32 &intPath)
{
    return getListCatalog(intPath, mappingDir, 4, QStringLiteral("SOURce%1:BB:DM:MLISt:CATalog?"),
                          QStringLiteral("Unable to get modulation mapping file catalog"));
}

QStringList ClsModelControl::getFilterFileCatalog(const qint32 &intPath)
{
    return getListCatalog(intPath, filterDir, 5, QStringLiteral("SOURce%1:BB:DM:FLISt:CATalog?"),
                          QStringLiteral("Unable to get filter file catalog"));
}
