#ifndef LISTFORGE_TESTS_INSTRMANAGE_RPCBYTES_H
#define LISTFORGE_TESTS_INSTRMANAGE_RPCBYTES_H

#include <QByteArray>
#include <QtEndian>

#include <initializer_list>

// Hand-made RPC byte sequences for the scanner suites: independent of the code under test, so
// that an encoder and a decoder cannot agree on the same mistake.
namespace RpcBytes {

inline QByteArray words(std::initializer_list<quint32> values)
{
    QByteArray bytes;
    for (quint32 value : values) {
        char buf[4];
        qToBigEndian(value, buf);
        bytes.append(buf, 4);
    }
    return bytes;
}

inline quint32 wordAt(const QByteArray &bytes, int offset)
{
    return qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(bytes.constData() + offset));
}

// Accepted reply header with an empty AUTH_NONE verifier.
inline QByteArray acceptedHeader(quint32 xid)
{
    return words({xid, 1, 0, 0, 0, 0});
}

inline QByteArray getPortReply(quint32 xid, quint32 port)
{
    return acceptedHeader(xid) + words({port});
}

// A TCP record: one last fragment.
inline QByteArray record(const QByteArray &message)
{
    return words({0x80000000u | quint32(message.size())}) + message;
}

// XDR opaque: length, bytes, zero padding.
inline QByteArray opaque(const QByteArray &data)
{
    QByteArray bytes = words({quint32(data.size())}) + data;
    while (bytes.size() % 4)
        bytes.append('\0');
    return bytes;
}

} // namespace RpcBytes

#endif
