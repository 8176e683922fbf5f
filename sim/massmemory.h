#ifndef LISTFORGE_SIM_MASSMEMORY_H
#define LISTFORGE_SIM_MASSMEMORY_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// The instrument's mass memory, kept in a folder of the host. Two styles exist: drive "D:" with
// backslash separators and root "\" (forward slashes are accepted too), or the Linux style rooted
// at "/var/user/". Every instrument path is reduced to components below the root before it
// touches the host, so no name can reach outside the storage folder. Operations return 0 or an
// SCPI error code.
class MassMemory
{
public:
    MassMemory(const QString &hostRoot, bool driveLetters);

    // A few mapping and filter files, so that their catalogs are not empty on a fresh instrument.
    void addFactoryFiles();

    QString currentDirectory() const;
    QString drive() const { return m_driveLetters ? QStringLiteral("D:") : QString(); }
    int setDrive(const QString &drive);
    int changeDirectory(const QString &path);
    void resetDirectory() { m_cwd.clear(); }
    int makeDirectory(const QString &path);
    int removeDirectory(const QString &path);
    int writeFile(const QString &path, const char *data, qint64 size);
    int readFile(const QString &path, QByteArray *data) const;
    int deleteFile(const QString &path);
    // "used,free,\"name,type,size\",..." for a directory or a pattern such as "D:\DataLists\*.dm_iqd".
    int catalog(const QString &pattern, QByteArray *reply) const;
    // "\"sub1\",\"sub2\"" for the folders of a directory (the current one when path is empty).
    int directoryCatalog(const QString &path, QByteArray *reply) const;
    // Base names of the current directory's files with this extension, sorted.
    QStringList listNames(const QString &extension) const;
    // Whether name (with or without the extension) is a file of the current directory.
    bool hasListFile(const QString &name, const QString &extension) const;

private:
    static constexpr qint64 s_capacityBytes = qint64(4) << 30; // a typical instrument drive
    int resolve(const QString &path, QStringList *components) const;
    QString hostPath(const QStringList &components) const;

    QString m_root;
    bool m_driveLetters;
    QStringList m_cwd;
};

#endif
