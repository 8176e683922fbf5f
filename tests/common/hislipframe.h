#ifndef LISTFORGE_TESTS_COMMON_HISLIPFRAME_H
#define LISTFORGE_TESTS_COMMON_HISLIPFRAME_H

// HiSLIP messages put together byte by byte, for the suites that play a client or a server by
// hand: "HS", message type, control code, message parameter, payload length (big-endian), payload.

#include <QByteArray>
#include <QtEndian>

// A length other than the payload's makes a message that lies about its size.
inline QByteArray hislipFrame(quint8 type, quint8 control, quint32 parameter, const QByteArray &payload = {},
                              quint64 length = ~quint64(0))
{
    char header[16] = {'H', 'S', char(type), char(control)};
    qToBigEndian(parameter, header + 4);
    qToBigEndian(length == ~quint64(0) ? quint64(payload.size()) : length, header + 8);
    return QByteArray(header, 16) + payload;
}

// The payload of the maximum-message-size messages.
inline QByteArray hislipU64(quint64 value)
{
    return hislipFrame(0, 0, 0, {}, value).mid(8);
}

#endif
