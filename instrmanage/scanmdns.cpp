// The LAN scanner's second method: instruments announced by multicast DNS, merged with those
// that answered the portmapper broadcast, and identified over the resource they announced when
// they offer no VXI-11 link of their own.

#include "instrmanage/clsinstrscanner.h"
#include "instrmanage/hostnaming.h"
#include "instrmanage/scantrace.h"
#include "visa/clsvisacontrol.h"

int ClsInstrScanner::resourceRank(const QString &strResource)
{
    if (strResource.contains(QLatin1String("::hislip"), Qt::CaseInsensitive))
        return 0;
    return strResource.endsWith(QLatin1String("::SOCKET"), Qt::CaseInsensitive) ? 2 : 1;
}

void ClsInstrScanner::takeMdnsResults()
{
    if (!usesMdns())
        return;
    const QList<MdnsInstrument> lstFound = m_mdns->instruments();
    m_mdns->stop();
    for (const MdnsInstrument &found : lstFound) {
        // One instrument heard both ways at one address: one entry, under the better resource,
        // whether it has been asked already or not.
        bool bolKnown = false;
        for (QList<InstrScanHost> *list : {&m_heard, &m_waiting, &m_hosts}) {
            for (InstrScanHost &host : *list) {
                if (host.address != found.address)
                    continue;
                bolKnown = true;
                host.foundBy = QStringLiteral("portmapper and mDNS");
                if (resourceRank(found.resource) < resourceRank(host.resource))
                    host.resource = found.resource;
            }
        }
        if (bolKnown)
            continue;
        InstrScanHost host;
        host.address = found.address;
        host.vxiPort = found.vxiPort;
        host.hostName = hostNameOf(found.address.toString());
        host.resource = found.resource;
        host.foundBy = QStringLiteral("mDNS");
        if (!m_searchExpression.pattern().isEmpty() && !m_searchExpression.exactMatch(host.hostName) &&
            !HostNaming::isDottedQuad(host.hostName)) {
            ScanTrace::debug(QStringLiteral("Hostname '%1' does not fit with provided search expression!")
                                 .arg(host.hostName));
            continue;
        }
        if (m_heard.size() >= MaxHosts)
            break;
        m_heard.append(host);
        m_waiting.append(host);
    }
    for (const InstrScanHost &host : qAsConst(m_heard))
        ScanTrace::info(QStringLiteral("LAN search: %1 (%2) found by %3")
                            .arg(host.address.toString(), host.resource, host.foundBy));
    scheduleIdentification();
}

bool ClsInstrScanner::identifyOverResource(InstrScanHost &host, QString &strIdn)
{
    // Only a VISA session speaks HiSLIP and raw sockets; without the library the host stays
    // unidentified and is dropped like any host that does not answer.
    ClsVisaControl visa;
    const QString strError = visa.takeLastError();
    if (!strError.isEmpty()) {
        ScanTrace::debug(
            QStringLiteral("Unable to identify %1 without VISA: %2").arg(host.resource, strError));
        return false;
    }
    if (!visa.openSession(host.resource, false))
        return false;
    strIdn = visa.getIdnReply();
    visa.closeSession();
    return true;
}
