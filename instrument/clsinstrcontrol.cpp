#include "instrument/clsinstrcontrol.h"

#include "app/keepwindowalive.h"
#include "app/tracer.h"
#include "instrument/clssiggenoptions.h"
#include "instrument/clsstopwatch.h"
#include "instrument/scpitext.h"
#include "instrument/statusnumber.h"
#include "visa/clsvisacontrol.h"
#include "visa/visaresource.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <array>
#include <atomic>

namespace {

QMutex s_confirmMutex;
ClsInstrControl::ConfirmHandler s_confirmHandler;
std::atomic<qint32> s_presetMaxTimeMs{ClsInstrControl::DefaultPresetMaxTimeMs};

} // namespace

// --- construction ----------------------------------------------------------------------------

ClsInstrControl::ClsInstrControl(const QString &strResource)
    : visa(new ClsVisaControl()), resource(strResource), stopWatch(new ClsStopWatch())
{
    if (visa->openSession(resource, true))
        initDatabase();
    else
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to open assigned instrument %1").arg(resource));
    Tracer::traceDebug(QStringLiteral("CINSCT  : Instrument control object created"));
}

ClsInstrControl::~ClsInstrControl()
{
    delete options;
    options = nullptr;
    delete stopWatch;
    stopWatch = nullptr;
    delete visa;
    visa = nullptr;
    Tracer::traceDebug(QStringLiteral("CINSCT  : Instrument control object deleted"));
}

void ClsInstrControl::initDatabase()
{
    instrType = visa->getInstrType();
    serialNumber = visa->getSerialNumber();
    firmware = visa->getFirmware();
    Tracer::traceDebug(QStringLiteral("CINSCT  : Instrument database partly initialized..."));
}

void ClsInstrControl::setConfirmHandler(ConfirmHandler handler)
{
    QMutexLocker lock(&s_confirmMutex);
    s_confirmHandler = std::move(handler);
}

ClsInstrControl::ConfirmHandler ClsInstrControl::confirmHandler()
{
    QMutexLocker lock(&s_confirmMutex);
    return s_confirmHandler;
}

void ClsInstrControl::setPresetMaxTimeMs(qint32 intMs)
{
    s_presetMaxTimeMs.store(intMs > 0 ? intMs : DefaultPresetMaxTimeMs);
}

qint32 ClsInstrControl::presetMaxTimeMs()
{
    return s_presetMaxTimeMs.load();
}

bool ClsInstrControl::isSessionOpen() const
{
    return visa->isSessionOpen();
}

QString ClsInstrControl::getInterfaceName() const
{
    return visa->getInterfaceName();
}

void ClsInstrControl::emitInfo(const QString &strText)
{
    instrMessage(InstrLogInfo, strText);
}

void ClsInstrControl::emitError(const QString &strText)
{
    instrMessage(InstrLogError, strText);
}

QString ClsInstrControl::quoteBody(const QString &strText)
{
    QString strBody = strText;
    strBody.replace(QLatin1Char('\''), QStringLiteral("''"));
    return strBody;
}

// --- commands --------------------------------------------------------------------------------

bool ClsInstrControl::sendCommand(const QString &strCmd, EnuOpcType enuMode, qint32 intIntervalMs,
                                  qint32 intMaxTimeMs)
{
    emitInfo(QStringLiteral("Try to send command '%1' to instrument").arg(strCmd));
    switch (enuMode) {
    case OpcQuery:
        if (sendWithSuffix(strCmd, QStringLiteral("*OPC?")))
            return true;
        emitError(QStringLiteral("Unable to sent command '%1; *OPC' to instrument").arg(strCmd));
        return false;
    case OpcLoop:
        if (sendWithOpcLoop(strCmd, intIntervalMs, intMaxTimeMs))
            return true;
        emitError(QStringLiteral("Unable to sent command '%1' (with OPC loop) to instrument").arg(strCmd));
        return false;
    case OpcNone:
    default:
        if (writeCmd(strCmd))
            return true;
        emitError(QStringLiteral("Unable to sent command '%1' to instrument").arg(strCmd));
        return false;
    }
}

bool ClsInstrControl::writeCmd(const QString &strCmd)
{
    stopWatch->start();
    const bool bolOk = visa->writeCommand(strCmd, false);
    lastCmdDuration = stopWatch->elapsedMs();
    return bolOk;
}

bool ClsInstrControl::queryCmd(const QString &strCmd, QString &strReply)
{
    stopWatch->start();
    const bool bolOk = visa->queryCommand(strCmd, strReply, false);
    lastCmdDuration = stopWatch->elapsedMs();
    return bolOk;
}

QString ClsInstrControl::queryCommand(const QString &strCmd)
{
    emitInfo(QStringLiteral("Try to send query command '%1' to instrument").arg(strCmd));
    QString strReply;
    if (queryCmd(strCmd, strReply))
        return strReply;
    emitError(QStringLiteral("Unable to sent query command '%1' to instrument").arg(strCmd));
    return QStringLiteral("-");
}

bool ClsInstrControl::sendWithSuffix(const QString &strCmd, const QString &strSuffix)
{
    return writeCmd(QStringLiteral("%1; %2").arg(strCmd, strSuffix));
}

bool ClsInstrControl::sendWithOpcLoop(const QString &strCmd, qint32 intIntervalMs, qint32 intMaxTimeMs)
{
    lastCmdDuration = UnknownDuration;
    if (!visa->writeCommand(QStringLiteral("*ESE 1"), false))
        return false;
    if (!visa->writeCommand(QStringLiteral("*CLS"), false))
        return false;
    stopWatch->start();
    if (!visa->writeCommand(strCmd, false) || !visa->writeCommand(QStringLiteral("*OPC"), false)) {
        lastCmdDuration = UnknownDuration;
        return false;
    }

    // A zero or negative interval would never advance the elapsed time and poll forever.
    const qint32 intStep = qMax(1, intIntervalMs);
    qint32 intElapsed = 0;
    bool bolQueryOk = false;
    bool bolComplete = false;
    do {
        QThread::msleep(static_cast<unsigned long>(intStep));
        intElapsed += intStep;
        keepWindowAlive();
        QString strReply;
        bolQueryOk = visa->queryCommand(QStringLiteral("*ESR?"), strReply, false);
        unsigned uEsr = 0;
        if (bolQueryOk &&
            !StatusNumber::parse(strReply.toLatin1().toStdString(), StatusNumber::RegisterMax, uEsr)) {
            // Bit 0 of a reply that is no register value means nothing; waiting on would only
            // end at the time limit.
            Tracer::traceError(QStringLiteral("CINSCT  : Invalid event status reply '%1'!")
                                   .arg(InstrIdent::printable(strReply.left(32))));
            bolQueryOk = false;
        }
        if (bolQueryOk)
            bolComplete = (uEsr & 0x01) != 0;
    } while (bolQueryOk && !bolComplete && intElapsed < intMaxTimeMs);
    lastCmdDuration = stopWatch->elapsedMs();

    if (!bolQueryOk) {
        Tracer::traceDebug(QStringLiteral("CINSCT  : OPC Loop left with read error"));
        return false;
    }
    Tracer::traceDebug(QStringLiteral("CINSCT  : OPC Loop left after %1ms (max time: %2ms)")
                           .arg(intElapsed)
                           .arg(intMaxTimeMs));
    // The command has not been seen to complete: reporting success would let the caller go on
    // as if the instrument had finished.
    if (!bolComplete) {
        Tracer::traceError(QStringLiteral("CINSCT  : Operation not complete within %1ms!").arg(intMaxTimeMs));
        return false;
    }
    return true;
}

bool ClsInstrControl::presetInstrument()
{
    emitInfo(QStringLiteral("Perform instrument preset"));
    if (sendWithOpcLoop(QStringLiteral("SYSTem:PRESet"), PresetPollMs, presetMaxTimeMs()))
        return true;
    emitError(QStringLiteral("Unable to preset instrument"));
    return false;
}

QString ClsInstrControl::getLastCmdDuration() const
{
    if (lastCmdDuration == UnknownDuration)
        return QStringLiteral("Not avail.");
    return QString::number(lastCmdDuration, 'f', 3);
}

// --- instrument state ------------------------------------------------------------------------

QString ClsInstrControl::getOptions()
{
    emitInfo(QStringLiteral("Try to request instrument options"));
    QString strReply;
    if (!queryCmd(QStringLiteral("*OPT?"), strReply)) {
        emitError(QStringLiteral("Unable to get options"));
        return QString();
    }
    strReply.remove(QLatin1Char(' '));
    return strReply;
}

void ClsInstrControl::getOptionList(qint32 intCategory, QStringList &lstOptions) const
{
    if (options != nullptr)
        options->appendOptionEntries(intCategory, installedOptions, lstOptions);
}

// Each entry is "<code>,<text>" with the quotes already gone. The key is the entry's index and
// the code without its sign; the text is everything after the first comma, so a comma inside
// the text does not cut it short, and an entry without a comma has an empty text.
void ClsInstrControl::parseErrorEntries(const QStringList &lstEntries, QMap<QString, QString> &mapErrors)
{
    for (int i = 0; i < lstEntries.size(); ++i) {
        const QString &strEntry = lstEntries.at(i);
        const int intComma = strEntry.indexOf(QLatin1Char(','));
        QString strCode = (intComma < 0 ? strEntry : strEntry.left(intComma)).trimmed();
        if (strCode.startsWith(QLatin1Char('-')) || strCode.startsWith(QLatin1Char('+')))
            strCode.remove(0, 1);
        const QString strText = intComma < 0 ? QString() : strEntry.mid(intComma + 1);
        mapErrors.insert(QStringLiteral("%1-%2").arg(i).arg(strCode), strText);
    }
}

bool ClsInstrControl::getErrorQueue(QMap<QString, QString> &mapErrors)
{
    emitInfo(QStringLiteral("Try to request pending instrument error queue entries(s)"));
    QStringList lstEntries;
    bool bolEmptied = false;
    while (lstEntries.size() < MaxErrorQueueEntries) {
        QString strReply;
        if (!queryCmd(QStringLiteral("SYSTem:ERRor?"), strReply)) {
            mapErrors.clear();
            emitError(QStringLiteral("Unable to get error queue entry"));
            return false;
        }
        if (strReply.contains(QLatin1String("No error"))) {
            bolEmptied = true;
            break;
        }
        lstEntries.append(strReply.remove(QLatin1Char('"')));
    }
    parseErrorEntries(lstEntries, mapErrors);
    if (!bolEmptied) {
        // A device that never reports "No error" would otherwise keep the GUI thread here.
        Tracer::traceError(QStringLiteral("CINSCT  : Error queue still not empty after %1 entries!")
                               .arg(MaxErrorQueueEntries));
        emitError(QStringLiteral("Unable to read the complete error queue (more than %1 entries)")
                      .arg(MaxErrorQueueEntries));
        return false;
    }
    return true;
}

bool ClsInstrControl::getStaticErrors(QMap<QString, QString> &mapErrors)
{
    emitInfo(QStringLiteral("Try to request pending static instrument errors"));
    QString strReply;
    if (!queryCmd(QStringLiteral("SYSTem:SERRor?"), strReply)) {
        mapErrors.clear();
        emitError(QStringLiteral("Unable to get static errors"));
        return false;
    }
    if (strReply.contains(QLatin1String("No error")))
        return true;
    QStringList lstEntries = strReply.split(QStringLiteral("\", "));
    for (QString &strEntry : lstEntries)
        strEntry.remove(QLatin1Char('"'));
    parseErrorEntries(lstEntries, mapErrors);
    return true;
}

// --- database access -------------------------------------------------------------------------

namespace {
double byPath(const double (&values)[2], qint32 intPath)
{
    return (intPath == 1 || intPath == 2) ? values[intPath - 1] : 0.0;
}
} // namespace

double ClsInstrControl::getRFFreqMin(const qint32 &intPath) const
{
    return byPath(database.rfFreqMin, intPath);
}

double ClsInstrControl::getRFFreqMax(const qint32 &intPath) const
{
    return byPath(database.rfFreqMax, intPath);
}

double ClsInstrControl::getRFLevelMin(const qint32 &intPath) const
{
    return byPath(database.rfLevelMin, intPath);
}

double ClsInstrControl::getRFLevelMax(const qint32 &intPath) const
{
    return byPath(database.rfLevelMax, intPath);
}

double ClsInstrControl::getCDMRampLimit(const qint32 &intIndex) const
{
    return (intIndex >= 0 && intIndex <= 7) ? database.cdmRampLimits[intIndex] : 0.0;
}

QStringList ClsInstrControl::getDigStdIntList(const qint32 &intPath) const
{
    return intPath == 1 ? database.digStdIntA : (intPath == 2 ? database.digStdIntB : QStringList());
}

QStringList ClsInstrControl::getDigStdExtList(const qint32 &intPath) const
{
    return intPath == 1 ? database.digStdExtA : (intPath == 2 ? database.digStdExtB : QStringList());
}

// --- mass memory -----------------------------------------------------------------------------

QString ClsInstrControl::getDirectory(const qint32 &intKind) const
{
    switch (intKind) {
    case 2:
        return rootDir + dataListDir;
    case 3:
        return rootDir + controlListDir;
    case 4:
        return rootDir + mappingDir;
    case 5:
        return rootDir + filterDir;
    default:
        return rootDir;
    }
}

QString ClsInstrControl::getFullDirectory(const qint32 &intKind) const
{
    return drive + getDirectory(intKind);
}

bool ClsInstrControl::createDirectory(const QString &strParent, const QString &strSub)
{
    QString strHead = strParent;
    QString strTail = strSub;
    for (QString *strPart : {&strHead, &strTail}) {
        strPart->replace(QLatin1Char('/'), pathSeparator);
        strPart->replace(QLatin1Char('\\'), pathSeparator);
    }
    while (strHead.endsWith(pathSeparator))
        strHead.chop(1);
    while (strTail.startsWith(pathSeparator))
        strTail.remove(0, 1);
    const QString strDir = strHead + pathSeparator + strTail;
    if (strDir.size() < 2)
        return false;
    if (!ScpiText::isSendable(strDir)) {
        Tracer::traceError(QStringLiteral("CINSCT  : Directory name holds characters that cannot be sent!"));
        emitError(QStringLiteral("Unable to create directory"));
        return false;
    }
    emitInfo(QStringLiteral("Create directory: %1").arg(strDir));
    if (writeCmd(QStringLiteral(":MMEM:MDIR '%1'").arg(quoteBody(strDir))))
        return true;
    emitError(QStringLiteral("Unable to create directory"));
    return false;
}

bool ClsInstrControl::uploadDataList(const QString &strLocalDir, const QString &strFileName)
{
    return uploadListFile(strLocalDir, strFileName, dataListDir, QStringLiteral("data list"));
}

bool ClsInstrControl::uploadControlList(const QString &strLocalDir, const QString &strFileName)
{
    return uploadListFile(strLocalDir, strFileName, controlListDir, QStringLiteral("control list"));
}

bool ClsInstrControl::uploadListFile(const QString &strLocalDir, const QString &strFileName,
                                     const QString &strSubDir, const QString &strKindText)
{
    const QString strBase = drive + getDirectory(1);
    createDirectory(strBase, strSubDir);
    emitInfo(QStringLiteral("Upload %1 file '%2' to instrument directory: ").arg(strKindText, strFileName) +
             strBase + strSubDir);
    // The folder may come with or without its closing separator.
    QString strLocal = strLocalDir;
    if (!strLocal.isEmpty() && !strLocal.endsWith(QLatin1Char('/')) && !strLocal.endsWith(QLatin1Char('\\')))
        strLocal += QLatin1Char('/');
    if (uploadFile(strLocal + strFileName, strBase + strSubDir + pathSeparator + strFileName))
        return true;
    emitError(QStringLiteral("Unable to upload %1 file '%2' to instrument").arg(strKindText, strFileName));
    return false;
}

bool ClsInstrControl::uploadFile(const QString &strLocalPath, const QString &strTargetPath)
{
    if (strLocalPath.isEmpty() || strTargetPath.isEmpty()) {
        Tracer::traceError(QStringLiteral("CINSCT  : File descriptors are unsufficiant!"));
        return false;
    }
    if (!ScpiText::isSendable(strTargetPath)) {
        Tracer::traceError(
            QStringLiteral("CINSCT  : Target file name holds characters that cannot be sent!"));
        return false;
    }
    // The local file is made sure of before the instrument is touched: the user may agree to
    // delete the instrument's copy, and a file that cannot be sent must not cost it.
    QFile file(strLocalPath);
    if (!file.open(QIODevice::ReadOnly)) {
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to open local file!"));
        return false;
    }
    const qint64 i64Size = file.size();
    if (i64Size <= 0) {
        Tracer::traceError(QStringLiteral("CINSCT  : Local file is empty!"));
        return false;
    }

    QString strDrive, strDir, strFileName, strBaseName, strExt;
    splitPath(strTargetPath, strDrive, strDir, strFileName, strBaseName, strExt);
    const QList<FileCatalogEntry> lstEntries = getDetailedCatalog(strDrive, strDir, QStringLiteral("*.*"));
    for (const FileCatalogEntry &entry : lstEntries) {
        if (entry.type != QLatin1String("DIR") && entry.name == strFileName) {
            // The user was asked whether the file may go: a No keeps it, so nothing is sent.
            if (deleteFile(strTargetPath, true) == DeleteDeclined) {
                Tracer::traceError(QStringLiteral("CINSCT  : Upload cancelled, file kept on instrument!"));
                return false;
            }
            break;
        }
    }

    const QString strInterface = visa->getInterfaceName();
    const bool bolGpib = strInterface.contains(QLatin1String("GPIB"));
    if (bolGpib)
        setGpibTermination(true);
    bool bolSavedEnd = true;
    visa->getSendEnd(bolSavedEnd);
    visa->setSendEnd(false);

    const bool bolOk = sendFileBlocks(file, i64Size, strTargetPath, strInterface, bolSavedEnd);

    visa->setSendEnd(bolSavedEnd);
    if (bolGpib)
        setGpibTermination(false);
    return bolOk && confirmStored(strTargetPath, i64Size);
}

bool ClsInstrControl::confirmStored(const QString &strTargetPath, qint64 i64Size)
{
    // A raw socket or HiSLIP write is done once the bytes are in the local send buffer: an
    // instrument that dropped the link half-way leaves every write looking good. Only the
    // instrument's own catalog tells whether the whole file arrived.
    QString strDrive, strDir, strFileName, strBaseName, strExt;
    splitPath(strTargetPath, strDrive, strDir, strFileName, strBaseName, strExt);
    qint64 i64Stored = -1;
    for (const FileCatalogEntry &entry : getDetailedCatalog(strDrive, strDir, QStringLiteral("*.*"))) {
        if (entry.type != QLatin1String("DIR") && entry.name == strFileName)
            i64Stored = entry.size;
    }
    if (i64Stored == i64Size)
        return true;
    if (i64Stored < 0) {
        Tracer::traceError(QStringLiteral("CINSCT  : File not found on instrument after the transfer!"));
        return false;
    }
    Tracer::traceError(
        QStringLiteral("CINSCT  : File on instrument holds %1 of %2 bytes!").arg(i64Stored).arg(i64Size));
    deleteFile(strTargetPath, false);
    return false;
}

bool ClsInstrControl::sendFileBlocks(QFile &file, qint64 i64Size, const QString &strTargetPath,
                                     const QString &strInterfaceName, bool bolSavedEnd)
{
    const QString strCount = QString::number(i64Size);
    const QString strHeader =
        i64Size < 1000000000LL
            ? QStringLiteral(":MMEM:DATA '%1',#%2%3")
                  .arg(quoteBody(strTargetPath))
                  .arg(strCount.size())
                  .arg(strCount)
            : QStringLiteral(":MMEM:DATA '%1',#(%2)").arg(quoteBody(strTargetPath), strCount);
    const QByteArray baHeader = strHeader.toLatin1();
    quint32 u32Count = static_cast<quint32>(baHeader.size());
    stopWatch->start();
    const bool bolHeaderOk =
        visa->writeData(baHeader.constData(), u32Count) && u32Count == static_cast<quint32>(baHeader.size());
    lastCmdDuration = stopWatch->elapsedMs();
    if (!bolHeaderOk) {
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to sent file header to instrument!"));
        resetInterface(bolSavedEnd, strInterfaceName);
        return false;
    }

    std::array<char, UploadChunkSize> buffer;
    qint64 i64Sent = 0;
    QString strFailure;
    while (i64Sent < i64Size && strFailure.isEmpty()) {
        const qint64 i64Chunk = qMin<qint64>(UploadChunkSize, i64Size - i64Sent);
        if (i64Size - i64Sent <= UploadChunkSize)
            visa->setSendEnd(true);
        if (file.read(buffer.data(), i64Chunk) != i64Chunk) {
            strFailure = QStringLiteral(
                "CINSCT  : Unable to sent data block to instrument (transmit byte count mismatch)!");
            break;
        }
        keepWindowAlive();
        u32Count = static_cast<quint32>(i64Chunk);
        if (!visa->writeData(buffer.data(), u32Count))
            strFailure = QStringLiteral("CINSCT  : Unable to sent data block to instrument (write error)!");
        else if (u32Count != static_cast<quint32>(i64Chunk))
            strFailure = QStringLiteral(
                "CINSCT  : Unable to sent data block to instrument (receive byte count mismatch)!");
        i64Sent += u32Count;
        if (transferProgress && strFailure.isEmpty())
            transferProgress(i64Sent, i64Size);
    }
    // A raw socket has no END: the instrument takes the line feed after the block as the end of
    // the message. Without it the next command would be read as part of this one.
    if (strFailure.isEmpty() && visa->isSocketMode()) {
        const char chLineFeed = '\n';
        u32Count = 1;
        if (!visa->writeData(&chLineFeed, u32Count) || u32Count != 1)
            strFailure = QStringLiteral("CINSCT  : Unable to sent data block to instrument (write error)!");
    }
    lastCmdDuration = stopWatch->elapsedMs();
    if (strFailure.isEmpty())
        return true;

    Tracer::traceError(strFailure);
    if (visa->isSocketMode())
        leaveSocketBlock(i64Size - i64Sent);
    resetInterface(bolSavedEnd, strInterfaceName);
    deleteFile(strTargetPath, false);
    return false;
}

void ClsInstrControl::leaveSocketBlock(qint64 i64Unsent)
{
    // Over a raw socket nothing but the announced byte count ends a definite-length block: the
    // instrument would swallow the recovery sequence and every later command as block data.
    // Filling the block up to its length and ending the message lets the instrument read on;
    // the filler it stores is the partial file that the recovery deletes.
    const std::array<char, UploadChunkSize> filler{};
    bool bolOk = true;
    while (bolOk && i64Unsent > 0) {
        quint32 u32Count = static_cast<quint32>(qMin<qint64>(UploadChunkSize, i64Unsent));
        bolOk = visa->writeData(filler.data(), u32Count) && u32Count > 0;
        i64Unsent -= u32Count;
        keepWindowAlive();
    }
    const char chLineFeed = '\n';
    quint32 u32Count = 1;
    if (bolOk && visa->writeData(&chLineFeed, u32Count) && u32Count == 1)
        return;
    // The link does not take the rest: only a new connection starts the instrument's input afresh.
    visa->closeSession();
    if (visa->openSession(resource, true))
        Tracer::traceDebug(QStringLiteral("CINSCT  : Instrument session reopened after a broken block"));
    else
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to reopen instrument session %1").arg(resource));
}

QStringList ClsInstrControl::splitCatalogReply(const QString &strReply)
{
    // "used,free,"name,type,size","name,type,size",...: an empty folder has no quote at all.
    const int intQuote = strReply.indexOf(QLatin1Char('"'));
    if (intQuote < 0)
        return QStringList();
    const QString strRest = intQuote > 0 ? strReply.mid(intQuote + 1) : strReply;
    QStringList lstParts = strRest.split(QStringLiteral("\",\""));
    for (QString &strPart : lstParts)
        strPart.remove(QLatin1Char('"'));
    return lstParts;
}

QStringList ClsInstrControl::getFileCatalog(const QString &strDrive, const QString &strDir,
                                            const QString &strExt)
{
    QString strReply;
    const QString strPattern = strDrive + strDir + QStringLiteral("*.") + strExt;
    if (!ScpiText::isSendable(strPattern) ||
        !queryCmd(QStringLiteral(":MMEM:CAT? '%1'").arg(quoteBody(strPattern)), strReply)) {
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to request file catalog!"));
        return QStringList();
    }
    QStringList lstNames;
    for (const QString &strPart : splitCatalogReply(strReply)) {
        QStringList lstFields = strPart.split(QLatin1Char(','));
        if (lstFields.size() < 3)
            continue;
        lstFields.removeLast();
        lstFields.removeLast();
        lstNames.append(lstFields.join(QLatin1Char(',')));
    }
    return lstNames;
}

QList<FileCatalogEntry> ClsInstrControl::getDetailedCatalog(const QString &strDrive, const QString &strDir,
                                                            const QString &strPattern)
{
    QString strReply;
    const QString strFull = strDrive + strDir + strPattern;
    if (!ScpiText::isSendable(strFull) ||
        !queryCmd(QStringLiteral(":MMEM:CAT? '%1'").arg(quoteBody(strFull)), strReply)) {
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to request detailed file catalog!"));
        return QList<FileCatalogEntry>();
    }
    QList<FileCatalogEntry> lstEntries;
    for (const QString &strPart : splitCatalogReply(strReply)) {
        QStringList lstFields = strPart.split(QLatin1Char(','));
        if (lstFields.size() < 3)
            continue;
        FileCatalogEntry entry;
        entry.size = lstFields.takeLast().trimmed().toLongLong();
        entry.type = lstFields.takeLast();
        entry.name = lstFields.join(QLatin1Char(','));
        lstEntries.append(entry);
    }
    return lstEntries;
}

QStringList ClsInstrControl::getDefaultDirCatalog(const qint32 &intKind)
{
    setDefaultDirectory(intKind);
    QString strReply;
    if (!queryCmd(QStringLiteral("MMEMory:DCATalog?"), strReply)) {
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to get default directory catalog!"));
        return QStringList();
    }
    strReply.remove(QLatin1Char('"'));
    // An empty folder answers an empty text, which names no directory.
    return strReply.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

ClsInstrControl::EnuDeleteResult ClsInstrControl::deleteFile(const QString &strPath, bool bolAskUser)
{
    Tracer::traceDebug(QStringLiteral("CVISCT  : Deleting file: %1...").arg(strPath));
    QString strDrive, strDir, strFileName, strBaseName, strExt;
    splitPath(strPath, strDrive, strDir, strFileName, strBaseName, strExt);
    if (!getFileCatalog(strDrive, strDir, strExt).contains(strFileName))
        return DeleteNotFound;
    if (bolAskUser) {
        const ConfirmHandler handler = confirmHandler();
        const bool bolYes =
            handler && handler(QStringLiteral("WARNING"),
                               QStringLiteral("File (%1) exists on instrument. Delete it?").arg(strPath));
        if (!bolYes)
            return DeleteDeclined;
    }
    if (writeCmd(QStringLiteral("MMEM:DEL '%1'; *OPC?").arg(quoteBody(strPath))))
        return DeleteDone;
    Tracer::traceError(QStringLiteral("CVISCT  : Unable to delete file: %1").arg(strPath));
    return DeleteFailed;
}

bool ClsInstrControl::setGpibTermination(bool bolEoi)
{
    const QString strMode = bolEoi ? QStringLiteral("EOI") : QStringLiteral("STANdard");
    if (writeCmd(QStringLiteral(":SYST:COMM:GPIB:LTER %1").arg(strMode)))
        return true;
    Tracer::traceError(QStringLiteral("CINSCT  : Unable to set termination recognition!"));
    return false;
}

bool ClsInstrControl::resetInterface(bool bolSendEnd, const QString &strInterfaceName)
{
    visa->setSendEnd(true);
    const char chBlank = ' ';
    quint32 u32Count = 1;
    if (!visa->writeData(&chBlank, u32Count)) {
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to write dummy byte to instrument!"));
        return false;
    }
    visa->clearDevice();
    if (!writeCmd(QStringLiteral("*CLS"))) {
        Tracer::traceError(QStringLiteral("CINSCT  : Unable to clear instrument status!"));
        return false;
    }
    visa->setSendEnd(bolSendEnd);
    if (strInterfaceName.contains(QLatin1String("GPIB")))
        setGpibTermination(false);
    return true;
}

void ClsInstrControl::splitPath(const QString &strPath, QString &strDrive, QString &strDir,
                                QString &strFileName, QString &strBaseName, QString &strExt) const
{
    strDrive.clear();
    strDir.clear();
    strFileName.clear();
    strBaseName.clear();
    strExt.clear();
    QString strRest = strPath;
    if (strRest.size() > 1 && strRest.at(1) == QLatin1Char(':')) {
        strDrive = strRest.left(2);
        strRest.remove(0, 2);
    }
    const int intSep = strRest.lastIndexOf(pathSeparator);
    strDir = strRest.left(intSep + 1);
    strFileName = strRest.mid(intSep + 1);
    const int intDot = strFileName.lastIndexOf(QLatin1Char('.'));
    if (intDot > 0) {
        strExt = strFileName.mid(intDot + 1);
        strBaseName = strFileName.left(intDot);
    }
}
