#ifndef LISTFORGE_MAINWINDOW_OPTIONLISTEXPORT_H
#define LISTFORGE_MAINWINDOW_OPTIONLISTEXPORT_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The option list export file: a short identity header and the installed options grouped by
// category. Lines end with line feed + carriage return, the layout that existing evaluation
// sheets read, so the bytes are composed here and written without text-mode translation.
namespace OptionListExport {

struct Category
{
    QString strLabel;
    QList<QPair<QString, QString>> options; // code, description
};

constexpr int CodeColumnWidth = 14;
const QString FileExtension = QStringLiteral(".txt");

QByteArray compose(const QString &strType, const QString &strSerial, const QString &strFirmware,
                   const QList<Category> &categories);

// The file name the user chose, with ".txt" appended unless it already ends so (case-sensitive,
// as the instrument's option sheets have always been named).
QString withExtension(const QString &strFileName);

} // namespace OptionListExport

#endif
