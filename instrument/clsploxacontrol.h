#ifndef LISTFORGE_INSTRUMENT_CLSPLOXACONTROL_H
#define LISTFORGE_INSTRUMENT_CLSPLOXACONTROL_H

#include "instrument/clsmodelcontrol.h"

// PLOXA550X: two RF paths (both up to 6 GHz) and two baseband paths at most; the markers are wired
// as on the GKR550X.
class ClsPLOXAControl : public ClsModelControl
{
    Q_OBJECT
public:
    // Opens the instrument and builds its description from the installed options.
    explicit ClsPLOXAControl(const QString &strResource);

    static ModelDescription description();

signals:
    void instrMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strMessage) override;
};

#endif
