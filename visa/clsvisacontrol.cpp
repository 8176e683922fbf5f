#include "visa/clsvisacontrol.h"

#include "app/tracer.h"
#include "visa/tcpipprobe.h"
#include "visa/visalibrary.h"
#include "visa/visaresource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QRecursiveMutex>

#include <atomic>
#include <new>

using namespace Visa;

namespace {

// State shared by every instance of the process. The mutex is recursive so that a field update
// made under it can never dead-lock against an outer lock taken by the same thread.
struct SharedState
{
    QRecursiveMutex mutex;
    ViSession resourceManager = 0;
    QList<ClsVisaControl *> pool;
};

// The session time-out: one setting for the whole process, read when a session is configured.
std::atomic<int> ioTimeout{ClsVisaControl::DefaultTimeoutMs};

SharedState &shared()
{
    // Deliberately never destroyed: instances owned by static objects may still leave the pool
    // during static destruction.
    static SharedState *state = new SharedState;
    return *state;
}

constexpr quint32 ReadChunk = 8191;
constexpr quint32 ReadBufferSize = 8192;
constexpr quint32 WriteBufferSize = 2048;
constexpr ViAttrState LineFeed = 10;
constexpr int ReplyTraceLength = 80;

void processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void traceDebug(const QString &strText)
{
    Tracer::traceDebug(QStringLiteral("CVISCT  : ") + strText);
}

void traceError(const QString &strText)
{
    Tracer::traceError(QStringLiteral("CVISCT  : ") + strText);
}

QString statusText(ViStatus status)
{
    return ClsVisaLibrary::statusText(status);
}

} // namespace

ClsVisaControl::ClsVisaControl() : ClsVisaControl(true) {}

ClsVisaControl::ClsVisaControl(bool bolLoadVisa)
{
    reset();
    SharedState &state = shared();
    QMutexLocker locker(&state.mutex);
    if (state.pool.isEmpty()) {
        if (!bolLoadVisa) {
            traceDebug(
                QStringLiteral("Upon user request no VISA lib loaded and thus no VISA session opened"));
        } else {
            QString strReason;
            if (!ClsVisaLibrary::load(strReason)) {
                // The loader's own reason helps a user who pointed at the wrong file.
                traceDebug(QStringLiteral("VISA library not loaded: %1").arg(strReason));
                m_lastError = QStringLiteral("Unable to load VISA library!");
            } else {
                const auto viOpenDefaultRM = ClsVisaLibrary::resolve<FnViOpenDefaultRM>("viOpenDefaultRM");
                const auto viStatusDesc = ClsVisaLibrary::resolve<FnViStatusDesc>("viStatusDesc");
                if (!viOpenDefaultRM || !viStatusDesc) {
                    m_lastError = QStringLiteral("Unable to resolve VISA library function(s)!");
                } else {
                    ViSession rm = 0;
                    const ViStatus status = viOpenDefaultRM(&rm);
                    if (status == VI_SUCCESS && rm != 0) {
                        state.resourceManager = rm;
                        traceDebug(QStringLiteral("VISA session opened"));
                    } else {
                        state.resourceManager = 0;
                        m_lastError =
                            QStringLiteral("Unable to open VISA session: %1!").arg(statusText(status));
                    }
                }
            }
        }
    }
    state.pool.append(this);
    traceDebug(QStringLiteral("VISA Control instance added to pool (%1 current instance(es))")
                   .arg(state.pool.size()));
}

ClsVisaControl::~ClsVisaControl()
{
    if (m_sessionOpen && !closeSession())
        traceError(QStringLiteral("Unable to close instrument session!"));

    SharedState &state = shared();
    QMutexLocker locker(&state.mutex);
    if (state.pool.removeOne(this))
        traceDebug(QStringLiteral("VISA Control instance removed from pool (%1 remaining instance(es))")
                       .arg(state.pool.size()));
    if (state.pool.isEmpty() && ClsVisaLibrary::isLoaded() && state.resourceManager != 0) {
        const auto viClose = ClsVisaLibrary::resolve<FnViClose>("viClose");
        if (viClose) {
            const ViStatus status = viClose(state.resourceManager);
            if (status == VI_SUCCESS)
                traceDebug(QStringLiteral("VISA session closed"));
            else
                traceError(QStringLiteral("Unable to close VISA session (VISA status: %1)!")
                               .arg(statusText(status)));
            state.resourceManager = 0;
        }
    }
}

int ClsVisaControl::poolSize()
{
    SharedState &state = shared();
    QMutexLocker locker(&state.mutex);
    return state.pool.size();
}

bool ClsVisaControl::isResourceManagerOpen()
{
    SharedState &state = shared();
    QMutexLocker locker(&state.mutex);
    return state.resourceManager != 0;
}

void ClsVisaControl::reset()
{
    // Other threads read the identity of pool members in isInstrSessionOpen.
    QMutexLocker locker(&shared().mutex);
    m_session = 0;
    m_sessionOpen = false;
    m_socketMode = false;
    m_resource.clear();
    m_idnReply.clear();
    m_instrType.clear();
    m_manufacturer.clear();
    m_serialNumber.clear();
    m_firmware.clear();
    m_lastError.clear();
}

QString ClsVisaControl::takeLastError()
{
    QString strError;
    strError.swap(m_lastError);
    return strError;
}

QString ClsVisaControl::getInterfaceName() const
{
    return VisaResource::interfaceName(m_resource);
}

bool ClsVisaControl::isInstrSessionOpen(const QString &strType, const QString &strSerial) const
{
    if (strType.isEmpty() || strSerial.isEmpty())
        return false;
    SharedState &state = shared();
    QMutexLocker locker(&state.mutex);
    bool bolOpen = false;
    for (const ClsVisaControl *member : qAsConst(state.pool)) {
        if (member != this && member->m_instrType == strType && member->m_serialNumber == strSerial)
            bolOpen = member->m_sessionOpen;
    }
    return bolOpen;
}

bool ClsVisaControl::openSession(const QString &strResource, bool bolMakerOnly)
{
    if (m_sessionOpen) {
        traceError(QStringLiteral("Unable to open instrument session '%1' since it is already open!")
                       .arg(m_resource));
        return false;
    }
    traceDebug(QStringLiteral("Try to open instrument session with '%1'....").arg(strResource));
    const auto viOpen = ClsVisaLibrary::resolve<FnViOpen>("viOpen");
    if (!viOpen)
        return false;
    reset();

    if (!testTcpipResource(strResource)) {
        traceError(QStringLiteral("Unable to open TCPIP based instrument session '%1'!").arg(strResource));
        return false;
    }

    {
        SharedState &state = shared();
        QMutexLocker locker(&state.mutex);
        ViStatus status = VI_ERROR_LIBRARY_NFOUND;
        ViSession session = 0;
        if (state.resourceManager != 0)
            status =
                viOpen(state.resourceManager, strResource.toLatin1().constData(), VI_NO_LOCK, 0, &session);
        if (status != VI_SUCCESS) {
            m_session = 0;
            traceError(QStringLiteral("Unable to open instrument session (VISA status: %1)!")
                           .arg(statusText(status)));
            traceError(QStringLiteral("Check used resource string and/or VISA libraray installation"));
            return false;
        }
        m_session = session;
        m_sessionOpen = true;
    }
    traceDebug(QStringLiteral("Instrument session opened. Configuring interface..."));
    processPendingEvents();

    if (!configureSession()) {
        traceError(QStringLiteral("Unable to set attributes of instrument session '%1'!").arg(strResource));
        closeSession();
        return false;
    }

    m_resource = strResource;
    if (!identifyInstrument()) {
        traceError(QStringLiteral("Unable to get basic instrument parameters '%1'!").arg(strResource));
        closeSession();
        return false;
    }

    if (m_manufacturer.toUpper().contains(QLatin1String("TARVIK"))) {
        traceDebug(QStringLiteral("Tarvik instrument %1-%2 connected").arg(m_instrType, m_serialNumber));
        return true;
    }
    if (bolMakerOnly) {
        traceError(QStringLiteral("Only Tarvik instruments must be connected, %1 is from %2!")
                       .arg(m_instrType, m_manufacturer));
        closeSession();
        return false;
    }
    traceDebug(QStringLiteral("None Tarvik instrument %1-%2 connected").arg(m_manufacturer, m_instrType));
    return true;
}

bool ClsVisaControl::testTcpipResource(const QString &strResource)
{
    const VisaResource::TcpipTarget target = VisaResource::parseTcpip(strResource);
    if (!target.isTcpip)
        return true;
    if (target.host.isEmpty()) {
        traceError(QStringLiteral("No host name specified in VISA resource %1!").arg(strResource));
        return false;
    }
    if (target.socketMode) {
        m_socketMode = true;
        if (!target.portValid) {
            // Testing (and opening) port 0 can never succeed, so such a resource is refused before
            // any network traffic, with the reason spelled out.
            traceError(
                QStringLiteral("No socket port number specified in VISA resource %1!").arg(strResource));
            return false;
        }
        traceDebug(QStringLiteral("Socket port number '%1' determined").arg(target.port));
    } else if (target.hislip) {
        if (!target.portValid) {
            traceError(QStringLiteral("Invalid HiSLIP port number in VISA resource %1!").arg(strResource));
            return false;
        }
        traceDebug(QStringLiteral("HiSLIP port number '%1' determined").arg(target.port));
    } else {
        traceDebug(QStringLiteral("VXI-11 port number '%1' determined").arg(target.port));
    }

    traceDebug(QStringLiteral("Resolving host name '%1'.....").arg(target.host));
    processPendingEvents();
    const QString strAddress = TcpipProbe::resolveHost(target.host);
    if (strAddress.isEmpty())
        return false;
    traceDebug(QStringLiteral("IP address '%1' determined").arg(strAddress));

    if (!TcpipProbe::testSocketConnection(strAddress, target.port)) {
        traceError(QStringLiteral("Connection %1:%2 test failed!").arg(strAddress).arg(target.port));
        return false;
    }
    traceDebug(QStringLiteral("Connection %1:%2 test passed").arg(strAddress).arg(target.port));
    return true;
}

ViStatus ClsVisaControl::setAttribute(ViAttr attr, ViAttrState value)
{
    const auto viSetAttribute = ClsVisaLibrary::resolve<FnViSetAttribute>("viSetAttribute");
    return viSetAttribute ? viSetAttribute(m_session, attr, value) : VI_ERROR_LIBRARY_NFOUND;
}

bool ClsVisaControl::setBuffer(quint16 mask, quint32 size)
{
    const auto viSetBuf = ClsVisaLibrary::resolve<FnViSetBuf>("viSetBuf");
    if (!viSetBuf)
        return false;
    const ViStatus status = viSetBuf(m_session, mask, size);
    if (status != VI_SUCCESS) {
        traceError(QStringLiteral("Unable to set the VISA '%1' buffer size to: %2byte (VISA status: %3)!")
                       .arg(mask)
                       .arg(size)
                       .arg(statusText(status)));
        return false;
    }
    traceDebug(QStringLiteral("VISA '%1' buffer size set to: %2byte").arg(mask).arg(size));
    return true;
}

bool ClsVisaControl::setBufferMode(ViAttr attr, quint16 mode)
{
    const ViStatus status = setAttribute(attr, mode);
    if (status != VI_SUCCESS) {
        traceError(
            QStringLiteral("Unable to set the VISA '%1' buffer operating mode to: %2 (VISA status: %3)!")
                .arg(attr)
                .arg(mode)
                .arg(statusText(status)));
        return false;
    }
    traceDebug(QStringLiteral("VISA '%1' buffer operating mode set to: %2").arg(attr).arg(mode));
    return true;
}

void ClsVisaControl::setIoTimeoutMs(int intMs)
{
    ioTimeout.store(intMs > 0 ? intMs : DefaultTimeoutMs);
}

int ClsVisaControl::ioTimeoutMs()
{
    return ioTimeout.load();
}

bool ClsVisaControl::configureSession()
{
    if (!ClsVisaLibrary::resolve<FnViSetAttribute>("viSetAttribute") ||
        !ClsVisaLibrary::resolve<FnViSetBuf>("viSetBuf"))
        return false;
    // Every step is attempted so that the trace shows all that went wrong, not just the first.
    bool bolOk = true;
    const int intTimeoutMs = ioTimeout.load();
    ViStatus status = setAttribute(VI_ATTR_TMO_VALUE, ViAttrState(intTimeoutMs));
    if (status == VI_SUCCESS) {
        traceDebug(QStringLiteral("VISA time-out set to: %1ms").arg(intTimeoutMs));
    } else {
        traceError(QStringLiteral("Unable to set the VISA time-out to: %1ms (VISA status: %2)!")
                       .arg(intTimeoutMs)
                       .arg(statusText(status)));
        bolOk = false;
    }
    bolOk = setBuffer(VI_READ_BUF, ReadBufferSize) && bolOk;
    bolOk = setBufferMode(VI_ATTR_RD_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS) && bolOk;
    bolOk = setBuffer(VI_WRITE_BUF, WriteBufferSize) && bolOk;
    bolOk = setBufferMode(VI_ATTR_WR_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS) && bolOk;

    if (m_socketMode) {
        status = setAttribute(VI_ATTR_TERMCHAR, LineFeed);
        if (status == VI_SUCCESS) {
            traceDebug(QStringLiteral("VISA termination character set to: %1").arg(LineFeed));
        } else {
            traceError(
                QStringLiteral("Unable to set the VISA termination character to: %1 (VISA status: %2)!")
                    .arg(LineFeed)
                    .arg(statusText(status)));
            bolOk = false;
        }
        status = setAttribute(VI_ATTR_TERMCHAR_EN, 1);
        if (status == VI_SUCCESS) {
            traceDebug(QStringLiteral("VISA termination character %1").arg(QStringLiteral("enabled")));
        } else {
            traceError(
                QStringLiteral("Unable to enable/disable VISA termination character (VISA status: %1)!")
                    .arg(statusText(status)));
            bolOk = false;
        }
    }
    return bolOk;
}

bool ClsVisaControl::identifyInstrument()
{
    if (!writeCommand(QStringLiteral("*CLS"), false)) {
        traceError(QStringLiteral("Unable to clear instrument registers/queues!"));
        return false;
    }
    traceDebug(QStringLiteral("Instrument registers/queues cleared"));

    QString strReply;
    if (!queryCommand(QStringLiteral("*IDN?"), strReply, false)) {
        traceError(QStringLiteral("Unable to request instrument identification!"));
        return false;
    }
    traceDebug(QStringLiteral("Instrument identification received"));

    const InstrIdent::Identity identity = InstrIdent::parseIdn(strReply);
    QMutexLocker locker(&shared().mutex);
    m_idnReply = strReply;
    m_manufacturer = identity.manufacturer;
    m_instrType = identity.instrType;
    m_serialNumber = identity.serialNumber;
    m_firmware = identity.firmware;
    return true;
}

bool ClsVisaControl::closeSession()
{
    if (!m_sessionOpen)
        return true;
    const auto viGpibControlREN = ClsVisaLibrary::resolve<FnViGpibControlREN>("viGpibControlREN");
    const auto viClear = ClsVisaLibrary::resolve<FnViClear>("viClear");
    const auto viClose = ClsVisaLibrary::resolve<FnViClose>("viClose");
    if (!viGpibControlREN || !viClear || !viClose)
        return false;

    if (interfaceType() == VI_INTF_GPIB) {
        const ViStatus status = viGpibControlREN(m_session, VI_GPIB_REN_DEASSERT_GTL);
        if (status == VI_SUCCESS)
            traceDebug(QStringLiteral("Instrument reset to local mode"));
        else
            traceError(QStringLiteral("Unable to reset instrument to local mode (VISA status: %1)!")
                           .arg(statusText(status)));
    }
    ViStatus status = viClear(m_session);
    if (status == VI_SUCCESS)
        traceDebug(QStringLiteral("Instrument I/O buffers cleared"));
    else
        traceError(QStringLiteral("Unable to clear instrument I/O buffers (VISA status: %1)!")
                       .arg(statusText(status)));

    status = viClose(m_session);
    const bool bolOk = status == VI_SUCCESS;
    if (bolOk)
        traceDebug(QStringLiteral("Session with instrument '%1%2' closed").arg(m_instrType, m_serialNumber));
    else
        traceError(QStringLiteral("Unable to close session with instrument '%1%2' (VISA status: %3)!")
                       .arg(m_instrType, m_serialNumber, statusText(status)));
    reset();
    return bolOk;
}

bool ClsVisaControl::clearDevice()
{
    const auto viClear = ClsVisaLibrary::resolve<FnViClear>("viClear");
    if (!viClear)
        return false;
    const ViStatus status = viClear(m_session);
    if (status != VI_SUCCESS) {
        traceError(QStringLiteral("Unable to clear instrument I/O buffers (VISA status: %1)!")
                       .arg(statusText(status)));
        return false;
    }
    traceDebug(QStringLiteral("Instrument I/O buffers cleared"));
    return true;
}

quint16 ClsVisaControl::interfaceType()
{
    const auto viGetAttribute = ClsVisaLibrary::resolve<FnViGetAttribute>("viGetAttribute");
    if (!viGetAttribute)
        return 0;
    quint16 intType = 0;
    const ViStatus status = viGetAttribute(m_session, VI_ATTR_INTF_TYPE, &intType);
    if (status != VI_SUCCESS) {
        traceError(QStringLiteral("Unable to get the VISA interface type attribute (VISA status: %1)!")
                       .arg(statusText(status)));
        return 0;
    }
    traceDebug(QStringLiteral("Got VISA interface type attribute: %1")
                   .arg(VisaResource::interfaceTypeName(intType)));
    return intType;
}

bool ClsVisaControl::sendText(const QString &strCmd, bool bolTrace, const QString &strNoCmdMsg,
                              const QString &strSentMsg)
{
    const auto viRead = ClsVisaLibrary::resolve<FnViRead>("viRead");
    const auto viWrite = ClsVisaLibrary::resolve<FnViWrite>("viWrite");
    if (!viRead || !viWrite)
        return false;
    if (strCmd.isEmpty()) {
        traceError(strNoCmdMsg);
        return false;
    }
    if (bolTrace)
        traceDebug(strSentMsg.arg(strCmd));

    QByteArray baCmd = strCmd.toLatin1();
    if (m_socketMode && !baCmd.endsWith('\n'))
        baCmd.append('\n');
    quint32 u32Written = 0;
    const ViStatus status = viWrite(m_session, reinterpret_cast<const unsigned char *>(baCmd.constData()),
                                    static_cast<quint32>(baCmd.size()), &u32Written);
    if (status != VI_SUCCESS) {
        traceError(QStringLiteral("Unable to write command (%1) to instrument! (VISA status: %2)!")
                       .arg(strCmd, statusText(status)));
        return false;
    }
    return true;
}

bool ClsVisaControl::readReply(QString &strReply, ViStatus &status, bool &bolReported)
{
    bolReported = false;
    const auto viRead = ClsVisaLibrary::resolve<FnViRead>("viRead");
    if (!viRead) {
        status = VI_ERROR_LIBRARY_NFOUND;
        return false;
    }
    // A reply that fills the whole chunk continues; reading it to its end keeps the rest from
    // being taken as the reply to the next query.
    QByteArray baReply;
    unsigned char buffer[ReadBufferSize];
    for (;;) {
        quint32 u32Read = 0;
        status = viRead(m_session, buffer, ReadChunk, &u32Read);
        if (status < VI_SUCCESS)
            return false;
        baReply.append(reinterpret_cast<const char *>(buffer), static_cast<int>(qMin(u32Read, ReadChunk)));
        if (status != VI_SUCCESS_MAX_CNT)
            break;
        if (baReply.size() >= MaxReplyBytes) {
            bolReported = true;
            traceError(
                QStringLiteral("Reply from instrument longer than %1 bytes discarded!").arg(MaxReplyBytes));
            if (!discardRestOfReply(buffer, status)) {
                traceError(QStringLiteral("Unable to read the end of the discarded reply (VISA status: %1)!")
                               .arg(statusText(status)));
            }
            return false;
        }
    }
    const int intNul = baReply.indexOf('\0');
    if (intNul >= 0)
        baReply.truncate(intNul);
    strReply = QString::fromLatin1(baReply).simplified();
    status = VI_SUCCESS;
    return true;
}

bool ClsVisaControl::discardRestOfReply(unsigned char *buffer, ViStatus &status)
{
    // A device clear empties the instrument's output queue, but on a raw socket it cannot reach
    // what is still on its way: read on to the end of the message (termination character or
    // END) and drop it, within a bound for a device that never stops talking.
    constexpr qint64 LongestDiscardMs = 60000;
    const auto viRead = ClsVisaLibrary::resolve<FnViRead>("viRead");
    QElapsedTimer timer;
    timer.start();
    bool bolEnded = false;
    while (!bolEnded && timer.elapsed() < LongestDiscardMs) {
        quint32 u32Read = 0;
        status = viRead(m_session, buffer, ReadChunk, &u32Read);
        if (status < VI_SUCCESS)
            break;
        bolEnded = status != VI_SUCCESS_MAX_CNT;
    }
    const auto viClear = ClsVisaLibrary::resolve<FnViClear>("viClear");
    if (viClear)
        viClear(m_session);
    if (!bolEnded && status >= VI_SUCCESS)
        status = VI_ERROR_TMO;
    return bolEnded;
}

bool ClsVisaControl::writeCommand(const QString &strCmd, bool bolTrace)
{
    if (!sendText(strCmd, bolTrace, QStringLiteral("No 'write' command provided!"),
                  QStringLiteral("Sent 'Write' command: %1")))
        return false;
    if (!strCmd.contains(QLatin1String("*OPC?")))
        return true;

    QString strAnswer;
    ViStatus status = VI_SUCCESS;
    bool bolReported = false;
    if (!readReply(strAnswer, status, bolReported)) {
        if (!bolReported)
            traceError(QStringLiteral("Unable to read OPC status from instrument! (VISA status: %2)!")
                           .arg(statusText(status)));
        return false;
    }
    bool bolNumber = false;
    if (strAnswer.toInt(&bolNumber, 10) != 1 || !bolNumber) {
        traceError(QStringLiteral("Received unexpected OPC (%1) status from instrument!").arg(strAnswer));
        return false;
    }
    return true;
}

bool ClsVisaControl::queryCommand(const QString &strCmd, QString &strReply, bool bolTrace)
{
    if (!sendText(strCmd, bolTrace, QStringLiteral("No 'read' command provided!"),
                  QStringLiteral("Sent 'Read' command: %1")))
        return false;
    ViStatus status = VI_SUCCESS;
    bool bolReported = false;
    if (!readReply(strReply, status, bolReported)) {
        if (!bolReported)
            traceError(QStringLiteral("Unable to read data from instrument (VISA status: %1)!")
                           .arg(statusText(status)));
        return false;
    }
    if (bolTrace) {
        if (strReply.size() > ReplyTraceLength)
            traceDebug(QStringLiteral("...received: %1...").arg(strReply.left(ReplyTraceLength)));
        else
            traceDebug(QStringLiteral("...received: %1").arg(strReply));
    }
    return true;
}

bool ClsVisaControl::writeData(const char *pData, quint32 &u32Count)
{
    const auto viWrite = ClsVisaLibrary::resolve<FnViWrite>("viWrite");
    if (!viWrite)
        return false;
    if (!pData && u32Count > 0) {
        traceError(QStringLiteral("No data provided to write to instrument!"));
        u32Count = 0;
        return false;
    }
    quint32 u32Written = 0;
    const ViStatus status =
        viWrite(m_session, reinterpret_cast<const unsigned char *>(pData), u32Count, &u32Written);
    // Never report more than was asked for, whatever the library returns.
    u32Count = qMin(u32Written, u32Count);
    if (status != VI_SUCCESS) {
        traceError(
            QStringLiteral("Unable to write data to instrument! (VISA status: %1)!").arg(statusText(status)));
        return false;
    }
    return true;
}

bool ClsVisaControl::setSendEnd(bool bolOn)
{
    if (!ClsVisaLibrary::resolve<FnViSetAttribute>("viSetAttribute"))
        return false;
    const ViStatus status = setAttribute(VI_ATTR_SEND_END_EN, bolOn ? 1 : 0);
    if (status != VI_SUCCESS) {
        traceError(QStringLiteral("Unable to set the VISA send END attribute to: %1 (VISA status: %2)!")
                       .arg(bolOn ? 1 : 0)
                       .arg(statusText(status)));
        return false;
    }
    traceDebug(QStringLiteral("VISA send END attribute set to: %1").arg(bolOn ? 1 : 0));
    return true;
}

bool ClsVisaControl::getSendEnd(bool &bolOn)
{
    const auto viGetAttribute = ClsVisaLibrary::resolve<FnViGetAttribute>("viGetAttribute");
    if (!viGetAttribute)
        return false;
    quint16 value = 0;
    const ViStatus status = viGetAttribute(m_session, VI_ATTR_SEND_END_EN, &value);
    if (status != VI_SUCCESS) {
        traceError(QStringLiteral("Unable to get VISA send END attribute (VISA status: %1)!")
                       .arg(statusText(status)));
        return false;
    }
    bolOn = value == 1;
    traceDebug(QStringLiteral("Got VISA send END attribute: %1").arg(value));
    return true;
}

bool ClsVisaControl::scanInterface(int intKind, QList<InstrRecord> &lstFound)
{
    QString strExpression;
    switch (intKind) {
    case VisaFindGpib:
        strExpression = QStringLiteral("GPIB?*INSTR");
        traceDebug(QStringLiteral("Scanning GPIB interface for instruments..."));
        break;
    case VisaFindUsb:
        strExpression = VisaResource::usbSearchExpression(VisaResource::TarvikUsbVendorId);
        traceDebug(QStringLiteral("Scanning USB interface for instruments..."));
        break;
    default:
        traceError(QStringLiteral("Interface type '%1' is not supported by instrument search").arg(intKind));
        traceError(QStringLiteral("Unable to search interface type '%1' for instruments").arg(intKind));
        return false;
    }
    if (!findResources(lstFound, strExpression)) {
        traceError(QStringLiteral("Unable to search for '%1' instruments on interface type '%2'")
                       .arg(strExpression)
                       .arg(intKind));
        return false;
    }
    return true;
}

bool ClsVisaControl::findResources(QList<InstrRecord> &lstFound, const QString &strExpression)
{
    const auto viFindRsrc = ClsVisaLibrary::resolve<FnViFindRsrc>("viFindRsrc");
    const auto viFindNext = ClsVisaLibrary::resolve<FnViFindNext>("viFindNext");
    if (!viFindRsrc || !viFindNext)
        return false;

    char desc[1024] = {};
    ViFindList findList = 0;
    quint32 u32Count = 0;
    ViStatus status = VI_ERROR_LIBRARY_NFOUND;
    {
        SharedState &state = shared();
        QMutexLocker locker(&state.mutex);
        if (state.resourceManager != 0)
            status = viFindRsrc(state.resourceManager, strExpression.toLatin1().constData(), &findList,
                                &u32Count, desc);
    }
    if (status != VI_SUCCESS) {
        traceError(QStringLiteral("Unable to search for instrument(s) connected to interface %1!")
                       .arg(strExpression));
        return false;
    }
    traceDebug(QStringLiteral("%1 instrument(s) found. Evaluation ongoing....").arg(u32Count));

    bool bolOk = true;
    // Bounded by the reported count as well, so a library that never says "no more" cannot
    // keep the search going forever.
    for (quint32 u32Index = 0; u32Index < u32Count; ++u32Index) {
        if (u32Index > 0 && viFindNext(findList, desc) != VI_SUCCESS)
            break;
        desc[sizeof(desc) - 1] = '\0';
        const QString strResource = QString::fromLatin1(desc);

        ClsVisaControl *probe = new (std::nothrow) ClsVisaControl(true);
        if (!probe) {
            traceError(QStringLiteral("Unable to instantiate instrument %1!").arg(strResource));
            bolOk = false;
            break;
        }
        if (probe->openSession(strResource, true)) {
            InstrRecord record;
            record.instrType = probe->getInstrType();
            record.serialNumber = probe->getSerialNumber();
            record.resource = probe->getResource();
            record.firmware = probe->getFirmware();
            record.interfaceName = probe->getInterfaceName();
            lstFound.append(record);
            probe->closeSession();
        } else {
            traceError(QStringLiteral("Unable to open instrument %1!").arg(strResource));
        }
        delete probe;
    }

    // The find list is a VISA object of its own; closing it frees it in the library.
    const auto viClose = ClsVisaLibrary::resolve<FnViClose>("viClose");
    if (viClose && findList != 0)
        viClose(findList);
    return bolOk;
}
