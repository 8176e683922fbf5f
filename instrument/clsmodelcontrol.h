#ifndef LISTFORGE_INSTRUMENT_CLSMODELCONTROL_H
#define LISTFORGE_INSTRUMENT_CLSMODELCONTROL_H

#include "instrument/clsinstrcontrol.h"
#include "instrument/modeldescription.h"

// The RF and CDM operations that the five generator models share, driven by the model's
// description. Like ClsInstrControl it has no meta-object: every model class derives from it,
// declares Q_OBJECT and the instrMessage signal, and runs initModelDatabase() in its own
// constructor (instrMessage is only callable once the model's part of the object exists).
class ClsModelControl : public ClsInstrControl
{
public:
    void setRFFrequency(const qint32 &intPath, const QString &strValue, const QString &strUnit) override;
    void setRFLevel(const qint32 &intPath, const QString &strValue, const QString &strUnit) override;
    void switchRFLevel(const qint32 &intPath, const QString &strState) override;
    void setCDMDataSource(const qint32 &intPath, const QString &strSource) override;
    void setCDMDataList(const qint32 &intPath, const QString &strFileName) override;
    void setCDMControlList(const qint32 &intPath, const QString &strFileName) override;
    void setCDMPRBSType(const qint32 &intPath, const QString &strPrbsType) override;
    void setCDMModType(const qint32 &intPath, const QString &strModType) override;
    void setCDMModParam(const qint32 &intPath, const QString &strModType, const QString &strParamLabel,
                        const QString &strValue) override;
    void setCDMSymbolRate(const qint32 &intPath, const QString &strValue) override;
    void setCDMCoding(const qint32 &intPath, const QString &strCoding) override;
    void setCDMFilterType(const qint32 &intPath, const QString &strFilterType) override;
    void setCDMFilterParam(const qint32 &intPath, const QString &strFilterType, const QString &strParamLabel,
                           const QString &strValue) override;
    void setCDMRampFunction(const qint32 &intPath, const QString &strRampFunction) override;
    void setCDMRampTime(const qint32 &intPath, const QString &strValue) override;
    void setCDMRampRiseDelay(const qint32 &intPath, const QString &strValue) override;
    void setCDMRampFallDelay(const qint32 &intPath, const QString &strValue) override;
    void setCDMLevelAttenuation(const qint32 &intPath, const QString &strValue) override;
    void setCDMRampBBOnly(const qint32 &intPath, const QString &strState) override;
    void switchCDMRamp(const qint32 &intPath, const QString &strState) override;
    void setCDMMarkerMode(const qint32 &intPath, const qint32 &intMarker, const QString &strMode) override;
    void switchCDM(const qint32 &intPath, const QString &strState) override;
    void setMarkerOutput(const qint32 &intPath, const qint32 &intMarker, const QString &strOutput) override;
    void setDefaultDirectory(const qint32 &intKind) override;
    QString getRFFrequency(const qint32 &intPath, const double &dblDivisor,
                           const qint32 &intDecimals) override;
    QString getRFLevel(const qint32 &intPath, const double &dblDivisor, const qint32 &intDecimals) override;
    QStringList getDataListCatalog(const qint32 &intPath) override;
    QStringList getControlListCatalog(const qint32 &intPath) override;
    QStringList getMappingFileCatalog(const qint32 &intPath) override;
    QStringList getFilterFileCatalog(const qint32 &intPath) override;
    QStringList getMarkerOutputs(const qint32 &intPath, qint32 intMarker) override;

    const ModelDescription &modelDescription() const { return m_model; }

protected:
    ClsModelControl(const QString &strResource, const ModelDescription &model);
    // Deletes the option database and writes the model's "deleted" trace.
    ~ClsModelControl() override;

    // Creates the option database, reads the options, fills the instrument description and
    // writes the model's "created" trace for the resource.
    void initModelDatabase();
    // The model's trace texts: "<tag>: <text>".
    void traceModelDebug(const QString &strText) const;
    void traceModelError(const QString &strText) const;

private:
    // Whether the model has this path; the single-path models answer only for path A.
    bool hasPath(qint32 intPath) const;
    void info(const QString &strText);
    void error(const QString &strText);
    // Writes the command; a failed write is answered by the error line.
    void send(const QString &strCmd, const QString &strErrorLine);
    // The one check of every argument: lstBare go into the command unquoted, lstTexts are
    // names looked up in the tables or texts sent between quotes.
    static bool argumentsSendable(const QStringList &lstBare, const QStringList &lstTexts);

    // The shared sequence of most setters: information line, argument check, command.
    void runSetter(qint32 intPath, const QString &strInfo, const QStringList &lstBareArgs,
                   const QString &strCmd, const QString &strErrorLine, const QStringList &lstNames = {});
    void setFileSelection(qint32 intPath, const QString &strFileName, qint32 intDirKind,
                          const QString &strInfoTemplate, const QString &strCmdTemplate,
                          const QString &strErrorLine);
    QString getRFValue(qint32 intPath, const QString &strQuery, double dblDivisor, qint32 intDecimals,
                       const QString &strErrorLine);
    QStringList getListCatalog(qint32 intPath, const QString &strSubDir, qint32 intDirKind,
                               const QString &strQuery, const QString &strErrorLine);
    // The route of (path, marker), or nullptr when the table has none.
    MarkerRoute *markerRoute(qint32 intPath, qint32 intMarker);
    bool routeMarker(qint32 intPath, qint32 intMarker, const QString &strOutput);

    ModelDescription m_model;
};

#endif
