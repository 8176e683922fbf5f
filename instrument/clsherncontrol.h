#ifndef LISTFORGE_INSTRUMENT_CLSHERNCONTROL_H
#define LISTFORGE_INSTRUMENT_CLSHERNCONTROL_H

#include "instrument/clsmodelcontrol.h"

// HERN330X: one RF and one baseband path, two hard-wired markers and no routable connectors; a
// software licence raises the symbol rates.
class ClsHERNControl : public ClsModelControl
{
    Q_OBJECT
public:
    // Opens the instrument and builds its description from the installed options.
    explicit ClsHERNControl(const QString &strResource);

    static ModelDescription description();

signals:
    void instrMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strMessage) override;
};

#endif
