#ifndef LISTFORGE_INSTRUMENT_CLSGKRCONTROL_H
#define LISTFORGE_INSTRUMENT_CLSGKRCONTROL_H

#include "instrument/clsmodelcontrol.h"

// GKR550X: two RF paths (path B up to 3 GHz) and two baseband paths at most; markers 1 to 3 of each path
// have fixed connectors, marker 4 can be put on one of four USER connectors.
class ClsGKRControl : public ClsModelControl
{
    Q_OBJECT
public:
    // Opens the instrument and builds its description from the installed options.
    explicit ClsGKRControl(const QString &strResource);

    static ModelDescription description();

signals:
    void instrMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strMessage) override;
};

#endif
