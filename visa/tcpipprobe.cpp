#include "visa/tcpipprobe.h"

#include "app/tracer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QThread>

namespace TcpipProbe {

namespace {

void processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

QString resolveHost(const QString &strHost)
{
    const QHostInfo info = QHostInfo::fromName(strHost);
    if (info.addresses().isEmpty()) {
        Tracer::traceError(QStringLiteral("CVISCT  : No host IP address found (%1)").arg(info.errorString()));
        return QString();
    }
    return info.addresses().first().toString();
}

QString socketStateText(int intState)
{
    switch (intState) {
    case QAbstractSocket::UnconnectedState:
        return QStringLiteral("CVISCT  : ...Unconnected..");
    case QAbstractSocket::HostLookupState:
        return QStringLiteral("CVISCT  : ...Resolving Host..");
    case QAbstractSocket::ConnectingState:
        return QStringLiteral("CVISCT  : ...Connecting..");
    case QAbstractSocket::ConnectedState:
        return QStringLiteral("CVISCT  : ...Connected");
    case QAbstractSocket::BoundState:
        return QStringLiteral("CVISCT  : ...Bound..");
    case QAbstractSocket::ListeningState:
        return QStringLiteral("CVISCT  : ...Listening..");
    case QAbstractSocket::ClosingState:
        return QStringLiteral("CVISCT  : ...Closing..");
    default:
        return QStringLiteral("CVISCT  : ...????...");
    }
}

bool testSocketConnection(const QString &strAddress, quint16 port)
{
    QTcpSocket socket;
    // The test is about reaching the instrument directly; a system proxy would prove nothing.
    socket.setProxy(QNetworkProxy::NoProxy);
    Tracer::traceDebug(
        QStringLiteral("CVISCT  : Connecting to socket '%1:%2'....").arg(strAddress).arg(port));
    processPendingEvents();
    socket.connectToHost(QHostAddress(strAddress), port, QIODevice::ReadWrite);

    QElapsedTimer timer;
    timer.start();
    int intLastState = QAbstractSocket::ClosingState;
    while (timer.elapsed() < ConnectWindowMs && socket.state() != QAbstractSocket::ConnectedState) {
        QThread::msleep(PollIntervalMs);
        const int intState = socket.state();
        if (intState != intLastState) {
            Tracer::traceDebug(socketStateText(intState));
            intLastState = intState;
        }
        processPendingEvents();
    }

    const bool bolConnected = socket.state() == QAbstractSocket::ConnectedState;
    if (bolConnected)
        Tracer::traceDebug(QStringLiteral("CVISCT  : Socket '%1:%2' connected").arg(strAddress).arg(port));
    else
        Tracer::traceError(
            QStringLiteral("CVISCT  : Unable to connect to socket '%1:%2'").arg(strAddress).arg(port));
    processPendingEvents();
    socket.abort();
    processPendingEvents();
    return bolConnected;
}

} // namespace TcpipProbe
