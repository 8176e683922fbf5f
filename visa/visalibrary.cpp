#include "visa/visalibrary.h"

#include "app/tracer.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {

QLibrary &library()
{
    // Never destroyed and never unloaded: sessions may still be closed during static
    // destruction, and unloading under a vendor library's own threads is not safe.
    static QLibrary *lib = new QLibrary;
    return *lib;
}

const QString BaseName = QStringLiteral("visa32");
// The installed library by its soname: the unversioned link belongs to the development files,
// which a machine that only runs the program does not have.
const QString SoName = QStringLiteral("libvisa32.so.1");

} // namespace

QStringList ClsVisaLibrary::candidateFiles()
{
    const QString strOverride = qEnvironmentVariable(PathVariable);
    if (!strOverride.isEmpty())
        return {strOverride};

    QStringList lstFiles;
    if (QCoreApplication::instance()) {
        const QDir dirApp(QCoreApplication::applicationDirPath());
        // QLibrary adds the platform's prefix and suffix ("libvisa32.so") to these.
        lstFiles << dirApp.absoluteFilePath(BaseName)
                 << QDir::cleanPath(dirApp.absoluteFilePath(QStringLiteral("../lib/") + BaseName))
                 << QDir::cleanPath(
                        dirApp.absoluteFilePath(QStringLiteral(LISTFORGE_VISA_LIBDIR "/") + SoName));
    }
    lstFiles << BaseName << SoName;
    return lstFiles;
}

bool ClsVisaLibrary::load(QString &strReason)
{
    QLibrary &lib = library();
    if (lib.isLoaded())
        return true;
    QStringList lstReasons;
    const QStringList lstFiles = candidateFiles();
    for (const QString &strFile : lstFiles) {
        lib.setFileName(strFile);
        if (lib.load()) {
            Tracer::traceDebug(QStringLiteral("CVISCT  : VISA library '%1' loaded").arg(lib.fileName()));
            return true;
        }
        lstReasons << lib.errorString();
    }
    strReason = lstReasons.join(QStringLiteral("; "));
    return false;
}

bool ClsVisaLibrary::isLoaded()
{
    return library().isLoaded();
}

QString ClsVisaLibrary::fileName()
{
    return library().fileName();
}

QFunctionPointer ClsVisaLibrary::resolveAddress(const char *name)
{
    QLibrary &lib = library();
    if (!lib.isLoaded()) {
        Tracer::traceError(
            QStringLiteral(
                "CVISCT  : Unable to resolve VISA library function '%1' since library is not loaded!")
                .arg(QLatin1String(name)));
        return nullptr;
    }
    const QFunctionPointer fn = lib.resolve(name);
    if (!fn)
        Tracer::traceError(QStringLiteral("CVISCT  : Unable to resolve VISA library function '%1'!")
                               .arg(QLatin1String(name)));
    return fn;
}

QString ClsVisaLibrary::statusText(Visa::ViStatus status)
{
    const auto viStatusDesc = resolve<Visa::FnViStatusDesc>("viStatusDesc");
    if (!viStatusDesc)
        return QStringLiteral("Unable to request description of VISA status '%1'!").arg(status);
    char desc[512] = {};
    viStatusDesc(Visa::VI_NULL, status, desc);
    // A library that fills the whole buffer must not make us read past it.
    desc[sizeof(desc) - 1] = '\0';
    return QString::fromLatin1(desc);
}
