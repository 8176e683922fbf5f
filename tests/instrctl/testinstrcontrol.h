#ifndef LISTFORGE_TESTS_INSTRCTL_TESTINSTRCONTROL_H
#define LISTFORGE_TESTS_INSTRCTL_TESTINSTRCONTROL_H

// A generator control (GKR550X unless another model is named) with its instrument messages at
// hand: the base class's behaviour is under test, the model operations are the model suites'.

#include "instrument/clsgkrcontrol.h"
#include "instrument/clsmodelcontrol.h"

#include "simlog.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>

class TestInstrControl : public ClsModelControl
{
    Q_OBJECT
public:
    explicit TestInstrControl(const QString &strResource,
                              const ModelDescription &model = ClsGKRControl::description())
        : ClsModelControl(strResource, model)
    {
        // Collect before the model's own initialisation, which already emits messages.
        connect(this, &TestInstrControl::instrMessage, this,
                [this](ClsInstrControl::EnuInstrLogType enuType, const QString &strText) {
                    messages.append(qMakePair(int(enuType), strText));
                });
        initModelDatabase();
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
