#ifndef LISTFORGE_TESTS_LISTS_LISTFILES_H
#define LISTFORGE_TESTS_LISTS_LISTFILES_H

// Whole-file reads and writes for the list suites, which check files byte by byte, and the
// generator's bits to compare lists with.

#include "lists/prbsgenerator.h"

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

inline QByteArray prbs(int order, int count)
{
    QByteArray bits;
    ClsPrbsGenerator().generate(bits, order, count);
    return bits;
}

#endif
