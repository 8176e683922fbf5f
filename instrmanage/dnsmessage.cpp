#include "instrmanage/dnsmessage.h"

#include <QHash>
#include <QStringList>

namespace Dns {

namespace {

// Smallest encodings: a question with the root name, a record with the root name and no data.
constexpr int MinQuestionBytes = 5;
constexpr int MinRecordBytes = 11;
constexpr int MaxPointerOffset = 0x3FFF;

class Reader
{
public:
    explicit Reader(const QByteArray &baPacket)
        : m_data(reinterpret_cast<const uchar *>(baPacket.constData())), m_size(baPacket.size())
    {
    }

    int size() const { return m_size; }

    bool u16(int &intPos, int intLimit, quint16 &u16Value) const
    {
        if (intPos + 2 > intLimit)
            return false;
        u16Value = quint16((m_data[intPos] << 8) | m_data[intPos + 1]);
        intPos += 2;
        return true;
    }

    bool u32(int &intPos, int intLimit, quint32 &u32Value) const
    {
        quint16 u16High = 0;
        quint16 u16Low = 0;
        if (intPos + 4 > intLimit)
            return false;
        u16(intPos, intLimit, u16High);
        u16(intPos, intLimit, u16Low);
        u32Value = (quint32(u16High) << 16) | u16Low;
        return true;
    }

    QByteArray bytes(int intPos, int intCount) const
    {
        return QByteArray(reinterpret_cast<const char *>(m_data + intPos), intCount);
    }

    // Reads the name at intPos; bytes in place must end before intLimit (the end of the record
    // data for names inside it), bytes reached through pointers before the packet's end. Each
    // pointer must point before the start of the labels that led to it, so that every jump goes
    // strictly backwards and a chain of them ends after at most as many jumps as there are bytes.
    ParseResult name(int &intPos, int intLimit, Name &name) const
    {
        name.clear();
        int intCursor = intPos;
        int intFragmentStart = intPos;
        int intLimitNow = intLimit;
        int intWireBytes = 1; // the final zero
        bool bolJumped = false;
        for (;;) {
            if (intCursor >= intLimitNow)
                return {Error::Truncated, intCursor};
            const int intLength = m_data[intCursor];
            if ((intLength & 0xC0) == 0xC0) {
                if (intCursor + 2 > intLimitNow)
                    return {Error::Truncated, intCursor};
                const int intTarget = ((intLength & 0x3F) << 8) | m_data[intCursor + 1];
                if (!bolJumped)
                    intPos = intCursor + 2;
                if (intTarget >= m_size)
                    return {Error::PointerOutOfPacket, intCursor};
                if (intTarget >= intFragmentStart)
                    return {Error::PointerLoop, intCursor};
                intFragmentStart = intTarget;
                intCursor = intTarget;
                intLimitNow = m_size;
                bolJumped = true;
                continue;
            }
            if (intLength > MaxLabelBytes)
                return {Error::LabelTooLong, intCursor};
            if (intLength == 0) {
                if (!bolJumped)
                    intPos = intCursor + 1;
                return {};
            }
            intWireBytes += intLength + 1;
            if (intWireBytes > MaxNameBytes)
                return {Error::NameTooLong, intCursor};
            if (intCursor + 1 + intLength > intLimitNow)
                return {Error::Truncated, intCursor};
            name.append(bytes(intCursor + 1, intLength));
            intCursor += 1 + intLength;
        }
    }

private:
    const uchar *m_data;
    int m_size;
};

ParseResult parseRecordData(const Reader &reader, int intPos, int intEnd, Record &record)
{
    const auto filled = [&](int intAt) -> ParseResult {
        return intAt == intEnd ? ParseResult{} : ParseResult{Error::BadRecordData, intAt};
    };
    switch (record.type) {
    case TypeA:
        if (intEnd - intPos != 4)
            return {Error::BadRecordData, intPos};
        reader.u32(intPos, intEnd, record.ipv4);
        return {};
    case TypePtr: {
        const ParseResult result = reader.name(intPos, intEnd, record.target);
        return result.error != Error::None ? result : filled(intPos);
    }
    case TypeSrv: {
        if (!reader.u16(intPos, intEnd, record.priority) || !reader.u16(intPos, intEnd, record.weight) ||
            !reader.u16(intPos, intEnd, record.port))
            return {Error::BadRecordData, intPos};
        const ParseResult result = reader.name(intPos, intEnd, record.target);
        return result.error != Error::None ? result : filled(intPos);
    }
    case TypeTxt:
        while (intPos < intEnd) {
            const int intLength = uchar(reader.bytes(intPos, 1).at(0));
            if (intPos + 1 + intLength > intEnd)
                return {Error::BadRecordData, intPos};
            record.texts.append(reader.bytes(intPos + 1, intLength));
            intPos += 1 + intLength;
        }
        return {};
    default:
        record.data = reader.bytes(intPos, intEnd - intPos);
        return {};
    }
}

ParseResult parseRecord(const Reader &reader, int &intPos, Record &record)
{
    ParseResult result = reader.name(intPos, reader.size(), record.name);
    if (result.error != Error::None)
        return result;
    quint16 u16Length = 0;
    if (!reader.u16(intPos, reader.size(), record.type) ||
        !reader.u16(intPos, reader.size(), record.rclass) || !reader.u32(intPos, reader.size(), record.ttl) ||
        !reader.u16(intPos, reader.size(), u16Length))
        return {Error::Truncated, intPos};
    const int intEnd = intPos + u16Length;
    if (intEnd > reader.size())
        return {Error::Truncated, intPos};
    result = parseRecordData(reader, intPos, intEnd, record);
    intPos = intEnd;
    return result;
}

class Writer
{
public:
    void u16(quint16 u16Value)
    {
        m_packet.append(char(u16Value >> 8));
        m_packet.append(char(u16Value & 0xFF));
    }
    void u32(quint32 u32Value)
    {
        u16(quint16(u32Value >> 16));
        u16(quint16(u32Value & 0xFFFF));
    }

    // Each suffix is written once; later occurrences point at it. Suffixes are matched exactly,
    // case included, so that a name reads back as it was given.
    bool name(const Name &name)
    {
        if (!isValidName(name))
            return false;
        for (int intIndex = 0; intIndex < name.size(); ++intIndex) {
            QByteArray baKey;
            for (int intLabel = intIndex; intLabel < name.size(); ++intLabel)
                baKey += char(name.at(intLabel).size()) + name.at(intLabel);
            const auto known = m_suffixes.constFind(baKey);
            if (known != m_suffixes.constEnd()) {
                u16(quint16(0xC000 | known.value()));
                return true;
            }
            if (m_packet.size() <= MaxPointerOffset)
                m_suffixes.insert(baKey, m_packet.size());
            m_packet.append(char(name.at(intIndex).size()));
            m_packet.append(name.at(intIndex));
        }
        m_packet.append('\0');
        return true;
    }

    bool record(const Record &record)
    {
        if (!name(record.name))
            return false;
        u16(record.type);
        u16(record.rclass);
        u32(record.ttl);
        const int intLengthAt = m_packet.size();
        u16(0);
        switch (record.type) {
        case TypeA:
            u32(record.ipv4);
            break;
        case TypePtr:
            if (!name(record.target))
                return false;
            break;
        case TypeSrv:
            u16(record.priority);
            u16(record.weight);
            u16(record.port);
            if (!name(record.target))
                return false;
            break;
        case TypeTxt:
            for (const QByteArray &baText : record.texts) {
                if (baText.size() > 255)
                    return false;
                m_packet.append(char(baText.size()));
                m_packet.append(baText);
            }
            break;
        default:
            m_packet.append(record.data);
            break;
        }
        const int intLength = m_packet.size() - intLengthAt - 2;
        if (intLength > 0xFFFF)
            return false;
        m_packet[intLengthAt] = char(intLength >> 8);
        m_packet[intLengthAt + 1] = char(intLength & 0xFF);
        return true;
    }

    QByteArray m_packet;

private:
    QHash<QByteArray, int> m_suffixes;
};

bool sameLabel(const QByteArray &first, const QByteArray &second)
{
    if (first.size() != second.size())
        return false;
    for (int intIndex = 0; intIndex < first.size(); ++intIndex) {
        char chFirst = first.at(intIndex);
        char chSecond = second.at(intIndex);
        if (chFirst >= 'A' && chFirst <= 'Z')
            chFirst = char(chFirst - 'A' + 'a');
        if (chSecond >= 'A' && chSecond <= 'Z')
            chSecond = char(chSecond - 'A' + 'a');
        if (chFirst != chSecond)
            return false;
    }
    return true;
}

} // namespace

Name nameFromText(const QString &strDotted)
{
    Name name;
    for (const QString &strLabel : strDotted.split(QLatin1Char('.'), Qt::SkipEmptyParts))
        name.append(strLabel.toUtf8());
    return name;
}

QString nameToText(const Name &name)
{
    QStringList lstLabels;
    for (const QByteArray &baLabel : name) {
        QString strLabel = QString::fromUtf8(baLabel);
        strLabel.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        strLabel.replace(QLatin1Char('.'), QLatin1String("\\."));
        lstLabels.append(strLabel);
    }
    return lstLabels.join(QLatin1Char('.'));
}

bool sameName(const Name &first, const Name &second)
{
    if (first.size() != second.size())
        return false;
    for (int intIndex = 0; intIndex < first.size(); ++intIndex) {
        if (!sameLabel(first.at(intIndex), second.at(intIndex)))
            return false;
    }
    return true;
}

bool isValidName(const Name &name)
{
    int intWireBytes = 1;
    for (const QByteArray &baLabel : name) {
        if (baLabel.isEmpty() || baLabel.size() > MaxLabelBytes)
            return false;
        intWireBytes += baLabel.size() + 1;
    }
    return intWireBytes <= MaxNameBytes;
}

bool Question::operator==(const Question &other) const
{
    return name == other.name && type == other.type && qclass == other.qclass;
}

bool Record::operator==(const Record &other) const
{
    return name == other.name && type == other.type && rclass == other.rclass && ttl == other.ttl &&
           target == other.target && priority == other.priority && weight == other.weight &&
           port == other.port && texts == other.texts && ipv4 == other.ipv4 && data == other.data;
}

bool Message::operator==(const Message &other) const
{
    return id == other.id && flags == other.flags && questions == other.questions &&
           answers == other.answers && authorities == other.authorities && additionals == other.additionals;
}

ParseResult parse(const QByteArray &baPacket, Message &message)
{
    message = Message();
    const Reader reader(baPacket);
    int intPos = 0;
    quint16 u16Counts[4] = {};
    if (!reader.u16(intPos, reader.size(), message.id) || !reader.u16(intPos, reader.size(), message.flags))
        return {Error::Truncated, intPos};
    for (quint16 &u16Count : u16Counts) {
        if (!reader.u16(intPos, reader.size(), u16Count))
            return {Error::Truncated, intPos};
    }
    // Refused before anything is read or reserved for the entries.
    const int intLeastBytes =
        u16Counts[0] * MinQuestionBytes + (u16Counts[1] + u16Counts[2] + u16Counts[3]) * MinRecordBytes;
    if (intLeastBytes > reader.size() - HeaderBytes)
        return {Error::CountTooLarge, 4};

    for (int intIndex = 0; intIndex < u16Counts[0]; ++intIndex) {
        Question question;
        const ParseResult result = reader.name(intPos, reader.size(), question.name);
        if (result.error != Error::None)
            return result;
        if (!reader.u16(intPos, reader.size(), question.type) ||
            !reader.u16(intPos, reader.size(), question.qclass))
            return {Error::Truncated, intPos};
        message.questions.append(question);
    }
    QList<Record> *sections[3] = {&message.answers, &message.authorities, &message.additionals};
    for (int intSection = 0; intSection < 3; ++intSection) {
        for (int intIndex = 0; intIndex < u16Counts[intSection + 1]; ++intIndex) {
            Record record;
            const ParseResult result = parseRecord(reader, intPos, record);
            if (result.error != Error::None)
                return result;
            sections[intSection]->append(record);
        }
    }
    return {};
}

QString errorText(const ParseResult &result)
{
    QString strWhat;
    switch (result.error) {
    case Error::None:
        return QStringLiteral("no error");
    case Error::Truncated:
        strWhat = QStringLiteral("truncated");
        break;
    case Error::CountTooLarge:
        strWhat = QStringLiteral("more entries announced than the packet holds");
        break;
    case Error::PointerOutOfPacket:
        strWhat = QStringLiteral("name pointer beyond the packet");
        break;
    case Error::PointerLoop:
        strWhat = QStringLiteral("name pointer loop");
        break;
    case Error::LabelTooLong:
        strWhat = QStringLiteral("label longer than 63 bytes");
        break;
    case Error::NameTooLong:
        strWhat = QStringLiteral("name longer than 255 bytes");
        break;
    case Error::BadRecordData:
        strWhat = QStringLiteral("record data does not match its length");
        break;
    }
    return QStringLiteral("%1 at byte %2").arg(strWhat).arg(result.offset);
}

QByteArray build(const Message &message)
{
    const QList<Record> *sections[3] = {&message.answers, &message.authorities, &message.additionals};
    if (message.questions.size() > 0xFFFF || message.answers.size() > 0xFFFF ||
        message.authorities.size() > 0xFFFF || message.additionals.size() > 0xFFFF)
        return {};
    Writer writer;
    writer.u16(message.id);
    writer.u16(message.flags);
    writer.u16(quint16(message.questions.size()));
    for (const QList<Record> *section : sections)
        writer.u16(quint16(section->size()));
    for (const Question &question : message.questions) {
        if (!writer.name(question.name))
            return {};
        writer.u16(question.type);
        writer.u16(question.qclass);
    }
    for (const QList<Record> *section : sections) {
        for (const Record &record : *section) {
            if (!writer.record(record))
                return {};
        }
    }
    return writer.m_packet;
}

} // namespace Dns
