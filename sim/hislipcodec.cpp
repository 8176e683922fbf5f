#include "sim/hislipcodec.h"

#include <algorithm>
#include <cstring>

namespace Hislip {
void writeHeader(char *out, quint8 type, quint8 control, quint32 parameter, quint64 length)
{
    out[0] = 'H';
    out[1] = 'S';
    out[2] = char(type);
    out[3] = char(control);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = char(parameter >> (24 - 8 * i));
    for (int i = 0; i < 8; ++i)
        out[8 + i] = char(length >> (56 - 8 * i));
}

QByteArray message(quint8 type, quint8 control, quint32 parameter, const QByteArray &payload)
{
    QByteArray out(HeaderSize + payload.size(), Qt::Uninitialized);
    writeHeader(out.data(), type, control, parameter, quint64(payload.size()));
    if (!payload.isEmpty())
        std::memcpy(out.data() + HeaderSize, payload.constData(), size_t(payload.size()));
    return out;
}

quint64 readU64(const char *bytes)
{
    quint64 value = 0;
    for (int i = 0; i < 8; ++i)
        value = (value << 8) | uchar(bytes[i]);
    return value;
}
} // namespace Hislip

void HislipParser::startPayload(Handler &handler)
{
    m_left = m_header.length;
    const bool isData = m_header.type == Hislip::Data || m_header.type == Hislip::DataEnd;
    if (m_left > (isData ? m_maxData : m_maxOther)) {
        handler.oversized(m_header);
        m_state = m_left > 0 ? State::Skip : State::Header;
    } else if (isData) {
        m_state = State::Stream;
        if (m_left == 0) {
            handler.data(m_header, nullptr, 0, true);
            m_state = State::Header;
        }
    } else {
        m_payload.clear();
        m_state = State::Collect;
        if (m_left == 0) {
            handler.message(m_header, m_payload);
            m_state = State::Header;
        }
    }
}

qint64 HislipParser::feed(const char *bytes, qint64 size, Handler &handler)
{
    qint64 pos = 0;
    while (!m_failed) {
        if (m_state == State::Waiting) {
            if (!handler.ready(m_header))
                return pos;
            startPayload(handler);
            continue;
        }
        if (pos >= size)
            break;
        const qint64 available = size - pos;
        switch (m_state) {
        case State::Header: {
            const int take = int(std::min<qint64>(Hislip::HeaderSize - m_headerBytes, available));
            std::memcpy(m_raw + m_headerBytes, bytes + pos, size_t(take));
            m_headerBytes += take;
            pos += take;
            if (m_headerBytes < Hislip::HeaderSize)
                break;
            m_headerBytes = 0;
            if (m_raw[0] != 'H' || m_raw[1] != 'S') {
                m_failed = true;
                return pos;
            }
            m_header.type = quint8(m_raw[2]);
            m_header.control = quint8(m_raw[3]);
            m_header.parameter = quint32(uchar(m_raw[4])) << 24 | quint32(uchar(m_raw[5])) << 16 |
                                 quint32(uchar(m_raw[6])) << 8 | quint32(uchar(m_raw[7]));
            m_header.length = Hislip::readU64(m_raw + 8);
            m_state = State::Waiting;
            break;
        }
        default: {
            // Payload states: take what is there of it.
            const char *piece = bytes + pos;
            const qint64 take = qint64(std::min<quint64>(m_left, quint64(available)));
            m_left -= quint64(take);
            pos += take;
            const State state = m_state;
            if (m_left == 0)
                m_state = State::Header;
            if (state == State::Stream) {
                handler.data(m_header, piece, take, m_left == 0);
            } else if (state == State::Collect) {
                m_payload.append(piece, int(take));
                if (m_left == 0)
                    handler.message(m_header, m_payload);
            }
            break;
        }
        }
    }
    return pos;
}
