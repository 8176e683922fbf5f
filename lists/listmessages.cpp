#include "lists/listmessages.h"

namespace ListMessages {

ListResult totalOutOfRange()
{
    return ListResult::refusal(
        QStringLiteral("Total amount (current + new) of data bits is outside the specified range!"));
}

ListResult dataFileOpen(const QString &fileName)
{
    return ListResult::refusal(QStringLiteral("Unable to open data file '%1'!").arg(fileName));
}

ListResult dataFileOutOfRange(const QString &fileName)
{
    // The trace and the box have always worded this one differently.
    return ListResult::refusal(
        QStringLiteral("Amount of data bits in data file '%1' is outside the specified range!").arg(fileName),
        QStringLiteral("Amount of data bits in the data file '%1' is outside the specified range!")
            .arg(fileName));
}

ListResult dataListOpen(const QString &fileName)
{
    return ListResult::refusal(QStringLiteral("Unable to open data list file '%1'!").arg(fileName));
}

ListResult dataListHeaderMissing(const QString &fileName)
{
    return ListResult::refusal(
        QStringLiteral("Header of selected data list file '%1' could not be determined!").arg(fileName));
}

ListResult dataListWrongType(const QString &fileName, const QString &typeContent)
{
    return ListResult::refusal(
        QStringLiteral("Data list file '%1' has wrong type tag '%2'!").arg(fileName, typeContent));
}

ListResult dataListReadBinary(const QString &fileName)
{
    return ListResult::refusal(
        QStringLiteral("Unable to open data list file '%1' to read binary data!").arg(fileName));
}

ListResult dataListOutOfRange(const QString &fileName)
{
    return ListResult::refusal(
        QStringLiteral("Amount of data bits in data list file '%1' is outside the specified range!")
            .arg(fileName));
}

ListResult dataListCreate(const QString &fileName)
{
    return ListResult::refusal(
        QStringLiteral("Unable to create and open data list file '%1'!").arg(fileName));
}

ListResult dataListWrite(const QString &fileName)
{
    return ListResult::refusal(QStringLiteral("Unable to write data list file '%1'!").arg(fileName));
}

ListResult asciiDataListCreate(const QString &fileName)
{
    return ListResult::refusal(
        QStringLiteral("Unable to create and open data list file (ASCII) '%1'!").arg(fileName));
}

ListResult asciiDataListWrite(const QString &fileName)
{
    return ListResult::refusal(QStringLiteral("Unable to write data list file (ASCII) '%1'!").arg(fileName));
}

} // namespace ListMessages
