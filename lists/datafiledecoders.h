#ifndef LISTFORGE_LISTS_DATAFILEDECODERS_H
#define LISTFORGE_LISTS_DATAFILEDECODERS_H

#include "lists/listresult.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class PackedBits;
class QIODevice;

// Decoders of the three data file kinds that the data sources import.
//   AsciiBits: every "0" or "1" character is one bit, all other characters are ignored.
//   AsciiHex:  every hex digit ("0"-"9", "A"-"F", "a"-"f") gives four bits, MSB first.
//   Binary:    every byte gives eight bits, MSB first.
// Text files are read as 8-bit text (UTF-8 or Latin-1 alike, since only ASCII characters count);
// a UTF-16 or UTF-32 byte-order mark switches to that encoding.
enum class DataFileFormat
{
    AsciiBits,
    AsciiHex,
    Binary
};

namespace DataFileDecoders {

// Source name -> format: contains "Bit" -> AsciiBits, else contains "ASCII" -> AsciiHex,
// else Binary.
DataFileFormat formatForSource(const QString &sourceName);

// Decodes everything readable from `device` (already open) into `bits` (replaced; "0"/"1" bytes).
// Refused with dataFileOutOfRange(fileName) when the result is empty or longer than 250,000,000
// bits (decoding stops as soon as the limit is passed, so a huge file is never fully read), and
// with dataFileOpen(fileName) on a read error. On refusal `bits` is left empty.
ListResult decodeDevice(DataFileFormat format, QIODevice &device, const QString &fileName, QByteArray &bits,
                        const ProgressFn &progress = {});

// Same for bytes in memory (tests, fuzzers); `fileName` only names the data in messages.
ListResult decodeBytes(DataFileFormat format, const QByteArray &data, const QString &fileName,
                       QByteArray &bits, const ProgressFn &progress = {});

// Opens and decodes the file at `path`; the messages name its bare file name.
// "Unable to open data file '%1'!" when it cannot be opened.
ListResult decodeFile(DataFileFormat format, const QString &path, QByteArray &bits,
                      const ProgressFn &progress = {});

// The same decoders into packed bits (an eighth of the memory), for callers that expand the bits
// only once they are known good, or never.
ListResult decodeDevicePacked(DataFileFormat format, QIODevice &device, const QString &fileName,
                              PackedBits &bits, const ProgressFn &progress = {});
ListResult decodeFilePacked(DataFileFormat format, const QString &path, PackedBits &bits,
                            const ProgressFn &progress = {});

} // namespace DataFileDecoders

#endif
