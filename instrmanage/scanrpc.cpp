#include "instrmanage/scanrpc.h"

#include <QDataStream>
#include <QIODevice>

namespace ScanRpc {

namespace {

constexpr quint32 MsgCall = 0;
constexpr quint32 RpcVersion = 2;
constexpr quint32 IoTimeoutMs = 2000;
constexpr quint32 LockTimeoutMs = 2000;
constexpr quint32 FlagEnd = 8;
constexpr quint32 ReadRequestSize = 1024;
constexpr int WordBytes = 4;

// Reads big-endian words from a byte array and remembers whether any read went past its end,
// so that callers check once instead of after every field.
class WordReader
{
public:
    WordReader(const QByteArray &baData, int intOffset) : m_data(baData), m_pos(intOffset) {}

    quint32 word()
    {
        if (m_pos < 0 || m_data.size() - m_pos < WordBytes) {
            m_ok = false;
            return 0;
        }
        const auto *p = reinterpret_cast<const uchar *>(m_data.constData() + m_pos);
        m_pos += WordBytes;
        return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
    }

    // Skips an opaque body of the given length, padded to a multiple of four.
    bool skip(quint32 u32Bytes)
    {
        const quint64 u64Padded = (quint64(u32Bytes) + 3) & ~quint64(3);
        if (!m_ok || u64Padded > quint64(remaining())) {
            m_ok = false;
            return false;
        }
        m_pos += int(u64Padded);
        return true;
    }

    QByteArray bytes(quint32 u32Count)
    {
        if (!m_ok || quint64(u32Count) > quint64(remaining())) {
            m_ok = false;
            return QByteArray();
        }
        const QByteArray baOut = m_data.mid(m_pos, int(u32Count));
        m_pos += int(u32Count);
        return baOut;
    }

    int remaining() const { return m_data.size() - m_pos; }
    int pos() const { return m_pos; }
    bool ok() const { return m_ok; }

private:
    const QByteArray &m_data;
    int m_pos;
    bool m_ok = true;
};

class WordWriter
{
public:
    WordWriter() : m_stream(&m_data, QIODevice::WriteOnly) { m_stream.setByteOrder(QDataStream::BigEndian); }

    WordWriter &word(quint32 u32Value)
    {
        m_stream << u32Value;
        return *this;
    }

    // XDR opaque: length word, bytes, zero padding to a multiple of four.
    WordWriter &opaque(const QByteArray &baBytes)
    {
        word(quint32(baBytes.size()));
        m_stream.writeRawData(baBytes.constData(), baBytes.size());
        static const char zeros[3] = {0, 0, 0};
        const int intPad = (WordBytes - baBytes.size() % WordBytes) % WordBytes;
        m_stream.writeRawData(zeros, intPad);
        return *this;
    }

    const QByteArray &data() const { return m_data; }

private:
    QByteArray m_data;
    QDataStream m_stream;
};

// Record mark, then the RPC call header for the VXI-11 core program with AUTH_NONE.
void beginVxiCall(WordWriter &writer, quint32 u32Mark, quint32 u32Xid, quint32 u32Proc)
{
    writer.word(u32Mark).word(u32Xid).word(MsgCall).word(RpcVersion);
    writer.word(Vxi11CoreProgram).word(Vxi11CoreVersion).word(u32Proc);
    writer.word(0).word(0).word(0).word(0);
}

} // namespace

quint32 nextXid(quint32 u32Xid)
{
    return (u32Xid + 1) % 1000 + 1000;
}

QByteArray buildGetPortCall(quint32 u32Xid)
{
    WordWriter writer;
    writer.word(u32Xid).word(MsgCall).word(RpcVersion);
    writer.word(PortmapperProgram).word(PortmapperVersion).word(PortmapperGetPort);
    writer.word(0).word(0).word(0).word(0);
    writer.word(Vxi11CoreProgram).word(Vxi11CoreVersion).word(ProtocolTcp).word(0);
    return writer.data();
}

QByteArray buildCreateLinkCall(quint32 u32Xid)
{
    WordWriter writer;
    beginVxiCall(writer, 0x80000040u, u32Xid, ProcCreateLink);
    writer.word(0).word(0).word(LockTimeoutMs).opaque(QByteArrayLiteral("inst0"));
    return writer.data();
}

QByteArray buildDeviceWriteCall(quint32 u32Xid, quint32 u32Lid, const QByteArray &baData)
{
    const quint32 u32Padded = (quint32(baData.size()) + 3) & ~3u;
    WordWriter writer;
    beginVxiCall(writer, LastFragmentBit + 60 + u32Padded, u32Xid, ProcDeviceWrite);
    writer.word(u32Lid).word(IoTimeoutMs).word(LockTimeoutMs).word(FlagEnd).opaque(baData);
    return writer.data();
}

QByteArray buildDeviceReadCall(quint32 u32Xid, quint32 u32Lid)
{
    WordWriter writer;
    beginVxiCall(writer, 0x80000040u, u32Xid, ProcDeviceRead);
    writer.word(u32Lid).word(ReadRequestSize).word(IoTimeoutMs).word(0).word(0).word(0);
    return writer.data();
}

QByteArray buildDestroyLinkCall(quint32 u32Xid, quint32 u32Lid)
{
    WordWriter writer;
    beginVxiCall(writer, 0x8000002Cu, u32Xid, ProcDestroyLink);
    writer.word(u32Lid);
    return writer.data();
}

ReplyHeader parseReplyHeader(const QByteArray &baMessage, quint32 u32ExpectedXid)
{
    ReplyHeader header;
    WordReader reader(baMessage, 0);
    header.xid = reader.word();
    if (!reader.ok())
        return header;
    if (header.xid != u32ExpectedXid) {
        header.status = HeaderStatus::Outdated;
        return header;
    }
    reader.word(); // message type: read, not checked
    const quint32 u32ReplyStatus = reader.word();
    if (!reader.ok())
        return header;
    if (u32ReplyStatus != 0) {
        header.status = HeaderStatus::Rejected;
        return header;
    }
    reader.word(); // verifier flavour
    const quint32 u32VerifierLength = reader.word();
    if (!reader.ok() || u32VerifierLength > MaxVerifierBytes || !reader.skip(u32VerifierLength))
        return header;
    header.acceptStatus = reader.word();
    if (!reader.ok())
        return header;
    header.status = header.acceptStatus == 0 ? HeaderStatus::Ok : HeaderStatus::NotAccepted;
    header.bodyOffset = reader.pos();
    return header;
}

QString acceptStatusReason(quint32 u32AcceptStatus, const QString &strProgram)
{
    switch (u32AcceptStatus) {
    case 1:
        return QStringLiteral("program (%1) is unavailable").arg(strProgram);
    case 2:
        return QStringLiteral("program (%1) version does not fit").arg(strProgram);
    case 3:
        return QStringLiteral("(%1) procedure is not supported").arg(strProgram);
    case 4:
        return QStringLiteral("parameters are not supported by (%1) procedure").arg(strProgram);
    default:
        return QStringLiteral("unknown errors occured");
    }
}

GetPortReply parseGetPortReply(const QByteArray &baDatagram, quint32 u32ExpectedXid)
{
    GetPortReply reply;
    reply.header = parseReplyHeader(baDatagram, u32ExpectedXid);
    if (reply.header.status != HeaderStatus::Ok)
        return reply;
    WordReader reader(baDatagram, reply.header.bodyOffset);
    reply.port = reader.word();
    if (!reader.ok())
        reply.header.status = HeaderStatus::Truncated;
    return reply;
}

RecordState assembleRecord(const QByteArray &baStream, QByteArray &baMessage)
{
    baMessage.clear();
    WordReader reader(baStream, 0);
    for (;;) {
        const quint32 u32Mark = reader.word();
        if (!reader.ok())
            return RecordState::Incomplete;
        const quint32 u32Length = u32Mark & ~LastFragmentBit;
        if (u32Length == 0 || quint64(u32Length) + quint64(baMessage.size()) > quint64(MaxRecordBytes))
            return RecordState::Invalid;
        const QByteArray baFragment = reader.bytes(u32Length);
        if (!reader.ok())
            return RecordState::Incomplete;
        baMessage += baFragment;
        if (u32Mark & LastFragmentBit)
            return RecordState::Complete;
    }
}

bool parseCreateLinkResult(const QByteArray &baBody, CreateLinkResult &result)
{
    WordReader reader(baBody, 0);
    result.error = reader.word();
    // A refused link carries nothing useful after the error word.
    if (reader.ok() && result.error != 0)
        return true;
    result.lid = reader.word();
    result.abortPort = reader.word();
    result.maxRecvSize = reader.word();
    return reader.ok();
}

bool parseDeviceWriteResult(const QByteArray &baBody, DeviceWriteResult &result)
{
    WordReader reader(baBody, 0);
    result.error = reader.word();
    if (reader.ok() && result.error != 0)
        return true;
    result.size = reader.word();
    return reader.ok();
}

bool parseDeviceReadResult(const QByteArray &baBody, DeviceReadResult &result)
{
    WordReader reader(baBody, 0);
    result.error = reader.word();
    result.data.clear();
    if (!reader.ok())
        return false;
    if (result.error != 0)
        return true;
    result.reason = reader.word();
    const quint32 u32Length = reader.word();
    result.data = reader.bytes(u32Length);
    return reader.ok();
}

bool parseErrorOnlyResult(const QByteArray &baBody, quint32 &u32Error)
{
    WordReader reader(baBody, 0);
    u32Error = reader.word();
    return reader.ok();
}

QString deviceReadText(const QByteArray &baData)
{
    const int intZero = baData.indexOf('\0');
    QByteArray baText = intZero < 0 ? baData : baData.left(intZero);
    baText.replace('\n', QByteArray());
    return QString::fromLatin1(baText);
}

} // namespace ScanRpc
