// Feeds arbitrary bytes to the control list reader (through a temporary file, as a user's file
// would arrive) and to the tag string checks, which must refuse or accept without crashing.
#include "lists/controllist.h"

#include <QFile>
#include <QTemporaryFile>

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

    static QTemporaryFile *file = [] {
        auto *f = new QTemporaryFile;
        f->open();
        return f;
    }();
    file->resize(0);
    file->seek(0);
    file->write(bytes);
    file->flush();
    const ControlList::ReadResult read = ControlList::readFile(file->fileName());
    if (read.result.ok) {
        // What the reader hands out for the eight signals is always a valid tag string.
        for (const QString &tags : read.data.tags) {
            if (!ControlList::validateTagString(tags).ok)
                __builtin_trap();
        }
    }
    return 0;
}
