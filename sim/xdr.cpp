#include "sim/xdr.h"

#include <cstring>

quint32 XdrReader::readU32()
{
    if (!m_ok || m_size - m_pos < 4) {
        m_ok = false;
        return 0;
    }
    const auto *p = reinterpret_cast<const uchar *>(m_data + m_pos);
    m_pos += 4;
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

bool XdrReader::readOpaqueView(quint32 maxLength, const char **bytes, quint32 *length)
{
    const quint32 len = readU32();
    const qint64 padded = (qint64(len) + 3) & ~qint64(3);
    if (!m_ok || len > maxLength || m_size - m_pos < padded) {
        m_ok = false;
        *bytes = nullptr;
        *length = 0;
        return false;
    }
    *bytes = m_data + m_pos;
    *length = len;
    m_pos += padded;
    return true;
}

QByteArray XdrReader::readOpaque(quint32 maxLength)
{
    const char *bytes = nullptr;
    quint32 length = 0;
    if (!readOpaqueView(maxLength, &bytes, &length))
        return QByteArray();
    return QByteArray(bytes, int(length));
}

void XdrReader::skip(qint64 bytes)
{
    if (!m_ok || bytes < 0 || m_size - m_pos < bytes) {
        m_ok = false;
        return;
    }
    m_pos += bytes;
}

void XdrWriter::writeU32(quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    m_data.append(bytes, 4);
}

void XdrWriter::writeOpaque(const char *bytes, quint32 length)
{
    writeU32(length);
    m_data.append(bytes, int(length));
    static const char zeros[4] = {0, 0, 0, 0};
    const int pad = int((4 - (length & 3)) & 3);
    m_data.append(zeros, pad);
}
