// The scanner's RPC encoders and decoders over canned bytes, its host naming rules and its choice
// of networks.

#include "instrmanage/hostnaming.h"
#include "instrmanage/scanendpoints.h"
#include "instrmanage/scanrpc.h"
#include "rpcbytes.h"

#include <QtTest>

using namespace RpcBytes;
using ScanRpc::HeaderStatus;
using ScanRpc::RecordState;

Q_DECLARE_METATYPE(ScanRpc::HeaderStatus)

class TstScanRpc : public QObject
{
    Q_OBJECT
private slots:
    void vxiCallLayouts();
    void replyHeaderChecks_data();
    void replyHeaderChecks();
    void recordAssembly();
    void resultParsersRefuseShortBodies();
    void deviceReadText();
    void hostNaming_data();
    void hostNaming();
    void endpointChoice_data();
    void endpointChoice();
};

void TstScanRpc::vxiCallLayouts()
{
    const QByteArray header11 = words({0, 2, 0x000607AF, 1});
    const QByteArray auth = words({0, 0, 0, 0});

    const QByteArray create = ScanRpc::buildCreateLinkCall(1001);
    QCOMPARE(create, words({0x80000040, 1001}) + header11 + words({10}) + auth + words({0, 0, 2000, 5}) +
                         QByteArray("inst0\0\0\0", 8));

    const QByteArray write = ScanRpc::buildDeviceWriteCall(1002, 7, "*IDN?\n");
    QCOMPARE(write.size(), 4 + 68);
    QCOMPARE(write, words({0x80000044, 1002}) + header11 + words({11}) + auth + words({7, 2000, 2000, 8, 6}) +
                        QByteArray("*IDN?\n\0\0", 8));

    const QByteArray read = ScanRpc::buildDeviceReadCall(1003, 7);
    QCOMPARE(read,
             words({0x80000040, 1003}) + header11 + words({12}) + auth + words({7, 1024, 2000, 0, 0, 0}));

    const QByteArray destroy = ScanRpc::buildDestroyLinkCall(1004, 7);
    QCOMPARE(destroy, words({0x8000002C, 1004}) + header11 + words({23}) + auth + words({7}));
}

void TstScanRpc::replyHeaderChecks_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<HeaderStatus>("status");
    QTest::addColumn<quint32>("acceptStatus");
    QTest::addColumn<int>("bodyOffset");

    // Bytes after the body do not matter.
    QTest::newRow("accepted") << getPortReply(1500, 1024) + "junk" << HeaderStatus::Ok << 0u << 24;
    // A denied reply has no verifier: the check stops at the reply status.
    QTest::newRow("outdated") << getPortReply(1499, 1024) << HeaderStatus::Outdated << 0u << 0;
    QTest::newRow("rejected-short") << words({1500, 1, 1}) << HeaderStatus::Rejected << 0u << 0;
    QTest::newRow("accept-status-max")
        << words({1500, 1, 0, 0, 0, 0xFFFFFFFF}) << HeaderStatus::NotAccepted << 0xFFFFFFFFu << 0;
    // A verifier body is skipped, padded to whole words, before the accept status.
    QTest::newRow("verifier-body") << words({1500, 1, 0, 1, 5}) + QByteArray(8, 'v') + words({0, 111})
                                   << HeaderStatus::Ok << 0u << 32;
    QTest::newRow("verifier-too-long")
        << words({1500, 1, 0, 1, 100}) + QByteArray(16, 'v') << HeaderStatus::Truncated << 0u << 0;
    QTest::newRow("verifier-beyond-limit") << words({1500, 1, 0, 1, 404}) + QByteArray(404, 'v') + words({0})
                                           << HeaderStatus::Truncated << 0u << 0;
    QTest::newRow("verifier-huge") << words({1500, 1, 0, 1, 0xFFFFFFFC}) << HeaderStatus::Truncated << 0u
                                   << 0;
}

void TstScanRpc::replyHeaderChecks()
{
    QFETCH(QByteArray, message);
    QFETCH(HeaderStatus, status);
    QFETCH(quint32, acceptStatus);
    QFETCH(int, bodyOffset);
    const ScanRpc::ReplyHeader header = ScanRpc::parseReplyHeader(message, 1500);
    QCOMPARE(header.status, status);
    if (status == HeaderStatus::NotAccepted)
        QCOMPARE(header.acceptStatus, acceptStatus);
    if (status == HeaderStatus::Ok)
        QCOMPARE(header.bodyOffset, bodyOffset);
}

void TstScanRpc::recordAssembly()
{
    QByteArray message;
    const QByteArray body = acceptedHeader(1001) + words({0, 5, 0, 1024});

    QCOMPARE(ScanRpc::assembleRecord(record(body), message), RecordState::Complete);
    QCOMPARE(message, body);
    // Bytes after the record (a second record) are not part of it.
    QCOMPARE(ScanRpc::assembleRecord(record(body) + record(body), message), RecordState::Complete);
    QCOMPARE(message, body);

    // A reply that arrives in pieces is complete only when its last byte is there.
    for (int length = 0; length < record(body).size(); ++length)
        QCOMPARE(ScanRpc::assembleRecord(record(body).left(length), message), RecordState::Incomplete);

    QCOMPARE(ScanRpc::assembleRecord(words({0x80000000}), message), RecordState::Invalid);
    QCOMPARE(ScanRpc::assembleRecord(words({0xFFFFFFFF}) + body, message), RecordState::Invalid);
    QCOMPARE(ScanRpc::assembleRecord(words({0x80000000u | quint32(ScanRpc::MaxRecordBytes + 1)}), message),
             RecordState::Invalid);
    // Many small fragments may not add up past the limit either.
    QByteArray flood;
    for (int i = 0; i <= ScanRpc::MaxRecordBytes / 1024; ++i)
        flood += words({1024}) + QByteArray(1024, 'x');
    QCOMPARE(ScanRpc::assembleRecord(flood, message), RecordState::Invalid);
}

void TstScanRpc::resultParsersRefuseShortBodies()
{
    ScanRpc::CreateLinkResult link;
    QVERIFY(ScanRpc::parseCreateLinkResult(words({0, 9, 1024, 4096}), link));
    QCOMPARE(link.lid, 9u);
    QCOMPARE(link.maxRecvSize, 4096u);
    QVERIFY(!ScanRpc::parseCreateLinkResult(QByteArray(3, '\0'), link));

    ScanRpc::DeviceWriteResult write;
    QVERIFY(ScanRpc::parseDeviceWriteResult(words({0, 6}), write));
    QCOMPARE(write.size, 6u);
    QVERIFY(!ScanRpc::parseDeviceWriteResult(words({0}), write));

    ScanRpc::DeviceReadResult read;
    QVERIFY(ScanRpc::parseDeviceReadResult(words({0, 4}) + opaque("A,B,C,D\n"), read));
    QCOMPARE(read.data, QByteArray("A,B,C,D\n"));
    QCOMPARE(read.reason, 4u);
    // A data length beyond the received bytes is refused instead of read past the end, also
    // where adding it to the offset would overflow.
    QVERIFY(!ScanRpc::parseDeviceReadResult(words({0, 4, 0xFFFFFFFF}) + QByteArray(64, 'x'), read));
    QVERIFY(!ScanRpc::parseDeviceReadResult(words({0, 4}), read));

    quint32 error = 99;
    QVERIFY(ScanRpc::parseErrorOnlyResult(words({0}), error));
    QCOMPARE(error, 0u);
    QVERIFY(!ScanRpc::parseErrorOnlyResult(QByteArray("\0\0", 2), error));
}

void TstScanRpc::deviceReadText()
{
    QCOMPARE(ScanRpc::deviceReadText("Tarvik,ZOY550X,101,1.0\n"), QStringLiteral("Tarvik,ZOY550X,101,1.0"));
    QCOMPARE(ScanRpc::deviceReadText(QByteArray("A,B\nC\0garbage", 13)), QStringLiteral("A,BC"));
    QCOMPARE(ScanRpc::deviceReadText(QByteArray("\0A", 2)), QString());
}

void TstScanRpc::hostNaming_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dottedQuad");
    QTest::addColumn<bool>("skipsLookup");
    QTest::addColumn<QString>("shortName");

    QTest::newRow("private") << "192.168.1.20" << true << true << "192.168.1.20";
    QTest::newRow("link-local") << "169.254.7.9" << true << true << "169.254.7.9";
    QTest::newRow("loopback") << "127.0.0.2" << true << false << "127.0.0.2";
    QTest::newRow("not-private") << "192.169.1.1" << true << false << "192.169.1.1";
    QTest::newRow("domain") << "zoy550x-101.lab.example" << false << false << "zoy550x-101";
    QTest::newRow("plain") << "tvgkr550x101" << false << false << "tvgkr550x101";
    QTest::newRow("too-many-digits") << "1234.1.1.1" << false << false << "1234";
    QTest::newRow("five-parts") << "1.2.3.4.5" << false << false << "1";
    QTest::newRow("quad-with-suffix") << "1.2.3.4x" << false << false << "1";
}

void TstScanRpc::hostNaming()
{
    QFETCH(QString, name);
    QFETCH(bool, dottedQuad);
    QFETCH(bool, skipsLookup);
    QFETCH(QString, shortName);
    QCOMPARE(HostNaming::isDottedQuad(name), dottedQuad);
    QCOMPARE(HostNaming::skipsNameLookup(name), skipsLookup);
    QCOMPARE(HostNaming::shortName(name), shortName);
}

void TstScanRpc::endpointChoice_data()
{
    // Interfaces as "address broadcast flags" (broadcast "-" for none; flags "up" = up, running
    // and broadcast-capable, "lo" = loopback, "down"), endpoints as "local>broadcast".
    QTest::addColumn<QStringList>("interfaces");
    QTest::addColumn<QStringList>("hostNameAddresses");
    QTest::addColumn<QStringList>("endpoints");
    const QString lo = QStringLiteral("127.0.0.1 - lo");
    QTest::newRow("debian-host-name-on-127.0.1.1")
        << QStringList{lo, "192.0.2.1 192.0.2.255 up"} << QStringList{"127.0.1.1"}
        << QStringList{"192.0.2.1>192.0.2.255"};
    QTest::newRow("two-networks-one-named")
        << QStringList{lo, "192.0.2.1 192.0.2.255 up", "198.51.100.7 198.51.100.127 up"}
        << QStringList{"198.51.100.7"} << QStringList{"192.0.2.1>192.0.2.255", "198.51.100.7>198.51.100.127"};
    QTest::newRow("host-name-on-a-link-without-broadcast")
        << QStringList{"192.0.2.1 192.0.2.255 up", "203.0.113.5 - up"} << QStringList{"203.0.113.5"}
        << QStringList{"192.0.2.1>192.0.2.255", "203.0.113.5>255.255.255.255"};
    QTest::newRow("interfaces-down-loopback-only")
        << QStringList{lo, "192.0.2.1 192.0.2.255 down"} << QStringList{"127.0.1.1", "127.0.1.1"}
        << QStringList{"127.0.1.1>255.255.255.255"};
    QTest::newRow("nothing") << QStringList{lo} << QStringList{} << QStringList{};
}

void TstScanRpc::endpointChoice()
{
    QFETCH(QStringList, interfaces);
    QFETCH(QStringList, hostNameAddresses);
    QFETCH(QStringList, endpoints);
    QList<ScanEndpoints::InterfaceAddress> lstInterfaces;
    for (const QString &text : interfaces) {
        const QStringList parts = text.split(QLatin1Char(' '));
        lstInterfaces.append(
            {QHostAddress(parts.at(0)), QHostAddress(parts.at(1)), parts.at(2) == "up", parts.at(2) == "lo"});
    }
    QList<QHostAddress> lstNamed;
    for (const QString &text : hostNameAddresses)
        lstNamed.append(QHostAddress(text));
    QStringList chosen;
    for (const ScanEndpoints::Endpoint &endpoint : ScanEndpoints::choose(lstInterfaces, lstNamed))
        chosen << endpoint.local.toString() + ">" + endpoint.broadcast.toString();
    QCOMPARE(chosen, endpoints);
}

QTEST_GUILESS_MAIN(TstScanRpc)
#include "tst_scanrpc.moc"
