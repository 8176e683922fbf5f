// Feeds arbitrary bytes through the SCPI framer (split where the input says, with and without END)
// and parses every message, including numbers, booleans and header patterns of each unit.
#include "sim/scpiframer.h"
#include "sim/scpiparser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t split = data[0] % (size - 1) + 1;
    const bool end = data[1] & 1;
    const char *bytes = reinterpret_cast<const char *>(data) + 2;
    const qint64 length = qint64(size) - 2;
    const qint64 first = qMin<qint64>(qint64(split), length);

    static const ScpiHeaderPattern patterns[] = {
        ScpiHeaderPattern("[:SOURce#]:POWer[:LEVel][:IMMediate][:AMPLitude]"),
        ScpiHeaderPattern("SOURce#:BB:DM:TRIGger:OUTPut#:MODE"),
        ScpiHeaderPattern("MMEMory:DATA"),
    };
    ScpiFramer framer(4096);
    framer.setLineFeedIsEnd(!end);
    framer.setBlockByteLimit(data[1] & 2 ? 64 : -1);
    QList<ScpiMessage> messages;
    framer.feed(bytes, first, false, messages);
    framer.feed(bytes + first, length - first, end, messages);
    if (framer.hasPartialMessage())
        messages.append(framer.takePartialMessage());
    for (const ScpiMessage &message : messages) {
        for (const ScpiUnit &unit : parseScpiMessage(message.text)) {
            QVector<int> suffixes;
            for (const ScpiHeaderPattern &pattern : patterns)
                pattern.match(unit.header, &suffixes);
            for (const ScpiParam &param : unit.params) {
                if (param.kind == ScpiParam::Block &&
                    (param.blockOffset < 0 || param.blockOffset + param.blockLength > message.text.size()))
                    __builtin_trap(); // a block must lie inside its message
                bool on = false;
                parseScpiBoolean(param.text, &on);
                parseScpiNumber(param.text, ScpiUnitKind::Frequency);
                scpiMnemonicMatches("QAM16EDge", param.text);
            }
        }
    }
    return 0;
}
