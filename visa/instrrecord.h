#ifndef LISTFORGE_VISA_INSTRRECORD_H
#define LISTFORGE_VISA_INSTRRECORD_H

#include <QString>

// One known instrument: what an instrument search hands back, and what the instrument pool
// stores and the main window offers for assignment. A plain value type so that every subsystem
// can copy, store and compare it without pulling in the VISA binding.
struct InstrRecord
{
    QString instrType;     // model, second field of the "*IDN?" reply
    QString serialNumber;  // derived from the third field of the "*IDN?" reply
    QString resource;      // VISA resource string used to open a session
    QString firmware;      // fourth field of the "*IDN?" reply
    QString interfaceName; // resource up to the first "::", e.g. "GPIB0", "USB0", "TCPIP0"
    QString comment;       // free text, left empty by the searches
    bool enabled = false;  // left false by the searches

    bool operator==(const InstrRecord &other) const
    {
        return instrType == other.instrType && serialNumber == other.serialNumber &&
               resource == other.resource && firmware == other.firmware &&
               interfaceName == other.interfaceName && comment == other.comment && enabled == other.enabled;
    }
    bool operator!=(const InstrRecord &other) const { return !(*this == other); }
};

#endif
