// Parser units of the simulated instrument: message splitting, header forms and suffixes,
// strings, blocks (also split at every byte position of the stream), numbers with units.
#include "sim/scpierrors.h"
#include "sim/scpiframer.h"
#include "sim/scpiparser.h"

#include <QtTest>

namespace {
QByteArrayList texts(const QList<ScpiMessage> &messages)
{
    QByteArrayList out;
    for (const ScpiMessage &m : messages)
        out << m.text;
    return out;
}
} // namespace

class TstSimScpiParser : public QObject
{
    Q_OBJECT
private slots:
    void headerForms_data();
    void headerForms();
    void messagesSplitIntoUnits_data();
    void messagesSplitIntoUnits();
    void numbersWithUnits_data();
    void numbersWithUnits();
    void booleans();
    void framerEndsMessagesAtLineFeedOutsideBlocks();
    void framerBlockSplitAtEveryPosition();
    void framerEndFlagAndTermination();
    void framerOverflowStaysInStep();
    void framerBlockByteLimit();
};

void TstSimScpiParser::headerForms_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QVector<int>>("suffixes"); // empty: no match
    const QByteArray pow = "[:SOURce#]:POWer[:LEVel][:IMMediate][:AMPLitude]";
    // Plain long, short and lower-case forms with suffixes are the settings tst_siminstrument reads.
    const auto row = [](const char *name, const QByteArray &pattern, const char *header,
                        const QVector<int> &suffixes) {
        QTest::newRow(name) << pattern << QByteArray(header) << suffixes;
    };
    row("mixed optional", pow, "Sour1:Pow:Ampl", {1});
    row("no source", pow, "POW", {1});
    row("partial mnemonic", pow, "SOURC:POW", {});
    row("suffix on plain node", pow, "SOUR:POW2", {});
    row("digits in mnemonic", "SOURce#:BB:DM:FILTer:PARameter:APCO25Lsm:GAUSs",
        "SOUR2:BB:DM:FILT:PAR:APCO25L:GAUS", {2});
    row("too many nodes", "OUTPut#[:STATe]", "OUTP:STAT:FOO", {});
}

void TstSimScpiParser::headerForms()
{
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, header);
    QFETCH(QVector<int>, suffixes);
    QVector<int> found;
    QCOMPARE(ScpiHeaderPattern(pattern).match(header, &found), !suffixes.isEmpty());
    if (!suffixes.isEmpty())
        QCOMPARE(found, suffixes);
}

// Each unit as "[:]<header>[?][ common] <error>: <param>|...", strings in quotes and blocks as
// #<length>; a unit with a syntax error only as "error <code>".
void TstSimScpiParser::messagesSplitIntoUnits_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QStringList>("units");
    QTest::newRow("units") << QByteArray("SOUR1:FREQ 100MHz;:OUTP1:STAT ON; *OPC?;MMEM:CAT? 'D:\\a;b\\*.*'")
                           << QStringList{"SOUR1:FREQ 0: 100MHz", ":OUTP1:STAT 0: ON",
                                          "*OPC? common 0: ", "MMEM:CAT? 0: 'D:\\a;b\\*.*'"};
    QTest::newRow("spaced") << QByteArray("SOURce1:BB:DM:PRBS:LENGth  9;SOURce2:BB:DM:SRATe 270.833 kHz")
                            << QStringList{"SOURce1:BB:DM:PRBS:LENGth 0: 9",
                                           "SOURce2:BB:DM:SRATe 0: 270.833 kHz"};
    QTest::newRow("doubled quotes") << QByteArray("X 'it''s',\"say \"\"hi\"\"\",'mixed\"quote'")
                                    << QStringList{"X 0: 'it's'|'say \"hi\"'|'mixed\"quote'"};
    QTest::newRow("open string") << QByteArray("X 'open;*IDN?") << QStringList{"error -151"};
    QTest::newRow("error per unit") << QByteArray("SOUR::FREQ 1;FREQ 1,;X 'a' junk;*IDN?")
                                    << QStringList{"error -102", "error -102", "error -103",
                                                   "*IDN? common 0: "};
    QTest::newRow("123 bytes announced, 3 sent")
        << QByteArray("MMEM:DATA 'f',#3123abc") << QStringList{"error -161"};
    QTest::newRow("short block") << QByteArray("MMEM:DATA 'f',#15abc") << QStringList{"error -161"};
    QTest::newRow("empty block") << QByteArray("MMEM:DATA 'f',#10") << QStringList{"MMEM:DATA 0: 'f'|#0"};
    QTest::newRow("indefinite block")
        << QByteArray("MMEM:DATA 'f',#0abc") << QStringList{"MMEM:DATA 0: 'f'|#3"};
}

void TstSimScpiParser::messagesSplitIntoUnits()
{
    QFETCH(QByteArray, message);
    QStringList lstUnits;
    for (const ScpiUnit &u : parseScpiMessage(message)) {
        QStringList lstParams;
        for (const ScpiParam &p : u.params)
            lstParams << (p.kind == ScpiParam::Block    ? "#" + QString::number(p.blockLength)
                          : p.kind == ScpiParam::String ? "'" + QString::fromLatin1(p.text) + "'"
                                                        : QString::fromLatin1(p.text));
        lstUnits << (u.error ? QString("error %1").arg(u.error)
                             : QString("%1%2%3%4 0: ")
                                       .arg(u.absolute ? ":" : "", QString::fromLatin1(u.header),
                                            u.query ? "?" : "", u.common ? " common" : "") +
                                   lstParams.join('|'));
    }
    QTEST(lstUnits, "units");
}

void TstSimScpiParser::numbersWithUnits_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("unit");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("error");
    const int f = int(ScpiUnitKind::Frequency);
    QTest::newRow("plain") << QByteArray("1500000") << f << 1.5e6 << 0;
    QTest::newRow("MHz means mega") << QByteArray("100MHz") << f << 1e8 << 0;
    QTest::newRow("GHz exponent") << QByteArray("1.5E-1GHZ") << f << 1.5e8 << 0;
    QTest::newRow("Hz lower") << QByteArray("5 hz") << f << 5.0 << 0;
    QTest::newRow("dBm") << QByteArray("-30 dBm") << int(ScpiUnitKind::Power) << -30.0 << 0;
    QTest::newRow("dB") << QByteArray("12.5DB") << int(ScpiUnitKind::Gain) << 12.5 << 0;
    QTest::newRow("not a number") << QByteArray("ON") << f << 0.0 << int(ScpiError::DataTypeError);
    QTest::newRow("two points") << QByteArray("1.2.3") << f << 0.0 << int(ScpiError::NumericDataError);
    QTest::newRow("overflow") << QByteArray("1e999") << f << 0.0 << int(ScpiError::NumericDataError);
    QTest::newRow("hex") << QByteArray("#H1F") << int(ScpiUnitKind::None) << 31.0 << 0;
}

void TstSimScpiParser::numbersWithUnits()
{
    QFETCH(QByteArray, text);
    QFETCH(int, unit);
    QFETCH(double, value);
    QFETCH(int, error);
    const ScpiNumber n = parseScpiNumber(text, ScpiUnitKind(unit));
    QCOMPARE(n.error, error);
    if (error == 0)
        QVERIFY(qAbs(n.value - value) <= 1e-9 * qMax(1.0, qAbs(value)));
    QCOMPARE(parseScpiNumber("max", ScpiUnitKind::Frequency).special, ScpiNumber::Maximum);
    QCOMPARE(parseScpiNumber("MINimum", ScpiUnitKind::Frequency).special, ScpiNumber::Minimum);
}

void TstSimScpiParser::booleans()
{
    bool v = false;
    QVERIFY(parseScpiBoolean("on", &v) && v);
    QVERIFY(parseScpiBoolean("OFF", &v) && !v);
    QVERIFY(parseScpiBoolean("1", &v) && v);
    QVERIFY(parseScpiBoolean(" 0 ", &v) && !v);
    QVERIFY(!parseScpiBoolean("maybe", &v));
}

void TstSimScpiParser::framerEndsMessagesAtLineFeedOutsideBlocks()
{
    ScpiFramer framer;
    QList<ScpiMessage> out;
    const QByteArray stream = "*IDN?\r\n\n:MMEM:DATA 'a',#15a\nb\r\n;*OPC?\nSYST:ERR?";
    QCOMPARE(framer.feed(stream.constData(), stream.size(), false, out), qint64(stream.size()));
    QCOMPARE(texts(out), (QByteArrayList{"*IDN?", ":MMEM:DATA 'a',#15a\nb\r\n;*OPC?"}));
    QCOMPARE(out[1].blockSpans, (QVector<QPair<int, int>>{{18, 5}}));
    QVERIFY(framer.hasPartialMessage());
    QCOMPARE(framer.takePartialMessage().termination, ScpiTermination::Cut);
}

void TstSimScpiParser::framerBlockSplitAtEveryPosition()
{
    QByteArray payload;
    for (int i = 0; i < 300; ++i)
        payload.append(char(i % 256)); // includes line feeds, quotes and '#'
    // Both length forms; the stream up to the split is fed byte by byte, the rest in one piece.
    for (const QByteArray &length : {QByteArray("#3300"), QByteArray("#(300)")}) {
        const QByteArray message = ":MMEM:DATA 'D:\\x.bin'," + length + payload;
        const QByteArray stream = message + "\n*IDN?\n";
        for (int split = 0; split <= stream.size(); ++split) {
            ScpiFramer framer;
            QList<ScpiMessage> out;
            for (int i = 0; i < split; ++i)
                framer.feed(stream.constData() + i, 1, false, out);
            framer.feed(stream.constData() + split, stream.size() - split, false, out);
            QCOMPARE(texts(out), (QByteArrayList{message, "*IDN?"}));
            const ScpiParam block = parseScpiMessage(out[0].text).value(0).params.value(1);
            QCOMPARE(out[0].text.mid(int(block.blockOffset), int(block.blockLength)), payload);
        }
    }
}

void TstSimScpiParser::framerEndFlagAndTermination()
{
    // A block in pieces with END on the last one is the program's upload over VXI-11 (the fault
    // matrix compares the stored file); here a line feed with and without END.
    ScpiFramer framer;
    framer.setLineFeedIsEnd(false);
    QList<ScpiMessage> out;
    framer.feed("*IDN?\n", 6, false, out);
    framer.feed("*OPC?\n", 6, true, out);
    QCOMPARE(texts(out), (QByteArrayList{"*IDN?", "*OPC?"}));
    QCOMPARE(out[0].termination, ScpiTermination::NoEnd);
    QCOMPARE(out[1].termination, ScpiTermination::End);
}

void TstSimScpiParser::framerOverflowStaysInStep()
{
    ScpiFramer framer(64);
    QList<ScpiMessage> out;
    const QByteArray big = "MMEM:DATA 'f',#3200" + QByteArray(200, '\n') + "\n*IDN?\n";
    framer.feed(big.constData(), big.size(), false, out);
    QCOMPARE(texts(out), (QByteArrayList{"", "*IDN?"}));
    QVERIFY(out[0].overflow);
}

void TstSimScpiParser::framerBlockByteLimit()
{
    ScpiFramer framer;
    framer.setBlockByteLimit(10);
    QList<ScpiMessage> out;
    const QByteArray stream = "MMEM:DATA 'f',#220" + QByteArray(20, 'x') + "\n";
    const qint64 used = framer.feed(stream.constData(), stream.size(), false, out);
    QCOMPARE(used, qint64(18 + 10));
    QVERIFY(framer.blockByteLimitReached());
    QVERIFY(out.isEmpty());
}

QTEST_APPLESS_MAIN(TstSimScpiParser)
#include "tst_simscpiparser.moc"
