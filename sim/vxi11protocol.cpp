#include "sim/vxi11protocol.h"

namespace Vxi11 {
bool decodeCreateLink(XdrReader &r, CreateLinkArgs &args)
{
    args.clientId = r.readI32();
    args.lockDevice = r.readBool();
    args.lockTimeout = r.readU32();
    args.device = r.readOpaque(MaxDeviceNameBytes);
    return r.ok();
}

bool decodeWrite(XdrReader &r, quint32 maxData, WriteArgs &args)
{
    args.lid = r.readU32();
    args.ioTimeout = r.readU32();
    args.lockTimeout = r.readU32();
    args.flags = r.readU32();
    r.readOpaqueView(maxData, &args.data, &args.dataLength);
    return r.ok();
}

bool decodeRead(XdrReader &r, ReadArgs &args)
{
    args.lid = r.readU32();
    args.requestSize = r.readU32();
    args.ioTimeout = r.readU32();
    args.lockTimeout = r.readU32();
    args.flags = r.readU32();
    args.termChar = quint8(r.readU32());
    return r.ok();
}

bool decodeLinkOnly(XdrReader &r, LinkArgs &args)
{
    args.lid = r.readU32();
    return r.ok();
}
} // namespace Vxi11

namespace Portmap {
bool decodeMapping(XdrReader &r, Mapping &mapping)
{
    mapping.program = r.readU32();
    mapping.version = r.readU32();
    mapping.protocol = r.readU32();
    mapping.port = r.readU32();
    return r.ok();
}

bool decodeRpcb(XdrReader &r, RpcbArgs &args)
{
    args.program = r.readU32();
    args.version = r.readU32();
    args.netId = r.readOpaque(64);
    args.address = r.readOpaque(128);
    args.owner = r.readOpaque(256);
    return r.ok();
}
} // namespace Portmap
