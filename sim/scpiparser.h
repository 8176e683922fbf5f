#ifndef LISTFORGE_SIM_SCPIPARSER_H
#define LISTFORGE_SIM_SCPIPARSER_H

#include <QByteArray>
#include <QList>
#include <QVector>

// One parameter of a program message unit, as IEEE 488.2 classifies program data.
struct ScpiParam
{
    enum Kind
    {
        Token,
        String,
        Block
    };
    Kind kind = Token;
    QByteArray text;        // Token: trimmed text ("100 MHz", "ON"); String: contents, quotes undoubled
    qint64 blockOffset = 0; // Block: where the data stands in the message text
    qint64 blockLength = 0;
};

struct ScpiUnit
{
    QByteArray header; // as sent, without a leading colon and without the query mark
    bool query = false;
    bool common = false;   // "*IDN?" and friends
    bool absolute = false; // began with ':' (the path does not continue the previous unit's)
    QList<ScpiParam> params;
    int error = 0; // a syntax error found while splitting (ScpiError code), 0 when sound
};

// Splits a program message into its units at ';' (outside strings and blocks) and each unit into
// header and parameters. Problems are reported per unit, so later units still run.
QList<ScpiUnit> parseScpiMessage(const QByteArray &message);

// A compiled header pattern such as "SOURce#:POWer[:LEVel][:IMMediate][:AMPLitude]": capitals
// give the short form, "#" a numeric suffix (1 when omitted), brackets optional nodes.
class ScpiHeaderPattern
{
public:
    explicit ScpiHeaderPattern(const QByteArray &pattern);

    // Matches a header (without colon or '?'); fills the suffix of every '#' node in order.
    bool match(const QByteArray &header, QVector<int> *suffixes) const;
    const QByteArray &pattern() const { return m_pattern; }
    int suffixCount() const;

private:
    struct Node
    {
        QByteArray longForm;  // upper case
        QByteArray shortForm; // upper case
        bool optional = false;
        bool suffix = false;
    };
    bool matchFrom(const QList<QByteArray> &parts, int part, int node, QVector<int> *suffixes) const;
    QByteArray m_pattern;
    QVector<Node> m_nodes;
};

// Short form of a mnemonic: its capitals and digits ("SOURce" -> "SOUR", "QAM16EDge" -> "QAM16ED").
QByteArray scpiShortForm(const QByteArray &mnemonic);
// Whether text names the mnemonic in its short or long form, ignoring case.
bool scpiMnemonicMatches(const QByteArray &mnemonic, const QByteArray &text);

enum class ScpiUnitKind
{
    None,
    Frequency,
    Power,
    Gain,
    Percent,
    Angle,
    Time
};

struct ScpiNumber
{
    enum Special
    {
        Value,
        Minimum,
        Maximum,
        Default
    };
    double value = 0; // in the base unit (Hz, dBm, dB, %, degree, s)
    Special special = Value;
    int error = 0; // ScpiError code when the text is not a number of this kind
};

// Reads a decimal number with an optional unit suffix ("1.5 GHz", "-30dBm", "270.833 kHz") or one
// of MINimum/MAXimum/DEFault. "MHZ" is megahertz, as SCPI defines it for frequencies.
ScpiNumber parseScpiNumber(const QByteArray &text, ScpiUnitKind unit);

// ON/OFF/1/0 (any number: non-zero is ON). Returns false for anything else.
bool parseScpiBoolean(const QByteArray &text, bool *value);

#endif
