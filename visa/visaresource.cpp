#include "visa/visaresource.h"

#include <QStringList>

namespace VisaResource {

namespace {
constexpr quint16 PortmapperPort = 111;
constexpr quint16 HislipPort = 4880;
} // namespace

QString interfaceName(const QString &strResource)
{
    const int intPos = strResource.indexOf(QLatin1String("::"));
    return intPos < 0 ? QString() : strResource.left(intPos);
}

TcpipTarget parseTcpip(const QString &strResource)
{
    TcpipTarget target;
    const QStringList lstFields = strResource.split(QStringLiteral("::"));
    if (!lstFields.first().contains(QLatin1String("TCPIP"), Qt::CaseInsensitive))
        return target;
    target.isTcpip = true;
    if (lstFields.size() >= 2)
        target.host = lstFields.at(1).trimmed();

    if (lstFields.size() >= 2 && lstFields.last().contains(QLatin1String("SOCKET"))) {
        target.socketMode = true;
        bool bolOk = false;
        const quint16 port = lstFields.size() >= 4 ? lstFields.at(2).toUShort(&bolOk, 10) : 0;
        // Port 0 cannot be connected to, so it counts as missing like a non-numeric field.
        target.portValid = bolOk && port != 0;
        target.port = target.portValid ? port : 0;
    } else if (lstFields.size() >= 3 &&
               lstFields.at(2).startsWith(QLatin1String("hislip"), Qt::CaseInsensitive)) {
        // A HiSLIP-only instrument may serve no portmapper: test the port the session will use.
        target.hislip = true;
        const int intComma = lstFields.at(2).indexOf(QLatin1Char(','));
        bool bolOk = intComma < 0;
        const quint16 port = bolOk ? HislipPort : lstFields.at(2).mid(intComma + 1).toUShort(&bolOk, 10);
        target.portValid = bolOk && port != 0;
        target.port = target.portValid ? port : 0;
    } else {
        target.port = PortmapperPort;
        target.portValid = true;
    }
    return target;
}

QString usbSearchExpression(quint16 vendorId)
{
    return QStringLiteral("USB[0-9]::0x%1::?*INSTR")
        .arg(QString::number(vendorId, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

QString interfaceTypeName(quint16 intType)
{
    switch (intType) {
    case 1:
        return QStringLiteral("GPIB");
    case 2:
        return QStringLiteral("VXI");
    case 3:
        return QStringLiteral("GPIB_VXI");
    case 4:
        return QStringLiteral("ASRL");
    case 5:
        return QStringLiteral("PXI");
    case 6:
        return QStringLiteral("TCPIP");
    case 7:
        return QStringLiteral("USB");
    default:
        return QStringLiteral("unknown");
    }
}

} // namespace VisaResource

namespace InstrIdent {

Identity parseIdn(const QString &strIdnReply)
{
    const QStringList lstFields = strIdnReply.split(QLatin1Char(','));
    auto field = [&lstFields](int intIndex) {
        return intIndex < lstFields.size() ? printable(lstFields.at(intIndex).trimmed()) : QString();
    };
    Identity identity;
    identity.manufacturer = field(0);
    identity.instrType = field(1);
    identity.serialNumber = serialNumberFromField(field(2));
    identity.firmware = field(3);
    return identity;
}

QString printable(const QString &strText)
{
    QString strResult = strText;
    for (QChar &chr : strResult) {
        const ushort u16Code = chr.unicode();
        if (u16Code < 0x20 || (u16Code >= 0x7F && u16Code <= 0x9F))
            chr = QChar::ReplacementCharacter;
    }
    return strResult;
}

QString serialNumberFromField(const QString &strField)
{
    const QStringList lstParts = strField.split(QLatin1Char('/'));
    if (lstParts.first().contains(QLatin1Char('.')))
        return lstParts.size() > 1 ? lstParts.at(1).trimmed() : QString();
    return lstParts.first().trimmed();
}

} // namespace InstrIdent
