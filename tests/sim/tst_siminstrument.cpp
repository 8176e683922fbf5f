// The simulated instrument end to end over its raw SCPI socket: identity, limits by model and
// options, settings read back, error queue, OPC timing, mass memory and hostile
// clients. Free ports only, so it runs in parallel.
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
} // namespace

class TstSimInstrument : public QObject
{
    Q_OBJECT
private slots:
    void identityAndResource();
    void refusalsFollowModelAndOptions();
    void settingsReadBackAndHeaderPaths();
    void errorQueueOrderAndOverflow();
    void opcWaitsForPreset();
    void massMemoryDriveStyle();
    void massMemoryStaysInsideStorage();
    void survivesJunkAndManyClients();
};

void TstSimInstrument::identityAndResource()
{
    Connected c;
    QVERIFY(c.start({"--model", "gkr550x", "--serial", "777001", "--manufacturer", "Acme"}));
    QCOMPARE(c.query("*IDN?;*OPC?;*TST?"), QByteArray("Acme,GKR550X,1427.5004K02/777001,4.70.026.12;1;0"));
    QCOMPARE(c.sim.resources().value(0), QString("TCPIP0::127.0.0.1::%1::SOCKET").arg(c.sim.socketPort()));
}

void TstSimInstrument::refusalsFollowModelAndOptions()
{
    // Per simulator: each message with the error number it leaves in the queue (0: none).
    const QList<QPair<QStringList, QList<QByteArrayList>>> cases = {
        {{"--model", "ZOY550X"},
         {{"SOUR2:FREQ 20GHz", "0"},
          {"SOUR2:FREQ 20.1GHz", "-222"},
          {"OUTPut:USER1:SOURce AMARk1", "-113"}, // ZOY routes by signal
          {"SOURce1:BB:DM:PRAMp:RDELay -1", "-222"},
          {"SOURce1:BB:DM:TRIGger:OUTPut4:MODE CLISt", "-114"}, // three markers
          {"SOURce1:BB:DM:FORMat QAM8", "-224"},
          {"SOURce1:BB:DM:PRBS:LENGth 10", "-224"},
          {"SOURce1:BB:DM:DLISt:SELect 'missing'", "-256"},
          {"SOURce1:BB:DM:STATe", "-109"},
          {"SOURce1:BB:DM:STATe ON,OFF", "-108"}}},
        {{"--model", "GKR550X", "--options", "GKR-B103,GKR-B10"},
         {{"SOUR2:FREQ 1GHz", "-114"}, {"SOUR1:FREQ 3.1GHz", "-222"}}},
        {{"--model", "GKR550X"},
         {{"SOUR1:BB:DM:FORM QAM4096", "-224"},
          {"SOUR1:BB:DM:FSK:DEV 4e+07", "-222"}, // above 15 MHz
          // The symbol rate limit follows the format: 25 MHz for QPSK, 15 MHz for 2FSK.
          {"SOUR1:BB:DM:FORM QPSK;:SOUR1:BB:DM:SRAT 20000 kHz", "0"},
          {"SOUR1:BB:DM:FORM FSK2;:SOUR1:BB:DM:SRAT 20000 kHz", "-222"}}},
        {{"--model", "GKR550X", "--options", ""}, {{"SOUR1:FREQ 1GHz", "-222"}}}, // no frequency option
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
        QCOMPARE(c.query("SYST:ERR:COUN?"), QByteArray("0"));
    }
}

void TstSimInstrument::settingsReadBackAndHeaderPaths()
{
    Connected c;
    QVERIFY(c.start({"--model", "ZOY550X"}));
    QVERIFY(c.send("SOURce1:BB:DM:FORMat QPSK45;:SOURce2:BB:DM:FORMat QAM4096;:SOURce1:BB:DM:SOUR DLISt;"
                   ":SOURce1:BB:DM:PRBS:LENGth  23;:SOURce2:BB:DM:SRATe 270.833 kHz;"
                   ":SOURce1:BB:DM:FSK:DEViation 4e+07;:SOURce1:BB:DM:FILTer:PARameter:COSine 0.5;"
                   ":SOURce1:BB:DM:PRAMp:SHAPe Linear;:SOURce1:BB:DM:PRAMp:BBONly:STATe ON;"
                   ":SOURce2:BB:DM:TRIGger:OUTPut3:MODE CLISt\n"));
    QCOMPARE(c.query("SOUR1:BB:DM:FORM?;:SOUR2:BB:DM:FORM?;:SOUR1:BB:DM:SOUR?;:SOUR1:BB:DM:PRBS?;"
                     ":SOUR2:BB:DM:SRAT?;:SOUR1:BB:DM:FSK:DEV?;:SOUR1:BB:DM:FILT:PAR:COS?;"
                     ":SOUR1:BB:DM:PRAM:SHAP?;:SOUR1:BB:DM:PRAM:BBON?;:SOUR2:BB:DM:TRIG:OUTP3:MODE?"),
             QByteArray("QPSK45;QAM4096;DLIS;23;270833;40000000;0.5;LIN;1;CLIS"));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    // "POW" continues the SOUR2 path of the unit before it; a leading colon starts afresh.
    QVERIFY(c.send("sour2:freq 2 GHZ;pow -12\r\n"));
    QCOMPARE(c.query("SOUR2:POW?;:source2:frequency?"), QByteArray("-12;2000000000"));
    QVERIFY(c.send("SOUR2:BB:DM:FORM BPSK;:FORM QPSK\n"));
    QVERIFY(c.query("SYST:ERR?").startsWith("-113,"));
    QCOMPARE(c.query("SOUR2:BB:DM:FORM?"), QByteArray("BPSK"));
}

void TstSimInstrument::errorQueueOrderAndOverflow()
{
    Connected c;
    QVERIFY(c.start({"--model", "PLOXA550X"}));
    // A fresh instrument's empty queues are checked through the program (tst_instrcontrolsocket).
    QVERIFY(c.send("FOO;SOUR1:FREQ 1 dBm;SOUR1:FREQ\n"));
    QCOMPARE(c.query("*ESR?"), QByteArray("160")); // power on (128) and command error (32)
    QCOMPARE(c.query("SYST:ERR?;:SYST:ERR?;:SYST:ERR?;:SYST:ERR?"),
             QByteArray("-113,\"Undefined header\";-131,\"Invalid suffix\";-109,\"Missing parameter\";"
                        "0,\"No error\""));

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
    // Writes by drive path, folders and deletions are the program's uploads (tst_instrcontrolsocket);
    // here a read back by a path relative to the current folder, and a missing file.
    QTemporaryDir storage;
    Connected c;
    QVERIFY(c.start({"--model", "GKR550X", "--storage", storage.path()}));
    QByteArray payload;
    for (int i = 0; i < 1500; ++i)
        payload.append(char((i * 37 + 11) % 256)); // line feeds, quotes and '#' included
    QVERIFY(c.send(":MMEM:MDIR 'D:\\DataLists';:MMEM:DATA 'D:\\DataLists\\a.dm_iqd',#41500" + payload +
                   ";:MMEMory:CDIR '\\DataLists'\n"));
    QVERIFY(c.send("MMEM:DATA? 'a.dm_iqd'\n"));
    QCOMPARE(c.readExactly(6 + 1500 + 1), "#41500" + payload + "\n");
    QVERIFY(c.send("MMEM:DEL 'D:\\DataLists\\b.dm_iqd'\n"));
    QVERIFY(c.query("SYST:ERR?").startsWith("-256,"));
    QCOMPARE(c.query("SYST:ERR?"), QByteArray("0,\"No error\""));
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
