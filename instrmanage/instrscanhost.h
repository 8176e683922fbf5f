#ifndef LISTFORGE_INSTRMANAGE_INSTRSCANHOST_H
#define LISTFORGE_INSTRMANAGE_INSTRSCANHOST_H

#include <QHostAddress>
#include <QString>
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
};

#endif
