// ClsVisaControl when the VISA library cannot be used: missing (LISTFORGE_VISA_LIBRARY names a
// file that does not exist) or a library without the VISA entry points.

#include "tracelines.h"
#include "visa/clsvisacontrol.h"
#include "visa/visalibrary.h"

#include <QtTest>

class TestVisaControlNoLib : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString strPath = qEnvironmentVariable(ClsVisaLibrary::PathVariable);
        QVERIFY2(strPath.endsWith(QLatin1String("missing/libvisa32.so")), qPrintable(strPath));
        QVERIFY(!QFile::exists(strPath));
    }

    void init() { m_trace.clear(); }
    void cleanup() { QCOMPARE(ClsVisaControl::poolSize(), 0); }

    void missingLibraryIsReportedNotFatal()
    {
        {
            ClsVisaControl visa;
            QCOMPARE(visa.takeLastError(), "Unable to load VISA library!");
            QCOMPARE(visa.takeLastError(), QString());
            QVERIFY(!ClsVisaLibrary::isLoaded());
            QVERIFY(!ClsVisaControl::isResourceManagerOpen());
            // The text is for the creator to show, not for the trace.
            QVERIFY(!m_trace.contains("Unable to load VISA library!"));

            // Later instances do not try again while the pool is not empty.
            ClsVisaControl second;
            QCOMPARE(second.takeLastError(), QString());
        }
        // A new first instance tries again, and fails again the same way.
        ClsVisaControl visa;
        QCOMPARE(visa.takeLastError(), "Unable to load VISA library!");
    }

    void everyOperationFailsWithoutLibrary()
    {
        ClsVisaControl visa;
        QVERIFY(!visa.openSession("TCPIP0::127.0.0.1::inst0::INSTR", true));
        QVERIFY(m_trace.hasError(
            "CVISCT  : Unable to resolve VISA library function 'viOpen' since library is not loaded!"));
        QVERIFY(!m_trace.contains("Resolving host name")); // refused before any network test
        QVERIFY(!visa.isSessionOpen());

        QString strReply;
        QVERIFY(!visa.writeCommand("*RST", false));
        QVERIFY(!visa.queryCommand("*IDN?", strReply, false));
        QVERIFY(strReply.isEmpty());
        quint32 u32Count = 3;
        QVERIFY(!visa.writeData("abc", u32Count));
        bool bolOn = true;
        QVERIFY(!visa.setSendEnd(true));
        QVERIFY(!visa.getSendEnd(bolOn));
        QVERIFY(!visa.clearDevice());
        QCOMPARE(visa.interfaceType(), quint16(0));
        QVERIFY(visa.closeSession()); // nothing was open

        QList<InstrRecord> lstFound;
        QVERIFY(!visa.scanInterface(VisaFindGpib, lstFound));
        QVERIFY(m_trace.hasError(
            "CVISCT  : Unable to search for 'GPIB?*INSTR' instruments on interface type '0'"));
        QVERIFY(lstFound.isEmpty());
    }

    void libraryWithoutVisaFunctions()
    {
        // Any loadable library that is not a VISA library: the Qt core library this suite uses.
        const QString strQtCore = qEnvironmentVariable("LISTFORGE_TEST_NON_VISA_LIBRARY");
        QVERIFY(QFile::exists(strQtCore));
        qputenv(ClsVisaLibrary::PathVariable, strQtCore.toLocal8Bit());
        ClsVisaControl visa;
        QCOMPARE(visa.takeLastError(), "Unable to resolve VISA library function(s)!");
        QVERIFY(ClsVisaLibrary::isLoaded());
        QVERIFY(m_trace.hasError("CVISCT  : Unable to resolve VISA library function 'viOpenDefaultRM'!"));
        QVERIFY(!visa.openSession("GPIB0::20::INSTR", true));
        QVERIFY(m_trace.hasError("CVISCT  : Unable to resolve VISA library function 'viOpen'!"));
    }

private:
    TraceLines m_trace;
};

QTEST_GUILESS_MAIN(TestVisaControlNoLib)
#include "tst_visacontrolnolib.moc"
