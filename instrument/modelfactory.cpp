#include "instrument/modelfactory.h"

#include "instrument/clsdvtcontrol.h"
#include "instrument/clsgkrcontrol.h"
#include "instrument/clsherncontrol.h"
#include "instrument/clsploxacontrol.h"
#include "instrument/clszoycontrol.h"

ClsInstrControl *createModelControl(const QString &strEntry, const QString &strResource, QString *strModel)
{
    const auto decided = [strModel](const char *pszWord) {
        if (strModel)
            *strModel = QString::fromLatin1(pszWord);
    };
    if (strEntry.contains(QLatin1String("GKR"))) {
        decided("GKR");
        return new ClsGKRControl(strResource);
    }
    if (strEntry.contains(QLatin1String("PLOXA"))) {
        decided("PLOXA");
        return new ClsPLOXAControl(strResource);
    }
    if (strEntry.contains(QLatin1String("DVT"))) {
        decided("DVT");
        return new ClsDVTControl(strResource);
    }
    if (strEntry.contains(QLatin1String("HERN"))) {
        decided("HERN");
        return new ClsHERNControl(strResource);
    }
    if (strEntry.contains(QLatin1String("ZOY"))) {
        decided("ZOY");
        return new ClsZOYControl(strResource);
    }
    return nullptr;
}
