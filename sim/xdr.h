#ifndef LISTFORGE_SIM_XDR_H
#define LISTFORGE_SIM_XDR_H

#include <QByteArray>
#include <QtGlobal>

// Big-endian XDR reading with bounds checks. Every read on a short or malformed buffer sets the
// reader to failed and returns zero/empty, so decoders can read a whole structure and test ok()
// once at the end instead of after every field.
class XdrReader
{
public:
    XdrReader(const char *data, qint64 size) : m_data(data), m_size(size) {}

    quint32 readU32();
    qint32 readI32() { return static_cast<qint32>(readU32()); }
    bool readBool() { return readU32() != 0; }
    // Variable-length opaque or string, padded to four bytes. Longer than maxLength fails.
    QByteArray readOpaque(quint32 maxLength);
    // Same, but only returns where the bytes are, so large payloads are not copied.
    bool readOpaqueView(quint32 maxLength, const char **bytes, quint32 *length);
    void skip(qint64 bytes);

    bool ok() const { return m_ok; }
    qint64 position() const { return m_pos; }
    qint64 remaining() const { return m_ok ? m_size - m_pos : 0; }

private:
    const char *m_data;
    qint64 m_size;
    qint64 m_pos = 0;
    bool m_ok = true;
};

class XdrWriter
{
public:
    void writeU32(quint32 value);
    void writeI32(qint32 value) { writeU32(static_cast<quint32>(value)); }
    void writeOpaque(const char *bytes, quint32 length);
    void writeOpaque(const QByteArray &bytes) { writeOpaque(bytes.constData(), quint32(bytes.size())); }

    QByteArray &data() { return m_data; }

private:
    QByteArray m_data;
};

#endif
