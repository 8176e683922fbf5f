#ifndef LISTFORGE_LISTS_PRBSGENERATOR_H
#define LISTFORGE_LISTS_PRBSGENERATOR_H

#include "lists/listresult.h"
#include "lists/packedbits.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// Pseudo-random binary sequences of the CDM data sources. Stateless: every call starts from the
// all-ones seed. Output is one byte per bit, "0" (0x30) or "1" (0x31).
class ClsPrbsGenerator
{
public:
    // 9, 11, 15, 16, 20, 21, 23 in this order (the order of the PRBS combo box).
    static QList<int> orders();
    static bool isValidOrder(int order);
    // "PRBS9", "PRBS11", ...; empty for an invalid order.
    static QString name(int order);
    // Period 2^order - 1 (511 for order 9); 0 for an invalid order.
    static qint64 sequenceLength(int order);

    // Writes exactly `count` characters to dst[0..count-1]; dst must hold count bytes.
    // Returns false (writing nothing) for an invalid order or a negative count.
    // `progress` is called at every multiple of ProgressStepBits and at the end.
    bool generate(char *dst, int order, qint64 count, const ProgressFn &progress = {}) const;
    // Same into a buffer that is resized to `count` first.
    bool generate(QByteArray &buffer, int order, qint64 count, const ProgressFn &progress = {}) const;

    // The same `count` bits packed (PackedSink layout), handed to `sink` in blocks of 64 KiB; for
    // writing a list out, the one-byte-per-bit form never exists.
    bool generatePacked(int order, qint64 count, const PackedSink &sink) const;

    // The one-bit-at-a-time shift register that defines the sequences. Slow; the reference for
    // checking the fast path and for seeding it.
    static bool generateBitSerial(char *dst, int order, qint64 count);
};

#endif
