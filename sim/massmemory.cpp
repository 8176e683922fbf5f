#include "sim/massmemory.h"

#include "sim/scpierrors.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
const QString LinuxRoot = QStringLiteral("/var/user");

bool validComponent(const QString &name)
{
    if (name.isEmpty() || name.size() > 255)
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c))
            return false;
    }
    return true;
}

bool hasWildcard(const QString &name)
{
    return name.contains('*') || name.contains('?');
}
} // namespace

MassMemory::MassMemory(const QString &hostRoot, bool driveLetters)
    : m_root(hostRoot), m_driveLetters(driveLetters)
{
    QDir().mkpath(m_root);
}

void MassMemory::addFactoryFiles()
{
    struct FactoryFile
    {
        const char *folder;
        const char *name;
        const char *content;
    };
    static const FactoryFile files[] = {
        {"Mappings", "QPSK_gray.vam",
         "# mapping QPSK gray\n0 0.7071 0.7071\n1 -0.7071 0.7071\n2 0.7071 -0.7071\n3 -0.7071 -0.7071\n"},
        {"Mappings", "8PSK_natural.vam", "# mapping 8PSK natural\n"},
        {"Mappings", "16APSK_dvbs2.vam", "# mapping 16APSK\n"},
        {"Filters", "rc_alpha035.vaf", "# root cosine 0.35\n"},
        {"Filters", "gauss_bt03.vaf", "# gauss BT 0.3\n"},
    };
    for (const FactoryFile &file : files) {
        const QString folder = m_root + '/' + file.folder;
        QDir().mkpath(folder);
        QFile out(folder + '/' + file.name);
        if (!out.exists() && out.open(QIODevice::WriteOnly))
            out.write(file.content);
    }
}

QString MassMemory::currentDirectory() const
{
    if (m_driveLetters)
        return QStringLiteral("D:\\") + m_cwd.join('\\');
    return m_cwd.isEmpty() ? LinuxRoot + '/' : LinuxRoot + '/' + m_cwd.join('/');
}

int MassMemory::setDrive(const QString &drive)
{
    QString d = drive.trimmed();
    if (d.endsWith('\\') || d.endsWith('/'))
        d.chop(1);
    if (!m_driveLetters || d.compare(QLatin1String("D:"), Qt::CaseInsensitive) != 0)
        return ScpiError::MassStorageError;
    return 0;
}

int MassMemory::resolve(const QString &rawPath, QStringList *components) const
{
    QString path = rawPath;
    QStringList result;
    bool absolute = false;
    if (m_driveLetters) {
        path.replace('/', '\\');
        if (path.size() >= 2 && path[1] == ':') {
            if (path.left(2).compare(QLatin1String("D:"), Qt::CaseInsensitive) != 0)
                return ScpiError::MassStorageError;
            path = path.mid(2);
            absolute = true; // "D:name" is taken from the root as well: there is one drive only
        }
        if (path.startsWith('\\'))
            absolute = true;
    } else {
        if (path.startsWith('/')) {
            absolute = true;
            if (path != LinuxRoot && !path.startsWith(LinuxRoot + '/'))
                return ScpiError::FileNameNotFound;
            path = path.mid(LinuxRoot.size());
        }
        if (path.contains('\\'))
            return ScpiError::FileNameError;
    }
    if (!absolute)
        result = m_cwd;
    const QChar separator = m_driveLetters ? QChar('\\') : QChar('/');
    for (const QString &part : path.split(separator, Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (result.isEmpty())
                return ScpiError::FileNameNotFound;
            result.removeLast();
            continue;
        }
        if (!validComponent(part) &&
            !(hasWildcard(part) && !part.contains(QRegularExpression("[\\x00-\\x1f\\\\/:\"<>|]"))))
            return ScpiError::FileNameError;
        result.append(part);
    }
    *components = result;
    return 0;
}

QString MassMemory::hostPath(const QStringList &components) const
{
    return components.isEmpty() ? m_root : m_root + '/' + components.join('/');
}

int MassMemory::changeDirectory(const QString &path)
{
    QStringList components;
    if (const int error = resolve(path, &components))
        return error;
    if (!QFileInfo(hostPath(components)).isDir())
        return ScpiError::FileNameNotFound;
    m_cwd = components;
    return 0;
}

int MassMemory::makeDirectory(const QString &path)
{
    QStringList components;
    if (const int error = resolve(path, &components))
        return error;
    for (const QString &c : components) {
        if (hasWildcard(c))
            return ScpiError::FileNameError;
    }
    const QString host = hostPath(components);
    if (QFileInfo(host).isDir())
        return 0; // already there; the program creates its folders before every upload
    if (QFileInfo::exists(host))
        return ScpiError::FileNameError;
    return QDir().mkpath(host) ? 0 : int(ScpiError::MassStorageError);
}

int MassMemory::removeDirectory(const QString &path)
{
    QStringList components;
    if (const int error = resolve(path, &components))
        return error;
    if (components.isEmpty())
        return ScpiError::MassStorageError;
    const QString host = hostPath(components);
    if (!QFileInfo(host).isDir())
        return ScpiError::FileNameNotFound;
    return QDir().rmdir(host) ? 0 : int(ScpiError::MassStorageError);
}

int MassMemory::writeFile(const QString &path, const char *data, qint64 size)
{
    QStringList components;
    if (const int error = resolve(path, &components))
        return error;
    if (components.isEmpty() || hasWildcard(components.last()))
        return ScpiError::FileNameError;
    const QString host = hostPath(components);
    if (!QFileInfo(QFileInfo(host).path()).isDir())
        return ScpiError::FileNameNotFound;
    if (QFileInfo(host).isDir())
        return ScpiError::FileNameError;
    QFile file(host);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return ScpiError::MassStorageError;
    if (file.write(data, size) != size) {
        file.close();
        file.remove();
        return ScpiError::MassStorageError;
    }
    return 0;
}

int MassMemory::readFile(const QString &path, QByteArray *data) const
{
    QStringList components;
    if (const int error = resolve(path, &components))
        return error;
    QFile file(hostPath(components));
    if (components.isEmpty() || QFileInfo(file.fileName()).isDir() || !file.open(QIODevice::ReadOnly))
        return ScpiError::FileNameNotFound;
    *data = file.readAll();
    return 0;
}

int MassMemory::deleteFile(const QString &path)
{
    QStringList components;
    if (const int error = resolve(path, &components))
        return error;
    const QString host = hostPath(components);
    if (components.isEmpty() || !QFileInfo(host).isFile())
        return ScpiError::FileNameNotFound;
    return QFile::remove(host) ? 0 : int(ScpiError::MassStorageError);
}

int MassMemory::catalog(const QString &pattern, QByteArray *reply) const
{
    QStringList components;
    if (const int error = resolve(pattern, &components))
        return error;
    QString filter;
    if (!components.isEmpty() && hasWildcard(components.last()))
        filter = components.takeLast();
    QString host = hostPath(components);
    if (filter.isEmpty() && QFileInfo(host).isFile()) {
        filter = components.takeLast();
        host = hostPath(components);
    }
    if (!QFileInfo(host).isDir())
        return ScpiError::FileNameNotFound;
    QDir dir(host);
    if (!filter.isEmpty())
        dir.setNameFilters({filter});
    dir.setFilter(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    dir.setSorting(QDir::DirsFirst | QDir::Name);
    qint64 used = 0;
    QByteArray entries;
    for (const QFileInfo &info : dir.entryInfoList()) {
        const bool isDir = info.isDir();
        const qint64 size = isDir ? 0 : info.size();
        used += size;
        entries +=
            ",\"" + info.fileName().toLatin1() + (isDir ? ",DIR," : ",BIN,") + QByteArray::number(size) + '"';
    }
    // An instrument's mass memory is its own: what is free changes only with what is stored in
    // it, never with what other programs do to the disk the simulation happens to live on.
    qint64 stored = 0;
    QDirIterator all(m_root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (all.hasNext()) {
        all.next();
        stored += all.fileInfo().size();
    }
    const qint64 free = s_capacityBytes - stored;
    *reply = QByteArray::number(used) + ',' + QByteArray::number(qMax<qint64>(free, 0)) + entries;
    return 0;
}

int MassMemory::directoryCatalog(const QString &path, QByteArray *reply) const
{
    QStringList components = m_cwd;
    if (!path.isEmpty()) {
        if (const int error = resolve(path, &components))
            return error;
    }
    const QString host = hostPath(components);
    if (!QFileInfo(host).isDir())
        return ScpiError::FileNameNotFound;
    const QStringList names = QDir(host).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QByteArrayList quoted;
    for (const QString &name : names)
        quoted << '"' + name.toLatin1() + '"';
    *reply = quoted.isEmpty() ? QByteArray("\"\"") : quoted.join(',');
    return 0;
}

QStringList MassMemory::listNames(const QString &extension) const
{
    QStringList names;
    const QString suffix = '.' + extension;
    for (const QString &file : QDir(hostPath(m_cwd)).entryList({'*' + suffix}, QDir::Files, QDir::Name))
        names << file.left(file.size() - suffix.size());
    return names;
}

bool MassMemory::hasListFile(const QString &name, const QString &extension) const
{
    QStringList components;
    if (resolve(name, &components) != 0 || components.isEmpty())
        return false;
    const QString host = hostPath(components);
    return QFileInfo(host).isFile() || QFileInfo(host + '.' + extension).isFile();
}
