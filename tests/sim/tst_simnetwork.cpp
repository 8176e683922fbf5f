// The simulator's network faces with a client that knows nothing of it: liblxi (VXI-11 through the
// portmapper on port 111, and the raw socket on 5025). Its broadcast discovery is lxi-tools' in
// tst_vlandiscover. Runs in a private network namespace.
#include "simprocess.h"

#include <QtTest>

#include <lxi.h>

class TstSimNetwork : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lxiVxi11AndRaw();
    void wildcardAddressPrintsUsableNames();

private:
    SimProcess m_sim;
};

void TstSimNetwork::initTestCase()
{
    lxi_init();
    QVERIFY(m_sim.start({"--model", "ZOY550X"}));
    QCOMPARE(m_sim.socketPort(), quint16(5025));
}

void TstSimNetwork::lxiVxi11AndRaw()
{
    for (lxi_protocol_t protocol : {VXI11, RAW}) {
        const int device = lxi_connect("127.0.0.1", protocol == RAW ? 5025 : 0, "inst0", 2000, protocol);
        QVERIFY(device >= 0);
        const QByteArray command = protocol == RAW ? "*IDN?\n" : "*IDN?";
        QVERIFY(lxi_send(device, command.constData(), command.size(), 2000) >= 0);
        char reply[256] = {};
        const int n = lxi_receive(device, reply, sizeof(reply) - 1, 2000);
        QVERIFY(n > 0);
        QCOMPARE(QByteArray(reply, n).trimmed(),
                 QByteArray("Tarvik,ZOY550X,1430.8002K02/106070,5.00.122.24"));
        lxi_disconnect(device);
    }
}

void TstSimNetwork::wildcardAddressPrintsUsableNames()
{
    // Served on the wildcard address, the printed names are ones a client can open.
    SimProcess wildcard;
    QVERIFY(wildcard.start({"--address", "0.0.0.0", "--port", "0", "--vxi11-port", "0", "--portmapper-port",
                            "0", "--hislip-port", "0"}));
    QVERIFY(!wildcard.resources().isEmpty());
    for (const QString &name : wildcard.resources())
        QVERIFY2(name.startsWith("TCPIP0::127.0.0.1::"), qPrintable(name));
}

QTEST_MAIN(TstSimNetwork)
#include "tst_simnetwork.moc"
