#ifndef LISTFORGE_SIM_VXI11PROTOCOL_H
#define LISTFORGE_SIM_VXI11PROTOCOL_H

#include "sim/xdr.h"

#include <QByteArray>

// The VXI-11 core channel (program DEVICE_CORE, version 1) as published by the VXIbus
// Consortium: procedure numbers, error codes and the argument structures the simulator decodes.
namespace Vxi11 {
constexpr quint32 CoreProgram = 0x0607AF;
constexpr quint32 CoreVersion = 1;

enum Procedure : quint32
{
    CreateLink = 10,
    DeviceWrite = 11,
    DeviceRead = 12,
    DeviceReadStb = 13,
    DeviceTrigger = 14,
    DeviceClear = 15,
    DeviceRemote = 16,
    DeviceLocal = 17,
    DeviceLock = 18,
    DeviceUnlock = 19,
    DeviceEnableSrq = 20,
    DeviceDoCmd = 22,
    DestroyLink = 23,
    CreateIntrChan = 25,
    DestroyIntrChan = 26
};

enum Error : quint32
{
    NoError = 0,
    SyntaxError = 1,
    DeviceNotAccessible = 3,
    InvalidLinkIdentifier = 4,
    ParameterError = 5,
    ChannelNotEstablished = 6,
    OperationNotSupported = 8,
    OutOfResources = 9,
    DeviceLockedByAnotherLink = 11,
    NoLockHeldByThisLink = 12,
    IoTimeout = 15,
    IoError = 17,
    InvalidAddress = 21,
    Abort = 23,
    ChannelAlreadyEstablished = 29
};

enum Flags : quint32
{
    FlagWaitLock = 1,
    FlagEnd = 8,
    FlagTermCharSet = 128
};
enum Reason : quint32
{
    ReasonRequestCount = 1,
    ReasonTermChar = 2,
    ReasonEnd = 4
};

constexpr quint32 MaxDeviceNameBytes = 256;

struct CreateLinkArgs
{
    qint32 clientId = 0;
    bool lockDevice = false;
    quint32 lockTimeout = 0;
    QByteArray device;
};

struct WriteArgs
{
    quint32 lid = 0;
    quint32 ioTimeout = 0;
    quint32 lockTimeout = 0;
    quint32 flags = 0;
    const char *data = nullptr; // points into the decoded message
    quint32 dataLength = 0;
};

struct ReadArgs
{
    quint32 lid = 0;
    quint32 requestSize = 0;
    quint32 ioTimeout = 0;
    quint32 lockTimeout = 0;
    quint32 flags = 0;
    quint8 termChar = 0;
};

// Every other call starts with the link id; the rest is not needed by the simulator.
struct LinkArgs
{
    quint32 lid = 0;
};

// Each decoder reads from the procedure arguments of an RPC call and returns false for a short
// or inconsistent body (the server then answers GARBAGE_ARGS).
bool decodeCreateLink(XdrReader &r, CreateLinkArgs &args);
bool decodeWrite(XdrReader &r, quint32 maxData, WriteArgs &args);
bool decodeRead(XdrReader &r, ReadArgs &args);
bool decodeLinkOnly(XdrReader &r, LinkArgs &args);
} // namespace Vxi11

// Portmapper (program 100000, version 2, RFC 1833) and the rpcbind versions 3 and 4 that
// libtirpc clients may ask first.
namespace Portmap {
constexpr quint32 Program = 100000;
constexpr quint32 Version = 2;
constexpr quint32 ProtocolTcp = 6;
constexpr quint32 ProtocolUdp = 17;
enum Procedure : quint32
{
    Null = 0,
    Set = 1,
    Unset = 2,
    GetPort = 3,
    Dump = 4,
    CallIt = 5
};
enum RpcbProcedure : quint32
{
    RpcbGetAddr = 3
};

struct Mapping
{
    quint32 program = 0;
    quint32 version = 0;
    quint32 protocol = 0;
    quint32 port = 0;
};

bool decodeMapping(XdrReader &r, Mapping &mapping);

struct RpcbArgs
{
    quint32 program = 0;
    quint32 version = 0;
    QByteArray netId;
    QByteArray address;
    QByteArray owner;
};

bool decodeRpcb(XdrReader &r, RpcbArgs &args);
} // namespace Portmap

#endif
