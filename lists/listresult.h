#ifndef LISTFORGE_LISTS_LISTRESULT_H
#define LISTFORGE_LISTS_LISTRESULT_H

#include <QString>
#include <QtGlobal>

#include <functional>

// Called by long operations with the number of bits done so far, at least once every
// ProgressStepBits bits (and at the bit indices that are multiples of it, where the work allows).
// A file writer repeats the full count while the written file goes to disk.
// The dialog processes pending events in it; the command-line tool passes an empty function.
// The callback must not touch the list that is being filled.
using ProgressFn = std::function<void(qint64 bitsDone)>;

constexpr qint64 ProgressStepBits = 10000;

// Outcome of every list operation. Refusals are returned, never thrown: `message` is the text
// for the warning box (and for the command-line tool's standard error), `traceMessage` the text
// of the info trace line without the "DLSMAN  : " prefix. The two differ only where the dialog's
// trace and box texts differ.
struct ListResult
{
    bool ok = true;
    QString message;
    QString traceMessage;
    // Bits that the operation added to (or would have added to) the list; sources report the
    // decoded count here even when the append total is refused.
    qint64 newBits = 0;

    static ListResult success(qint64 bits = 0)
    {
        ListResult r;
        r.newBits = bits;
        return r;
    }
    static ListResult refusal(const QString &boxText, const QString &traceText = QString())
    {
        ListResult r;
        r.ok = false;
        r.message = boxText;
        r.traceMessage = traceText.isEmpty() ? boxText : traceText;
        return r;
    }
    explicit operator bool() const { return ok; }
};

#endif
