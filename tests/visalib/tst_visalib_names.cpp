// Resource names, search expressions, status texts and the bounded decoding of device_read
// replies: the library's pure functions, tested without any network.
#include "visalib/find_expression.h"
#include "visalib/resource_name.h"
#include "visalib/status_text.h"
#include "visalib/vxi11_codec.h"

#include <QtTest>

#include <cstring>
#include <rpc/rpc.h>

using namespace visalib;

Q_DECLARE_METATYPE(ViStatus)

class TestVisalibNames : public QObject
{
    Q_OBJECT

    // The parsed fields in one line: canonical name|class|interface type|board|host|device|port, and
    // "|hislip" for a HiSLIP resource.
    static QString fields(const ResourceName &n)
    {
        return QString::fromStdString(n.canonical + "|" + n.resourceClass + "|" +
                                      std::to_string(n.interfaceType) + "|" + std::to_string(n.board) + "|" +
                                      n.host + "|" + n.deviceName + "|" + std::to_string(n.port) +
                                      (n.hislip ? "|hislip" : ""));
    }

private slots:
    void validNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fields");
        const auto row = [](const char *tag, const char *name, const char *fields) {
            QTest::newRow(tag) << QString(name) << QString(fields);
        };
        row("socket", "TCPIP0::192.168.1.20::5025::SOCKET",
            "TCPIP0::192.168.1.20::5025::SOCKET|SOCKET|6|0|192.168.1.20||5025");
        row("socket, lower case, board 3", "tcpip3::gen.lab::5025::socket",
            "TCPIP3::gen.lab::5025::SOCKET|SOCKET|6|3|gen.lab||5025");
        row("instr with device", "TCPIP0::gen::inst0::INSTR",
            "TCPIP0::gen::inst0::INSTR|INSTR|6|0|gen|inst0|0");
        row("instr, default device", "TCPIP::gen::INSTR", "TCPIP0::gen::inst0::INSTR|INSTR|6|0|gen|inst0|0");
        row("instr, host only", "tcpip0::10.0.0.1",
            "TCPIP0::10.0.0.1::inst0::INSTR|INSTR|6|0|10.0.0.1|inst0|0");
        row("instr, device without class", "TCPIP1::gen::gpib0,5",
            "TCPIP1::gen::gpib0,5::INSTR|INSTR|6|1|gen|gpib0,5|0");
        row("instr, class in lower case", "TCPIP0::gen::inst1::instr",
            "TCPIP0::gen::inst1::INSTR|INSTR|6|0|gen|inst1|0");
        row("hislip", "TCPIP0::gen::hislip0::INSTR",
            "TCPIP0::gen::hislip0::INSTR|INSTR|6|0|gen|hislip0|4880|hislip");
        row("hislip, port, no class", "tcpip2::gen::HiSLIP1,4881",
            "TCPIP2::gen::hislip1,4881::INSTR|INSTR|6|2|gen|hislip1|4881|hislip");
        row("hislip, default port given", "TCPIP::gen::hislip,4880::INSTR",
            "TCPIP0::gen::hislip::INSTR|INSTR|6|0|gen|hislip|4880|hislip");
        row("gpib", "GPIB0::20::INSTR", "GPIB0::20::INSTR|INSTR|1|0|||0");
        row("gpib secondary", "gpib1::4::7", "GPIB1::4::7::INSTR|INSTR|1|1|||0");
        row("gpib interface", "GPIB::INTFC", "GPIB0::INTFC|INTFC|1|0|||0");
        row("usb", "USB0::0x0aad::0x54::100200::INSTR", "USB0::0x0AAD::0x0054::100200::INSTR|INSTR|7|0|||0");
        row("usb raw", "USB1::2733::84::SN1::0::RAW", "USB1::0x0AAD::0x0054::SN1::0::RAW|RAW|7|1|||0");
        row("serial", "ASRL4::INSTR", "ASRL4::INSTR|INSTR|4|4|||0");
        row("gpib-vxi", "GPIB-VXI0::8::INSTR", "GPIB-VXI0::8::INSTR|INSTR|3|0|||0");
    }

    void validNames()
    {
        QFETCH(QString, name);
        ResourceName parsed;
        QCOMPARE(parseResourceName(name.toStdString(), parsed), VI_SUCCESS);
        QTEST(fields(parsed), "fields");
        // The expanded name parses back to itself.
        ResourceName again;
        QCOMPARE(parseResourceName(parsed.canonical, again), VI_SUCCESS);
        QCOMPARE(again.canonical, parsed.canonical);
    }

    void invalidNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("unknown interface") << QByteArray("FOO0::1::INSTR");
        QTest::newRow("socket without port") << QByteArray("TCPIP0::host::SOCKET");
        QTest::newRow("socket port not a number") << QByteArray("TCPIP0::host::inst0::SOCKET");
        QTest::newRow("socket port zero") << QByteArray("TCPIP0::host::0::SOCKET");
        QTest::newRow("socket port too big") << QByteArray("TCPIP0::host::65536::SOCKET");
        QTest::newRow("socket port negative") << QByteArray("TCPIP0::host::-1::SOCKET");
        QTest::newRow("empty host") << QByteArray("TCPIP0::::INSTR");
        QTest::newRow("blank in host") << QByteArray("TCPIP0::my host::INSTR");
        QTest::newRow("colon ending a field") << QByteArray("TCPIP::host::5025:");
        QTest::newRow("too many fields") << QByteArray("TCPIP0::host::a::b::INSTR");
        QTest::newRow("unknown class") << QByteArray("TCPIP0::host::inst0::BACKPLANE");
        QTest::newRow("hislip port zero") << QByteArray("TCPIP0::host::hislip0,0::INSTR");
        QTest::newRow("hislip port junk") << QByteArray("TCPIP0::host::hislip0,x::INSTR");
        QTest::newRow("hislip index junk") << QByteArray("TCPIP0::host::hislipA::INSTR");
        QTest::newRow("board not a number") << QByteArray("TCPIPx::host::INSTR");
        QTest::newRow("board too big") << QByteArray("TCPIP99999999::host::INSTR");
        QTest::newRow("gpib address too big") << QByteArray("GPIB0::31::INSTR");
        QTest::newRow("gpib without address") << QByteArray("GPIB0");
        QTest::newRow("usb too short") << QByteArray("USB0::0x0AAD::INSTR");
        QTest::newRow("usb bad vendor") << QByteArray("USB0::0xZZZZ::0x0054::1::INSTR");
        QTest::newRow("serial with junk") << QByteArray("ASRL1::5::INSTR");
        QTest::newRow("embedded NUL") << QByteArray("TCPIP0::ho\0st::INSTR", 20);
        QTest::newRow("huge") << QByteArray("TCPIP0::") + QByteArray(5000, 'h') + QByteArray("::INSTR");
    }

    void invalidNames()
    {
        QFETCH(QByteArray, name);
        ResourceName parsed;
        parsed.host = "left over";
        QCOMPARE(parseResourceName(std::string_view(name.constData(), size_t(name.size())), parsed),
                 VI_ERROR_INV_RSRC_NAME);
        QVERIFY(parsed.host.empty());
        QVERIFY(parsed.canonical.empty());
    }

    void searchExpressions_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        const auto row = [](const char *tag, const char *expression, const char *name, bool match) {
            QTest::newRow(tag) << QString(expression) << QString(name) << match;
        };
        row("any instr", "?*INSTR", "TCPIP0::gen::inst0::INSTR", true);
        row("any instr, not socket", "?*INSTR", "TCPIP0::gen::5025::SOCKET", false);
        row("gpib only", "GPIB?*INSTR", "TCPIP0::gen::inst0::INSTR", false);
        row("case ignored", "tcpip?*instr", "TCPIP0::gen::inst0::INSTR", true);
        row("set", "TCPIP[0-3]::?*", "TCPIP2::gen::inst0::INSTR", true);
        row("set miss", "TCPIP[0-3]::?*", "TCPIP7::gen::inst0::INSTR", false);
        row("negated set", "TCPIP[^0]::?*", "TCPIP0::gen::inst0::INSTR", false);
        row("alternatives", "GPIB?*|TCPIP?*", "TCPIP0::gen::inst0::INSTR", true);
        row("dot is literal", "TCPIP0::10.0.0.1::?*", "TCPIP0::10x0x0x1::inst0::INSTR", false);
        row("dot matches dot", "TCPIP0::10.0.0.1::?*", "TCPIP0::10.0.0.1::inst0::INSTR", true);
        row("plus", "TCPIP0::a+::?*", "TCPIP0::aaa::inst0::INSTR", true);
        row("usb vendor", "USB[0-9]::0x0AAD::?*INSTR", "USB0::0x0AAD::0x0054::1::INSTR", true);
        row("whole name only", "TCPIP", "TCPIP0::gen::inst0::INSTR", false);
        // The examples the VISA standard gives for viFindRsrc.
        row("std gpib board", "GPIB[0-9]*::?*INSTR", "GPIB0::2::INSTR", true);
        row("std gpib-vxi", "?*VXI[0-9]*::?*INSTR", "GPIB-VXI0::3::INSTR", true);
        row("std group", "(GPIB|VXI)?*INSTR", "VXI0::3::INSTR", true);
        row("std group miss", "(GPIB|VXI)?*INSTR", "ASRL1::INSTR", false);
        row("std everything", "?*", "TCPIP0::gen::5025::SOCKET", true);
        row("escaped star", "a\\*b", "A*B", true);
        row("repeated group", "(ab)+c", "ABABc", true);
        row("repeated group miss", "(ab)+c", "ABAc", false);
        row("nested repeat", "(?*)*Z", "aaaz", true);
        row("empty-matching loop", "(a*)*b", "aaac", false);
        row("range in negated set", "x[^a-c]", "xB", false);
    }

    void searchExpressions()
    {
        QFETCH(QString, expression);
        QFETCH(QString, name);
        FindExpression compiled;
        QCOMPARE(compiled.compile(expression.toStdString()), VI_SUCCESS);
        QTEST(compiled.matches(name.toStdString()), "match");
    }

    void badSearchExpressions()
    {
        for (const char *bad : {"", "*abc", "[abc", "?*{VI_ATTR_INTF_NUM==0}", "abc\\", "(?*", "a)", "a|",
                                "a**", "[]", "[z-a]", "+"}) {
            FindExpression compiled;
            QVERIFY2(compiled.compile(bad) == VI_ERROR_INV_EXPR, bad);
        }
    }

    // Whether viFindRsrc has to broadcast for LAN instruments at all.
    void expressionsThatCanNameLanInstruments()
    {
        const QStringList lan{"?*INSTR", "?*", "tcpip0::?*::inst0::instr", "(GPIB|TCPIP)?*INSTR",
                              "TCPIP[0-9]*::?*"};
        const QStringList other{"GPIB?*INSTR", "?*SOCKET", "USB[0-9]::0x0AAD::?*INSTR", "TCPIP[^0-9]?*INSTR",
                                "TCPIP0::?*::5025::SOCKET"};
        for (const QString &expression : lan + other) {
            FindExpression compiled;
            QCOMPARE(compiled.compile(expression.toStdString()), VI_SUCCESS);
            QVERIFY2(compiled.canMatchSome("TCPIP0::", "::inst0::INSTR") == lan.contains(expression),
                     qPrintable(expression));
        }
    }

    // Nested repeats against the longest names: a backtracking matcher takes minutes here.
    void nestedRepeatsDecideQuickly()
    {
        const std::string name(256, 'a');
        const std::string nested = std::string(125, '(') + "?*" + std::string(125, ')') + "*";
        QElapsedTimer timer;
        timer.start();
        for (const std::string &expression :
             {std::string("(?*)*Z"), std::string("((a|?)*a*)*(a+)+Z"), nested + "Z",
              std::string(120, 'a') + "(a*)*" + std::string(100, '?') + "*Z"}) {
            FindExpression compiled;
            QCOMPARE(compiled.compile(expression), VI_SUCCESS);
            QVERIFY(!compiled.matches(name));
            QVERIFY(compiled.matches(name + "Z"));
        }
        QVERIFY2(timer.elapsed() < 2000, "matching must not backtrack");
    }

    // device_read replies decoded into a fixed buffer: good, too long and cut short. (A reply longer
    // than asked is the VXI-11 scripted server's.)
    void boundedReadReplies_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<uint>("capacity");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QByteArray>("data");
        const QByteArray header = QByteArray::fromHex("00000000"
                                                      "00000004"); // no error, END
        QTest::newRow("fits") << header + QByteArray::fromHex("00000005") + "hello" + QByteArray(3, '\0')
                              << 8u << true << QByteArray("hello");
        QTest::newRow("exact") << header + QByteArray::fromHex("00000004") + "abcd" << 4u << true
                               << QByteArray("abcd");
        QTest::newRow("empty") << header + QByteArray::fromHex("00000000") << 4u << true << QByteArray();
        QTest::newRow("huge length") << header + QByteArray::fromHex("fffffff0") + "x" << 8u << false
                                     << QByteArray();
        QTest::newRow("cut short") << header + QByteArray::fromHex("00000008") + "abc" << 8u << false
                                   << QByteArray();
        QTest::newRow("no length") << header << 8u << false << QByteArray();
    }

    void boundedReadReplies()
    {
        QFETCH(QByteArray, wire);
        QFETCH(uint, capacity);
        QFETCH(bool, accepted);
        QByteArray buffer(int(capacity) + 1, '#');
        BoundedReadResponse response;
        response.data = buffer.data();
        response.capacity = capacity;
        XDR xdrs;
        xdrmem_create(&xdrs, wire.data(), u_int(wire.size()), XDR_DECODE);
        QCOMPARE(bool(decodeBoundedReadResponse(&xdrs, &response)), accepted);
        xdr_destroy(&xdrs);
        QCOMPARE(buffer.at(int(capacity)), '#'); // never a byte past the buffer
        if (accepted) {
            QTEST(buffer.left(int(response.length)), "data");
            QCOMPARE(response.reason, 4L);
        }
    }
};

QTEST_GUILESS_MAIN(TestVisalibNames)
#include "tst_visalib_names.moc"
