#ifndef LISTFORGE_SIM_SCPIFRAMER_H
#define LISTFORGE_SIM_SCPIFRAMER_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QVector>

// How a program message ended.
enum class ScpiTermination
{
    End,   // END: the VXI-11 END flag, or the line feed that ends a message on the raw socket
    NoEnd, // a line feed arrived on VXI-11 without the END flag
    Cut    // the connection or link went away (or was cleared) in the middle of the message
};

struct ScpiMessage
{
    QByteArray text;                     // the whole message, block bytes included, without terminator
    QVector<QPair<int, int>> blockSpans; // offset and length of every block's data inside text
    ScpiTermination termination = ScpiTermination::End;
    bool overflow = false; // longer than the input buffer; contents were dropped
};

// Splits a byte stream into IEEE 488.2 program messages. A message ends at a line feed (a
// carriage return before it is dropped) or at END; line feeds inside a definite-length block
// ("#NLLL..." or the "#(LENGTH)" form) are data, so a block is counted off by its length.
// A message that would exceed maxMessageBytes is still followed to its end so the stream stays
// in step, but its bytes are thrown away and it is delivered marked as overflowed.
class ScpiFramer
{
public:
    explicit ScpiFramer(qint64 maxMessageBytes = 128 * 1024 * 1024);

    // Consumes up to size bytes; endAfter says the last of them carried END. Completed messages
    // are appended to out. Returns the number of bytes consumed, which is less than size only
    // when the block byte limit (below) was reached.
    qint64 feed(const char *data, qint64 size, bool endAfter, QList<ScpiMessage> &out);

    // On the raw socket the line feed is the message terminator proper; on VXI-11 only END is,
    // and a line feed without it is logged as such.
    void setLineFeedIsEnd(bool on) { m_lineFeedIsEnd = on; }

    // Stops consuming once this many block data bytes have arrived in one message (-1: never).
    void setBlockByteLimit(qint64 limit) { m_blockByteLimit = limit; }
    bool blockByteLimitReached() const { return m_limitReached; }

    bool hasPartialMessage() const;
    // The unfinished message, marked Cut; the framer starts afresh.
    ScpiMessage takePartialMessage();
    void reset();

private:
    enum class State
    {
        Normal,
        Quoted,
        Hash,
        LengthDigitCount,
        LengthDigits,
        ParenLength,
        BlockData
    };

    void finish(ScpiTermination termination, QList<ScpiMessage> &out);
    void append(char c);
    void startBlock(qint64 length);

    qint64 m_maxMessageBytes;
    qint64 m_blockByteLimit = -1;
    bool m_limitReached = false;
    bool m_lineFeedIsEnd = true;
    State m_state = State::Normal;
    ScpiMessage m_current;
    qint64 m_currentSize = 0; // counts dropped bytes too
    char m_quote = 0;
    int m_digitsLeft = 0;
    qint64 m_length = 0;
    int m_lengthDigits = 0;
    qint64 m_blockLeft = 0;
    qint64 m_blockBytesInMessage = 0;
    bool m_pendingCr = false;
};

#endif
