// Feeds arbitrary bytes through RPC record reassembly and decodes every record as a call with
// VXI-11 and portmapper arguments, as the servers do.
#include "sim/rpcmessage.h"
#include "sim/rpcrecord.h"
#include "sim/vxi11protocol.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RpcRecordAssembler assembler(1 << 16);
    QList<QByteArray> records;
    const char *bytes = reinterpret_cast<const char *>(data);
    const qint64 half = qint64(size) / 2;
    assembler.feed(bytes, half, records);
    assembler.feed(bytes + half, qint64(size) - half, records);
    records.append(QByteArray(bytes, int(size))); // the same bytes as a UDP datagram
    for (const QByteArray &record : records) {
        RpcCall call;
        if (decodeRpcCall(record, call) != RpcDecode::Ok)
            continue;
        if (call.argumentsOffset > record.size())
            __builtin_trap();
        const char *args = record.constData() + call.argumentsOffset;
        const qint64 length = record.size() - call.argumentsOffset;
        {
            XdrReader r(args, length);
            Vxi11::CreateLinkArgs a;
            Vxi11::decodeCreateLink(r, a);
        }
        {
            XdrReader r(args, length);
            Vxi11::WriteArgs a;
            if (Vxi11::decodeWrite(r, 1 << 20, a) && (a.data < args || a.data + a.dataLength > args + length))
                __builtin_trap();
        }
        {
            XdrReader r(args, length);
            Vxi11::ReadArgs a;
            Vxi11::decodeRead(r, a);
        }
        {
            XdrReader r(args, length);
            Portmap::RpcbArgs a;
            Portmap::decodeRpcb(r, a);
        }
    }
    return 0;
}
