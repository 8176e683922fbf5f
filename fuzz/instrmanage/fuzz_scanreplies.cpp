// Feeds arbitrary bytes to every decoder the LAN scanner applies to network input: as a GETPORT
// datagram, as a TCP byte stream to be assembled into a record, and as the body of each VXI-11
// reply. The decoders must never read past the input, and what they report must be consistent
// with it.

#include "instrmanage/hostnaming.h"
#include "instrmanage/scanrpc.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void decodeBody(const QByteArray &body)
{
    ScanRpc::CreateLinkResult link;
    ScanRpc::parseCreateLinkResult(body, link);
    ScanRpc::DeviceWriteResult write;
    ScanRpc::parseDeviceWriteResult(body, write);
    ScanRpc::DeviceReadResult read;
    if (ScanRpc::parseDeviceReadResult(body, read))
        check(read.data.size() <= body.size());
    ScanRpc::deviceReadText(read.data);
    quint32 error = 0;
    ScanRpc::parseErrorOnlyResult(body, error);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A private copy, so that any over-read lands outside the sanitizer's allocation.
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const quint32 expectedXid = input.size() >= 4 ? 1000 + quint32(uint8_t(input.at(0))) % 1000 : 1001;

    const ScanRpc::GetPortReply reply = ScanRpc::parseGetPortReply(input, expectedXid);
    if (reply.header.status == ScanRpc::HeaderStatus::Ok)
        check(reply.header.bodyOffset + 4 <= input.size());

    QByteArray message;
    if (ScanRpc::assembleRecord(input, message) == ScanRpc::RecordState::Complete) {
        check(message.size() <= ScanRpc::MaxRecordBytes && message.size() < input.size());
        const ScanRpc::ReplyHeader header = ScanRpc::parseReplyHeader(message, expectedXid);
        if (header.status == ScanRpc::HeaderStatus::Ok) {
            check(header.bodyOffset <= message.size());
            decodeBody(message.mid(header.bodyOffset));
        }
    }
    decodeBody(input);

    const QString text = QString::fromLatin1(input);
    HostNaming::isDottedQuad(text);
    HostNaming::shortName(text);
    return 0;
}
