#ifndef LISTFORGE_VISA_VISALIBRARY_H
#define LISTFORGE_VISA_VISALIBRARY_H

#include "visa/visadefs.h"

#include <QString>
#include <QStringList>

// The one VISA library of the process. It is loaded once and stays loaded until the process
// ends; entry points are looked up by name on every use, so nothing here caches them.
class ClsVisaLibrary
{
public:
    // Environment variable naming a VISA library file that replaces the default search.
    static constexpr const char *PathVariable = "LISTFORGE_VISA_LIBRARY";

    // Files tried in order: the library named by LISTFORGE_VISA_LIBRARY alone when it is set;
    // otherwise the project's own library next to the executable, then in ../lib relative to it,
    // then installed in the library folder of the installation prefix (libvisa32.so.1), then the
    // loader's own search for "visa32" and for "libvisa32.so.1".
    static QStringList candidateFiles();

    // Loads the first candidate that loads; true when the library is (already) loaded.
    // strReason receives the loader's messages on failure.
    static bool load(QString &strReason);
    static bool isLoaded();
    static QString fileName();

    // Looks a function up by name, tracing why when it cannot; nullptr then.
    template <typename Fn> static Fn resolve(const char *name)
    {
        return reinterpret_cast<Fn>(resolveAddress(name));
    }

    // Text of a VISA status, from viStatusDesc.
    static QString statusText(Visa::ViStatus status);

private:
    static QFunctionPointer resolveAddress(const char *name);
};

#endif
