#ifndef LISTFORGE_SIM_SIMINSTRUMENT_H
#define LISTFORGE_SIM_SIMINSTRUMENT_H

#include "sim/massmemory.h"
#include "sim/scpierrorqueue.h"
#include "sim/scpiparser.h"
#include "sim/settingstable.h"
#include "sim/simfaults.h"
#include "sim/simmodels.h"

#include <QByteArrayList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

struct SimInstrumentConfig
{
    const SimModel *model = nullptr;
    QString serial;  // empty: the model's default
    QString options; // the "*OPT?" reply; the caller puts in the model's default set
    QString manufacturer = QStringLiteral("Tarvik");
    QString address = QStringLiteral("127.0.0.1");
    QString storageDir; // host folder of the mass memory
    int presetMs = 500; // how long SYSTem:PRESet keeps the instrument busy
    SimFaults faults;
};

// One simulated generator: identity, status registers and error queue, the RF and CDM settings,
// the mass memory and the overlapped preset. Transports hand it parsed program message units
// through ScpiSession; it never touches the network itself.
class SimInstrument : public QObject
{
    Q_OBJECT
public:
    enum class Step
    {
        Done,
        Wait
    };

    explicit SimInstrument(const SimInstrumentConfig &config, QObject *parent = nullptr);
    ~SimInstrument() override;

    // Runs one unit. path carries the header path of the previous unit of the same message, for
    // the SCPI rule that "SOUR:FREQ 1GHz;POW -10" means SOUR:POW. Wait means: run the unit
    // again once operationsComplete() has been emitted.
    Step execute(const ScpiUnit &unit, const QByteArray &message, QByteArray *path,
                 QByteArrayList *responses);
    void reportError(int code, const QByteArray &detail = QByteArray());

    const SimInstrumentConfig &config() const { return m_config; }
    const SimFaults &faults() const { return m_config.faults; }
    const SimProfile &profile() const { return m_settings.profile(); }
    QByteArray identity() const;
    quint8 statusByte() const;
    bool busy() const { return m_busy; }

signals:
    // Pending overlapped operations have finished (never under the opc-never fault).
    void operationsComplete();

private:
    struct Call
    {
        const ScpiUnit &unit;
        const QByteArray &message;
        const QVector<int> &suffixes;
        QByteArrayList *responses;
    };
    using Handler = std::function<Step(SimInstrument *, const Call &)>;
    struct Command
    {
        ScpiHeaderPattern header;
        bool settable;
        bool queryable;
        Handler handler;
    };

    void buildCommands();
    Step executeCommon(const ScpiUnit &unit, QByteArrayList *responses);
    bool dispatch(const ScpiUnit &unit, const QByteArray &header, const QByteArray &message,
                  QByteArrayList *responses, Step *step, int *error);
    void resetSettings();
    void startOverlapped(int ms);
    void finishOverlapped();
    QString stringParam(const Call &call, int *error) const;

    Step systemError(const Call &call);
    Step massMemory(const Call &call, const QByteArray &what);
    Step listCatalog(const Call &call, const QString &extension);

    SimInstrumentConfig m_config;
    std::unique_ptr<MassMemory> m_memory;
    SettingsTable m_settings;
    QVector<Command> m_commands;
    ScpiErrorQueue m_errors;
    quint8 m_esr = 0x80; // power on
    quint8 m_ese = 0;
    quint8 m_sre = 0;
    bool m_busy = false;
    bool m_opcArmed = false;
    QByteArray m_gpibTermination = "STAN";
    QTimer m_overlapTimer;
};

#endif
