#include "instrument/modelfactory.h"

#include "instrument/clsdvtcontrol.h"
#include "instrument/clsgkrcontrol.h"
#include "instrument/clsherncontrol.h"
#include "instrument/clsploxacontrol.h"
#include "instrument/clszoycontrol.h"

namespace {

template <class T> ClsInstrControl *make(const QString &strResource)
{
    return new T(strResource);
}

struct ModelMaker
{
    const char *word;
    ClsInstrControl *(*create)(const QString &);
};

// Tried in this order: the first word the entry contains wins.
const ModelMaker Makers[] = {{"GKR", &make<ClsGKRControl>},
                             {"PLOXA", &make<ClsPLOXAControl>},
                             {"DVT", &make<ClsDVTControl>},
                             {"HERN", &make<ClsHERNControl>},
                             {"ZOY", &make<ClsZOYControl>}};

} // namespace

ClsInstrControl *createModelControl(const QString &strEntry, const QString &strResource, QString *strModel)
{
    for (const ModelMaker &maker : Makers) {
        if (!strEntry.contains(QLatin1String(maker.word)))
            continue;
        if (strModel)
            *strModel = QString::fromLatin1(maker.word);
        return maker.create(strResource);
    }
    return nullptr;
}
