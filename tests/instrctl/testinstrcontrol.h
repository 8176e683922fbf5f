#ifndef LISTFORGE_TESTS_INSTRCTL_TESTINSTRCONTROL_H
#define LISTFORGE_TESTS_INSTRCTL_TESTINSTRCONTROL_H

// The smallest concrete instrument control: the base class's behaviour is under test, so the
// model operations do nothing except setDefaultDirectory, which the base calls for its
// default-directory catalog.

#include "instrument/clsinstrcontrol.h"
#include "instrument/clssiggenoptions.h"

#include "simlog.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>

class TestInstrControl : public ClsInstrControl
{
    Q_OBJECT
public:
    enum Layout
    {
        DriveLayout, // "D:" + backslashes, as GKR550X, PLOXA550X and DVT330X
        LinuxLayout  // "/var/user/", as HERN330X and ZOY550X
    };

    TestInstrControl(const QString &strResource, Layout layout,
                     qint32 intModel = ClsSigGenOptions::ModelGKR550X)
        : ClsInstrControl(strResource)
    {
        // Collect before the model's own initialisation, which already emits messages.
        connect(this, &TestInstrControl::instrMessage, this,
                [this](ClsInstrControl::EnuInstrLogType enuType, const QString &strText) {
                    messages.append(qMakePair(int(enuType), strText));
                });
        options = new ClsSigGenOptions(intModel);
        if (layout == DriveLayout) {
            pathSeparator = QLatin1Char('\\');
            drive = "D:";
            rootDir = "\\";
        } else {
            pathSeparator = QLatin1Char('/');
            rootDir = "/var/user/";
        }
        dataListDir = "DataLists";
        controlListDir = "CtrlLists";
        mappingDir = "Mappings";
        filterDir = "Filters";
        if (isSessionOpen()) {
            database.optionsText = getOptions();
            installedOptions = database.optionsText.split(QLatin1Char(','));
            ClsSigGenOptions::sortOptionList(installedOptions);
        }
    }

    QStringList messageTexts(int intType) const
    {
        QStringList lst;
        for (const auto &msg : messages)
            if (msg.first == intType)
                lst << msg.second;
        return lst;
    }

    QList<QPair<int, QString>> messages;
    QList<qint32> defaultDirKinds;

    void setRFFrequency(const qint32 &, const QString &, const QString &) override {}
    void setRFLevel(const qint32 &, const QString &, const QString &) override {}
    void switchRFLevel(const qint32 &, const QString &) override {}
    void setCDMDataSource(const qint32 &, const QString &) override {}
    void setCDMDataList(const qint32 &, const QString &) override {}
    void setCDMControlList(const qint32 &, const QString &) override {}
    void setCDMPRBSType(const qint32 &, const QString &) override {}
    void setCDMModType(const qint32 &, const QString &) override {}
    void setCDMModParam(const qint32 &, const QString &, const QString &, const QString &) override {}
    void setCDMSymbolRate(const qint32 &, const QString &) override {}
    void setCDMCoding(const qint32 &, const QString &) override {}
    void setCDMFilterType(const qint32 &, const QString &) override {}
    void setCDMFilterParam(const qint32 &, const QString &, const QString &, const QString &) override {}
    void setCDMRampFunction(const qint32 &, const QString &) override {}
    void setCDMRampTime(const qint32 &, const QString &) override {}
    void setCDMRampRiseDelay(const qint32 &, const QString &) override {}
    void setCDMRampFallDelay(const qint32 &, const QString &) override {}
    void setCDMLevelAttenuation(const qint32 &, const QString &) override {}
    void setCDMRampBBOnly(const qint32 &, const QString &) override {}
    void switchCDMRamp(const qint32 &, const QString &) override {}
    void setCDMMarkerMode(const qint32 &, const qint32 &, const QString &) override {}
    void switchCDM(const qint32 &, const QString &) override {}
    void setMarkerOutput(const qint32 &, const qint32 &, const QString &) override {}
    void setDefaultDirectory(const qint32 &intKind) override
    {
        defaultDirKinds << intKind;
        if (!drive.isEmpty())
            writeCmd(QString("MMEMory:MSIS '%1'").arg(drive));
        writeCmd(QString("MMEMory:CDIR '%1'").arg(getDirectory(intKind)));
    }
    QString getRFFrequency(const qint32 &, const double &, const qint32 &) override { return "0"; }
    QString getRFLevel(const qint32 &, const double &, const qint32 &) override { return "0"; }
    QStringList getDataListCatalog(const qint32 &) override { return QStringList(); }
    QStringList getControlListCatalog(const qint32 &) override { return QStringList(); }
    QStringList getMappingFileCatalog(const qint32 &) override { return QStringList(); }
    QStringList getFilterFileCatalog(const qint32 &) override { return QStringList(); }
    QStringList getMarkerOutputs(const qint32 &, qint32) override { return QStringList(); }

signals:
    void instrMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strMessage) override;
};

inline QByteArray patternBytes(int intSize, int intSeed = 0)
{
    QByteArray ba(intSize, '\0');
    for (int i = 0; i < intSize; ++i)
        ba[i] = char((i * 7 + intSeed) & 0xFF);
    return ba;
}

// The simulator works through its input on its own time: a query answered means every earlier
// message has been executed and logged.
inline bool synced(ClsInstrControl &ctl)
{
    QString strReply;
    return ctl.queryCmd(QString::fromLatin1(SimLog::SyncQuery), strReply) && !strReply.isEmpty();
}

#endif
