#ifndef LISTFORGE_LISTS_SAVEFILE_H
#define LISTFORGE_LISTS_SAVEFILE_H

#include <QSaveFile>

// Ends a save through QSaveFile. commit() alone can report success after a short write (a full
// disk, a file size limit) and then replace the old file with the truncated one; an explicit
// flush surfaces the error while the old file is still in place. When anything failed the
// temporary file is dropped and the previous file stays as it was.
inline bool finishSave(QSaveFile &file, bool bolWritten)
{
    if (!bolWritten || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

#endif
