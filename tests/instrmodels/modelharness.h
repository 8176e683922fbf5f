#ifndef LISTFORGE_TESTS_INSTRMODELS_MODELHARNESS_H
#define LISTFORGE_TESTS_INSTRMODELS_MODELHARNESS_H

#include "instrument/clsinstrcontrol.h"
#include "simlog.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <memory>

namespace QTest {
// Lists of commands and messages are compared as one text each, so that a failure shows both
// sides in full instead of only their sizes.
inline bool qCompare(const QStringList &lstActual, const QStringList &lstExpected, const char *pActual,
                     const char *pExpected, const char *pFile, int intLine)
{
    const QString strActual = lstActual.join(QStringLiteral(" | "));
    const QString strExpected = lstExpected.join(QStringLiteral(" | "));
    return compare_helper(lstActual == lstExpected, "Compared lists differ", toString(strActual),
                          toString(strExpected), pActual, pExpected, pFile, intLine);
}
} // namespace QTest

// Collects the instrument messages of a control object as "<type>|<text>".
class MessageSink : public QObject
{
    Q_OBJECT
public:
    QStringList lstMessages;

public slots:
    void record(ClsInstrControl::EnuInstrLogType enuType, const QString &strText)
    {
        lstMessages << QString::number(enuType) + QLatin1Char('|') + strText;
    }
};

// A simulated generator (the shared bench: storage and message log in a temporary folder) and a
// model control object connected to it over a raw socket, with the control's instrument
// messages at hand.
class ModelHarness
{
public:
    ~ModelHarness() { m_control.reset(); }

    // Starts listforge-sim for the model (extra arguments such as --options appended) and
    // creates the model's control object on its socket resource; what the control sent and
    // reported while it was created is taken.
    bool start(const QString &strModel, const QStringList &lstSimArgs = {});
    // Creates the control object for a resource nobody answers on.
    bool startUnreachable(const QString &strModel);

    ClsInstrControl *control() const { return m_control.get(); }
    QString storageDir() const { return m_bench.tmp.filePath(QStringLiteral("storage")); }

    // The messages the instrument received since the last call. Waits for the simulator by a
    // query of its own, which the log leaves out.
    QStringList takeCommands();
    // The instrument messages since the last call as "<type>|<text>".
    QStringList takeMessages();
    // The simulated instrument's error queue, emptied ("" when there was no error).
    QString takeInstrumentErrors();
    // Forgets the commands and messages so far.
    void drain()
    {
        takeCommands();
        takeMessages();
    }

private:
    bool create(const QString &strModel, quint16 u16Port);

    SimBench m_bench;
    std::unique_ptr<ClsInstrControl> m_control;
    int m_logLinesSeen = 0;
    MessageSink m_sink;
};

#endif
