#include "mainwindow/optionlistexport.h"

namespace OptionListExport {

QByteArray compose(const QString &strType, const QString &strSerial, const QString &strFirmware,
                   const QList<Category> &categories)
{
    const QString strEnd = QStringLiteral("\n\r");
    QString strText = QStringLiteral("Tarvik ListForge") + QStringLiteral(" V") + QStringLiteral("2.0") +
                      QStringLiteral(" - Option List Export") + strEnd;
    strText += QStringLiteral("Type:   ") + strType + strEnd;
    strText += QStringLiteral("Ser No: ") + strSerial + strEnd;
    strText += QStringLiteral("FW Ver: ") + strFirmware + strEnd;
    strText += strEnd;
    strText += QStringLiteral("Option List ") + QString(31, QLatin1Char('-')) + strEnd;
    for (const Category &category : categories) {
        strText += category.strLabel + strEnd;
        for (const auto &option : category.options)
            strText +=
                option.first.leftJustified(CodeColumnWidth, QLatin1Char(' '), false) + option.second + strEnd;
        strText += strEnd;
    }
    return strText.toLocal8Bit();
}

QString withExtension(const QString &strFileName)
{
    return strFileName.endsWith(FileExtension) ? strFileName : strFileName + FileExtension;
}

} // namespace OptionListExport
