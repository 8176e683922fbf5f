#ifndef LISTFORGE_INSTRUMENT_CLSINSTRCONTROL_H
#define LISTFORGE_INSTRUMENT_CLSINSTRCONTROL_H

// SHARED HEADER: the five generator model classes (ClsGKRControl, ClsPLOXAControl,
// ClsDVTControl, ClsHERNControl, ClsZOYControl) derive from ClsInstrControl and code against
// the public and protected API below. Change it only together with them.
//
// A model class must
//  - be a Q_OBJECT class of its own deriving publicly from ClsInstrControl,
//  - implement the 31 model operations,
//  - declare   signals: void instrMessage(ClsInstrControl::EnuInstrLogType enuType,
//                                         const QString &strMessage) override;
//    so that the base class's calls of the pure virtual reach the model's signal,
//  - create `options` (ClsSigGenOptions) and fill the directory fields, `installedOptions`
//    and `database` in its constructor.

#include "instrument/instrdatabase.h"

#include <QChar>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QFile;
class ClsVisaControl;
class ClsSigGenOptions;
class ClsStopWatch;

// The base deliberately carries no meta-object of its own: each model class has its own, and
// the instrMessage signal lives there.
class ClsInstrControl : public QObject
{
public:
    enum EnuInstrLogType : qint32
    {
        InstrLogInfo = 1,
        InstrLogError = 2
    };

    // Completion check of sendCommand.
    enum EnuOpcType : qint32
    {
        OpcNone = 0,  // plain write
        OpcQuery = 1, // "; *OPC?" appended, the answer is read and checked
        OpcLoop = 2   // "*OPC" then "*ESR?" polled until Operation Complete
    };

    // Result of deleteFile.
    enum EnuDeleteResult : qint32
    {
        DeleteNotFound = 0, // the file is not in the catalog; nothing was sent
        DeleteDone = 1,     // the delete command went out and was confirmed
        DeleteDeclined = 2, // the user answered anything but Yes
        DeleteFailed = 3    // the delete command failed
    };

    // Asks the user a Yes/No question (title, text) and returns true for Yes. The core never
    // opens a window itself: the GUI installs a handler that shows a parentless question box,
    // the command line one that answers from its options. Without a handler every question
    // is answered No.
    using ConfirmHandler = std::function<bool(const QString &strTitle, const QString &strText)>;
    static void setConfirmHandler(ConfirmHandler handler);
    static ConfirmHandler confirmHandler();

    // Value of lastCmdDuration while no duration is known.
    static constexpr double UnknownDuration = 999999.999;
    // Upper bound of "SYSTem:ERRor?" round trips in one getErrorQueue call.
    static constexpr int MaxErrorQueueEntries = 100;
    // Poll interval and longest wait of the preset's OPC loop. The program keeps the default
    // wait; a value of 0 or less restores it.
    static constexpr qint32 PresetPollMs = 100;
    static constexpr qint32 DefaultPresetMaxTimeMs = 30000;
    static void setPresetMaxTimeMs(qint32 intMs);
    static qint32 presetMaxTimeMs();
    // Size of one raw data write of a file transfer.
    static constexpr qint64 UploadChunkSize = 1024;

    explicit ClsInstrControl(const QString &strResource);
    ~ClsInstrControl() override;

    ClsInstrControl(const ClsInstrControl &) = delete;
    ClsInstrControl &operator=(const ClsInstrControl &) = delete;

    // --- identity ---------------------------------------------------------------------------
    QString getResource() const { return resource; }
    QString getInstrType() const { return instrType; }
    QString getSerialNumber() const { return serialNumber; }
    QString getFirmware() const { return firmware; }
    bool isSessionOpen() const;
    QString getInterfaceName() const;
    ClsSigGenOptions *getOptionsDatabase() const { return options; }

    // --- commands ---------------------------------------------------------------------------
    bool sendCommand(const QString &strCmd, EnuOpcType enuMode, qint32 intIntervalMs, qint32 intMaxTimeMs);
    bool writeCmd(const QString &strCmd);
    bool queryCmd(const QString &strCmd, QString &strReply);
    // The reply, or "-" on failure.
    QString queryCommand(const QString &strCmd);
    bool sendWithSuffix(const QString &strCmd, const QString &strSuffix);
    bool sendWithOpcLoop(const QString &strCmd, qint32 intIntervalMs, qint32 intMaxTimeMs);
    bool presetInstrument();
    QString getLastCmdDuration() const;
    double getLastCmdDurationMs() const { return lastCmdDuration; }

    // Told about a file transfer while it runs: bytes of the file sent so far and its size.
    // Called on the transferring thread after every chunk; keep it cheap.
    using TransferProgressHandler = std::function<void(qint64 i64Done, qint64 i64Total)>;
    void setTransferProgressHandler(TransferProgressHandler handler)
    {
        transferProgress = std::move(handler);
    }

    // --- instrument state -------------------------------------------------------------------
    QString getOptions();
    void getOptionList(qint32 intCategory, QStringList &lstOptions) const;
    bool getErrorQueue(QMap<QString, QString> &mapErrors);
    bool getStaticErrors(QMap<QString, QString> &mapErrors);

    // --- mass memory ------------------------------------------------------------------------
    // 1 root, 2 data lists, 3 control lists, 4 mapping files, 5 filter files; others root.
    QString getDirectory(const qint32 &intKind) const;
    QString getFullDirectory(const qint32 &intKind) const;
    bool createDirectory(const QString &strParent, const QString &strSub);
    bool uploadFile(const QString &strLocalPath, const QString &strTargetPath);
    bool uploadDataList(const QString &strLocalDir, const QString &strFileName);
    bool uploadControlList(const QString &strLocalDir, const QString &strFileName);
    QStringList getFileCatalog(const QString &strDrive, const QString &strDir, const QString &strExt);
    QList<FileCatalogEntry> getDetailedCatalog(const QString &strDrive, const QString &strDir,
                                               const QString &strPattern);
    QStringList getDefaultDirCatalog(const qint32 &intKind);
    EnuDeleteResult deleteFile(const QString &strPath, bool bolAskUser);
    bool setGpibTermination(bool bolEoi);
    bool resetInterface(bool bolSendEnd, const QString &strInterfaceName);
    void splitPath(const QString &strPath, QString &strDrive, QString &strDir, QString &strFileName,
                   QString &strBaseName, QString &strExt) const;

    // --- database (read access; a path other than 1/2 or an index other than 0..7 reads 0) --
    QStringList getInstalledOptions() const { return installedOptions; }
    QString getOptionsText() const { return database.optionsText; }
    QChar getPathSeparator() const { return pathSeparator; }
    QString getDrive() const { return drive; }
    QString getRootDir() const { return rootDir; }
    qint32 getNumRFPaths() const { return database.numRFPaths; }
    qint32 getNumBBPaths() const { return database.numBBPaths; }
    qint32 getNumMarkers() const { return database.numMarkers; }
    double getRFFreqMin(const qint32 &intPath) const;
    double getRFFreqMax(const qint32 &intPath) const;
    double getRFLevelMin(const qint32 &intPath) const;
    double getRFLevelMax(const qint32 &intPath) const;
    double getCDMRampLimit(const qint32 &intIndex) const;
    QStringList getDigStdIntList(const qint32 &intPath) const;
    QStringList getDigStdExtList(const qint32 &intPath) const;
    QMap<QString, DataSourceInfo> getDataSourceTable() const { return database.dataSources; }
    QMap<QString, ModulationInfo> getModulationTable() const { return database.modulations; }
    QMap<QString, FilterInfo> getFilterTable() const { return database.filters; }
    QMap<QString, bool> getOutputUseMap() const { return database.outputUse; }
    QList<QList<MarkerRoute>> getMarkerRouteTable() const { return database.markerRoutes; }

    // --- model operations (order is binding) ------------------------------------------------
    virtual void setRFFrequency(const qint32 &intPath, const QString &strValue, const QString &strUnit) = 0;
    virtual void setRFLevel(const qint32 &intPath, const QString &strValue, const QString &strUnit) = 0;
    virtual void switchRFLevel(const qint32 &intPath, const QString &strState) = 0;
    virtual void setCDMDataSource(const qint32 &intPath, const QString &strSource) = 0;
    virtual void setCDMDataList(const qint32 &intPath, const QString &strFileName) = 0;
    virtual void setCDMControlList(const qint32 &intPath, const QString &strFileName) = 0;
    virtual void setCDMPRBSType(const qint32 &intPath, const QString &strPrbsType) = 0;
    virtual void setCDMModType(const qint32 &intPath, const QString &strModType) = 0;
    virtual void setCDMModParam(const qint32 &intPath, const QString &strModType,
                                const QString &strParamLabel, const QString &strValue) = 0;
    virtual void setCDMSymbolRate(const qint32 &intPath, const QString &strValue) = 0;
    virtual void setCDMCoding(const qint32 &intPath, const QString &strCoding) = 0;
    virtual void setCDMFilterType(const qint32 &intPath, const QString &strFilterType) = 0;
    virtual void setCDMFilterParam(const qint32 &intPath, const QString &strFilterType,
                                   const QString &strParamLabel, const QString &strValue) = 0;
    virtual void setCDMRampFunction(const qint32 &intPath, const QString &strRampFunction) = 0;
    virtual void setCDMRampTime(const qint32 &intPath, const QString &strValue) = 0;
    virtual void setCDMRampRiseDelay(const qint32 &intPath, const QString &strValue) = 0;
    virtual void setCDMRampFallDelay(const qint32 &intPath, const QString &strValue) = 0;
    virtual void setCDMLevelAttenuation(const qint32 &intPath, const QString &strValue) = 0;
    virtual void setCDMRampBBOnly(const qint32 &intPath, const QString &strState) = 0;
    virtual void switchCDMRamp(const qint32 &intPath, const QString &strState) = 0;
    virtual void setCDMMarkerMode(const qint32 &intPath, const qint32 &intMarker, const QString &strMode) = 0;
    virtual void switchCDM(const qint32 &intPath, const QString &strState) = 0;
    virtual void setMarkerOutput(const qint32 &intPath, const qint32 &intMarker,
                                 const QString &strOutput) = 0;
    virtual void setDefaultDirectory(const qint32 &intKind) = 0;
    virtual QString getRFFrequency(const qint32 &intPath, const double &dblDivisor,
                                   const qint32 &intDecimals) = 0;
    virtual QString getRFLevel(const qint32 &intPath, const double &dblDivisor,
                               const qint32 &intDecimals) = 0;
    virtual QStringList getDataListCatalog(const qint32 &intPath) = 0;
    virtual QStringList getControlListCatalog(const qint32 &intPath) = 0;
    virtual QStringList getMappingFileCatalog(const qint32 &intPath) = 0;
    virtual QStringList getFilterFileCatalog(const qint32 &intPath) = 0;
    virtual QStringList getMarkerOutputs(const qint32 &intPath, qint32 intMarker) = 0;

    // Signal of each model class (see the note at the top of this file).
    virtual void instrMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strMessage) = 0;

    // Reply parsers, public so that they can be exercised on any reply an instrument might send.
    static void parseErrorEntries(const QStringList &lstEntries, QMap<QString, QString> &mapErrors);
    static QStringList splitCatalogReply(const QString &strReply);

protected:
    // Text between single quotes of a SCPI command: an IEEE 488.2 string body, with every
    // single quote doubled so that no text can end the string early.
    static QString quoteBody(const QString &strText);

    ClsVisaControl *visa = nullptr;
    QString resource;
    QString instrType;
    QString serialNumber;
    QString firmware;
    QStringList installedOptions;
    QChar pathSeparator = QLatin1Char('\\');
    QString drive;
    QString rootDir;
    QString dataListDir;
    QString controlListDir;
    QString mappingDir;
    QString filterDir;
    InstrDatabase database;
    // Created by the model constructor. The model destructor may delete it (and must then set it
    // to nullptr); the base deletes whatever is left.
    ClsSigGenOptions *options = nullptr;
    ClsStopWatch *stopWatch = nullptr;
    double lastCmdDuration = UnknownDuration;

private:
    TransferProgressHandler transferProgress;

    void initDatabase();
    void emitInfo(const QString &strText);
    void emitError(const QString &strText);
    bool uploadListFile(const QString &strLocalDir, const QString &strFileName, const QString &strSubDir,
                        const QString &strKindText);
    bool sendFileBlocks(QFile &file, qint64 i64Size, const QString &strTargetPath,
                        const QString &strInterfaceName, bool bolSavedEnd);
    // Whether the instrument lists the target with all i64Size bytes; a shorter copy is deleted.
    bool confirmStored(const QString &strTargetPath, qint64 i64Size);
    // Ends a block that broke off over a raw socket, with i64Unsent of its bytes not yet sent.
    void leaveSocketBlock(qint64 i64Unsent);
};

Q_DECLARE_METATYPE(ClsInstrControl::EnuInstrLogType)

#endif
