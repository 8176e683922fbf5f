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

    // What the binding makes of a resource, as "tcpip|socket or instr|host|port", the port with
    // "bad" before it when it cannot be used.
    void tcpipTarget_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QString>("target");
        const auto row = [](const char *tag, const char *resource, const char *target) {
            QTest::newRow(tag) << QString(resource) << QString(target);
        };
        row("socket", "TCPIP0::host::5025::SOCKET", "tcpip|socket|host|5025");
        row("vxi-11", "TCPIP0::host::inst0::INSTR", "tcpip|instr|host|111");
        row("lower case prefix", "tcpip0::host::INSTR", "tcpip|instr|host|111");
        row("socket is case-sensitive", "TCPIP0::host::5025::socket", "tcpip|instr|host|111");
        row("socket without port", "TCPIP0::host::SOCKET", "tcpip|socket|host|bad 0");
        row("socket with text port", "TCPIP0::host::x::SOCKET", "tcpip|socket|host|bad 0");
        row("socket with port 0", "TCPIP0::host::0::SOCKET", "tcpip|socket|host|bad 0");
        row("socket port too big", "TCPIP0::host::65536::SOCKET", "tcpip|socket|host|bad 0");
        row("hislip", "TCPIP0::host::hislip0::INSTR", "tcpip|instr|host|4880");
        row("hislip, port", "TCPIP::host::HiSLIP1,4881", "tcpip|instr|host|4881");
        row("hislip, bad port", "TCPIP::host::hislip0,x::INSTR", "tcpip|instr|host|bad 0");
        row("no host", "TCPIP0", "tcpip|instr||111");
        row("gpib", "GPIB0::20::INSTR", "|instr||bad 0");
        row("usb", "USB0::0x3D7A::0x0042::1::INSTR", "|instr||bad 0");
    }

    void tcpipTarget()
    {
        QFETCH(QString, resource);
        const VisaResource::TcpipTarget t = VisaResource::parseTcpip(resource);
        const QString strPort = (t.portValid ? "" : "bad ") + QString::number(t.port);
        QTEST(QString("%1|%2|%3|%4")
                  .arg(t.isTcpip ? "tcpip" : "", t.socketMode ? "socket" : "instr", t.host, strPort),
              "target");
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
