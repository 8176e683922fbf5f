#include "sim/rpcrecord.h"

#include <algorithm>

bool RpcRecordAssembler::feed(const char *data, qint64 size, QList<QByteArray> &records)
{
    qint64 pos = 0;
    while (!m_failed && pos < size) {
        if (!m_inFragment) {
            while (m_markBytes < 4 && pos < size)
                m_mark[m_markBytes++] = data[pos++];
            if (m_markBytes < 4)
                break;
            m_markBytes = 0;
            const auto *m = reinterpret_cast<const uchar *>(m_mark);
            const quint32 mark = (quint32(m[0]) << 24) | (quint32(m[1]) << 16) | (quint32(m[2]) << 8) | m[3];
            m_lastFragment = (mark & 0x80000000u) != 0;
            m_fragmentLeft = mark & 0x7FFFFFFFu;
            if (qint64(m_record.size()) + m_fragmentLeft > m_maxRecordBytes) {
                m_failed = true;
                break;
            }
            m_record.reserve(int(m_record.size() + m_fragmentLeft));
            m_inFragment = true;
        }
        const qint64 take = std::min<qint64>(m_fragmentLeft, size - pos);
        m_record.append(data + pos, int(take));
        pos += take;
        m_fragmentLeft -= quint32(take);
        if (m_fragmentLeft == 0) {
            m_inFragment = false;
            if (m_lastFragment) {
                records.append(m_record);
                m_record.clear();
            }
        }
    }
    return !m_failed;
}

QByteArray rpcRecordMark(const QByteArray &payload)
{
    const quint32 mark = 0x80000000u | quint32(payload.size());
    QByteArray out;
    out.reserve(payload.size() + 4);
    const char bytes[4] = {char(mark >> 24), char(mark >> 16), char(mark >> 8), char(mark)};
    out.append(bytes, 4);
    out.append(payload);
    return out;
}
