#include "cli/cliinstrument.h"

#include "cli/clioutput.h"
#include "instrument/clsdvtcontrol.h"
#include "instrument/clsgkrcontrol.h"
#include "instrument/clsherncontrol.h"
#include "instrument/clsploxacontrol.h"
#include "instrument/clszoycontrol.h"
#include "visa/clsvisacontrol.h"

#include <QMetaMethod>

CliInstrument::CliInstrument() = default;

CliInstrument::~CliInstrument() = default;

std::unique_ptr<ClsInstrControl> CliInstrument::createControl(const QString &strType,
                                                              const QString &strResource)
{
    if (strType == QLatin1String("GKR550X"))
        return std::make_unique<ClsGKRControl>(strResource);
    if (strType == QLatin1String("PLOXA550X"))
        return std::make_unique<ClsPLOXAControl>(strResource);
    if (strType == QLatin1String("DVT330X"))
        return std::make_unique<ClsDVTControl>(strResource);
    if (strType == QLatin1String("HERN330X"))
        return std::make_unique<ClsHERNControl>(strResource);
    if (strType == QLatin1String("ZOY550X"))
        return std::make_unique<ClsZOYControl>(strResource);
    return nullptr;
}

bool CliInstrument::open(const QString &strResource, const QString &strCommand)
{
    // The type decides the model class, so the instrument is identified once on its own first.
    QString strType;
    {
        ClsVisaControl probe;
        const QString strError = probe.takeLastError();
        if (!strError.isEmpty()) {
            CliOutput::printErr(QStringLiteral("listforge-cli %1: %2").arg(strCommand, strError));
            return false;
        }
        if (!probe.openSession(strResource, true)) {
            CliOutput::printErr(QStringLiteral("listforge-cli %1: unable to open instrument '%2'.")
                                    .arg(strCommand, strResource));
            return false;
        }
        strType = probe.getInstrType();
        probe.closeSession();
    }
    m_control = createControl(strType, strResource);
    if (!m_control) {
        CliOutput::printErr(QStringLiteral("listforge-cli %1: instrument type '%2' is not supported.")
                                .arg(strCommand, strType));
        return false;
    }
    // The base class has no meta-object of its own; the signal lives in the model class.
    const QMetaObject *meta = m_control->metaObject();
    const int intSignal = meta->indexOfSignal("instrMessage(ClsInstrControl::EnuInstrLogType,QString)");
    const int intSlot = metaObject()->indexOfSlot("showMessage(ClsInstrControl::EnuInstrLogType,QString)");
    if (intSignal < 0 || intSlot < 0 ||
        !connect(m_control.get(), meta->method(intSignal), this, metaObject()->method(intSlot))) {
        CliOutput::printErr(
            QStringLiteral("listforge-cli %1: instrument messages cannot be shown.").arg(strCommand));
        return false;
    }
    if (!m_control->isSessionOpen()) {
        CliOutput::printErr(
            QStringLiteral("listforge-cli %1: unable to open instrument '%2'.").arg(strCommand, strResource));
        return false;
    }
    return true;
}

void CliInstrument::showMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strText)
{
    if (enuType == ClsInstrControl::InstrLogError) {
        ++m_errors;
        CliOutput::printErr(strText);
    } else {
        CliOutput::printOut(strText);
    }
}
