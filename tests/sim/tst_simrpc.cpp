// RPC record marking, XDR bounds and the portmapper answers, without any network.
#include "sim/portmapperserver.h"
#include "sim/rpcmessage.h"
#include "sim/rpcrecord.h"
#include "sim/xdr.h"

#include <QtTest>

namespace {
QByteArray call(quint32 xid, quint32 program, quint32 version, quint32 procedure, const QList<quint32> &args)
{
    XdrWriter w;
    for (quint32 v : {xid, 0u, 2u, program, version, procedure, 0u, 0u, 0u, 0u})
        w.writeU32(v);
    for (quint32 v : args)
        w.writeU32(v);
    return w.data();
}

QList<quint32> words(const QByteArray &reply)
{
    XdrReader r(reply.constData(), reply.size());
    QList<quint32> out;
    while (r.remaining() >= 4)
        out << r.readU32();
    return out;
}
} // namespace

class TstSimRpc : public QObject
{
    Q_OBJECT
private slots:
    void recordsSplitAnywhereAndBatched();
    void fragmentsJoinAndOversizeFails();
    void xdrReaderStopsAtTheEnd();
    void callHeaderDecoding();
    void portmapperAnswers();
};

void TstSimRpc::recordsSplitAnywhereAndBatched()
{
    const QByteArray a = call(1, 100000, 2, 0, {});
    const QByteArray b = call(2, 100000, 2, 3, {0x0607AF, 1, 6, 0});
    const QByteArray stream = rpcRecordMark(a) + rpcRecordMark(b);
    for (int split = 0; split <= stream.size(); ++split) {
        RpcRecordAssembler assembler(1024);
        QList<QByteArray> records;
        QVERIFY(assembler.feed(stream.constData(), split, records));
        QVERIFY(assembler.feed(stream.constData() + split, stream.size() - split, records));
        QCOMPARE(records, (QList<QByteArray>{a, b}));
    }
}

void TstSimRpc::fragmentsJoinAndOversizeFails()
{
    // A fragment of 3 bytes, not the last, then the last one of 2.
    const QByteArray stream("\x00\x00\x00\x03"
                            "abc\x80\x00\x00\x02"
                            "de",
                            13);
    RpcRecordAssembler assembler(16);
    QList<QByteArray> records;
    QVERIFY(assembler.feed(stream.constData(), stream.size(), records));
    QCOMPARE(records, QList<QByteArray>{"abcde"});

    QVERIFY(!assembler.feed("\x80\x00\x00\x11", 4, records)); // 17 bytes, one beyond the limit
    QVERIFY(assembler.failed());
}

void TstSimRpc::xdrReaderStopsAtTheEnd()
{
    XdrWriter w;
    w.writeOpaque(QByteArray("hello"));
    QCOMPARE(w.data().size(), 12);
    XdrReader r(w.data().constData(), w.data().size());
    QCOMPARE(r.readOpaque(100), QByteArray("hello"));
    QVERIFY(r.ok());
    r.readU32();
    QVERIFY(!r.ok());

    XdrWriter liar; // claims more bytes than there are
    liar.writeU32(0x7FFFFFFF);
    XdrReader r2(liar.data().constData(), liar.data().size());
    QVERIFY(r2.readOpaque(0xFFFFFFFF).isEmpty());
    QVERIFY(!r2.ok());
    XdrReader r3(w.data().constData(), w.data().size());
    r3.readOpaque(4); // longer than allowed
    QVERIFY(!r3.ok());
}

void TstSimRpc::callHeaderDecoding()
{
    RpcCall c;
    QCOMPARE(decodeRpcCall(call(7, 0x0607AF, 1, 10, {}), c), RpcDecode::Ok);
    QCOMPARE(c.xid, 7u);
    QCOMPARE(c.procedure, 10u);
    QCOMPARE(c.argumentsOffset, qint64(40));
    const auto altered = [](int index, char value) {
        QByteArray bytes = call(7, 1, 1, 1, {});
        bytes[index] = value;
        return bytes;
    };
    QCOMPARE(decodeRpcCall(call(7, 1, 1, 1, {}).left(30), c), RpcDecode::Malformed);
    QCOMPARE(decodeRpcCall(altered(7, 1), c), RpcDecode::NotACall); // message type REPLY
    QCOMPARE(decodeRpcCall(altered(11, 3), c), RpcDecode::BadRpcVersion);
    QCOMPARE(words(RpcReply::rpcMismatch(7)), (QList<quint32>{7, 1, 1, 0, 2, 2}));
}

void TstSimRpc::portmapperAnswers()
{
    const PortmapperEntry entry{QHostAddress("127.0.0.2"), 4321};
    const auto answer = [&entry](quint32 program, quint32 version, quint32 procedure,
                                 const QList<quint32> &args = {}) {
        return words(answerPortmapperCall(call(5, program, version, procedure, args), entry, 111, false));
    };
    // GETPORT for VXI-11 core over TCP: the core port; for anything else 0.
    QCOMPARE(answer(100000, 2, 3, {0x0607AF, 1, 6, 0}), (QList<quint32>{5, 1, 0, 0, 0, 0, 4321}));
    QCOMPARE(answer(100000, 2, 3, {0x0607AF, 1, 17, 0}).mid(5), (QList<quint32>{0, 0}));
    QCOMPARE(answer(100000, 2, 3, {0x0607B0, 1, 6, 0}).mid(5), (QList<quint32>{0, 0}));
    // Unknown program, version, procedure and short arguments. (DUMP, and the answer to rpcbind
    // versions 3 and 4 that libtirpc's clients fall back on, are rpcinfo's in tst_pyvisa.)
    QCOMPARE(answer(100001, 2, 0).mid(5), QList<quint32>{1});
    QCOMPARE(answer(100000, 9, 3).mid(5), (QList<quint32>{2, 2, 2}));
    QCOMPARE(answer(100000, 2, 77).mid(5), QList<quint32>{3});
    QCOMPARE(answer(100000, 2, 3, {0x0607AF}).mid(5), QList<quint32>{4});
    QVERIFY(answerPortmapperCall(QByteArray("\x00\x00", 2), entry, 111, false).isEmpty());
}

QTEST_APPLESS_MAIN(TstSimRpc)
#include "tst_simrpc.moc"
