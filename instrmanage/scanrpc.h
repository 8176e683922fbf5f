#ifndef LISTFORGE_INSTRMANAGE_SCANRPC_H
#define LISTFORGE_INSTRMANAGE_SCANRPC_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The few ONC-RPC messages the LAN scanner exchanges: the portmapper GETPORT call broadcast over
// UDP and the four VXI-11 core calls over TCP. Everything here is a pure function over byte
// arrays so that the encoders can be checked byte by byte and the decoders can be fed any bytes
// (truncated, lying, random) without a socket. Decoders never read past the bytes they are given.
namespace ScanRpc {

constexpr quint32 PortmapperProgram = 100000;
constexpr quint32 PortmapperVersion = 2;
constexpr quint32 PortmapperGetPort = 3;
constexpr quint32 Vxi11CoreProgram = 0x000607AF;
constexpr quint32 Vxi11CoreVersion = 1;
constexpr quint32 ProtocolTcp = 6;

constexpr quint32 ProcCreateLink = 10;
constexpr quint32 ProcDeviceWrite = 11;
constexpr quint32 ProcDeviceRead = 12;
constexpr quint32 ProcDestroyLink = 23;

constexpr int GetPortCallSize = 56;
constexpr quint32 LastFragmentBit = 0x80000000u;
// Longest verifier body RFC 5531 allows.
constexpr quint32 MaxVerifierBytes = 400;
// A reply record larger than this is refused rather than buffered: the scanner's replies are a
// few dozen bytes, the "*IDN?" answer at most the 1024 bytes it asks for.
constexpr int MaxRecordBytes = 64 * 1024;

// Transaction ids run from 1000 to 1999: the id after x is (x + 1) mod 1000 + 1000, so the first
// call after a reset to 1000 carries 1001 and the id after 1999 is 1000.
quint32 nextXid(quint32 u32Xid);

// The 56-byte GETPORT call asking for the TCP port of the VXI-11 core program.
QByteArray buildGetPortCall(quint32 u32Xid);

// VXI-11 core calls as complete TCP records (record mark included).
QByteArray buildCreateLinkCall(quint32 u32Xid);
QByteArray buildDeviceWriteCall(quint32 u32Xid, quint32 u32Lid, const QByteArray &baData);
QByteArray buildDeviceReadCall(quint32 u32Xid, quint32 u32Lid);
QByteArray buildDestroyLinkCall(quint32 u32Xid, quint32 u32Lid);

enum class HeaderStatus
{
    Ok,
    Truncated,  // too short for the header fields it claims
    Outdated,   // xid differs from the call just sent
    Rejected,   // reply status not MSG_ACCEPTED
    NotAccepted // accept status not SUCCESS
};

struct ReplyHeader
{
    HeaderStatus status = HeaderStatus::Truncated;
    quint32 xid = 0;
    quint32 acceptStatus = 0;
    int bodyOffset = 0; // first byte after the header (and after any verifier body)
};

// Checks an RPC reply message (no record mark) against the expected xid.
ReplyHeader parseReplyHeader(const QByteArray &baMessage, quint32 u32ExpectedXid);

// "program (%1) is unavailable", ... for accept status 1 to 4, "unknown errors occured" otherwise.
QString acceptStatusReason(quint32 u32AcceptStatus, const QString &strProgram);

struct GetPortReply
{
    ReplyHeader header;
    quint32 port = 0; // valid only when header.status is Ok
};

// A portmapper reply datagram; a datagram that ends before the port word counts as Truncated.
GetPortReply parseGetPortReply(const QByteArray &baDatagram, quint32 u32ExpectedXid);

enum class RecordState
{
    Incomplete, // more bytes are needed
    Complete,   // baMessage holds the whole message, fragments joined
    Invalid     // zero-length fragment or larger than MaxRecordBytes
};

// Joins the record-marked fragments at the start of a TCP byte stream into one message.
RecordState assembleRecord(const QByteArray &baStream, QByteArray &baMessage);

// Results of the VXI-11 replies, read from the message body after the RPC header. Each parser
// returns false when the body is shorter than its fields.
struct CreateLinkResult
{
    quint32 error = 0;
    quint32 lid = 0;
    quint32 abortPort = 0;
    quint32 maxRecvSize = 0;
};
bool parseCreateLinkResult(const QByteArray &baBody, CreateLinkResult &result);

struct DeviceWriteResult
{
    quint32 error = 0;
    quint32 size = 0;
};
bool parseDeviceWriteResult(const QByteArray &baBody, DeviceWriteResult &result);

struct DeviceReadResult
{
    quint32 error = 0;
    quint32 reason = 0;
    QByteArray data; // exactly the announced number of bytes
};
// With a non-zero error only the error word is required; otherwise the announced data length
// must fit into the body.
bool parseDeviceReadResult(const QByteArray &baBody, DeviceReadResult &result);

bool parseErrorOnlyResult(const QByteArray &baBody, quint32 &u32Error);

// Reply data as text: up to the first zero byte, every line feed removed.
QString deviceReadText(const QByteArray &baData);

} // namespace ScanRpc

#endif
