#ifndef LISTFORGE_INSTRMANAGE_DNSMESSAGE_H
#define LISTFORGE_INSTRMANAGE_DNSMESSAGE_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// DNS messages as multicast DNS service discovery exchanges them: questions and the PTR, SRV, TXT
// and A records, other record types carried as raw data. Pure functions over byte arrays, shared
// by the LAN scanner's querier and the simulator's responder. The parser trusts nothing in a
// datagram: every count, length and compression pointer is checked against the bytes actually
// received before it is used, and nothing is allocated for what a peer merely announces.
namespace Dns {

constexpr quint16 TypeA = 1;
constexpr quint16 TypePtr = 12;
constexpr quint16 TypeTxt = 16;
constexpr quint16 TypeSrv = 33;
constexpr quint16 TypeAny = 255;
constexpr quint16 ClassIn = 1;
// The top bit of a question's class asks for a unicast answer, of a record's class marks it as
// the whole set (cache flush); neither is part of the class.
constexpr quint16 ClassTopBit = 0x8000;
constexpr quint16 FlagResponse = 0x8000;
constexpr quint16 FlagAuthoritative = 0x0400;

constexpr int HeaderBytes = 12;
constexpr int MaxLabelBytes = 63;
constexpr int MaxNameBytes = 255; // in wire form, length bytes and the final zero included
constexpr int MaxMessageBytes = 9000;

// A domain name as its labels; labels may hold any byte, dots included (service instance names
// are free text).
using Name = QList<QByteArray>;

Name nameFromText(const QString &strDotted);          // "_lxi._tcp.local" -> three labels
QString nameToText(const Name &name);                 // labels joined by '.', dots inside escaped as "\."
bool sameName(const Name &first, const Name &second); // ASCII case-insensitive
bool isValidName(const Name &name);                   // labels 1..63 bytes, wire form at most 255 bytes

struct Question
{
    Name name;
    quint16 type = TypePtr;
    quint16 qclass = ClassIn; // top bit included

    bool operator==(const Question &other) const;
};

struct Record
{
    Name name;
    quint16 type = TypeA;
    quint16 rclass = ClassIn; // top bit included
    quint32 ttl = 120;

    Name target;             // PTR and SRV
    quint16 priority = 0;    // SRV
    quint16 weight = 0;      // SRV
    quint16 port = 0;        // SRV
    QList<QByteArray> texts; // TXT, each at most 255 bytes
    quint32 ipv4 = 0;        // A
    QByteArray data;         // every other type, as received

    bool operator==(const Record &other) const;
};

struct Message
{
    quint16 id = 0;
    quint16 flags = 0;
    QList<Question> questions;
    QList<Record> answers;
    QList<Record> authorities;
    QList<Record> additionals;

    bool operator==(const Message &other) const;
};

enum class Error
{
    None,
    Truncated,          // a field or record ends past the packet
    CountTooLarge,      // the header announces more entries than the packet can hold
    PointerOutOfPacket, // a compression pointer beyond the packet's end
    PointerLoop,        // a compression pointer that does not point back (loops included)
    LabelTooLong,       // a label type other than length (0..63) or pointer
    NameTooLong,        // a name longer than 255 bytes once expanded
    BadRecordData       // record data that does not fill its length exactly
};

struct ParseResult
{
    Error error = Error::None;
    int offset = 0; // where the fault was found
};

ParseResult parse(const QByteArray &baPacket, Message &message);
QString errorText(const ParseResult &result); // for the trace

// A packet with names compressed; every name in the message must be valid and every TXT string
// at most 255 bytes, else an empty array.
QByteArray build(const Message &message);

} // namespace Dns

#endif
