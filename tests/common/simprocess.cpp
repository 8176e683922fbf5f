#include "simprocess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>

SimProcess::~SimProcess()
{
    stop();
}

bool SimProcess::start(const QStringList &arguments)
{
    const QString build = QProcessEnvironment::systemEnvironment().value("LISTFORGE_BUILD_DIR");
    const QString program = build + "/listforge-sim";
    if (!QFileInfo(program).isExecutable()) {
        m_error = QStringLiteral("simulator not built: %1").arg(program);
        return false;
    }
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(5000)) {
        m_error = m_process.errorString();
        return false;
    }
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (!out.contains("ready\n") && timer.elapsed() < 10000) {
        if (!m_process.waitForReadyRead(200) && m_process.state() != QProcess::Running)
            break;
        out += m_process.readAllStandardOutput();
    }
    for (const QByteArray &line : out.split('\n')) {
        if (line.startsWith("TCPIP0::"))
            m_resources << QString::fromLatin1(line);
        if (!line.startsWith("# "))
            continue;
        const QList<QByteArray> f = line.split(' ');
        // "# <ip> <model> socket <port> vxi11 <port> portmapper <port> hislip <port>"
        if (f.size() >= 9) {
            m_socketPorts << quint16(f[4].toUInt());
            m_vxi11Ports << quint16(f[6].toUInt());
            m_hislipPorts << quint16(f.value(10).toUInt());
        }
    }
    if (out.contains("ready\n") && !m_socketPorts.isEmpty())
        return true;
    m_error = QStringLiteral("simulator did not get ready: %1 %2")
                  .arg(QString::fromLocal8Bit(out), QString::fromLocal8Bit(m_process.readAllStandardError()));
    return false;
}

void SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool RawScpiClient::connectTo(quint16 port, const QString &host)
{
    m_socket.connectToHost(host, port);
    return m_socket.waitForConnected(3000);
}

bool RawScpiClient::send(const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_socket.write(bytes.constData() + done, bytes.size() - done);
        if (n < 0)
            return false;
        done += n;
        while (m_socket.bytesToWrite() > 4 * 1024 * 1024) {
            if (!m_socket.waitForBytesWritten(3000))
                return false;
        }
    }
    while (m_socket.bytesToWrite() > 0) {
        if (!m_socket.waitForBytesWritten(3000))
            return false;
    }
    return true;
}

QByteArray RawScpiClient::readLine(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!m_buffer.contains('\n') && timer.elapsed() < timeoutMs) {
        if (m_socket.bytesAvailable() == 0)
            m_socket.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - timer.elapsed())));
        m_buffer += m_socket.readAll();
        if (m_socket.state() != QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0)
            break;
    }
    const int end = m_buffer.indexOf('\n');
    if (end < 0)
        return QByteArray();
    const QByteArray line = m_buffer.left(end);
    m_buffer.remove(0, end + 1);
    return line;
}

QByteArray RawScpiClient::readExactly(int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (m_buffer.size() < count && timer.elapsed() < timeoutMs) {
        if (m_socket.bytesAvailable() == 0)
            m_socket.waitForReadyRead(50);
        m_buffer += m_socket.readAll();
    }
    const QByteArray out = m_buffer.left(count);
    m_buffer.remove(0, out.size());
    return out;
}

QByteArray RawScpiClient::query(const QByteArray &command, int timeoutMs)
{
    if (!send(command + '\n'))
        return QByteArray();
    return readLine(timeoutMs);
}
