#include "sim/scpiparser.h"

#include "sim/scpierrors.h"

#include <cmath>
#include <cstdlib>

namespace {
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isAlpha(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isHeaderChar(char c)
{
    return isAlpha(c) || isDigit(c) || c == ':' || c == '*' || c == '?' || c == '_';
}

class UnitSplitter
{
public:
    explicit UnitSplitter(const QByteArray &message) : m(message), n(message.size()) {}

    QList<ScpiUnit> run()
    {
        QList<ScpiUnit> units;
        while (pos < n) {
            skipSpace();
            if (pos >= n)
                break;
            if (m[pos] == ';') {
                ++pos;
                continue;
            }
            units.append(parseUnit());
        }
        return units;
    }

private:
    void skipSpace()
    {
        while (pos < n && isSpace(m[pos]))
            ++pos;
    }

    // Moves past the rest of a broken unit without mistaking a ';' inside a string or block.
    void skipToNextUnit()
    {
        while (pos < n && m[pos] != ';') {
            const char c = m[pos];
            if (c == '"' || c == '\'') {
                ++pos;
                while (pos < n && m[pos] != c)
                    ++pos;
                if (pos < n)
                    ++pos;
            } else if (c == '#' && pos + 1 < n && m[pos + 1] >= '1' && m[pos + 1] <= '9') {
                ScpiParam dummy;
                if (readBlock(dummy) != 0)
                    return;
            } else {
                ++pos;
            }
        }
    }

    // Returns 0 or the ScpiError code; pos is left after the block (or at the end).
    int readBlock(ScpiParam &param)
    {
        param.kind = ScpiParam::Block;
        ++pos; // '#'
        if (pos >= n)
            return ScpiError::InvalidBlockData;
        qint64 length = 0;
        if (m[pos] == '(') {
            ++pos;
            int digits = 0;
            while (pos < n && isDigit(m[pos]) && digits < 18) {
                length = length * 10 + (m[pos++] - '0');
                ++digits;
            }
            if (digits == 0 || pos >= n || m[pos] != ')') {
                pos = n;
                return ScpiError::InvalidBlockData;
            }
            ++pos;
        } else if (m[pos] == '0') {
            // Indefinite length: everything up to the end of the message.
            ++pos;
            param.blockOffset = pos;
            param.blockLength = n - pos;
            pos = n;
            return 0;
        } else {
            const int count = m[pos++] - '0';
            for (int i = 0; i < count; ++i) {
                if (pos >= n || !isDigit(m[pos])) {
                    pos = n;
                    return ScpiError::InvalidBlockData;
                }
                length = length * 10 + (m[pos++] - '0');
            }
        }
        if (length > n - pos) {
            pos = n;
            return ScpiError::InvalidBlockData;
        }
        param.blockOffset = pos;
        param.blockLength = length;
        pos += int(length);
        return 0;
    }

    int readString(ScpiParam &param)
    {
        param.kind = ScpiParam::String;
        const char quote = m[pos++];
        for (;;) {
            if (pos >= n)
                return ScpiError::InvalidStringData;
            const char c = m[pos++];
            if (c == quote) {
                if (pos < n && m[pos] == quote) {
                    param.text.append(quote);
                    ++pos;
                    continue;
                }
                return 0;
            }
            param.text.append(c);
        }
    }

    int readToken(ScpiParam &param)
    {
        param.kind = ScpiParam::Token;
        const int start = pos;
        while (pos < n && m[pos] != ',' && m[pos] != ';') {
            const char c = m[pos];
            if (c == '"' || c == '\'')
                return ScpiError::SyntaxError;
            if (uchar(c) < 0x20 && !isSpace(c))
                return ScpiError::InvalidCharacter;
            ++pos;
        }
        param.text = m.mid(int(start), int(pos - start)).trimmed();
        return param.text.isEmpty() ? ScpiError::SyntaxError : 0;
    }

    ScpiUnit parseUnit()
    {
        ScpiUnit unit;
        if (m[pos] == ':') {
            unit.absolute = true;
            ++pos;
        }
        const int start = pos;
        while (pos < n && isHeaderChar(m[pos]))
            ++pos;
        QByteArray header = m.mid(int(start), int(pos - start));
        if (header.endsWith('?')) {
            unit.query = true;
            header.chop(1);
        }
        unit.header = header;
        unit.common = header.startsWith('*');
        if (header.isEmpty() || header.contains('?') || header.contains("::") || header.endsWith(':') ||
            header.startsWith(':') || header.indexOf('*', 1) > 0 || (unit.common && unit.absolute)) {
            unit.error = header.isEmpty() && pos < n && !isSpace(m[pos]) && m[pos] != ';'
                             ? ScpiError::InvalidCharacter
                             : ScpiError::SyntaxError;
            skipToNextUnit();
            return unit;
        }
        if (pos < n && !isSpace(m[pos]) && m[pos] != ';') {
            unit.error = ScpiError::HeaderSeparatorError;
            skipToNextUnit();
            return unit;
        }
        skipSpace();
        while (pos < n && m[pos] != ';') {
            skipSpace();
            ScpiParam param;
            int error = 0;
            if (pos >= n) {
                error = ScpiError::SyntaxError;
            } else if (m[pos] == '"' || m[pos] == '\'') {
                error = readString(param);
            } else if (m[pos] == '#' && pos + 1 < n && (isDigit(m[pos + 1]) || m[pos + 1] == '(')) {
                error = readBlock(param);
            } else {
                error = readToken(param);
            }
            if (error != 0) {
                unit.error = error;
                skipToNextUnit();
                break;
            }
            unit.params.append(param);
            skipSpace();
            if (pos < n && m[pos] == ',') {
                ++pos;
                skipSpace();
                if (pos >= n || m[pos] == ';') {
                    unit.error = ScpiError::SyntaxError;
                    break;
                }
                continue;
            }
            if (pos < n && m[pos] != ';') {
                unit.error = ScpiError::InvalidSeparator;
                skipToNextUnit();
            }
            break;
        }
        if (pos < n && m[pos] == ';')
            ++pos;
        return unit;
    }

    const QByteArray &m;
    const int n;
    int pos = 0;
};

struct UnitFactor
{
    const char *suffix;
    double factor;
};

bool unitFactor(ScpiUnitKind kind, const QByteArray &suffix, double *factor)
{
    static const UnitFactor frequency[] = {
        {"HZ", 1}, {"KHZ", 1e3}, {"MHZ", 1e6}, {"GHZ", 1e9}, {"THZ", 1e12}};
    static const UnitFactor power[] = {{"DBM", 1}};
    static const UnitFactor gain[] = {{"DB", 1}};
    static const UnitFactor percent[] = {{"PCT", 1}};
    static const UnitFactor angle[] = {{"DEG", 1}};
    static const UnitFactor time[] = {{"S", 1}, {"MS", 1e-3}, {"US", 1e-6}, {"NS", 1e-9}};
    *factor = 1;
    if (suffix.isEmpty())
        return true;
    const UnitFactor *begin = nullptr;
    const UnitFactor *end = nullptr;
    switch (kind) {
    case ScpiUnitKind::Frequency:
        begin = std::begin(frequency);
        end = std::end(frequency);
        break;
    case ScpiUnitKind::Power:
        begin = std::begin(power);
        end = std::end(power);
        break;
    case ScpiUnitKind::Gain:
        begin = std::begin(gain);
        end = std::end(gain);
        break;
    case ScpiUnitKind::Percent:
        begin = std::begin(percent);
        end = std::end(percent);
        break;
    case ScpiUnitKind::Angle:
        begin = std::begin(angle);
        end = std::end(angle);
        break;
    case ScpiUnitKind::Time:
        begin = std::begin(time);
        end = std::end(time);
        break;
    case ScpiUnitKind::None:
        return false;
    }
    for (const UnitFactor *u = begin; u != end; ++u) {
        if (suffix == u->suffix) {
            *factor = u->factor;
            return true;
        }
    }
    return false;
}

bool parseNonDecimal(const QByteArray &text, double *value)
{
    if (text.size() < 3 || text[0] != '#')
        return false;
    int base = 0;
    switch (text[1]) {
    case 'H':
        base = 16;
        break;
    case 'Q':
        base = 8;
        break;
    case 'B':
        base = 2;
        break;
    default:
        return false;
    }
    bool ok = false;
    const qulonglong v = text.mid(2).toULongLong(&ok, base);
    *value = double(v);
    return ok;
}
} // namespace

QList<ScpiUnit> parseScpiMessage(const QByteArray &message)
{
    return UnitSplitter(message).run();
}

QByteArray scpiShortForm(const QByteArray &mnemonic)
{
    QByteArray out;
    for (char c : mnemonic) {
        if ((c >= 'A' && c <= 'Z') || isDigit(c))
            out.append(c);
    }
    return out;
}

bool scpiMnemonicMatches(const QByteArray &mnemonic, const QByteArray &text)
{
    const QByteArray upper = text.toUpper();
    return upper == mnemonic.toUpper() || upper == scpiShortForm(mnemonic);
}

ScpiHeaderPattern::ScpiHeaderPattern(const QByteArray &pattern) : m_pattern(pattern)
{
    QByteArray rest = pattern;
    while (!rest.isEmpty()) {
        Node node;
        if (rest.startsWith("[:")) {
            node.optional = true;
            const int close = rest.indexOf(']');
            QByteArray name = rest.mid(2, close - 2);
            rest = rest.mid(close + 1);
            if (name.endsWith('#')) {
                node.suffix = true;
                name.chop(1);
            }
            node.longForm = name.toUpper();
            node.shortForm = scpiShortForm(name);
        } else {
            if (rest.startsWith(':'))
                rest = rest.mid(1);
            int end = 0;
            while (end < rest.size() && rest[end] != ':' && rest[end] != '[')
                ++end;
            QByteArray name = rest.left(end);
            rest = rest.mid(end);
            if (name.endsWith('#')) {
                node.suffix = true;
                name.chop(1);
            }
            node.longForm = name.toUpper();
            node.shortForm = scpiShortForm(name);
        }
        m_nodes.append(node);
    }
}

int ScpiHeaderPattern::suffixCount() const
{
    int count = 0;
    for (const Node &node : m_nodes)
        count += node.suffix ? 1 : 0;
    return count;
}

bool ScpiHeaderPattern::match(const QByteArray &header, QVector<int> *suffixes) const
{
    const QList<QByteArray> parts = header.toUpper().split(':');
    QVector<int> found;
    if (!matchFrom(parts, 0, 0, &found))
        return false;
    if (suffixes)
        *suffixes = found;
    return true;
}

bool ScpiHeaderPattern::matchFrom(const QList<QByteArray> &parts, int part, int node,
                                  QVector<int> *suffixes) const
{
    if (node == m_nodes.size())
        return part == parts.size();
    const Node &n = m_nodes[node];
    if (part < parts.size()) {
        const QByteArray &p = parts[part];
        int suffix = -1;
        if (p == n.longForm || p == n.shortForm) {
            suffix = 1;
        } else if (n.suffix) {
            for (const QByteArray &form : {n.longForm, n.shortForm}) {
                if (p.size() > form.size() && p.size() - form.size() <= 6 && p.startsWith(form)) {
                    bool digits = true;
                    for (int i = form.size(); i < p.size(); ++i)
                        digits = digits && isDigit(p[i]);
                    if (digits) {
                        suffix = p.mid(form.size()).toInt();
                        break;
                    }
                }
            }
        }
        if (suffix >= 0) {
            const int before = suffixes->size();
            if (n.suffix)
                suffixes->append(suffix);
            if (matchFrom(parts, part + 1, node + 1, suffixes))
                return true;
            suffixes->resize(before);
        }
    }
    if (n.optional) {
        const int before = suffixes->size();
        if (n.suffix)
            suffixes->append(1);
        if (matchFrom(parts, part, node + 1, suffixes))
            return true;
        suffixes->resize(before);
    }
    return false;
}

ScpiNumber parseScpiNumber(const QByteArray &rawText, ScpiUnitKind unit)
{
    ScpiNumber number;
    const QByteArray text = rawText.trimmed().toUpper();
    if (text == "MIN" || text == "MINIMUM") {
        number.special = ScpiNumber::Minimum;
        return number;
    }
    if (text == "MAX" || text == "MAXIMUM") {
        number.special = ScpiNumber::Maximum;
        return number;
    }
    if (text == "DEF" || text == "DEFAULT") {
        number.special = ScpiNumber::Default;
        return number;
    }
    if (text.startsWith('#')) {
        if (!parseNonDecimal(text, &number.value))
            number.error = ScpiError::NumericDataError;
        return number;
    }
    int pos = 0;
    const int n = text.size();
    if (pos < n && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    int mantissaDigits = 0;
    while (pos < n && isDigit(text[pos])) {
        ++pos;
        ++mantissaDigits;
    }
    if (pos < n && text[pos] == '.') {
        ++pos;
        while (pos < n && isDigit(text[pos])) {
            ++pos;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        number.error =
            text.isEmpty() || isAlpha(text[0]) ? ScpiError::DataTypeError : ScpiError::NumericDataError;
        return number;
    }
    if (pos < n && text[pos] == 'E' && pos + 1 < n &&
        (isDigit(text[pos + 1]) ||
         ((text[pos + 1] == '+' || text[pos + 1] == '-') && pos + 2 < n && isDigit(text[pos + 2])))) {
        pos += 2;
        while (pos < n && isDigit(text[pos]))
            ++pos;
    }
    const QByteArray numberText = text.left(pos);
    const double value = std::strtod(numberText.constData(), nullptr);
    if (!std::isfinite(value)) {
        number.error = ScpiError::NumericDataError;
        return number;
    }
    const QByteArray suffix = text.mid(pos).trimmed();
    for (char c : suffix) {
        if (!isAlpha(c)) {
            number.error = ScpiError::NumericDataError;
            return number;
        }
    }
    double factor = 1;
    if (!unitFactor(unit, suffix, &factor)) {
        number.error = ScpiError::InvalidSuffix;
        return number;
    }
    number.value = value * factor;
    return number;
}

bool parseScpiBoolean(const QByteArray &rawText, bool *value)
{
    const QByteArray text = rawText.trimmed().toUpper();
    if (text == "ON") {
        *value = true;
        return true;
    }
    if (text == "OFF") {
        *value = false;
        return true;
    }
    const ScpiNumber number = parseScpiNumber(text, ScpiUnitKind::None);
    if (number.error != 0 || number.special != ScpiNumber::Value)
        return false;
    *value = std::lround(number.value) != 0;
    return true;
}
