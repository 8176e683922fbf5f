#include "instrument/scpitext.h"

#include <cmath>

namespace ScpiText {

bool isSendable(const QString &strText)
{
    for (const QChar ch : strText) {
        const ushort code = ch.unicode();
        if (code < 0x20 || code == 0x7F || code > 0xFF)
            return false;
    }
    return true;
}

bool isNonFiniteNumber(const QString &strText)
{
    QString strNumber = strText.trimmed().toLower();
    if (!std::isfinite(strNumber.toDouble())) // "inf", "nan" and overflows such as "1e999"
        return true;
    if (strNumber.startsWith(QLatin1Char('+')) || strNumber.startsWith(QLatin1Char('-')))
        strNumber.remove(0, 1);
    // The SCPI spellings that the conversion above does not know.
    return strNumber == QLatin1String("infinity") || strNumber == QLatin1String("ninf");
}

bool isBareToken(const QString &strText)
{
    static const QString s_forbidden = QStringLiteral(";#'\"");
    for (const QChar ch : strText) {
        if (s_forbidden.contains(ch))
            return false;
    }
    return isSendable(strText) && !isNonFiniteNumber(strText);
}

} // namespace ScpiText
