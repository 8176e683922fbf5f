// The DNS message codec of the mDNS querier and responder: wire bytes written by hand, round
// trips, and packets that break the format.

#include "dnsbytes.h"
#include "instrmanage/dnsmessage.h"

#include <QtTest>

using namespace DnsBytes;

Q_DECLARE_METATYPE(Dns::Error)

class TstDnsMessage : public QObject
{
    Q_OBJECT
private slots:
    void readsCompressedResponse();
    void roundTripCompressesAndKeepsCase();
    void buildRefusesInvalidNames();
    void hostilePacketsAreRefused_data();
    void hostilePacketsAreRefused();
};

void TstDnsMessage::readsCompressedResponse()
{
    // PTR _hislip._tcp.local -> "SMX 1.0\.1._hislip._tcp.local" with the service type compressed,
    // and an SRV record whose owner points at the instance name inside the PTR data.
    const QByteArray service = label("_hislip") + label("_tcp") + label("local") + '\0';
    QByteArray packet = header(0x1234, 0x8400, 0, 1, 0, 1) + service;
    const QByteArray ptrData = label("SMX 1.0.1") + QByteArray("\xC0\x0C", 2);
    packet += QByteArray("\x00\x0C\x80\x01\x00\x00\x11\x94\x00", 9) + char(ptrData.size()) + ptrData;
    const int instanceAt = 12 + service.size() + 10;
    const QByteArray srvData =
        QByteArray("\x00\x01\x00\x02\x12\xD0", 6) + label("host") + QByteArray("\xC0\x19", 2);
    packet += QByteArray("\xC0", 1) + char(instanceAt) +
              QByteArray("\x00\x21\x00\x01\x00\x00\x00\x78\x00", 9) + char(srvData.size()) + srvData;

    Dns::Message message;
    const Dns::ParseResult result = Dns::parse(packet, message);
    QCOMPARE(result.error, Dns::Error::None);
    QCOMPARE(message.id, quint16(0x1234));
    QCOMPARE(message.answers.size(), 1);
    QCOMPARE(message.additionals.size(), 1);
    const Dns::Record &ptr = message.answers.first();
    const Dns::Record &srv = message.additionals.first();
    QCOMPARE((QStringList{Dns::nameToText(ptr.name), QString::number(ptr.rclass, 16),
                          QString::number(ptr.ttl), Dns::nameToText(ptr.target)}),
             (QStringList{"_hislip._tcp.local", "8001", "4500", "SMX 1\\.0\\.1._hislip._tcp.local"}));
    QVERIFY(Dns::sameName(srv.name, ptr.target));
    QCOMPARE((QList<int>{srv.priority, srv.weight, srv.port}), (QList<int>{1, 2, 4816}));
    QVERIFY(Dns::sameName(Dns::nameFromText("HOST.Local."), srv.target));
}

void TstDnsMessage::roundTripCompressesAndKeepsCase()
{
    Dns::Message message;
    message.id = 7;
    message.flags = Dns::FlagResponse | Dns::FlagAuthoritative;
    message.questions.append({Dns::nameFromText("_lxi._tcp.local"), Dns::TypePtr, Dns::ClassIn});
    const Dns::Record ptr = DnsRecords::ptr("_lxi._tcp", "Gen A.b");
    Dns::Record txt = DnsRecords::record(QString(), Dns::TypeTxt);
    txt.name = ptr.target;
    txt.texts = {"txtvers=1", "", QByteArray(255, 'z')};
    Dns::Record address = DnsRecords::address("GEN-a.LOCAL", "192.0.2.5");
    address.rclass = Dns::ClassIn | Dns::ClassTopBit;
    // Differs in case only: written out again.
    Dns::Record other = DnsRecords::record("gen-a.local", 47);
    other.data = QByteArray("\x00\x01\xFF", 3);
    message.answers = {ptr, txt};
    message.additionals = {address, other};

    const QByteArray packet = Dns::build(message);
    Dns::Message again;
    QCOMPARE(Dns::parse(packet, again).error, Dns::Error::None);
    QVERIFY(again == message);
    QCOMPARE(Dns::nameToText(again.additionals.at(1).name), QStringLiteral("gen-a.local"));
    // "_lxi._tcp.local" is spelled out once, every later use is a two-byte pointer.
    QCOMPARE(packet.count("_lxi"), 1);
    QCOMPARE(Dns::build(again), packet);
}

void TstDnsMessage::buildRefusesInvalidNames()
{
    const QByteArray a63(63, 'a');
    for (const Dns::Name &name :
         {Dns::Name{QByteArray(64, 'a')}, Dns::Name{"a", "", "b"}, Dns::Name{a63, a63, a63, a63}}) {
        Dns::Message message;
        message.questions.append({name, Dns::TypeA, Dns::ClassIn});
        QVERIFY(Dns::build(message).isEmpty());
    }
    Dns::Message message;
    message.answers.append(DnsRecords::record("x.local", Dns::TypeTxt));
    message.answers.first().texts = {QByteArray(256, 'z')};
    QVERIFY(Dns::build(message).isEmpty());
    // 63 + 63 + 63 + 61 bytes of labels: 255 in wire form, the longest name there is.
    message.answers.first().texts.clear();
    message.answers.first().name = Dns::Name{a63, a63, a63, QByteArray(61, 'b')};
    QVERIFY(!Dns::build(message).isEmpty());
}

void TstDnsMessage::hostilePacketsAreRefused_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<Dns::Error>("error");
    const QList<Dns::Error> expected = {
        Dns::Error::Truncated,          Dns::Error::PointerLoop,   Dns::Error::PointerLoop,
        Dns::Error::PointerOutOfPacket, Dns::Error::PointerLoop,   Dns::Error::LabelTooLong,
        Dns::Error::LabelTooLong,       Dns::Error::NameTooLong,   Dns::Error::NameTooLong,
        Dns::Error::CountTooLarge,      Dns::Error::Truncated,     Dns::Error::BadRecordData,
        Dns::Error::Truncated,          Dns::Error::BadRecordData, Dns::Error::Truncated};
    const auto packets = hostilePackets();
    QCOMPARE(packets.size(), expected.size());
    for (int index = 0; index < packets.size(); ++index)
        QTest::newRow(packets.at(index).first) << packets.at(index).second << expected.at(index);
}

void TstDnsMessage::hostilePacketsAreRefused()
{
    QFETCH(QByteArray, packet);
    QFETCH(Dns::Error, error);
    Dns::Message message;
    const Dns::ParseResult result = Dns::parse(packet, message);
    QCOMPARE(result.error, error);
    QVERIFY(result.offset >= 0 && result.offset <= packet.size());
    QVERIFY(!Dns::errorText(result).isEmpty());
    // Every prefix of a refused packet is refused too; none reads past its end (ASan).
    for (int length = 0; length < packet.size(); ++length)
        QVERIFY(Dns::parse(packet.left(length), message).error != Dns::Error::None);
}

QTEST_GUILESS_MAIN(TstDnsMessage)
#include "tst_dnsmessage.moc"
