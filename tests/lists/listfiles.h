#ifndef LISTFORGE_TESTS_LISTS_LISTFILES_H
#define LISTFORGE_TESTS_LISTS_LISTFILES_H

// Whole-file reads and writes for the list suites, which check files byte by byte.

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

#endif
