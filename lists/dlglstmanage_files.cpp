// Saving the data list as a file, the file dialogs and the remembered local file.
#include "lists/dlglstmanage.h"

#include "lists/dlglstmanage_trace.h"
#include "ui_DlgLstManageUI.h"

#include <QCoreApplication>
#include <QDir>

bool DlgLstManage::chooseFile(bool bolSave, const QString &strTitle, const QString &strFilter,
                              const QString &strCancelTrace, QString &strDirectory, QString &strFileName)
{
    const QString strPath =
        bolSave ? askSaveFileName(strTitle, strFilter) : askOpenFileName(strTitle, strFilter);
    if (strPath.isEmpty()) {
        LstManageTrace::debug(strCancelTrace);
        return false;
    }
    const QString strAbsolute = QDir::cleanPath(QDir::current().absoluteFilePath(strPath));
    const int slash = strAbsolute.lastIndexOf(QLatin1Char('/'));
    strDirectory = slash > 0 ? strAbsolute.left(slash) : QStringLiteral("/");
    strFileName = strAbsolute.mid(slash + 1);
    // The folder of the last chosen file is where every file dialog opens next.
    QDir::setCurrent(strDirectory);
    return true;
}

void DlgLstManage::saveDLFile()
{
    const bool bolAscii = ui->cheDLFileFormat->isChecked();
    const QString strExtension = bolAscii ? DataListFiles::AsciiExtension : DataListFiles::BinaryExtension;
    QString strDirectory;
    QString strFileName;
    if (!chooseFile(true, QStringLiteral("Save data list file"),
                    QStringLiteral("Data list files (*%1)").arg(strExtension),
                    bolAscii ? QStringLiteral("No data list file (ASCII) selected!")
                             : QStringLiteral("No data list file selected!"),
                    strDirectory, strFileName))
        return;
    strFileName = DataListFiles::withExtension(strFileName, strExtension);
    const QString strPath = QDir(strDirectory).filePath(strFileName);

    // Writing a long list takes a moment; the lamp blinks meanwhile and tells how it ended.
    setLamp(StatusLamp::State::Busy);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const ListResult result = bolAscii ? m_dataList.writeAscii(strPath, keepResponsive())
                                       : m_dataList.writeBinary(strPath, m_header, keepResponsive());
    if (!result) {
        refuse(result);
        return;
    }
    setLamp(StatusLamp::State::Ready);

    LstManageTrace::debug(bolAscii ? QStringLiteral("Data List file (ASCII) '%1' created").arg(strFileName)
                                   : QStringLiteral("Data List file '%1' created").arg(strFileName));
    rememberLocalFile(strFileName, strDirectory);
    offerDLUpload();
}

void DlgLstManage::rememberLocalFile(const QString &strFileName, const QString &strDirectory)
{
    // The upload takes the directory with its trailing "/".
    m_strDLLocFileName = strFileName;
    m_strDLLocFileDir =
        strDirectory.endsWith(QLatin1Char('/')) ? strDirectory : strDirectory + QLatin1Char('/');
    ui->ledDLLocFileName->setText(strFileName);
    ui->ledDLLocFileName->setToolTip(QStringLiteral("Local data list file path: %1").arg(strDirectory));
}

void DlgLstManage::forgetLocalFile()
{
    // What is uploaded is the file, so once the list or its comment differs from it (or no file
    // is known) there is nothing to upload until the list is saved again.
    m_strDLLocFileName.clear();
    m_strDLLocFileDir.clear();
    ui->ledDLLocFileName->clear();
    ui->btnDLFileTrans->setEnabled(false);
}

void DlgLstManage::offerDLUpload()
{
    // Only binary data lists go to the instrument; the ASCII form is for people and scripts.
    ui->btnDLFileTrans->setEnabled(m_instrument && !m_strDLLocFileName.isEmpty() &&
                                   !m_strDLLocFileName.contains(DataListFiles::AsciiExtension));
}
