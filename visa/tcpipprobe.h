#ifndef LISTFORGE_VISA_TCPIPPROBE_H
#define LISTFORGE_VISA_TCPIPPROBE_H

#include <QString>
#include <QtGlobal>

// Checks made before VISA is asked to open a TCP/IP resource: an unreachable host then costs at
// most the connection-test window instead of the much longer VISA time-out.
namespace TcpipProbe {

constexpr int ConnectWindowMs = 2000;
constexpr int PollIntervalMs = 5;

// First address of the host, as text; empty (after an error trace) when it has none.
QString resolveHost(const QString &strHost);

// Tries a TCP connection for at most ConnectWindowMs, tracing every socket state change, and
// drops it again.
bool testSocketConnection(const QString &strAddress, quint16 port);

// Trace text of a socket state value ("...Connecting..", ...).
QString socketStateText(int intState);

} // namespace TcpipProbe

#endif
