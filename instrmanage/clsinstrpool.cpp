#include "instrmanage/clsinstrpool.h"

#include "app/tracer.h"

#include <QSettings>

namespace {

void traceInfo(const QString &strText)
{
    Tracer::traceInfo(QStringLiteral("DINSSE  : ") + strText);
}

QString key(const char *name, int intIndex)
{
    return QLatin1String(name) + QString::number(intIndex);
}

} // namespace

const QStringList &ClsInstrPool::supportedTypes()
{
    static const QStringList lstTypes{QStringLiteral("GKR550X"), QStringLiteral("PLOXA550X"),
                                      QStringLiteral("ZOY550X"), QStringLiteral("DVT330X"),
                                      QStringLiteral("HERN330X")};
    return lstTypes;
}

bool ClsInstrPool::isSupportedType(const QString &strType)
{
    return supportedTypes().contains(strType);
}

bool ClsInstrPool::isSameInstrument(const InstrRecord &first, const InstrRecord &second)
{
    return first.instrType == second.instrType && first.serialNumber == second.serialNumber &&
           first.interfaceName == second.interfaceName;
}

QString ClsInstrPool::manualResource(const QString &strText)
{
    // "host::hislip0" names a HiSLIP server on a host: it lacks only the interface and the class.
    const QStringList lstFields = strText.split(QStringLiteral("::"));
    if (lstFields.size() == 2 && lstFields.at(1).startsWith(QLatin1String("hislip"), Qt::CaseInsensitive))
        return QStringLiteral("TCPIP0::") + strText + QStringLiteral("::INSTR");
    if (strText.contains(QLatin1String("::")))
        return strText;
    return QStringLiteral("TCPIP0::") + strText + QStringLiteral("::INSTR");
}

InstrRecord ClsInstrPool::recordFromScanHost(const InstrScanHost &host)
{
    InstrRecord record;
    record.instrType = host.instrType;
    record.serialNumber = host.serialNumber;
    record.resource = host.resource;
    record.firmware = host.firmware;
    record.interfaceName = host.interfaceName;
    record.comment = QStringLiteral("LAN Scan");
    record.enabled = true;
    return record;
}

int ClsInstrPool::indexOfSame(const InstrRecord &record) const
{
    for (int intIndex = 0; intIndex < m_records.size(); ++intIndex)
        if (isSameInstrument(m_records.at(intIndex), record))
            return intIndex;
    return -1;
}

ClsInstrPool::AddResult ClsInstrPool::addFound(const InstrRecord &record)
{
    if (indexOfSame(record) >= 0) {
        traceInfo(QStringLiteral("The instrument '%1-%2' is already added")
                      .arg(record.instrType, record.serialNumber));
        return AddResult::Duplicate;
    }
    if (!isSupportedType(record.instrType)) {
        traceInfo(QStringLiteral("The instrument type '%1' is not supported").arg(record.instrType));
        return AddResult::Unsupported;
    }
    m_records.append(record);
    return AddResult::Added;
}

ClsInstrPool::AddResult ClsInstrPool::addWithoutContact(const InstrRecord &record)
{
    if (indexOfSame(record) >= 0) {
        traceInfo(QStringLiteral("The instrument '%1' is already added.").arg(record.resource));
        return AddResult::Duplicate;
    }
    if (record.instrType.isEmpty() || record.serialNumber.isEmpty() || record.interfaceName.isEmpty() ||
        record.resource.isEmpty()) {
        traceInfo(QStringLiteral("Essential parameter is missing thus instrument '%1' will not be added.")
                      .arg(record.resource));
        return AddResult::Incomplete;
    }
    m_records.append(record);
    return AddResult::Added;
}

bool ClsInstrPool::setEnabled(const InstrRecord &which, bool bolEnabled)
{
    const int intIndex = indexOfSame(which);
    if (intIndex < 0 || m_records.at(intIndex).enabled == bolEnabled)
        return false;
    m_records[intIndex].enabled = bolEnabled;
    return true;
}

bool ClsInstrPool::setComment(const InstrRecord &which, const QString &strComment)
{
    const int intIndex = indexOfSame(which);
    if (intIndex < 0 || m_records.at(intIndex).comment == strComment)
        return false;
    m_records[intIndex].comment = strComment;
    return true;
}

bool ClsInstrPool::remove(const InstrRecord &which)
{
    const int intIndex = indexOfSame(which);
    if (intIndex < 0)
        return false;
    m_records.removeAt(intIndex);
    return true;
}

void ClsInstrPool::clear()
{
    m_records.clear();
    m_setAside.clear();
}

QList<InstrRecord> ClsInstrPool::takeAll()
{
    QList<InstrRecord> lstRecords;
    lstRecords.swap(m_records);
    return lstRecords;
}

QList<InstrRecord> ClsInstrPool::takeSetAside()
{
    QList<InstrRecord> lstRecords;
    lstRecords.swap(m_setAside);
    return lstRecords;
}

void ClsInstrPool::save(QSettings &settings) const
{
    QList<InstrRecord> lstStored = m_records;
    for (const InstrRecord &record : m_setAside)
        if (indexOfSame(record) < 0)
            lstStored.append(record);
    int intIndex = 0;
    for (const InstrRecord &record : qAsConst(lstStored)) {
        settings.setValue(key("VisaResource", intIndex), record.resource);
        settings.setValue(key("Type", intIndex), record.instrType);
        settings.setValue(key("SerialNum", intIndex), record.serialNumber);
        settings.setValue(key("Firmware", intIndex), record.firmware);
        settings.setValue(key("Interface", intIndex), record.interfaceName);
        settings.setValue(key("Comment", intIndex), record.comment);
        settings.setValue(key("Enabled", intIndex), record.enabled ? 1 : 0);
        ++intIndex;
    }
    settings.setValue(key("VisaResource", intIndex), QString());
}

QList<InstrRecord> ClsInstrPool::load(QSettings &settings)
{
    QList<InstrRecord> lstRecords;
    for (int intIndex = 0;; ++intIndex) {
        const QString strResource = settings.value(key("VisaResource", intIndex)).toString();
        if (strResource.isEmpty())
            break;
        InstrRecord record;
        record.resource = strResource;
        record.instrType = settings.value(key("Type", intIndex)).toString();
        record.serialNumber = settings.value(key("SerialNum", intIndex)).toString();
        record.firmware = settings.value(key("Firmware", intIndex)).toString();
        record.interfaceName = settings.value(key("Interface", intIndex)).toString();
        record.comment = settings.value(key("Comment", intIndex)).toString();
        record.enabled = settings.value(key("Enabled", intIndex), 0).toInt() == 1;
        lstRecords.append(record);
    }
    return lstRecords;
}
