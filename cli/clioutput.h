#ifndef LISTFORGE_CLI_CLIOUTPUT_H
#define LISTFORGE_CLI_CLIOUTPUT_H

#include "lists/listresult.h"

#include <QString>

#include <cstdio>

namespace CliStatus {
constexpr int Done = 0;
constexpr int Refused = 1;
constexpr int Usage = 2;
} // namespace CliStatus

namespace CliOutput {
// Writes text (plus a line end) in the local 8-bit encoding.
void printOut(const QString &text);
void printErr(const QString &text);
// Writes raw bytes to standard output; false when the stream failed (closed pipe, full disk).
bool writeOut(const char *data, qint64 size);

// Prints the refusal text the dialog would show and returns CliStatus::Refused.
int refuse(const ListResult &result);
// Prints "listforge-cli COMMAND: TEXT" and a hint to --help; returns CliStatus::Usage.
int usageError(const QString &command, const QString &text);
} // namespace CliOutput

#endif
