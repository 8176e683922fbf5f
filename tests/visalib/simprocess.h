// Runs listforge-sim from the build tree for the duration of a test and waits until it serves.
#pragma once

#include <QProcess>
#include <QStringList>

class SimProcess
{
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts the simulator with the given extra options; false (with errorText) if it did not
    // report "ready" in time.
    bool start(const QStringList &arguments);
    void stop();
    QString errorText() const { return m_error; }
    static QString executable();

private:
    QProcess m_process;
    QString m_error;
};
