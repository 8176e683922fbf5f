#ifndef LISTFORGE_TESTS_INSTRMANAGE_DNSBYTES_H
#define LISTFORGE_TESTS_INSTRMANAGE_DNSBYTES_H

#include "instrmanage/dnsmessage.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>

// Hand-made DNS packets: written byte by byte, independent of the codec under test, for the
// codec suite and for the hostile responder of the querier suite.
namespace DnsBytes {

inline QByteArray header(int id, int flags, int qd, int an, int ns, int ar)
{
    QByteArray bytes;
    for (int value : {id, flags, qd, an, ns, ar}) {
        bytes.append(char(value >> 8));
        bytes.append(char(value & 0xFF));
    }
    return bytes;
}

inline QByteArray label(const QByteArray &text)
{
    return char(text.size()) + text;
}

// A response with one answer: owner name bytes, type, class IN, TTL 120, the given data.
inline QByteArray answer(const QByteArray &owner, int type, const QByteArray &data)
{
    const char fixed[] = {
        0, char(type), 0, 1, 0, 0, 0, 120, char(data.size() >> 8), char(data.size() & 0xFF)};
    return header(0, 0x8400, 0, 1, 0, 0) + owner + QByteArray(fixed, sizeof fixed) + data;
}

// Each packet breaks one rule of the message format; the name says which.
inline QList<QPair<const char *, QByteArray>> hostilePackets()
{
    const QByteArray a63(63, 'a');
    const QByteArray local = label("local") + '\0';
    return {
        {"short header", header(0, 0x8400, 0, 0, 0, 0).left(7)},
        {"pointer to itself", header(0, 0x8400, 1, 0, 0, 0) + QByteArray("\xC0\x0C\x00\x0C\x00\x01", 6)},
        {"pointer forward", header(0, 0x8400, 1, 0, 0, 0) + QByteArray("\xC0\x0E\x00\x00\x0C\x00\x01", 7)},
        {"pointer out of packet", header(0, 0x8400, 1, 0, 0, 0) + QByteArray("\xC3\xFF\x00\x0C\x00\x01", 6)},
        {"mutual pointers", answer(QByteArray("\xC0\x0E\xC0\x0C", 4), 12, QByteArray("\xC0\x0C", 2))},
        {"label of 64 bytes", answer(label(QByteArray(64, 'x')) + local, 1, QByteArray(4, '\1'))},
        {"reserved label type", answer(QByteArray("\x80", 1) + local, 1, QByteArray(4, '\1'))},
        {"name of 257 bytes",
         answer(label(a63) + label(a63) + label(a63) + label(a63) + '\0', 1, QByteArray(4, '\1'))},
        {"name of 257 bytes through a pointer",
         answer(label(a63) + label(a63) + '\0', 12, label(a63) + label(a63) + QByteArray("\xC0\x0C", 2))},
        {"65535 answers announced", header(0, 0x8400, 0, 0xFFFF, 0, 0) + QByteArray(20, '\0')},
        {"record data past the end", answer(local, 16, QByteArray(4, '\3')).chopped(2)},
        {"address of 5 bytes", answer(local, 1, QByteArray(5, '\1'))},
        {"target longer than its record", answer(local, 12, label("abc")) + label("def") + '\0'},
        {"text string past its record", answer(local, 16,
                                               QByteArray("\x09"
                                                          "abc",
                                                          4))},
        {"service record without target", answer(local, 33, QByteArray(6, '\0'))},
    };
}

} // namespace DnsBytes

// Records for the codec to write, where a suite needs well-formed packets rather than bytes.
namespace DnsRecords {

inline Dns::Record record(const QString &name, quint16 type)
{
    Dns::Record record;
    record.name = Dns::nameFromText(name);
    record.type = type;
    return record;
}

inline Dns::Record ptr(const QString &service, const QString &instance)
{
    Dns::Record result = record(service + ".local", Dns::TypePtr);
    result.target = Dns::Name{instance.toUtf8()} + result.name;
    return result;
}

inline Dns::Record srv(const QString &service, const QString &instance, quint16 port, const QString &host)
{
    Dns::Record result = record(service + ".local", Dns::TypeSrv);
    result.name.prepend(instance.toUtf8());
    result.port = port;
    result.target = Dns::nameFromText(host);
    return result;
}

inline Dns::Record address(const QString &host, const char *ip)
{
    Dns::Record result = record(host, Dns::TypeA);
    result.ipv4 = QHostAddress(QString::fromLatin1(ip)).toIPv4Address();
    return result;
}

} // namespace DnsRecords

#endif
