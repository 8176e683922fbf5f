// HiSLIP framing: the 16-byte message header (prologue "HS", type, control code, 32-bit
// parameter, 64-bit payload length, all big-endian) and the numbers of the message types. The
// decoder works on bytes in memory, so that the transport and the fuzzer share it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace visalib::hislip {

constexpr size_t kHeaderSize = 16;

enum MessageType : uint8_t
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
};

// Control codes of FatalError and Error that this side sends.
constexpr uint8_t kFatalPoorlyFormedHeader = 1;
constexpr uint8_t kFatalInvalidInitialization = 3;
constexpr uint8_t kErrorUnrecognizedType = 1;

// MessageIDs restart here after Initialize and after a device clear, and grow by 2.
constexpr uint32_t kFirstMessageId = 0xFFFFFF00u;
// The server's parameter when it cannot name the message it answers.
constexpr uint32_t kUnknownMessageId = 0xFFFFFFFFu;

struct Header
{
    uint8_t type = 0;
    uint8_t control = 0;
    uint32_t parameter = 0;
    uint64_t length = 0;
};

enum class Decode
{
    Ok,
    NeedMore,    // fewer than kHeaderSize bytes
    BadPrologue, // not "HS": the stream is out of step, nothing after it can be trusted
    TooLong,     // the payload would exceed the bound; its length must not be believed
};

void encodeHeader(const Header &header, uint8_t out[kHeaderSize]);
// Decodes the header at the start of `data`; payloads above `maxPayload` are refused.
Decode decodeHeader(const uint8_t *data, size_t size, uint64_t maxPayload, Header &out);

void putBigEndian64(uint64_t value, uint8_t out[8]);
uint64_t getBigEndian64(const uint8_t in[8]);

// The messages a client may receive on either channel; everything else is unrecognised.
bool isKnownType(uint8_t type);

} // namespace visalib::hislip
