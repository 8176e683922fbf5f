// Text rules of the VISA binding that need neither a library nor an instrument.

#include "visa/visalibrary.h"
#include "visa/visaresource.h"

#include <QtTest>

class TestVisaResource : public QObject
{
    Q_OBJECT

private slots:
    // The serial number from the third field of "*IDN?", and the interface from a resource name.
    void textRules_data()
    {
        QTest::addColumn<bool>("serial"); // else the interface name
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("order number / serial") << true << "1234.5678k02/100200" << QString("100200");
        QTest::newRow("serial only") << true << "100200" << QString("100200");
        QTest::newRow("serial / suffix") << true << "100200/7" << QString("100200");
        QTest::newRow("order number without serial") << true << "1234.5678k02" << QString("");
        QTest::newRow("dot after slash does not count") << true << "100200/1.5" << QString("100200");
        QTest::newRow("no field") << true << "" << QString("");
        QTest::newRow("gpib") << false << "GPIB0::20::INSTR" << QString("GPIB0");
        QTest::newRow("usb") << false << "USB0::0x3D7A::0x0042::100200::INSTR" << QString("USB0");
        QTest::newRow("socket") << false << "TCPIP0::192.168.1.5::5025::SOCKET" << QString("TCPIP0");
        QTest::newRow("no separator") << false << "GPIB0" << QString("");
        QTest::newRow("no name") << false << "" << QString("");
    }

    void textRules()
    {
        QFETCH(bool, serial);
        QFETCH(QString, text);
        QTEST(serial ? InstrIdent::serialNumberFromField(text) : VisaResource::interfaceName(text), "result");
    }

    void tcpipTarget_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<bool>("tcpip");
        QTest::addColumn<bool>("socket");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("portValid");

        QTest::newRow("socket") << "TCPIP0::host::5025::SOCKET" << true << true << "host" << 5025 << true;
        QTest::newRow("vxi-11") << "TCPIP0::host::inst0::INSTR" << true << false << "host" << 111 << true;
        QTest::newRow("lower case prefix") << "tcpip0::host::INSTR" << true << false << "host" << 111 << true;
        QTest::newRow("socket is case-sensitive")
            << "TCPIP0::host::5025::socket" << true << false << "host" << 111 << true;
        QTest::newRow("socket without port")
            << "TCPIP0::host::SOCKET" << true << true << "host" << 0 << false;
        QTest::newRow("socket with text port")
            << "TCPIP0::host::x::SOCKET" << true << true << "host" << 0 << false;
        QTest::newRow("socket with port 0")
            << "TCPIP0::host::0::SOCKET" << true << true << "host" << 0 << false;
        QTest::newRow("socket port too big")
            << "TCPIP0::host::65536::SOCKET" << true << true << "host" << 0 << false;
        QTest::newRow("hislip") << "TCPIP0::host::hislip0::INSTR" << true << false << "host" << 4880 << true;
        QTest::newRow("hislip, port")
            << "TCPIP::host::HiSLIP1,4881" << true << false << "host" << 4881 << true;
        QTest::newRow("hislip, bad port")
            << "TCPIP::host::hislip0,x::INSTR" << true << false << "host" << 0 << false;
        QTest::newRow("no host") << "TCPIP0" << true << false << "" << 111 << true;
        QTest::newRow("gpib") << "GPIB0::20::INSTR" << false << false << "" << 0 << false;
        QTest::newRow("usb") << "USB0::0x3D7A::0x0042::1::INSTR" << false << false << "" << 0 << false;
    }

    void tcpipTarget()
    {
        QFETCH(QString, resource);
        const VisaResource::TcpipTarget target = VisaResource::parseTcpip(resource);
        QTEST(target.isTcpip, "tcpip");
        QTEST(target.socketMode, "socket");
        QTEST(target.host, "host");
        QTEST(int(target.port), "port");
        QTEST(target.portValid, "portValid");
    }

    void libraryOverrideReplacesSearch()
    {
        // A chosen library is the only candidate: a typo must fail loudly, not fall back silently.
        qputenv(ClsVisaLibrary::PathVariable, "/opt/vendor/lib/libvisa.so");
        QCOMPARE(ClsVisaLibrary::candidateFiles(), QStringList{"/opt/vendor/lib/libvisa.so"});

        // Without it the program's own library comes first, in the build and the install layout,
        // and the loader's own search comes last.
        qunsetenv(ClsVisaLibrary::PathVariable);
        const QStringList lstFiles = ClsVisaLibrary::candidateFiles();
        const QString strAppDir = QCoreApplication::applicationDirPath();
        QCOMPARE(lstFiles.size(), 5);
        QCOMPARE(lstFiles.at(0), strAppDir + "/visa32");
        QCOMPARE(lstFiles.at(1), QDir::cleanPath(strAppDir + "/../lib/visa32"));
        // An installed program has only the versioned file, in the prefix's library folder.
        QVERIFY2(lstFiles.at(2).startsWith(QDir::cleanPath(strAppDir + "/../lib/")) &&
                     lstFiles.at(2).endsWith("/libvisa32.so.1"),
                 qPrintable(lstFiles.at(2)));
        QCOMPARE(lstFiles.mid(3), (QStringList{"visa32", "libvisa32.so.1"}));
    }
};

QTEST_GUILESS_MAIN(TestVisaResource)
#include "tst_visaresource.moc"
