#ifndef LISTFORGE_LISTS_SAVEFILE_H
#define LISTFORGE_LISTS_SAVEFILE_H

#include <QSaveFile>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Ends a save through QSaveFile. commit() alone can report success after a short write (a full
// disk, a file size limit) and then replace the old file with the truncated one; an explicit
// flush surfaces the error while the old file is still in place. When anything failed the
// temporary file is dropped and the previous file stays as it was.
//
// commit() first waits until the file is on disk. For a list file of tens of megabytes that is
// the longest single step of a save (tens of milliseconds on a quiet disk, far more on a busy
// one), so a caller that keeps a window alive passes `whileSyncing`: the data then goes to disk
// on a helper thread while `whileSyncing` is called about every millisecond, and commit() finds
// nothing left to wait for.
inline bool finishSave(QSaveFile &file, bool bolWritten, const std::function<void()> &whileSyncing = {})
{
    if (!bolWritten || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
#ifdef Q_OS_UNIX
    if (whileSyncing) {
        std::atomic<bool> bolSynced{false};
        std::thread syncer([fd = file.handle(), &bolSynced] {
            ::fdatasync(fd);
            bolSynced = true;
        });
        while (!bolSynced.load()) {
            whileSyncing();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        syncer.join();
    }
#endif
    return file.commit();
}

#endif
