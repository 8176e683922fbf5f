#include "sim/simfaults.h"

#include <QStringList>

bool SimFaults::parse(const QString &text, QString *error)
{
    const int eq = text.indexOf('=');
    const QString name = (eq < 0 ? text : text.left(eq)).trimmed().toLower();
    const QString value = eq < 0 ? QString() : text.mid(eq + 1).trimmed();
    bool ok = true;
    auto needNumber = [&](qint64 *target) {
        const qint64 n = value.toLongLong(&ok);
        ok = ok && n >= 0;
        if (ok)
            *target = n;
    };
    if (name == QLatin1String("drop-block")) {
        needNumber(&dropAfterBlockBytes);
    } else if (name == QLatin1String("reply-delay")) {
        qint64 ms = 0;
        needNumber(&ms);
        ok = ok && ms <= 600000;
        replyDelayMs = int(ms);
    } else if (name == QLatin1String("garbage")) {
        garbageReplies = true;
    } else if (name == QLatin1String("no-reply")) {
        noReplies = true;
    } else if (name == QLatin1String("endless-errors")) {
        endlessErrors = true;
    } else if (name == QLatin1String("refuse-link")) {
        refuseLink = true;
    } else if (name == QLatin1String("opc-never")) {
        opcNeverComplete = true;
    } else if (name == QLatin1String("portmapper-delay")) {
        qint64 ms = 0;
        needNumber(&ms);
        ok = ok && ms <= 600000;
        portmapperDelayMs = int(ms);
    } else if (name == QLatin1String("portmapper-junk")) {
        portmapperJunk = true;
    } else {
        *error = QStringLiteral("unknown fault '%1' (known: %2)").arg(name, help());
        return false;
    }
    if (!ok)
        *error = QStringLiteral("fault '%1' needs a number, got '%2'").arg(name, value);
    return ok;
}

QString SimFaults::help()
{
    return QStringLiteral(
        "drop-block=N, reply-delay=MS, garbage, no-reply, endless-errors, refuse-link, opc-never, "
        "portmapper-delay=MS, portmapper-junk");
}
