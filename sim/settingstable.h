#ifndef LISTFORGE_SIM_SETTINGSTABLE_H
#define LISTFORGE_SIM_SETTINGSTABLE_H

#include "sim/scpiparser.h"
#include "sim/simmodels.h"

#include <QByteArray>
#include <QHash>
#include <QVector>
#include <functional>

class MassMemory;

// One settable instrument parameter reached by a header pattern. A set is validated and stored
// under the pattern with its suffixes; the query returns the stored value in canonical form
// (short mnemonic, "1"/"0", plain number in the base unit, quoted file name).
struct SettingDef
{
    enum Kind
    {
        Choice,
        Number,
        Boolean,
        ListFile
    };

    explicit SettingDef(const QByteArray &pattern) : header(pattern) {}

    ScpiHeaderPattern header;
    Kind kind = Number;
    QVector<int> suffixMax;    // highest suffix of each '#' node
    QList<QByteArray> choices; // Choice: mnemonics in mixed case
    ScpiUnitKind unit = ScpiUnitKind::None;
    double min = 0;
    double max = 0;
    // Numbers whose range depends on the path or on another setting.
    std::function<void(const QVector<int> &suffixes, double *min, double *max)> range;
    QByteArray defaultValue;
    QString extension; // ListFile: the list's file extension
};

// The RF and CDM settings of one instrument, built from its model and options.
class SettingsTable
{
public:
    explicit SettingsTable(const SimProfile &profile);
    Q_DISABLE_COPY(SettingsTable)

    // Finds the setting a header names. Returns nullptr when none; *suffixError tells that the
    // header exists but a suffix is out of range (path or marker the instrument lacks).
    const SettingDef *find(const QByteArray &header, QVector<int> *suffixes, bool *suffixError) const;
    // Validates and stores; returns 0 or the SCPI error code.
    int set(const SettingDef &def, const QVector<int> &suffixes, const ScpiParam &param,
            const MassMemory &memory);
    QByteArray query(const SettingDef &def, const QVector<int> &suffixes) const;
    void reset() { m_values.clear(); }

    const SimProfile &profile() const { return m_profile; }

private:
    void build();
    QByteArray key(const SettingDef &def, const QVector<int> &suffixes) const;
    QByteArray value(const QByteArray &pattern, int path) const;

    SimProfile m_profile;
    QVector<SettingDef> m_defs;
    QHash<QByteArray, QByteArray> m_values;
};

#endif
