#ifndef LISTFORGE_INSTRMANAGE_SCANENDPOINTS_H
#define LISTFORGE_INSTRMANAGE_SCANENDPOINTS_H

#include <QHostAddress>
#include <QList>
#include <QString>

// Where the LAN scanner listens and broadcasts from.
//
// The addresses of the local host name alone are not enough: a stock Debian install maps the
// host name to 127.0.1.1, and a broadcast from there never leaves the machine. So every network
// interface that is up, running and broadcast-capable contributes its IPv4 addresses, each
// broadcasting to its own subnet's broadcast address (a limited broadcast from a bound socket
// leaves through whichever interface the routing picks). Host-name addresses that no interface
// already covers are added with the limited broadcast. Loopback takes part only when nothing
// else is there, so a machine without a network still finds the instruments it hosts itself.
namespace ScanEndpoints {

struct Endpoint
{
    QHostAddress local;     // bound to, port LocalUdpPort
    QHostAddress broadcast; // the GETPORT call goes here
};

// One IPv4 address of a network interface, with what the scanner needs to know about it.
struct InterfaceAddress
{
    QHostAddress ip;
    QHostAddress broadcast; // null when the interface has none
    bool usable = false;    // up, running and broadcast-capable
    bool loopback = false;
};

// The rule above, on given facts.
QList<Endpoint> choose(const QList<InterfaceAddress> &interfaces,
                       const QList<QHostAddress> &hostNameAddresses);

// The IPv4 addresses of this machine's interfaces (QNetworkInterface).
QList<InterfaceAddress> localInterfaces();

} // namespace ScanEndpoints

#endif
