#ifndef LISTFORGE_VISA_VISARESOURCE_H
#define LISTFORGE_VISA_VISARESOURCE_H

#include <QString>
#include <QtGlobal>

// Pure text rules around VISA resource strings and instrument identification, kept apart from
// the session code so that they can be checked without a library or an instrument.
namespace VisaResource {

// The maker's USB vendor id, used to restrict the USB search to the maker's instruments.
constexpr quint16 TarvikUsbVendorId = 0x3D7A;

// Resource up to the first "::" ("GPIB0", "USB0", "TCPIP0"); empty when there is no "::".
QString interfaceName(const QString &strResource);

// Where the connection test before opening a TCP/IP resource has to go.
struct TcpipTarget
{
    bool isTcpip = false;    // first field contains "TCPIP" in any case
    bool socketMode = false; // last field contains "SOCKET": raw socket, line-feed terminated
    bool hislip = false;     // third field "hislip[N][,port]": HiSLIP, which needs no portmapper
    QString host;            // second field; empty when the resource has none
    quint16 port = 0;        // socket port, HiSLIP port (4880 unless given) or 111 for VXI-11
    bool portValid = false;  // false for a SOCKET resource without a usable port number
};
TcpipTarget parseTcpip(const QString &strResource);

// "USB[0-9]::0xVVVV::?*INSTR": USB instruments of the given vendor on any board, any model.
QString usbSearchExpression(quint16 vendorId);

// Name of a VI_ATTR_INTF_TYPE value ("GPIB", "TCPIP", ...; "unknown" for other values).
QString interfaceTypeName(quint16 intType);

} // namespace VisaResource

namespace InstrIdent {

struct Identity
{
    QString manufacturer; // field 0
    QString instrType;    // field 1
    QString serialNumber; // derived from field 2
    QString firmware;     // field 3
};

// Splits a "*IDN?" reply at ","; missing fields stay empty. Each field is trimmed and then made
// printable (see printable()).
Identity parseIdn(const QString &strIdnReply);

// Text that came from the network, with every control character (below 0x20, 0x7F and the C1
// range 0x80 to 0x9F) replaced by U+FFFD: an instrument's answer is data, and must not move a
// terminal's cursor, split a tab-separated line or a trace line, or end up in settings files.
QString printable(const QString &strText);

// The serial-number rule: the third "*IDN?" field is split at "/"; when the part before the "/"
// holds a ".", it is an order number and the serial number follows the "/"; otherwise the part
// before the "/" is the serial number ("1234.5678k02/100200" and "100200" both give "100200").
QString serialNumberFromField(const QString &strField);

} // namespace InstrIdent

#endif
