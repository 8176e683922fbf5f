#include "sim/messagelog.h"

#include <algorithm>

bool MessageLog::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = m_file.errorString();
        return false;
    }
    return true;
}

QByteArray MessageLog::render(const ScpiMessage &message)
{
    if (message.overflow)
        return "<overflow>";
    QByteArray out;
    const QByteArray &text = message.text;
    int pos = 0;
    auto appendText = [&out, &text](int from, int to) {
        for (int i = from; i < to; ++i) {
            const uchar c = uchar(text[i]);
            if (c >= 0x20 && c < 0x7F) {
                out.append(char(c));
            } else {
                static const char hex[] = "0123456789ABCDEF";
                out.append("\\x");
                out.append(hex[c >> 4]);
                out.append(hex[c & 15]);
            }
        }
    };
    for (const auto &span : message.blockSpans) {
        const int start = std::min(span.first, text.size());
        const int length = std::min(span.second, text.size() - start);
        appendText(pos, start);
        out.append(" <" + QByteArray::number(length) + " bytes>");
        pos = start + length;
    }
    appendText(pos, text.size());
    return out;
}

void MessageLog::write(const QString &transport, const ScpiMessage &message)
{
    if (!m_file.isOpen())
        return;
    const char *termination = message.termination == ScpiTermination::End
                                  ? "END"
                                  : (message.termination == ScpiTermination::NoEnd ? "NOEND" : "CUT");
    QByteArray line = transport.toLatin1() + ' ' + termination + ' ' + render(message) + '\n';
    m_file.write(line);
    m_file.flush();
}
