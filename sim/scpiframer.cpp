#include "sim/scpiframer.h"

#include <algorithm>
#include <cstring>

namespace {
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
constexpr qint64 MaxBlockLength = Q_INT64_C(999999999999999); // 15 digits is plenty for any length
} // namespace

ScpiFramer::ScpiFramer(qint64 maxMessageBytes) : m_maxMessageBytes(maxMessageBytes) {}

bool ScpiFramer::hasPartialMessage() const
{
    return m_currentSize > 0 || m_pendingCr || m_state != State::Normal;
}

ScpiMessage ScpiFramer::takePartialMessage()
{
    if (m_pendingCr)
        append('\r');
    ScpiMessage message = m_current;
    message.termination = ScpiTermination::Cut;
    reset();
    return message;
}

void ScpiFramer::reset()
{
    m_state = State::Normal;
    m_current = ScpiMessage();
    m_currentSize = 0;
    m_blockLeft = 0;
    m_blockBytesInMessage = 0;
    m_pendingCr = false;
    m_limitReached = false;
}

void ScpiFramer::append(char c)
{
    ++m_currentSize;
    if (m_currentSize > m_maxMessageBytes) {
        if (!m_current.overflow) {
            m_current.overflow = true;
            m_current.text.clear();
            m_current.text.squeeze();
            m_current.blockSpans.clear();
        }
        return;
    }
    m_current.text.append(c);
}

void ScpiFramer::finish(ScpiTermination termination, QList<ScpiMessage> &out)
{
    m_pendingCr = false;
    const bool blank = m_current.text.trimmed().isEmpty() && !m_current.overflow;
    if (!blank) {
        m_current.termination = termination;
        out.append(m_current);
    }
    m_current = ScpiMessage();
    m_currentSize = 0;
    m_blockBytesInMessage = 0;
    m_state = State::Normal;
}

void ScpiFramer::startBlock(qint64 length)
{
    if (length <= 0) {
        m_state = State::Normal;
        return;
    }
    m_blockLeft = length;
    m_state = State::BlockData;
    if (!m_current.overflow && m_currentSize + length <= m_maxMessageBytes) {
        m_current.blockSpans.append(qMakePair(m_current.text.size(), int(length)));
        m_current.text.reserve(int(m_current.text.size() + length + 2));
    }
}

qint64 ScpiFramer::feed(const char *data, qint64 size, bool endAfter, QList<ScpiMessage> &out)
{
    qint64 pos = 0;
    bool finishedAtEnd = false;
    while (pos < size) {
        if (m_state == State::BlockData) {
            qint64 take = std::min(m_blockLeft, size - pos);
            if (m_blockByteLimit >= 0) {
                take = std::min(take, m_blockByteLimit - m_blockBytesInMessage);
                if (take <= 0) {
                    m_limitReached = true;
                    return pos;
                }
            }
            if (m_current.overflow || m_currentSize + take > m_maxMessageBytes) {
                for (qint64 i = 0; i < take; ++i)
                    append(data[pos + i]);
            } else {
                m_current.text.append(data + pos, int(take));
                m_currentSize += take;
            }
            pos += take;
            m_blockLeft -= take;
            m_blockBytesInMessage += take;
            if (m_blockLeft == 0)
                m_state = State::Normal;
            continue;
        }

        const char c = data[pos++];
        const bool lastByte = pos == size;
        if (c == '\n') {
            // A line feed ends the message wherever it stands outside block data, quotes included:
            // an unbalanced quote must not swallow every later command.
            m_pendingCr = false;
            finish((lastByte && endAfter) || m_lineFeedIsEnd ? ScpiTermination::End : ScpiTermination::NoEnd,
                   out);
            finishedAtEnd = lastByte;
            continue;
        }
        if (m_pendingCr) {
            m_pendingCr = false;
            append('\r');
        }
        switch (m_state) {
        case State::Normal:
            if (c == '\r') {
                m_pendingCr = true;
                break;
            }
            append(c);
            if (c == '"' || c == '\'') {
                m_quote = c;
                m_state = State::Quoted;
            } else if (c == '#') {
                m_state = State::Hash;
            }
            break;
        case State::Quoted:
            append(c);
            if (c == m_quote)
                m_state = State::Normal;
            break;
        case State::Hash:
            append(c);
            if (c >= '1' && c <= '9') {
                m_digitsLeft = c - '0';
                m_length = 0;
                m_state = State::LengthDigits;
            } else if (c == '(') {
                m_length = 0;
                m_lengthDigits = 0;
                m_state = State::ParenLength;
            } else {
                // "#0" (indefinite block), "#H1F" and friends run on as ordinary text; the parser
                // judges them.
                m_state = State::Normal;
                if (c == '"' || c == '\'') {
                    m_quote = c;
                    m_state = State::Quoted;
                }
            }
            break;
        case State::LengthDigits:
            append(c);
            if (!isDigit(c)) {
                m_state = State::Normal;
                break;
            }
            m_length = m_length * 10 + (c - '0');
            if (--m_digitsLeft == 0)
                startBlock(m_length);
            break;
        case State::ParenLength:
            append(c);
            if (c == ')' && m_lengthDigits > 0) {
                startBlock(m_length);
            } else if (isDigit(c) && m_length <= MaxBlockLength / 10) {
                m_length = m_length * 10 + (c - '0');
                ++m_lengthDigits;
            } else {
                m_state = State::Normal;
            }
            break;
        default:
            break;
        }
    }
    if (endAfter && !finishedAtEnd)
        finish(ScpiTermination::End, out);
    return pos;
}
