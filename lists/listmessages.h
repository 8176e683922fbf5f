#ifndef LISTFORGE_LISTS_LISTMESSAGES_H
#define LISTFORGE_LISTS_LISTMESSAGES_H

#include "lists/listresult.h"

#include <QString>

// User-visible refusal texts of the data list engine. Each returns a ListResult carrying the box
// text and the trace text (without the "DLSMAN  : " prefix). `fileName` is the bare file name,
// never the directory. The texts are fixed: stored scripts and users compare them verbatim.
namespace ListMessages {

// "Total amount (current + new) of data bits is outside the specified range!"
ListResult totalOutOfRange();

// "Unable to open data file '%1'!"
ListResult dataFileOpen(const QString &fileName);
// box:   "Amount of data bits in data file '%1' is outside the specified range!"
// trace: "Amount of data bits in the data file '%1' is outside the specified range!"
ListResult dataFileOutOfRange(const QString &fileName);

// "Unable to open data list file '%1'!"
ListResult dataListOpen(const QString &fileName);
// "Header of selected data list file '%1' could not be determined!"
ListResult dataListHeaderMissing(const QString &fileName);
// "Data list file '%1' has wrong type tag '%2'!"
ListResult dataListWrongType(const QString &fileName, const QString &typeContent);
// "Unable to open data list file '%1' to read binary data!" (also used for read errors)
ListResult dataListReadBinary(const QString &fileName);
// "Amount of data bits in data list file '%1' is outside the specified range!"
ListResult dataListOutOfRange(const QString &fileName);

// "Unable to create and open data list file '%1'!"
ListResult dataListCreate(const QString &fileName);
// "Unable to write data list file '%1'!" (write or final rename failed; the old file is kept)
ListResult dataListWrite(const QString &fileName);
// "Unable to create and open data list file (ASCII) '%1'!"
ListResult asciiDataListCreate(const QString &fileName);
// "Unable to write data list file (ASCII) '%1'!"
ListResult asciiDataListWrite(const QString &fileName);

} // namespace ListMessages

#endif
