#include "instrmanage/hostnaming.h"

#include "visa/visaresource.h"

#include <QHostInfo>
#include <QRegularExpression>

namespace HostNaming {

bool isDottedQuad(const QString &strText)
{
    // The whole text must match, as a validator on this expression would accept it.
    static const QRegularExpression rxQuad(
        QStringLiteral("\\A[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}\\z"));
    return rxQuad.match(strText).hasMatch();
}

bool skipsNameLookup(const QString &strAddress)
{
    return strAddress.startsWith(QLatin1String("169.254.")) ||
           strAddress.startsWith(QLatin1String("192.168."));
}

QString shortName(const QString &strHostName)
{
    if (isDottedQuad(strHostName))
        return strHostName;
    return strHostName.section(QLatin1Char('.'), 0, 0);
}

QString hostNameFor(const QString &strAddress)
{
    if (skipsNameLookup(strAddress))
        return strAddress;
    // Names come from the hosts file or the name server, both outside this program's control.
    const QString strShort = InstrIdent::printable(shortName(QHostInfo::fromName(strAddress).hostName()));
    // A name that is all domain (".lab") leaves nothing to connect to: keep the address then.
    return strShort.isEmpty() ? strAddress : strShort;
}

} // namespace HostNaming
