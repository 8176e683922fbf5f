#ifndef LISTFORGE_SIM_HISLIPCODEC_H
#define LISTFORGE_SIM_HISLIPCODEC_H

#include <QByteArray>

// HiSLIP message framing (IVI-6.1): a 16-byte big-endian header ("HS", type, control code,
// 32-bit parameter, 64-bit payload length) and the payload.
namespace Hislip {
enum Type : quint8
{
    Initialize = 0,
    InitializeResponse = 1,
    FatalError = 2,
    Error = 3,
    AsyncLock = 4,
    AsyncLockResponse = 5,
    Data = 6,
    DataEnd = 7,
    DeviceClearComplete = 8,
    DeviceClearAcknowledge = 9,
    AsyncRemoteLocalControl = 10,
    AsyncRemoteLocalResponse = 11,
    Trigger = 12,
    Interrupted = 13,
    AsyncInterrupted = 14,
    AsyncMaximumMessageSize = 15,
    AsyncMaximumMessageSizeResponse = 16,
    AsyncInitialize = 17,
    AsyncInitializeResponse = 18,
    AsyncDeviceClear = 19,
    AsyncServiceRequest = 20,
    AsyncStatusQuery = 21,
    AsyncStatusResponse = 22,
    AsyncDeviceClearAcknowledge = 23,
    AsyncLockInfo = 24,
    AsyncLockInfoResponse = 25,
    FirstVendorType = 128
};

// Control codes of FatalError.
enum Fatal : quint8
{
    FatalUnidentified = 0,
    FatalBadHeader = 1,
    FatalChannelsMissing = 2,
    FatalBadInitialization = 3,
    FatalTooManyClients = 4
};

// Control codes of Error.
enum NonFatal : quint8
{
    ErrorUnidentified = 0,
    ErrorUnknownType = 1,
    ErrorUnknownControl = 2,
    ErrorUnknownVendorType = 3,
    ErrorTooLarge = 4
};

constexpr int HeaderSize = 16;
constexpr quint32 FirstMessageId = 0xFFFFFF00u;
constexpr quint32 UnknownMessageId = 0xFFFFFFFFu;
constexpr quint16 Version10 = 0x0100;

struct Header
{
    quint8 type = 0;
    quint8 control = 0;
    quint32 parameter = 0;
    quint64 length = 0;
};

void writeHeader(char *out, quint8 type, quint8 control, quint32 parameter, quint64 length);
QByteArray message(quint8 type, quint8 control, quint32 parameter, const QByteArray &payload = QByteArray());
quint64 readU64(const char *bytes);
} // namespace Hislip

// Splits the byte stream of one HiSLIP channel into messages without ever storing more of a
// payload than the limits allow: Data and DataEnd payloads are passed on piece by piece as they
// arrive (an upload never sits in a second buffer), other payloads are collected up to a small
// limit, and anything longer is reported and then skipped unread. A wrong prologue makes the
// stream unusable, since no later message boundary can be trusted.
class HislipParser
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        // The header of the next message is complete. Returning false pauses the parser before
        // the message; feed() then consumes nothing more until it is called again.
        virtual bool ready(const Hislip::Header &) { return true; }
        // Any message but Data/DataEnd, with its whole payload.
        virtual void message(const Hislip::Header &header, const QByteArray &payload) = 0;
        // Data/DataEnd payload as it arrives; last marks the final piece (also of an empty one).
        virtual void data(const Hislip::Header &header, const char *bytes, qint64 size, bool last) = 0;
        // A payload above the limit; its bytes will be skipped.
        virtual void oversized(const Hislip::Header &header) = 0;
    };

    HislipParser(quint64 maxDataPayload, quint64 maxOtherPayload)
        : m_maxData(maxDataPayload), m_maxOther(maxOtherPayload)
    {
    }

    // Consumes bytes until they are used up, the handler pauses or the prologue is wrong.
    // Returns the number consumed.
    qint64 feed(const char *bytes, qint64 size, Handler &handler);
    bool failed() const { return m_failed; }
    // Stops the parser for good (the connection is being closed).
    void stop() { m_failed = true; }
    // Between messages (no header or payload half read).
    bool idle() const { return m_state == State::Header && m_headerBytes == 0; }

private:
    enum class State
    {
        Header,
        Waiting,
        Stream,
        Collect,
        Skip
    };
    void startPayload(Handler &handler);

    quint64 m_maxData;
    quint64 m_maxOther;
    State m_state = State::Header;
    char m_raw[Hislip::HeaderSize] = {};
    int m_headerBytes = 0;
    Hislip::Header m_header;
    quint64 m_left = 0;
    QByteArray m_payload;
    bool m_failed = false;
};

#endif
