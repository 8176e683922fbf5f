// ClsVisaControl against a scripted VISA library: the library is chosen with
// LISTFORGE_VISA_LIBRARY, and the suite drives and inspects the scripted instrument through the
// library's own control functions.

#include "fakevisactl.h"
#include "tracelines.h"
#include "visa/clsvisacontrol.h"
#include "visa/visadefs.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {

const char *const GpibResource = "GPIB0::20::INSTR";

} // namespace

class TestVisaControlFake : public QObject
{
    Q_OBJECT

    FakeVisaControl m_fake;
    TraceLines m_trace;

    std::unique_ptr<ClsVisaControl> openGpib()
    {
        auto visa = std::make_unique<ClsVisaControl>();
        if (!visa->openSession(QLatin1String(GpibResource), true))
            return nullptr;
        return visa;
    }

private slots:
    void initTestCase()
    {
        const QString strError = m_fake.load();
        QVERIFY2(strError.isEmpty(), qPrintable(strError));
    }

    void init()
    {
        m_fake.reset();
        m_trace.clear();
    }

    void cleanup()
    {
        QCOMPARE(ClsVisaControl::poolSize(), 0);
        QCOMPARE(m_fake.openObjects(), 0);
    }

    void poolAndResourceManagerLifeCycle()
    {
        auto first = std::make_unique<ClsVisaControl>();
        QCOMPARE(first->takeLastError(), QString());
        QCOMPARE(m_fake.calls("viOpenDefaultRM"), 1);
        QVERIFY(ClsVisaControl::isResourceManagerOpen());
        // Later instances share the manager instead of opening their own.
        auto second = std::make_unique<ClsVisaControl>();
        QCOMPARE(m_fake.calls("viOpenDefaultRM"), 1);
        QCOMPARE(ClsVisaControl::poolSize(), 2);
        first.reset();
        QCOMPARE(m_fake.rmOpen(), 1);
        second.reset();
        QCOMPARE(m_fake.rmOpen(), 0);
        QVERIFY(!ClsVisaControl::isResourceManagerOpen());

        // The library stays loaded; the next first instance opens a new manager and works.
        auto third = std::make_unique<ClsVisaControl>();
        QCOMPARE(third->takeLastError(), QString());
        QCOMPARE(m_fake.calls("viOpenDefaultRM"), 2);
        QCOMPARE(m_fake.rmOpen(), 1);
        QVERIFY(third->openSession(QLatin1String(GpibResource), true));
    }

    // Without a resource manager (switched off, or the library cannot open one) nothing reaches the
    // library's open or search.
    void noResourceManager_data()
    {
        QTest::addColumn<bool>("load");
        QTest::addColumn<QString>("error");
        QTest::newRow("switched off") << false << QString();
        QTest::newRow("open fails") << true << "Unable to open VISA session: fake status 0xBFFF0011!";
    }

    void noResourceManager()
    {
        QFETCH(bool, load);
        m_fake.setStatus("viOpenDefaultRM", static_cast<int>(0xBFFF0011u));
        auto visa = std::make_unique<ClsVisaControl>(load);
        QTEST(visa->takeLastError(), "error");
        QCOMPARE(visa->takeLastError(), QString());                 // fetching empties it
        QVERIFY(!m_trace.contains("Unable to open VISA session:")); // the creator shows it
        QCOMPARE(m_fake.calls("viOpenDefaultRM"), load ? 1 : 0);
        QVERIFY(!ClsVisaControl::isResourceManagerOpen());
        QVERIFY(!visa->openSession(QLatin1String(GpibResource), true));
        QCOMPARE(
            m_trace.texts(TraceKindError),
            (QStringList{"CVISCT  : Unable to open instrument session (VISA status: fake status 0xBFFF009E)!",
                         "CVISCT  : Check used resource string and/or VISA libraray installation"}));
        QList<InstrRecord> lstFound;
        QVERIFY(!visa->scanInterface(VisaFindGpib, lstFound));
        QCOMPARE(m_fake.calls("viOpen") + m_fake.calls("viFindRsrc"), 0);
        visa.reset();
        QCOMPARE(m_fake.calls("viClose"), 0);
    }

    void identification_data()
    {
        QTest::addColumn<QString>("idn");
        QTest::addColumn<bool>("makerOnly");
        QTest::addColumn<QString>("instrument"); // opened or refused|type|serial number|firmware
        QTest::addColumn<QString>("error");
        const auto row = [](const char *tag, const char *idn, bool makerOnly, const char *instrument,
                            const char *error = "") {
            QTest::newRow(tag) << QString(idn) << makerOnly << QString(instrument) << QString(error);
        };
        // How the serial number is cut out of its field is tst_visaresource's job.
        row("order number and serial", "Tarvik,ZOY550X,1234.5678k02/100200,1.2.3", true,
            "opened|ZOY550X|100200|1.2.3");
        row("maker in other case, blanks", "tarvik gmbh, HERN330X ,1.2/5, 3", true, "opened|HERN330X|5|3");
        row("other maker refused", "Acme,SG100,1.2/42,9.9", true, "refused|||",
            "CVISCT  : Only Tarvik instruments must be connected, SG100 is from Acme!");
        row("other maker accepted", "Acme,SG100,1.2/42,9.9", false, "opened|SG100|42|9.9");
        row("short reply", "Tarvik", false, "opened|||");
    }

    void identification()
    {
        QFETCH(QString, idn);
        QFETCH(bool, makerOnly);
        m_fake.setReply("*IDN?", idn.toLatin1().constData());
        ClsVisaControl visa;
        const bool bolOpened = visa.openSession(QLatin1String(GpibResource), makerOnly);
        QCOMPARE(visa.isSessionOpen(), bolOpened);
        QTEST(QStringList({bolOpened ? "opened" : "refused", visa.getInstrType(), visa.getSerialNumber(),
                           visa.getFirmware()})
                  .join('|'),
              "instrument");
        QCOMPARE(visa.getResource(), bolOpened ? QLatin1String(GpibResource) : QString());
        QTEST(m_trace.texts(TraceKindError).join('\n'), "error");
        // A refused instrument must not keep a session in the library.
        QCOMPARE(m_fake.openObjects(), bolOpened ? 1 : 0);
    }

    void gpibSessionSettingsAndClose()
    {
        auto visa = openGpib();
        QVERIFY(visa);
        QVERIFY(!visa->isSocketMode());
        QCOMPARE(visa->getInterfaceName(), "GPIB0");
        // Identification clears the status first; GPIB commands go out without a line feed.
        QCOMPARE(m_fake.writes(), QByteArrayList({"*CLS", "*IDN?"}));
        QCOMPARE(m_fake.attribute(GpibResource, Visa::VI_ATTR_TMO_VALUE), 5000);
        QCOMPARE(m_fake.attribute(GpibResource, Visa::VI_ATTR_RD_BUF_OPER_MODE), 1);
        QCOMPARE(m_fake.attribute(GpibResource, Visa::VI_ATTR_WR_BUF_OPER_MODE), 1);
        QCOMPARE(m_fake.attribute(GpibResource, Visa::VI_ATTR_TERMCHAR_EN), -1);
        QCOMPARE(visa->interfaceType(), quint16(1));
        QVERIFY(visa->clearDevice());
        QVERIFY(visa->closeSession());
        QCOMPARE(m_fake.calls("viGpibControlREN"), 1);
        QVERIFY(!visa->isSessionOpen());
        QCOMPARE(visa->getInstrType(), QString());
        QCOMPARE(m_fake.openObjects(), 0);
        QVERIFY(visa->closeSession()); // nothing open: nothing to do
        QCOMPARE(m_fake.calls("viClose"), 1);
    }

    void socketSessionAppendsLineFeed()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const QString strResource = QString("TCPIP0::127.0.0.1::%1::SOCKET").arg(server.serverPort());
        const QByteArray baResource = strResource.toLatin1();

        ClsVisaControl visa;
        QVERIFY2(visa.openSession(strResource, true), qPrintable(m_trace.dump()));
        QVERIFY(visa.isSocketMode());
        QCOMPARE(m_fake.writes(), QByteArrayList({"*CLS\n", "*IDN?\n"}));
        QCOMPARE(m_fake.attribute(baResource.constData(), Visa::VI_ATTR_TERMCHAR), 10);
        QCOMPARE(m_fake.attribute(baResource.constData(), Visa::VI_ATTR_TERMCHAR_EN), 1);
        // A command that already ends with a line feed does not get a second one.
        QVERIFY(visa.writeCommand("*RST\n", false));
        QCOMPARE(m_fake.lastWrite(), QByteArray("*RST\n"));
        QCOMPARE(visa.interfaceType(), quint16(6));
        QVERIFY(visa.closeSession());
        QCOMPARE(m_fake.calls("viGpibControlREN"), 0);
    }

    // A socket without a usable port is refused before the library is asked to open it (a port
    // nobody listens on the library refuses at once itself: tst_visalib_sim::openFailures).
    void socketWithoutPortFailsBeforeOpen()
    {
        ClsVisaControl visa;
        // The port rules are tst_visaresource's; one resource without a usable port stands for them.
        const QString strNoPort = "TCPIP0::127.0.0.1::0::SOCKET";
        QVERIFY(!visa.openSession(strNoPort, true));
        QCOMPARE(
            m_trace.texts(TraceKindError),
            (QStringList{"CVISCT  : No socket port number specified in VISA resource " + strNoPort + "!",
                         "CVISCT  : Unable to open TCPIP based instrument session '" + strNoPort + "'!"}));
        QCOMPARE(m_fake.calls("viOpen"), 0);
    }

    void openFailures()
    {
        ClsVisaControl visa;
        m_fake.setStatus("viOpen", static_cast<int>(0xBFFF0011u));
        QVERIFY(!visa.openSession(QLatin1String(GpibResource), true));
        QVERIFY(!visa.isSessionOpen());
        // A session that cannot be configured is closed again; every step is still attempted.
        m_fake.setStatus("viOpen", 0);
        m_fake.setStatus("viSetBuf", static_cast<int>(0xBFFF0067u));
        QVERIFY(!visa.openSession(QLatin1String(GpibResource), true));
        QCOMPARE(m_fake.openObjects(), 0);
        QVERIFY(!visa.isSessionOpen());
        // An open session refuses a second open and stays usable.
        m_fake.setStatus("viSetBuf", 0);
        QVERIFY(visa.openSession(QLatin1String(GpibResource), true));
        QVERIFY(!visa.openSession("GPIB0::21::INSTR", true));
        QCOMPARE(
            m_trace.texts(TraceKindError),
            (QStringList{
                "CVISCT  : Unable to open instrument session (VISA status: fake status 0xBFFF0011)!",
                "CVISCT  : Check used resource string and/or VISA libraray installation",
                "CVISCT  : Unable to set the VISA '1' buffer size to: 8192byte (VISA status: fake status "
                "0xBFFF0067)!",
                "CVISCT  : Unable to set the VISA '2' buffer size to: 2048byte (VISA status: fake status "
                "0xBFFF0067)!",
                "CVISCT  : Unable to set attributes of instrument session 'GPIB0::20::INSTR'!",
                "CVISCT  : Unable to open instrument session 'GPIB0::20::INSTR' since it is already open!"}));
        QCOMPARE(visa.getResource(), QLatin1String(GpibResource));
        QVERIFY(visa.writeCommand("*RST", false));
    }

    void opcAnswer_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ok");
        QTest::newRow("one") << "1" << true;
        QTest::newRow("one with blanks") << "  1 " << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("text") << "ON" << false;
    }

    void opcAnswer()
    {
        QFETCH(QString, answer);
        QFETCH(bool, ok);
        auto visa = openGpib();
        QVERIFY(visa);
        m_fake.setReply("FREQ 1GHz;*OPC?", answer.toLatin1().constData());
        m_trace.clear();
        QCOMPARE(visa->writeCommand("FREQ 1GHz;*OPC?", false), ok);
        QCOMPARE(m_trace.has(TraceKindError,
                             QString("CVISCT  : Received unexpected OPC (%1) status from instrument!")
                                 .arg(answer.simplified())),
                 !ok);
        // Commands without "*OPC?" read nothing back.
        const int intReads = m_fake.calls("viRead");
        QVERIFY(visa->writeCommand("FREQ 2GHz", false));
        QCOMPARE(m_fake.calls("viRead"), intReads);
    }

    void replySimplificationAndRefusals()
    {
        auto visa = openGpib();
        QVERIFY(visa);
        const QString strHundred = QString(60, QLatin1Char('a')) + QString(40, QLatin1Char('b'));
        m_fake.setReply("HUNDRED?", strHundred.toLatin1().constData());
        m_fake.setReply("SPACES?", "  a \t  b\r\n c  ");
        QString strReply;
        QVERIFY(visa->queryCommand("HUNDRED?", strReply, true));
        QCOMPARE(strReply, strHundred);
        QVERIFY(visa->queryCommand("SPACES?", strReply, false));
        QCOMPARE(strReply, "a b c");
        QVERIFY(!visa->writeCommand(QString(), true));
        QVERIFY(!visa->queryCommand(QString(), strReply, true));
        // Nothing to read: the library's time-out comes back as a failed query.
        QVERIFY(!visa->queryCommand("*RST", strReply, false));
        QCOMPARE(
            m_trace.texts(TraceKindError),
            (QStringList{
                "CVISCT  : No 'write' command provided!", "CVISCT  : No 'read' command provided!",
                "CVISCT  : Unable to read data from instrument (VISA status: fake status 0xBFFF0015)!"}));
    }

    void longReplies()
    {
        auto visa = openGpib();
        QVERIFY(visa);
        // Longer than one 8191-byte read: the whole reply arrives, and nothing of it is left over
        // to be taken as the answer to the next query.
        QByteArray baLong(20000, 'x');
        for (int i = 0; i < baLong.size(); i += 1000)
            baLong[i] = char('a' + i / 1000);
        m_fake.setReply("CAT?", baLong.constData());
        QString strReply;
        QVERIFY(visa->queryCommand("CAT?", strReply, false));
        QCOMPARE(strReply, QString::fromLatin1(baLong));
        QVERIFY(visa->queryCommand("*IDN?", strReply, false));
        QCOMPARE(strReply, "Tarvik,ZOY550X,1234.5678k02/100200,1.2.3");
        // (Replies beyond the limit are tst_visacontrolsim's, over a real link.)
    }

    // Block writes and the END flag are what tst_instrcontrolchunks sees in its writes; after a close
    // the library refuses the stale session and the failures are reported.
    void dataAfterClose()
    {
        auto visa = openGpib();
        QVERIFY(visa);
        QVERIFY(visa->closeSession());
        quint32 u32Count = 3;
        QVERIFY(!visa->writeData("abc", u32Count));
        QCOMPARE(u32Count, 0u);
        QVERIFY(m_trace.hasError(
            "CVISCT  : Unable to write data to instrument! (VISA status: fake status 0xBFFF000E)!"));
        bool bolOn = true;
        QVERIFY(!visa->getSendEnd(bolOn));
        QCOMPARE(visa->interfaceType(), quint16(0));
    }

    void sessionOwnershipAcrossPool()
    {
        auto owner = openGpib();
        QVERIFY(owner);
        ClsVisaControl other;
        QVERIFY(other.isInstrSessionOpen("ZOY550X", "100200"));
        QVERIFY(!owner->isInstrSessionOpen("ZOY550X", "100200")); // not itself
        QVERIFY(!other.isInstrSessionOpen("ZOY550X", "100201"));
        QVERIFY(!other.isInstrSessionOpen("ZOY550X", QString()));
        QVERIFY(!other.isInstrSessionOpen(QString(), "100200"));
        QVERIFY(owner->closeSession());
        QVERIFY(!other.isInstrSessionOpen("ZOY550X", "100200"));

        // Destroying an object closes its session in the library.
        QVERIFY(owner->openSession(QLatin1String(GpibResource), true));
        QCOMPARE(m_fake.openObjects(), 1);
        owner.reset();
        QCOMPARE(m_fake.openObjects(), 0);
    }

    void instrumentSearch()
    {
        ClsVisaControl anchor;
        m_fake.setFindResults("GPIB0::3::INSTR;GPIB0::4::INSTR;GPIB1::5::INSTR");
        m_fake.setIdnFor("GPIB0::3::INSTR", "Tarvik,ZOY550X,1234.5678k02/100300,1.0");
        m_fake.setIdnFor("GPIB0::4::INSTR", "Acme,SG100,42,9.9");
        m_fake.setIdnFor("GPIB1::5::INSTR", "Tarvik,GKR550X,100500,2.0");

        InstrRecord kept;
        kept.instrType = "kept";
        QList<InstrRecord> lstFound{kept};
        QVERIFY(anchor.scanInterface(VisaFindGpib, lstFound));
        QCOMPARE(QString::fromLatin1(m_fake.lastFindExpr()), "GPIB?*INSTR");
        const InstrRecord first{"ZOY550X", "100300", "GPIB0::3::INSTR", "1.0", "GPIB0", {}, false};
        const InstrRecord third{"GKR550X", "100500", "GPIB1::5::INSTR", "2.0", "GPIB1", {}, false};
        QCOMPARE(lstFound, (QList<InstrRecord>{kept, first, third}));

        // The probing objects are gone, their sessions and the find list are closed, and the
        // shared resource manager survived them.
        QCOMPARE(ClsVisaControl::poolSize(), 1);
        QCOMPARE(m_fake.openObjects(), 0);
        QCOMPARE(m_fake.rmOpen(), 1);

        // USB searches ask only for the maker's instruments.
        m_fake.setFindResults("USB0::0x3D7A::0x0042::100600::INSTR");
        QVERIFY(anchor.scanInterface(VisaFindUsb, lstFound));
        const QString strUsb = QString::fromLatin1(m_fake.lastFindExpr());
        QVERIFY2(strUsb.startsWith(QLatin1String("USB[0-9]::0x")) &&
                     strUsb.endsWith(QLatin1String("::?*INSTR")),
                 qPrintable(strUsb));
        QCOMPARE(lstFound.size(), 4);
        QCOMPARE(lstFound.last().interfaceName, "USB0");

        // Nothing found, and interfaces the search does not know, leave the list as it was.
        m_fake.setFindResults("");
        QVERIFY(!anchor.scanInterface(VisaFindGpib, lstFound));
        const int intFinds = m_fake.calls("viFindRsrc");
        QVERIFY(!anchor.scanInterface(2, lstFound));
        QVERIFY(!anchor.scanInterface(-1, lstFound));
        QCOMPARE(m_fake.calls("viFindRsrc"), intFinds);
        QCOMPARE(lstFound.size(), 4);
        QCOMPARE(
            m_trace.texts(TraceKindError),
            (QStringList{"CVISCT  : Only Tarvik instruments must be connected, SG100 is from Acme!",
                         "CVISCT  : Unable to open instrument GPIB0::4::INSTR!",
                         "CVISCT  : Unable to search for instrument(s) connected to interface GPIB?*INSTR!",
                         "CVISCT  : Unable to search for 'GPIB?*INSTR' instruments on interface type '0'",
                         "CVISCT  : Interface type '2' is not supported by instrument search",
                         "CVISCT  : Unable to search interface type '2' for instruments",
                         "CVISCT  : Interface type '-1' is not supported by instrument search",
                         "CVISCT  : Unable to search interface type '-1' for instruments"}));
    }
};

QTEST_GUILESS_MAIN(TestVisaControlFake)
#include "tst_visacontrolfake.moc"
