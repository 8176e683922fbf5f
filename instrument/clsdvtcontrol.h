#ifndef LISTFORGE_INSTRUMENT_CLSDVTCONTROL_H
#define LISTFORGE_INSTRUMENT_CLSDVTCONTROL_H

#include "instrument/clsmodelcontrol.h"

// DVT330X: one RF and one baseband path; every operation for another path is ignored.
class ClsDVTControl : public ClsModelControl
{
    Q_OBJECT
public:
    // Opens the instrument and builds its description from the installed options.
    explicit ClsDVTControl(const QString &strResource);

    static ModelDescription description();

signals:
    void instrMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strMessage) override;
};

#endif
