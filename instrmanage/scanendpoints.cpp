#include "instrmanage/scanendpoints.h"

#include <QNetworkInterface>

namespace ScanEndpoints {

namespace {

bool contains(const QList<Endpoint> &endpoints, const QHostAddress &address)
{
    for (const Endpoint &endpoint : endpoints)
        if (endpoint.local == address)
            return true;
    return false;
}

} // namespace

QList<Endpoint> choose(const QList<InterfaceAddress> &interfaces,
                       const QList<QHostAddress> &hostNameAddresses)
{
    QList<Endpoint> endpoints;
    for (const InterfaceAddress &entry : interfaces) {
        if (!entry.usable || entry.loopback || entry.ip.protocol() != QAbstractSocket::IPv4Protocol ||
            entry.ip.isLoopback() || entry.broadcast.isNull() || contains(endpoints, entry.ip))
            continue;
        endpoints.append({entry.ip, entry.broadcast});
    }
    const QHostAddress limited(QHostAddress::Broadcast);
    for (const QHostAddress &address : hostNameAddresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() &&
            !contains(endpoints, address))
            endpoints.append({address, limited});
    }
    if (!endpoints.isEmpty())
        return endpoints;
    for (const QHostAddress &address : hostNameAddresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !contains(endpoints, address))
            endpoints.append({address, limited});
    }
    return endpoints;
}

QList<InterfaceAddress> localInterfaces()
{
    QList<InterfaceAddress> lstAddresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        const bool bolUsable = flags.testFlag(QNetworkInterface::IsUp) &&
                               flags.testFlag(QNetworkInterface::IsRunning) &&
                               flags.testFlag(QNetworkInterface::CanBroadcast);
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            lstAddresses.append(
                {entry.ip(), entry.broadcast(), bolUsable, flags.testFlag(QNetworkInterface::IsLoopBack)});
        }
    }
    return lstAddresses;
}

} // namespace ScanEndpoints
