#ifndef LISTFORGE_INSTRUMENT_CLSZOYCONTROL_H
#define LISTFORGE_INSTRUMENT_CLSZOYCONTROL_H

#include "instrument/clsmodelcontrol.h"

// ZOY550X: up to two RF paths to 40 GHz and two baseband paths when a generator is doubled; the
// wideband generator raises the symbol rates, "4096QAM" exists, and three markers per path
// can each be put on one of six bidirectional USER connectors.
class ClsZOYControl : public ClsModelControl
{
    Q_OBJECT
public:
    // Opens the instrument and builds its description from the installed options.
    explicit ClsZOYControl(const QString &strResource);

    static ModelDescription description();

signals:
    void instrMessage(ClsInstrControl::EnuInstrLogType enuType, const QString &strMessage) override;
};

#endif
