// Feeds arbitrary bytes to the control list reader (from memory, so that a run reaches millions of
// inputs) and to the tag string checks, which must refuse or accept without crashing.
#include "lists/controllist.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString text = QString::fromLatin1(bytes);

    const ListResult valid = ControlList::validateTagString(text);
    if (valid.ok) {
        // Whatever the validator accepts must be safe to range-check at any length.
        ControlList::indexesBelow(text, 1);
        ControlList::indexesBelow(text, ControlList::MaxLength);
    }
    QStringList traces;
    ControlList::lookupTag(text, QStringLiteral("MARKER LIST 1"), ControlList::NeutralTags, true, &traces);

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const ControlList::ReadResult read = ControlList::readDevice(buffer, QStringLiteral("fuzz.dm_iqc"));
    if (read.result.ok) {
        // What the reader hands out for the eight signals is always a valid tag string.
        for (const QString &tags : read.data.tags) {
            if (!ControlList::validateTagString(tags).ok)
                __builtin_trap();
        }
    }
    return 0;
}
