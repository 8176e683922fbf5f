#ifndef LISTFORGE_INSTRMANAGE_CLSINSTRPOOL_H
#define LISTFORGE_INSTRMANAGE_CLSINSTRPOOL_H

#include "instrmanage/instrscanhost.h"
#include "visa/instrrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

class QSettings;

// The instrument pool: the known instruments in the order they entered, with the rules for
// letting one in. Widget-free; the management dialog shows it, the main window offers its
// enabled entries. Refusals are traced with the dialog's tag ("DINSSE"), never shown in a box.
class ClsInstrPool
{
public:
    enum class AddResult
    {
        Added,
        Duplicate,
        Unsupported,
        Incomplete
    };

    // "GKR550X", "PLOXA550X", "ZOY550X", "DVT330X", "HERN330X": exact matches only.
    static const QStringList &supportedTypes();
    static bool isSupportedType(const QString &strType);
    // Same instrument: type, serial number and interface all equal.
    static bool isSameInstrument(const InstrRecord &first, const InstrRecord &second);
    // A typed host becomes "TCPIP0::<host>::INSTR" and "<host>::hislip0" becomes
    // "TCPIP0::<host>::hislip0::INSTR"; other text holding "::" is a resource already.
    static QString manualResource(const QString &strText);
    // A LAN scan result as pool record (interface "TCPIP", comment "LAN Scan", enabled).
    static InstrRecord recordFromScanHost(const InstrScanHost &host);

    const QList<InstrRecord> &records() const { return m_records; }
    int size() const { return m_records.size(); }
    bool isEmpty() const { return m_records.isEmpty(); }
    int indexOfSame(const InstrRecord &record) const;

    // An instrument that just answered: refused when already pooled or of an unsupported type.
    AddResult addFound(const InstrRecord &record);
    // An entry that was not contacted (disabled, busy, unreachable): refused when already pooled
    // or when type, serial number, interface or resource is empty.
    AddResult addWithoutContact(const InstrRecord &record);

    // Each works on the entry that is the same instrument as `which` (type, serial number and
    // interface; two entries may share a resource) and returns true when it existed and changed.
    bool setEnabled(const InstrRecord &which, bool bolEnabled);
    bool setComment(const InstrRecord &which, const QString &strComment);
    bool remove(const InstrRecord &which);
    void clear();
    QList<InstrRecord> takeAll();

    // Entries handed to a LAN scan to be found again: no longer offered, but still part of the
    // pool until the scan gives them back, so saving keeps them.
    void setAside(const InstrRecord &record) { m_setAside.append(record); }
    QList<InstrRecord> takeSetAside();

    // The indexed keys "VisaResource%1", ... in the settings' current group; saving (the entries,
    // then those set aside) ends the list with an empty "VisaResource%1", loading stops at the
    // first empty one.
    void save(QSettings &settings) const;
    static QList<InstrRecord> load(QSettings &settings);

private:
    QList<InstrRecord> m_records;
    QList<InstrRecord> m_setAside;
};

#endif
