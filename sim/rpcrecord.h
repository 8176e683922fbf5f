#ifndef LISTFORGE_SIM_RPCRECORD_H
#define LISTFORGE_SIM_RPCRECORD_H

#include <QByteArray>
#include <QList>

// Reassembles ONC RPC records from the TCP byte stream (record marking: a 4-byte mark whose high
// bit flags the last fragment and whose low 31 bits give the fragment length). Several records in
// one segment and records split anywhere are both handled. A record that would grow past the
// limit makes the stream unusable: the caller must drop the connection, because there is no way
// to find the next record boundary without reading the oversized one.
class RpcRecordAssembler
{
public:
    explicit RpcRecordAssembler(qint64 maxRecordBytes) : m_maxRecordBytes(maxRecordBytes) {}

    // Consumes bytes and appends every completed record. Returns false once the stream is bad.
    bool feed(const char *data, qint64 size, QList<QByteArray> &records);
    bool failed() const { return m_failed; }
    // Bytes of the record in progress, for callers that bound their total buffering.
    qint64 pendingBytes() const { return m_record.size(); }

private:
    qint64 m_maxRecordBytes;
    QByteArray m_record;
    char m_mark[4] = {0, 0, 0, 0};
    int m_markBytes = 0;
    quint32 m_fragmentLeft = 0;
    bool m_lastFragment = false;
    bool m_inFragment = false;
    bool m_failed = false;
};

// Puts one reply into a single last fragment.
QByteArray rpcRecordMark(const QByteArray &payload);

#endif
