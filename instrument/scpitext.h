#ifndef LISTFORGE_INSTRUMENT_SCPITEXT_H
#define LISTFORGE_INSTRUMENT_SCPITEXT_H

#include <QString>

// What user text may become part of a SCPI program message. Every argument that the
// instrument control classes put into a command (model operations, file and directory names
// of transfers and catalogs) passes these checks before anything is sent.
namespace ScpiText {

// Text that arrives as typed: Latin-1 only (a character beyond it would silently turn into
// "?" on the way) and no control character (a line feed ends the message on a raw socket and
// lets the rest run as a command of its own). Enough for text between quotes.
bool isSendable(const QString &strText);

// Text sent unquoted: sendable, without a message or unit separator, quote or block header
// that would change what the instrument executes, and not an infinite or undefined number
// ("inf", "nan", "1e999"), which an instrument reads as its maximum or refuses.
bool isBareToken(const QString &strText);

// Whether the text reads as a number that is not finite.
bool isNonFiniteNumber(const QString &strText);

} // namespace ScpiText

#endif
