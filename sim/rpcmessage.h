#ifndef LISTFORGE_SIM_RPCMESSAGE_H
#define LISTFORGE_SIM_RPCMESSAGE_H

#include "sim/xdr.h"

#include <QByteArray>

// ONC RPC version 2 call header (RFC 5531) and the reply forms a server needs.
struct RpcCall
{
    quint32 xid = 0;
    quint32 program = 0;
    quint32 version = 0;
    quint32 procedure = 0;
    qint64 argumentsOffset = 0; // where the procedure arguments start in the message
};

enum class RpcDecode
{
    Ok,
    NotACall,      // a reply or junk: a server ignores it
    BadRpcVersion, // answer with MSG_DENIED / RPC_MISMATCH
    Malformed      // too short or bad authentication lengths: answer GARBAGE_ARGS if an xid was read
};

RpcDecode decodeRpcCall(const QByteArray &message, RpcCall &call);

namespace RpcReply {
enum AcceptStat : quint32
{
    Success = 0,
    ProgUnavail = 1,
    ProgMismatch = 2,
    ProcUnavail = 3,
    GarbageArgs = 4
};

// Accepted reply with AUTH_NONE verifier; results are appended to the returned writer's data.
XdrWriter success(quint32 xid);
QByteArray accepted(quint32 xid, AcceptStat stat);
QByteArray progMismatch(quint32 xid, quint32 low, quint32 high);
QByteArray rpcMismatch(quint32 xid);
} // namespace RpcReply

#endif
