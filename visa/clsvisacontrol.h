#ifndef LISTFORGE_VISA_CLSVISACONTROL_H
#define LISTFORGE_VISA_CLSVISACONTROL_H

#include "visa/instrrecord.h"
#include "visa/visadefs.h"

#include <QList>
#include <QString>

// Interfaces an instrument search can cover.
enum VisaFindKind
{
    VisaFindGpib = 0,
    VisaFindUsb = 1
};

// One instrument session over the VISA library loaded at run time. All instances of the process
// share the library, one default resource manager and a pool of live instances: the first
// instance (created while the pool is empty) loads the library and opens the resource manager,
// the last one to go closes the resource manager again.
//
// Nothing here throws or opens a window: operations return false (or an empty result) after
// tracing the reason with the tag "CVISCT", and a failed library load or resource-manager open is
// kept for the creator in takeLastError(). One instance is used by one thread at a time.
class ClsVisaControl
{
public:
    ClsVisaControl();
    // bolLoadVisa false ("--no-visa") loads no library; every VISA operation then fails.
    explicit ClsVisaControl(bool bolLoadVisa);
    ~ClsVisaControl();

    ClsVisaControl(const ClsVisaControl &) = delete;
    ClsVisaControl &operator=(const ClsVisaControl &) = delete;

    // Error text of the library load or resource-manager open; empty when both went well.
    // Fetching empties it.
    QString takeLastError();

    // Opens, configures and identifies the session. With bolMakerOnly, instruments of other
    // makers are refused (and the session closed again).
    bool openSession(const QString &strResource, bool bolMakerOnly);
    bool closeSession();
    bool clearDevice();
    // True when another live instance has a session open with an instrument of this type and
    // serial number.
    bool isInstrSessionOpen(const QString &strType, const QString &strSerial) const;

    QString getResource() const { return m_resource; }
    QString getInstrType() const { return m_instrType; }
    QString getSerialNumber() const { return m_serialNumber; }
    QString getFirmware() const { return m_firmware; }
    QString getManufacturer() const { return m_manufacturer; }
    QString getIdnReply() const { return m_idnReply; }
    QString getInterfaceName() const;
    bool isSessionOpen() const { return m_sessionOpen; }
    bool isSocketMode() const { return m_socketMode; }
    // VI_ATTR_INTF_TYPE of the session (1 GPIB, 6 TCPIP, 7 USB, ...); 0 when it cannot be read.
    quint16 interfaceType();

    // Sends a command; one containing "*OPC?" must be answered with 1.
    bool writeCommand(const QString &strCmd, bool bolTrace);
    // Sends a query and reads the simplified reply.
    bool queryCommand(const QString &strCmd, QString &strReply, bool bolTrace);
    // Writes raw bytes; u32Count is the number to write on entry and the number written on return.
    bool writeData(const char *pData, quint32 &u32Count);
    bool setSendEnd(bool bolOn);
    bool getSendEnd(bool &bolOn);

    // Searches GPIB (kind 0) or USB (kind 1) for the maker's instruments and appends one record
    // per instrument that could be opened and identified.
    bool scanInterface(int intKind, QList<InstrRecord> &lstFound);
    bool findResources(QList<InstrRecord> &lstFound, const QString &strExpression);

    // Number of live instances, and whether the shared resource manager is open.
    static int poolSize();
    static bool isResourceManagerOpen();

    // Time-out of every read and write of the sessions configured from now on (VI_ATTR_TMO_VALUE).
    // The program keeps the default; a value of 0 or less restores it.
    static constexpr int DefaultTimeoutMs = 5000;
    static void setIoTimeoutMs(int intMs);
    static int ioTimeoutMs();

    // Longest reply a query accepts; longer replies are discarded and the query fails.
    static constexpr int MaxReplyBytes = 1024 * 1024;

private:
    void reset();
    bool testTcpipResource(const QString &strResource);
    bool configureSession();
    bool identifyInstrument();
    Visa::ViStatus setAttribute(Visa::ViAttr attr, Visa::ViAttrState value);
    bool setBuffer(quint16 mask, quint32 size);
    bool setBufferMode(Visa::ViAttr attr, quint16 mode);
    bool sendText(const QString &strCmd, bool bolTrace, const QString &strNoCmdMsg,
                  const QString &strSentMsg);
    // A failure with bolReported set was traced already and needs no VISA status line.
    bool readReply(QString &strReply, Visa::ViStatus &status, bool &bolReported);
    bool discardRestOfReply(unsigned char *buffer, Visa::ViStatus &status);

    Visa::ViSession m_session = 0;
    bool m_sessionOpen = false;
    bool m_socketMode = false;
    QString m_resource;
    QString m_idnReply;
    QString m_instrType;
    QString m_manufacturer;
    QString m_serialNumber;
    QString m_firmware;
    QString m_lastError;
};

#endif
