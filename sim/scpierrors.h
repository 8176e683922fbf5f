#ifndef LISTFORGE_SIM_SCPIERRORS_H
#define LISTFORGE_SIM_SCPIERRORS_H

#include <QByteArray>

// Standard SCPI error numbers (SCPI 1999, volume 2, chapter 21) used by the simulated instrument.
namespace ScpiError {
enum Code : int
{
    None = 0,
    CommandError = -100,
    InvalidCharacter = -101,
    SyntaxError = -102,
    InvalidSeparator = -103,
    DataTypeError = -104,
    ParameterNotAllowed = -108,
    MissingParameter = -109,
    HeaderSeparatorError = -111,
    ProgramMnemonicTooLong = -112,
    UndefinedHeader = -113,
    HeaderSuffixOutOfRange = -114,
    NumericDataError = -120,
    InvalidSuffix = -131,
    InvalidCharacterData = -141,
    StringDataError = -150,
    InvalidStringData = -151,
    BlockDataError = -160,
    InvalidBlockData = -161,
    ExecutionError = -200,
    SettingsConflict = -221,
    DataOutOfRange = -222,
    TooMuchData = -223,
    IllegalParameterValue = -224,
    MassStorageError = -250,
    FileNameNotFound = -256,
    FileNameError = -257,
    QueueOverflow = -350,
    InputBufferOverrun = -363,
    QueryInterrupted = -410,
    QueryUnterminated = -420
};

// The standard text of an error number ("Undefined header"), or "Unknown error".
QByteArray text(int code);
} // namespace ScpiError

#endif
