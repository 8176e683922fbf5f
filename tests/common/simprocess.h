#ifndef LISTFORGE_TESTS_COMMON_SIMPROCESS_H
#define LISTFORGE_TESTS_COMMON_SIMPROCESS_H

#include <QByteArray>
#include <QHostAddress>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>

// Starts listforge-sim from the build tree and learns its ports from the "# ..." lines it prints
// before "ready".
class SimProcess
{
public:
    ~SimProcess();
    // False, with the reason in errorText(), unless the simulator reported "ready" in time.
    bool start(const QStringList &arguments);
    // Arguments for a simulator on ports the system picks, so that suites can run side by side.
    static QStringList freePorts(const QStringList &more = {})
    {
        return QStringList{"--port", "0", "--portmapper-port", "0"} + more;
    }
    void stop();
    QString errorText() const { return m_error; }

    quint16 socketPort(int instrument = 0) const { return m_socketPorts.value(instrument); }
    quint16 vxi11Port(int instrument = 0) const { return m_vxi11Ports.value(instrument); }
    quint16 hislipPort(int instrument = 0) const { return m_hislipPorts.value(instrument); }
    QStringList resources() const { return m_resources; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QList<quint16> m_socketPorts;
    QList<quint16> m_vxi11Ports;
    QList<quint16> m_hislipPorts;
    QStringList m_resources;
    QString m_error;
};

// A plain raw-socket SCPI client: one line out, one line back.
class RawScpiClient
{
public:
    bool connectTo(quint16 port, const QString &host = QStringLiteral("127.0.0.1"));
    bool send(const QByteArray &bytes);
    // Sends the query with a line feed and returns the reply line without it (empty on time-out).
    QByteArray query(const QByteArray &command, int timeoutMs = 3000);
    QByteArray readLine(int timeoutMs = 3000);
    QByteArray readExactly(int count, int timeoutMs = 3000);
    QTcpSocket &socket() { return m_socket; }

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
};

#endif
