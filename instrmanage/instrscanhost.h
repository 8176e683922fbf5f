#ifndef LISTFORGE_INSTRMANAGE_INSTRSCANHOST_H
#define LISTFORGE_INSTRMANAGE_INSTRSCANHOST_H

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// One host that answered the LAN scan's portmapper broadcast, and after identification what it
// said about itself.
struct InstrScanHost
{
    QString interfaceName = QStringLiteral("TCPIP");
    QHostAddress address; // sender of the portmapper reply
    qint32 vxiPort = 0;   // TCP port of the VXI-11 core program
    QString hostName;     // short host name, or the address text
    QString resource;     // "TCPIP::<hostName>::INSTR"
    QString manufacturer;
    QString instrType;
    QString serialNumber;
    QString firmware;
    QString foundBy; // "portmapper", "mDNS" or "portmapper and mDNS", for the trace
};

// How a LAN scan looks for instruments: by portmapper broadcast, by multicast DNS service
// discovery, or both (the default).
enum class LanScanMethod
{
    Portmapper,
    Mdns,
    Both
};

// "portmapper", "mdns" or "both"; false for any other text.
inline bool lanScanMethodFromText(const QString &strText, LanScanMethod &method)
{
    const QStringList lstNames = {QStringLiteral("portmapper"), QStringLiteral("mdns"),
                                  QStringLiteral("both")};
    const int intIndex = lstNames.indexOf(strText);
    if (intIndex < 0)
        return false;
    method = LanScanMethod(intIndex);
    return true;
}

#endif
