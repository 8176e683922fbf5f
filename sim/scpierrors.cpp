#include "sim/scpierrors.h"

namespace ScpiError {
QByteArray text(int code)
{
    switch (code) {
    case None:
        return "No error";
    case CommandError:
        return "Command error";
    case InvalidCharacter:
        return "Invalid character";
    case SyntaxError:
        return "Syntax error";
    case InvalidSeparator:
        return "Invalid separator";
    case DataTypeError:
        return "Data type error";
    case ParameterNotAllowed:
        return "Parameter not allowed";
    case MissingParameter:
        return "Missing parameter";
    case HeaderSeparatorError:
        return "Header separator error";
    case ProgramMnemonicTooLong:
        return "Program mnemonic too long";
    case UndefinedHeader:
        return "Undefined header";
    case HeaderSuffixOutOfRange:
        return "Header suffix out of range";
    case NumericDataError:
        return "Numeric data error";
    case InvalidSuffix:
        return "Invalid suffix";
    case InvalidCharacterData:
        return "Invalid character data";
    case StringDataError:
        return "String data error";
    case InvalidStringData:
        return "Invalid string data";
    case BlockDataError:
        return "Block data error";
    case InvalidBlockData:
        return "Invalid block data";
    case ExecutionError:
        return "Execution error";
    case SettingsConflict:
        return "Settings conflict";
    case DataOutOfRange:
        return "Data out of range";
    case TooMuchData:
        return "Too much data";
    case IllegalParameterValue:
        return "Illegal parameter value";
    case MassStorageError:
        return "Mass storage error";
    case FileNameNotFound:
        return "File name not found";
    case FileNameError:
        return "File name error";
    case QueueOverflow:
        return "Queue overflow";
    case InputBufferOverrun:
        return "Input buffer overrun";
    case QueryInterrupted:
        return "Query INTERRUPTED";
    case QueryUnterminated:
        return "Query UNTERMINATED";
    default:
        return "Unknown error";
    }
}
} // namespace ScpiError
