#ifndef LISTFORGE_INSTRUMENT_MODELFACTORY_H
#define LISTFORGE_INSTRUMENT_MODELFACTORY_H

#include <QString>

class ClsInstrControl;

// The model control object for an instrument entry ("GKR550X, 100200 (TCPIP0)"): the first of
// the type words GKR, PLOXA, DVT, HERN and ZOY that the entry contains (case matters) decides
// the class, which then opens the resource. nullptr, with nothing opened, for any other entry.
// strModel (optional) receives the type word that decided.
ClsInstrControl *createModelControl(const QString &strEntry, const QString &strResource,
                                    QString *strModel = nullptr);

#endif
