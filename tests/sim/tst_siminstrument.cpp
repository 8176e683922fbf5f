// The simulated instrument end to end over its raw SCPI socket: identity, limits by model and
// options, the CDM settings, error queue, OPC timing, mass memory in both separator styles, the
// log and every fault that the raw socket can show. Free ports only, so it runs in parallel.
#include "simprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A simulator on free ports with a raw client connected to its instrument.
struct Connected : RawScpiClient
{
    SimProcess sim;
    bool start(const QStringList &arguments)
    {
        return sim.start(SimProcess::freePorts(arguments)) && connectTo(sim.socketPort());
    }
};

QByteArray block(const QByteArray &data)
{
    const QByteArray length = QByteArray::number(data.size());
    return '#' + QByteArray::number(length.size()) + length + data;
}

QByteArray binaryPayload(int size)
{
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data.append(char((i * 37 + 11) % 256)); // line feeds, quotes and '#' included
    return data;
}
} // namespace

class TstSimInstrument : public QObject
{
    Q_OBJECT
private slots:
    void identityAndOptions();
    void rfLimitsFollowModelAndOptions();
    void cdmSettingsRoundTrip();
    void headerPathAndCase();
    void errorQueueOrderAndOverflow();
    void opcWaitsForPreset();
    void massMemoryDriveStyle();
    void massMemoryStaysInsideStorage();
    void faultGarbage();
    void faultOpcNever();
    void survivesJunkAndManyClients();
};

void TstSimInstrument::identityAndOptions()
{
    Connected c;
    QVERIFY(c.start({"--model", "gkr550x", "--serial", "777001", "--manufacturer", "Acme"}));
    QCOMPARE(c.query("*IDN?"), QByteArray("Acme,GKR550X,1427.5004K02/777001,4.70.026.12"));
    const QList<QByteArray> options = c.query("*OPT?").split(',');
    QVERIFY(options.contains("GKR-B203")); // second RF path
    QCOMPARE(options.count("GKR-B10"), 2); // second baseband
    QVERIFY(options.contains("GKR-B31") && options.contains("GKR-B32"));
    QCOMPARE(c.query("*IDN?;*OPC?;*TST?"), QByteArray("Acme,GKR550X,1427.5004K02/777001,4.70.026.12;1;0"));
    QCOMPARE(c.sim.resources().value(0), QString("TCPIP0::127.0.0.1::%1::SOCKET").arg(c.sim.socketPort()));
}

void TstSimInstrument::rfLimitsFollowModelAndOptions()
{
    // Per simulator: each command with the error number it leaves in the queue (0: none).
    const QList<QPair<QStringList, QList<QByteArrayList>>> cases = {
        {{"--model", "ZOY550X"},
         {{"SOUR1:FREQ 40 GHz", "0"},
          {"SOUR2:FREQ 20GHz", "0"},
          {"SOUR2:FREQ 20.1GHz", "-222"},
          {"SOUR2:POW 30 dBm", "0"},
          {"SOUR1:POW -146", "-222"},
          {"OUTPut:USER1:SOURce AMARk1", "-113"}}}, // ZOY routes by signal
        {{"--model", "GKR550X", "--options", "GKR-B103,GKR-B10"},
         {{"SOUR2:FREQ 1GHz", "-114"},
          {"SOUR1:POW 25dBm", "-222"},
          {"SOUR1:FREQ 3.1GHz", "-222"},
          {"SOUR2:BB:DM:STAT ON", "-114"}}},
        {{"--model", "GKR550X"},
         {{"SOUR2:POW 30", "0"}, {"SOUR1:FREQ 5 dBm", "-131"}, {"OUTPut:USER5:SOURce AMARk1", "-114"}}},
        {{"--model", "GKR550X", "--options", ""}, {{"SOUR1:FREQ 1GHz", "-222"}}}, // no frequency option
        {{"--model", "DVT330X"}, {{"SOUR1:POW 20.5", "-222"}, {"OUTP2:STAT ON", "-114"}}},
        {{"--model", "HERN330X"}, {{"SOUR:FREQ 9 kHz", "0"}, {"OUTPut:USER1:SOURce AMARk1", "-113"}}},
        // above 50 MHz needs the software option
        {{"--model", "HERN330X", "--options", "HERN-B106"}, {{"SOUR1:BB:DM:SRAT 55000 kHz", "-222"}}},
    };
    for (const auto &k : cases) {
        Connected c;
        QVERIFY(c.start(k.first));
        for (const QByteArrayList &command : k.second) {
            QVERIFY(c.send(command[0] + '\n'));
            const QByteArray error = c.query("SYST:ERR?");
            QVERIFY2(error.startsWith(command[1] + ','),
                     qPrintable(k.first.join(' ') + " " + command[0] + " -> " + error));
        }
        if (k.first == QStringList{"--model", "ZOY550X"}) {
            QVERIFY(c.send("SOURce2:FREQuency 1.5GHz;:SOUR2:POW:LEV:IMM:AMPL -30.5;:OUTP2:STAT ON\n"));
            QCOMPARE(c.query("SOUR2:FREQ?;:SOUR2:POW?;:OUTP2?"), QByteArray("1500000000;-30.5;1"));
            QCOMPARE(c.query("SOUR1:FREQ? "), QByteArray("40000000000"));
        }
    }
}

void TstSimInstrument::cdmSettingsRoundTrip()
{
    Connected c;
    QVERIFY(c.start({"--model", "ZOY550X"}));
    const QList<QPair<QByteArray, QByteArray>> sets = {
        {"SOURce1:BB:DM:FORMat QPSK45", "SOUR1:BB:DM:FORM?|QPSK45"},
        {"SOURce2:BB:DM:FORMat QAM4096", "SOUR2:BB:DM:FORM?|QAM4096"},
        {"SOURce1:BB:DM:SOUR DLISt", "SOUR1:BB:DM:SOUR?|DLIS"},
        {"SOURce1:BB:DM:PRBS:LENGth  23", "SOUR1:BB:DM:PRBS?|23"},
        {"SOURce2:BB:DM:SRATe 270.833 kHz", "SOUR2:BB:DM:SRAT?|270833"},
        {"SOURce1:BB:DM:FSK:DEViation 4e+07", "SOUR1:BB:DM:FSK:DEV?|40000000"},
        {"SOURce1:BB:DM:FILTer:PARameter:COSine 0.5", "SOUR1:BB:DM:FILT:PAR:COS?|0.5"},
        {"SOURce1:BB:DM:PRAMp:SHAPe Linear", "SOUR1:BB:DM:PRAM:SHAP?|LIN"},
        {"SOURce1:BB:DM:PRAMp:BBONly:STATe ON", "SOUR1:BB:DM:PRAM:BBON?|1"},
        {"SOURce2:BB:DM:TRIGger:OUTPut3:MODE CLISt", "SOUR2:BB:DM:TRIG:OUTP3:MODE?|CLIS"},
    };
    for (const auto &s : sets) {
        QVERIFY(c.send(s.first + '\n'));
        const QList<QByteArray> q = s.second.split('|');
        QCOMPARE(c.query(q[0]), q[1]);
    }
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("0,\"No error\""));

    const QList<QByteArray> refused = {
        "SOURce1:BB:DM:PRAMp:RDELay -1",            // ZOY delays start at 0
        "SOURce1:BB:DM:TRIGger:OUTPut4:MODE CLISt", // three markers
        "SOURce1:BB:DM:FORMat QAM8",                // no such format
        "SOURce1:BB:DM:PRBS:LENGth 10",
        "SOURce1:BB:DM:DLISt:SELect 'missing'",
        "SOURce1:BB:DM:STATe",
        "SOURce1:BB:DM:STATe ON,OFF",
    };
    for (const QByteArray &command : refused) {
        QVERIFY(c.send(command + '\n'));
        QVERIFY2(!c.query("SYST:ERR?").startsWith("0,"), command.constData());
    }

    Connected g;
    QVERIFY(g.start({"--model", "GKR550X"}));
    QVERIFY(g.send("SOUR1:BB:DM:FORM QAM4096;:SOUR1:BB:DM:PRAM:RDEL -4;:SOUR1:BB:DM:FSK:DEV 4e+07\n"));
    QVERIFY(g.query("SYST:ERR?").startsWith("-224,"));
    QVERIFY(g.query("SYST:ERR?").startsWith("-222,")); // deviation above 15 MHz
    QCOMPARE(g.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    // The symbol rate limit follows the format: 25 MHz for QPSK, 15 MHz for 2FSK.
    QVERIFY(g.send("SOUR1:BB:DM:FORM QPSK;:SOUR1:BB:DM:SRAT 20000 kHz;:SOUR1:BB:DM:FORM "
                   "FSK2;:SOUR1:BB:DM:SRAT 20000 kHz\n"));
    QVERIFY(g.query("SYST:ERR?").startsWith("-222,"));
    QCOMPARE(g.query("SYST:ERR:COUN?"), QByteArray("0"));
    // Markers: GKR routes a source to a connector, ZOY a signal with a direction.
    QVERIFY(g.send("OUTPut:USER1:SOURce AMARk1;:OUTPut:USER4:SOURce BMARk4\n"));
    QCOMPARE(g.query("OUTP:USER1:SOUR?;:OUTP:USER4:SOUR?"), QByteArray("AMAR1;BMAR4"));
    QVERIFY(c.send("OUTPut:USER5:DIRection OUTPut;:OUTPut:USER5:SIGNal MARKB2\n"));
    QCOMPARE(c.query("OUTP:USER5:DIR?;:OUTP:USER5:SIGN?"), QByteArray("OUTP;MARKB2"));
}

void TstSimInstrument::headerPathAndCase()
{
    Connected c;
    QVERIFY(c.start({"--model", "ZOY550X"}));
    // "POW" continues the SOUR2 path of the unit before it; a leading colon starts afresh.
    QVERIFY(c.send("sour2:freq 2 GHZ;pow -12\r\n"));
    QCOMPARE(c.query("SOUR2:POW?"), QByteArray("-12"));
    QCOMPARE(c.query("source2:frequency?"), QByteArray("2000000000"));
    QVERIFY(c.send("SOUR2:BB:DM:FORM BPSK;:FORM QPSK\n"));
    QVERIFY(c.query("SYST:ERR?").startsWith("-113,"));
    QCOMPARE(c.query("SOUR2:BB:DM:FORM?"), QByteArray("BPSK"));
}

void TstSimInstrument::errorQueueOrderAndOverflow()
{
    Connected c;
    QVERIFY(c.start({"--model", "PLOXA550X"}));
    QCOMPARE(c.query("SYSTem:ERRor?"), QByteArray("0,\"No error\""));
    QCOMPARE(c.query("SYSTem:SERRor?"), QByteArray("0,\"No error\""));
    QVERIFY(c.send("FOO;SOUR1:FREQ 1 dBm;SOUR1:FREQ\n"));
    QCOMPARE(c.query("*ESR?"), QByteArray("160")); // power on (128) and command error (32)
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("-113,\"Undefined header\""));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("-131,\"Invalid suffix\""));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("-109,\"Missing parameter\""));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("0,\"No error\""));

    QByteArray many;
    for (int i = 0; i < 30; ++i)
        many += "BAD" + QByteArray::number(i) + ';';
    QVERIFY(c.send(many + '\n'));
    QCOMPARE(c.query("SYST:ERR:COUN?"), QByteArray("20"));
    for (int i = 0; i < 19; ++i)
        QVERIFY(c.query("SYST:ERR?").startsWith("-113,"));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("-350,\"Queue overflow\""));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    QVERIFY(c.send("BAD;*CLS\n"));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    QCOMPARE(c.query("*ESR?"), QByteArray("0"));
}

void TstSimInstrument::opcWaitsForPreset()
{
    Connected c;
    QVERIFY(c.start({"--model", "GKR550X", "--preset-time", "400"}));
    QVERIFY(c.send("SOUR1:FREQ 2GHz\n"));
    QElapsedTimer t;
    t.start();
    QCOMPARE(c.query("SYSTem:PRESet; *OPC?"), QByteArray("1"));
    QVERIFY2(t.elapsed() >= 350, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(c.query("SOUR1:FREQ?"), QByteArray("1000000000")); // the preset restored the default
    // *WAI holds back the query behind it; another client meanwhile is not blocked.
    t.restart();
    QVERIFY(c.send("SYST:PRES;*WAI;*IDN?\n"));
    RawScpiClient other;
    QVERIFY(other.connectTo(c.sim.socketPort()));
    QVERIFY(!other.query("*IDN?").isEmpty());
    QVERIFY(t.elapsed() < 300);
    QVERIFY(!c.readLine(3000).isEmpty());
    QVERIFY(t.elapsed() >= 350);
    t.restart();
    QCOMPARE(c.query("*OPC?"), QByteArray("1")); // idle: answered at once
    QVERIFY(t.elapsed() < 300);
}

void TstSimInstrument::massMemoryDriveStyle()
{
    QTemporaryDir storage;
    Connected c;
    QVERIFY(c.start({"--model", "GKR550X", "--storage", storage.path()}));
    const QByteArray payload = binaryPayload(1500);
    QVERIFY(c.send(":MMEM:MDIR 'D:\\DataLists'\n"));
    QVERIFY(c.send(":MMEM:DATA 'D:\\DataLists\\a.dm_iqd'," + block(payload) + "\n"));
    QCOMPARE(c.query("*OPC?"), QByteArray("1"));
    QFile stored(storage.path() + "/DataLists/a.dm_iqd");
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), payload);

    QVERIFY(c.send("MMEMory:CDIR '\\DataLists'\n"));
    QVERIFY(c.send("MMEM:DATA? 'a.dm_iqd'\n"));
    QCOMPARE(c.readExactly(6 + 1500 + 1), "#41500" + payload + "\n");
    QCOMPARE(c.query(":SYST:COMM:GPIB:LTER EOI;:SYST:COMM:GPIB:LTER?"), QByteArray("EOI"));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    QCOMPARE(c.query("MMEM:DEL 'D:\\DataLists\\a.dm_iqd'; *OPC?"), QByteArray("1"));
    QVERIFY(!QFile::exists(stored.fileName()));
    QVERIFY(c.send("MMEM:DEL 'D:\\DataLists\\a.dm_iqd'\n"));
    QVERIFY(c.query("SYST:ERR?").startsWith("-256,"));
}

void TstSimInstrument::massMemoryStaysInsideStorage()
{
    QTemporaryDir outer;
    const QString storage = outer.path() + "/storage";
    Connected c;
    QVERIFY(c.start({"--model", "GKR550X", "--storage", storage}));
    const QList<QByteArray> attempts = {
        ":MMEM:DATA 'D:\\..\\escape.bin',#11x", ":MMEM:DATA '..\\escape.bin',#11x",
        ":MMEM:DATA 'C:\\escape.bin',#11x",     ":MMEM:DATA 'D:\\a\\..\\..\\escape.bin',#11x",
        ":MMEM:MDIR 'D:\\..\\escapedir'",       ":MMEM:CDIR '..'",
        ":MMEM:DATA 'D:\\bad\x01name',#11x",
    };
    for (const QByteArray &a : attempts) {
        QVERIFY(c.send(a + '\n'));
        QVERIFY2(!c.query("SYST:ERR?").startsWith("0,"), a.constData());
    }
    QVERIFY(!QFile::exists(outer.path() + "/escape.bin"));
    QVERIFY(!QFile::exists(outer.path() + "/escapedir"));
}

void TstSimInstrument::faultGarbage()
{
    Connected g;
    QVERIFY(g.start({"--fault", "garbage"}));
    const QByteArray reply = g.query("*IDN?");
    QVERIFY(!reply.isEmpty());
    QVERIFY(!reply.contains("Tarvik"));
}

void TstSimInstrument::faultOpcNever()
{
    Connected o;
    QVERIFY(o.start({"--fault", "opc-never", "--preset-time", "50"}));
    QVERIFY(o.send("*ESE 1;*CLS;SYST:PRES;*OPC\n"));
    QTest::qWait(300);
    QCOMPARE(o.query("*ESR?").toInt() & 1, 0);
    QVERIFY(o.send("*OPC?\n"));
    QVERIFY(o.silentFor(500));
    RawScpiClient other; // the stuck client does not hold up others
    QVERIFY(other.connectTo(o.sim.socketPort()));
    QVERIFY(!other.query("*IDN?").isEmpty());
}

void TstSimInstrument::survivesJunkAndManyClients()
{
    SimProcess sim;
    QVERIFY(sim.start(SimProcess::freePorts({"--model", "HERN330X"})));
    QRandomGenerator random(42);
    for (int round = 0; round < 5; ++round) {
        RawScpiClient junk;
        QVERIFY(junk.connectTo(sim.socketPort()));
        QByteArray bytes(20000, 0);
        for (char &b : bytes)
            b = char(random.bounded(256));
        bytes += "#9999999999;'\"#(99999999999999999999)\n";
        junk.send(bytes);
        junk.socket().abort();
    }
    QList<RawScpiClient *> clients;
    for (int i = 0; i < 40; ++i) {
        clients << new RawScpiClient;
        QVERIFY(clients.last()->connectTo(sim.socketPort()));
        QVERIFY(clients.last()->send("*IDN?\n"));
    }
    for (RawScpiClient *client : clients)
        QVERIFY(client->readLine().startsWith("Tarvik,HERN330X"));
    qDeleteAll(clients);
    QCOMPARE(sim.process().state(), QProcess::Running);
}

QTEST_MAIN(TstSimInstrument)
#include "tst_siminstrument.moc"
