#include "sim/rpcmessage.h"

namespace {
constexpr quint32 MsgCall = 0;
constexpr quint32 MsgReply = 1;
constexpr quint32 MaxAuthBytes = 400; // RFC 5531 limit for opaque_auth bodies

void writeAcceptedHeader(XdrWriter &w, quint32 xid, quint32 stat)
{
    w.writeU32(xid);
    w.writeU32(MsgReply);
    w.writeU32(0); // MSG_ACCEPTED
    w.writeU32(0); // verifier AUTH_NONE
    w.writeU32(0);
    w.writeU32(stat);
}
} // namespace

RpcDecode decodeRpcCall(const QByteArray &message, RpcCall &call)
{
    XdrReader r(message.constData(), message.size());
    call.xid = r.readU32();
    const quint32 type = r.readU32();
    if (!r.ok() || type != MsgCall)
        return RpcDecode::NotACall;
    const quint32 rpcVersion = r.readU32();
    if (!r.ok())
        return RpcDecode::Malformed;
    if (rpcVersion != 2)
        return RpcDecode::BadRpcVersion;
    call.program = r.readU32();
    call.version = r.readU32();
    call.procedure = r.readU32();
    for (int i = 0; i < 2; ++i) { // credential, verifier: flavour and opaque body
        r.readU32();
        const char *body = nullptr;
        quint32 length = 0;
        r.readOpaqueView(MaxAuthBytes, &body, &length);
    }
    if (!r.ok())
        return RpcDecode::Malformed;
    call.argumentsOffset = r.position();
    return RpcDecode::Ok;
}

namespace RpcReply {
XdrWriter success(quint32 xid)
{
    XdrWriter w;
    writeAcceptedHeader(w, xid, Success);
    return w;
}

QByteArray accepted(quint32 xid, AcceptStat stat)
{
    XdrWriter w;
    writeAcceptedHeader(w, xid, stat);
    return w.data();
}

QByteArray progMismatch(quint32 xid, quint32 low, quint32 high)
{
    XdrWriter w;
    writeAcceptedHeader(w, xid, ProgMismatch);
    w.writeU32(low);
    w.writeU32(high);
    return w.data();
}

QByteArray rpcMismatch(quint32 xid)
{
    XdrWriter w;
    w.writeU32(xid);
    w.writeU32(MsgReply);
    w.writeU32(1); // MSG_DENIED
    w.writeU32(0); // RPC_MISMATCH
    w.writeU32(2);
    w.writeU32(2);
    return w.data();
}
} // namespace RpcReply
