#include "instrument/clsherncontrol.h"
#include "instrument/clszoycontrol.h"
#include "tests/lists/listfiles.h"
#include "tests/mainwindow/windowrig.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

// The panels talk to a simulated generator on a free loopback port; the simulator's message log
// shows what went out. Every sent() call first round-trips a query, so the log is complete up to
// that point and a missing command really was not sent.
class TstPathPanels : public QObject
{
    Q_OBJECT

    WindowRig m_rig;
    SimInstr *m_sim = nullptr;
    AppMainWindow *m_win = nullptr;
    QScopedPointer<QTemporaryDir> m_storage;
    ClsInstrControl *m_instr = nullptr;

    // --- rig -----------------------------------------------------------------------------------

    bool startSim(const QString &strModel, const QString &strOptions)
    {
        m_storage.reset(new QTemporaryDir);
        QDir root(m_storage->path());
        root.mkpath(QStringLiteral("DataLists"));
        root.mkpath(QStringLiteral("CtrlLists"));
        for (const char *strFile :
             {"DataLists/alpha.dm_iqd", "CtrlLists/ctrl1.dm_iqc", "CtrlLists/ctrl2.dm_iqc"}) {
            if (!store(strFile))
                return false;
        }
        m_sim = m_rig.startSim(strModel, QStringLiteral("100001"), strOptions, 0, m_storage->path());
        return m_sim;
    }

    // A list file in the simulated instrument's storage.
    bool store(const char *strRelPath)
    {
        return writeFile(m_storage->path() + QLatin1Char('/') + QLatin1String(strRelPath), "x");
    }

    // A raw SCPI connection of its own, e.g. to give the instrument values the panels then read.
    void simCommand(const QByteArray &cmd)
    {
        RawScpiClient client;
        QVERIFY(client.connectTo(m_sim->process->socketPort()));
        QVERIFY(client.send(cmd + "\n"));
        QCOMPARE(client.query("*OPC?"), QByteArray("1"));
    }

    template <typename Model> bool attach()
    {
        m_instr = new Model(m_sim->strResource);
        m_win->attachInstrumentForPanels(m_instr);
        return m_instr->isSessionOpen();
    }

    // A window with a generator of this model and options assigned to its panels.
    template <typename Model = ClsZOYControl>
    bool open(const QString &strModel = QStringLiteral("ZOY550X"),
              const QString &strOptions = QStringLiteral("ZOY-B106,ZOY-B10"))
    {
        if (!startSim(strModel, strOptions))
            return false;
        m_win = m_rig.makeWindow();
        return attach<Model>();
    }

    // The wanted messages that are not among the sent ones.
    static QStringList missing(const QStringList &lstSent, QStringList lstWanted)
    {
        lstWanted.erase(std::remove_if(lstWanted.begin(), lstWanted.end(),
                                       [&](const QString &s) { return lstSent.contains(s); }),
                        lstWanted.end());
        return lstWanted;
    }

    void detach()
    {
        QCOMPARE(m_win->detachInstrumentForPanels(), m_instr);
        delete m_instr;
        m_instr = nullptr;
    }

    // The messages the simulator received since the previous call.
    QStringList sent()
    {
        const QString strSync = QStringLiteral("*IDN?");
        if (m_instr)
            m_instr->queryCommand(strSync);
        QStringList messages = m_sim->received();
        messages.removeAll(strSync);
        return messages;
    }

    template <typename T> T *w(const QString &strName) { return m_rig.w<T>(strName); }

    // Typing into a field and pressing return, through the field's validator.
    void enter(const QString &strField, const QString &strText)
    {
        auto *led = w<QLineEdit>(strField);
        led->clear();
        QTest::keyClicks(led, strText);
        QTest::keyClick(led, Qt::Key_Return);
    }
    // What the field then shows, followed by what went out.
    QStringList entered(const QString &strField, const QString &strText)
    {
        enter(strField, strText);
        return QStringList{w<QLineEdit>(strField)->text()} + sent();
    }

private slots:
    void init()
    {
        m_sim = nullptr;
        m_win = nullptr;
        m_rig.reset();
    }

    void cleanup()
    {
        if (m_instr)
            detach();
        m_rig.reset();
    }

    void fillAfterAssignment()
    {
        // Two RF paths (40 GHz and 20 GHz) and two baseband generators.
        QVERIFY(startSim("ZOY550X", "ZOY-B9,ZOY-B9,ZOY-B140,ZOY-B220"));
        simCommand("SOUR1:FREQ 1.5 GHz");
        simCommand("SOUR1:POW -12.5");
        simCommand("SOUR2:FREQ 2.25 GHz");
        m_win = m_rig.makeWindow();
        QVERIFY(attach<ClsZOYControl>());

        QCOMPARE(shownTexts(m_win, "ledRFFreqA ledRFLevA ledRFFreqB"),
                 QStringList({"1500", "-12.5", "2250"}));
        QCOMPARE(toolTipsOf(m_win, "ledRFFreqA ledRFFreqB ledRFLevA"),
                 QStringList({"Range: 0.1...40000 MHz", "Range: 0.1...20000 MHz", "Range: -145...30 dBm"}));
        QCOMPARE(enabledOf(m_win, "grpRFB grpCDMB"), QStringList({"grpRFB", "grpCDMB"}));
        QVERIFY(m_win->findChild<QTabWidget *>("tabWidget")->isTabEnabled(2));

        for (const QString &s : {QStringLiteral("A"), QStringLiteral("B")}) {
            const auto onPath = [&s](const char *names) {
                return QString::fromLatin1(names).replace('%', s);
            };
            QCOMPARE(shownTexts(m_win, onPath("cbxDataSrc% cbxModType% ledBitPerSym% cbxCoding% cbxFiltType% "
                                              "lblFiltParam1% cbxRampFunc%")),
                     QStringList({"All 1", "1024QAM", "10", "None", "APCOS25", "Roll Off:", "Cos"}));
            QCOMPARE(w<QDoubleSpinBox>("sbxRampTime" + s)->value(), 0.25);
            QCOMPARE(WindowRig::items(w<QComboBox>("cbxCLFile" + s)),
                     QStringList({"None", "ctrl1", "ctrl2"}));
            QCOMPARE(toolTipsOf(m_win, onPath("cbxCLFile% sbxRampRiseDly% ledRampLevAtt%")),
                     QStringList({"Control list files in directory: /var/user/CtrlLists",
                                  "Range: 0...4 symbols", "Range: 0...50 dB"}));
            // The ZOY550X has three markers per path; no control list is chosen.
            QCOMPARE(hiddenOf(m_win, onPath("cbxPRBSType% cbxDLFile% ledFiltParam2% cheMark3% cheMark4% "
                                            "cbxMark1%Out tabCtrlParams%")),
                     onPath("cbxPRBSType% cbxDLFile% ledFiltParam2% cheMark4% cbxMark1%Out tabCtrlParams%")
                         .split(' '));
        }
        const QStringList lstSent = sent();
        for (const char *strPath : {"1", "2"})
            QCOMPARE(
                missing(lstSent, QStringList({"SOUR ONE", "FORMat QAM1024", "SRATe 0.05 kHz", "CODing OFF",
                                              "FILTer:TYPE APCO25", "FILTer:PARameter:APCO25 0.05",
                                              "PRAMp:SHAPe Cosine", "PRAMp:TIME 0.25"})
                                     .replaceInStrings(QRegularExpression("^"),
                                                       QStringLiteral("SOURce%1:BB:DM:").arg(strPath))),
                QStringList());
        // No RF value is pushed by the filling, and nothing is switched on.
        QVERIFY(lstSent.filter(QRegularExpression("FREQuency |AMPLitude |STATe ON")).isEmpty());
    }

    void rfFrequencyLevelAndUnits()
    {
        // One RF path up to 6 GHz, one baseband generator.
        QVERIFY(open());
        sent();

        QVERIFY(m_rig.choose("cbxRFFreqUnitA", "GHz"));
        QCOMPARE(entered("ledRFFreqA", "7"), QStringList({"6", "SOURce1:FREQuency 6GHz"}));

        // MHz to kHz converts the shown value and sends nothing.
        QVERIFY(m_rig.choose("cbxRFFreqUnitA", "MHz"));
        QCOMPARE(w<QLineEdit>("ledRFFreqA")->text(), QStringLiteral("6000"));
        QCOMPARE(entered("ledRFFreqA", "1000"), QStringList({"1000", "SOURce1:FREQuency 1000MHz"}));
        QVERIFY(m_rig.choose("cbxRFFreqUnitA", "kHz"));
        QCOMPARE(w<QLineEdit>("ledRFFreqA")->text(), QStringLiteral("1000000"));
        QCOMPARE(w<QLineEdit>("ledRFFreqA")->toolTip(), QStringLiteral("Range: 100...6000000 kHz"));
        QVERIFY(sent().isEmpty());
        QCOMPARE(entered("ledRFFreqA", "50"), QStringList({"100", "SOURce1:FREQuency 100kHz"}));

        QCOMPARE(entered("ledRFLevA", "-200.5"),
                 QStringList({"-145", "SOURce1:POWer:LEVel:IMMediate:AMPLitude -145dBm"}));
        // The validator takes the unit's decimals only: the third one cannot be typed.
        QCOMPARE(entered("ledRFLevA", "-10.256"),
                 QStringList({"-10.25", "SOURce1:POWer:LEVel:IMMediate:AMPLitude -10.25dBm"}));
        // Text that is no number reads as 0; letters cannot even be typed.
        w<QLineEdit>("ledRFLevA")->setText(QStringLiteral("nan"));
        m_win->setRFLev(1);
        QCOMPARE(sent(), QStringList{"SOURce1:POWer:LEVel:IMMediate:AMPLitude 0dBm"});
        QCOMPARE(entered("ledRFLevA", "x"), QStringList{""});

        // The instrument has no path B: its controls stay disabled and its slots send nothing.
        QVERIFY(!m_win->findChild<QTabWidget *>("tabWidget")->isTabEnabled(2));
        QCOMPARE(enabledOf(m_win, "grpRFB grpCDMB"), QStringList());
        m_win->setRFFreq(2);
        m_win->switchRFLev(2);
        m_win->switchCDM(2);
        QVERIFY(sent().isEmpty());
    }

    void switchesTellTheirAction()
    {
        QVERIFY(open());
        sent();
        // Each switch: its button (the lamp beside it is "lbl" in place of "btn"), the word
        // before ON/OFF on the button, the command that goes out.
        const QList<QStringList> switches = {{"btnRFLevSwitchA", "RF ", "OUTPut1:STATe"},
                                             {"btnRampSwitchA", "", "SOURce1:BB:DM:PRAMp:STATe"},
                                             {"btnCDMSwitchA", "CDM ", "SOURce1:BB:DM:STATe"}};
        for (const QStringList &sw : switches) {
            auto *btn = w<QPushButton>(sw[0]);
            auto *lamp = w<QLabel>("lbl" + sw[0].mid(3));
            QVERIFY(showsImage(lamp, LampRed));
            btn->click();
            QCOMPARE(btn->text(), sw[1] + "OFF");
            QVERIFY(showsImage(lamp, LampGreen));
            QCOMPARE(sent(), QStringList{sw[2] + " ON"});
            btn->click();
            QCOMPARE(btn->text(), sw[1] + "ON");
            QVERIFY(showsImage(lamp, LampRed));
            QCOMPARE(sent(), QStringList{sw[2] + " OFF"});
        }

        // Back in the idle state every switch shows its initial text again.
        w<QPushButton>("btnRFLevSwitchA")->click();
        detach();
        // Without an instrument, or with a path index other than 1 and 2, a slot does nothing.
        for (int intPath : {0, 1, 2, 3}) {
            m_win->setRFFreq(intPath);
            m_win->switchRFLev(intPath);
            m_win->setCLFile(intPath);
            m_win->setMark1Mode(intPath);
        }
        m_win->updateDLCbx();
        QCOMPARE(w<QPushButton>("btnRFLevSwitchA")->text(), QStringLiteral("RF ON"));
        QVERIFY(showsImage(w<QLabel>("lblRFLevSwitchA"), LampRed));
        QVERIFY(!w<QGroupBox>("grpRFA")->isEnabled());
    }

    void symbolRateAndFskDeviationCap()
    {
        QVERIFY(open());
        QVERIFY(m_rig.choose("cbxModTypeA", "2FSK"));
        QCOMPARE(w<QLabel>("lblModParamA")->text(), QStringLiteral("Freq. Dev. [kHz]:"));
        QCOMPARE(hiddenOf(m_win, "ledModParamA cbxModParamA"), QStringList{"cbxModParamA"});
        QCOMPARE(WindowRig::items(w<QComboBox>("cbxCodingA")),
                 QStringList({"None", "Differential", "Differential+Gray", "Gray", "GSM"}));
        sent();

        QCOMPARE(entered("ledSymRateA", "250000"), QStringList({"100000", "SOURce1:BB:DM:SRATe 100000 kHz"}));
        QCOMPARE(entered("ledSymRateA", "0.01"), QStringList({"0.05", "SOURce1:BB:DM:SRATe 0.05 kHz"}));

        QCOMPARE(entered("ledSymRateA", "100"), QStringList({"100", "SOURce1:BB:DM:SRATe 100 kHz"}));
        QCOMPARE(entered("ledModParamA", "1000"), QStringList({"1000", "SOURce1:BB:DM:FSK:DEViation 1e+06"}));
        QCOMPARE(w<QLineEdit>("ledModParamA")->toolTip(), QStringLiteral("Range: 0.001...1500"));

        // A lower symbol rate caps the shown deviation at 15 times the rate; it goes out with the
        // next parameter entry only.
        QCOMPARE(entered("ledSymRateA", "10"), QStringList({"10", "SOURce1:BB:DM:SRATe 10 kHz"}));
        QCOMPARE(shownTexts(m_win, "ledModParamA"), QStringList{"150"});
        QCOMPARE(w<QLineEdit>("ledModParamA")->toolTip(), QStringLiteral("Range: 0.001...150"));
        QCOMPARE(entered("ledModParamA", "500"), QStringList({"150", "SOURce1:BB:DM:FSK:DEViation 150000"}));

        // The record's own maximum wins over a large symbol rate.
        enter("ledSymRateA", "5000");
        enter("ledModParamA", "60000");
        QCOMPARE(w<QLineEdit>("ledModParamA")->text(), QStringLiteral("40000"));

        // A modulation without parameter hides the parameter; one with limits offers them.
        QVERIFY(m_rig.choose("cbxModTypeA", "QPSK"));
        QCOMPARE(hiddenOf(m_win, "ledModParamA lblModParamA"), QStringList({"ledModParamA", "lblModParamA"}));
        QCOMPARE(w<QLineEdit>("ledBitPerSymA")->text(), QStringLiteral("2"));
        QVERIFY(m_rig.choose("cbxModTypeA", "ASK"));
        QCOMPARE(w<QLineEdit>("ledModParamA")->toolTip(), QStringLiteral("Range: 0...100"));
        QVERIFY(sent().contains("SOURce1:BB:DM:ASK:DEPTh 100"));
    }

    void dataSourceFilterAndMappingFiles()
    {
        QVERIFY(open());
        sent();

        QVERIFY(m_rig.choose("cbxDataSrcA", "PRBS"));
        auto *prbs = w<QComboBox>("cbxPRBSTypeA");
        QVERIFY(!prbs->isHidden() && prbs->isEnabled());
        QCOMPARE(prbs->count(), 7);
        QVERIFY(sent().contains("SOURce1:BB:DM:PRBS:LENGth  9"));
        QVERIFY(m_rig.choose("cbxPRBSTypeA", "PRBS 23"));
        QCOMPARE(sent(), QStringList{"SOURce1:BB:DM:PRBS:LENGth  23"});

        QVERIFY(m_rig.choose("cbxDataSrcA", "Data List"));
        QVERIFY(prbs->isHidden());
        auto *dl = w<QComboBox>("cbxDLFileA");
        QVERIFY(!dl->isHidden() && dl->isEnabled());
        QCOMPARE(WindowRig::items(dl), QStringList({"None", "alpha"}));
        QCOMPARE(dl->toolTip(), QStringLiteral("Data list files in directory: /var/user/DataLists"));
        QVERIFY(m_rig.choose("cbxDLFileA", "alpha"));
        QVERIFY(sent().contains("SOURce1:BB:DM:DLIS:SEL 'alpha'"));
        QVERIFY(m_rig.choose("cbxDataSrcA", "All 0"));
        QVERIFY(dl->isHidden());
        QCOMPARE(WindowRig::items(dl), QStringList{"None"});

        QVERIFY(m_rig.choose("cbxFiltTypeA", "Cosine"));
        QCOMPARE(w<QLabel>("lblFiltParam2A")->text(), QStringLiteral("Bandwidth [Hz]:"));
        QVERIFY(!w<QLineEdit>("ledFiltParam2A")->isHidden());
        QCOMPARE(w<QLineEdit>("ledFiltParam2A")->toolTip(), QStringLiteral("Range: 400...15000000"));
        sent();
        QCOMPARE(entered("ledFiltParam1A", "1.5"),
                 QStringList({"1", "SOURce1:BB:DM:FILTer:PARameter:COSine 1"}));
        QCOMPARE(entered("ledFiltParam2A", "100000"),
                 QStringList({"100000", "SOURce1:BB:DM:FILTer:PARameter:COSine:BANDwidth 100000"}));

        QVERIFY(m_rig.choose("cbxFiltTypeA", "USER"));
        auto *filt = w<QComboBox>("cbxFiltParam1A");
        QCOMPARE(hiddenOf(m_win, "cbxFiltParam1A ledFiltParam1A ledFiltParam2A"),
                 QStringList({"ledFiltParam1A", "ledFiltParam2A"}));
        QCOMPARE(WindowRig::items(filt), QStringList({"None", "gauss_bt03", "rc_alpha035"}));
        QCOMPARE(filt->toolTip(), QStringLiteral("Filter files in directory: /var/user/Filters"));
        QCOMPARE(sent().filter("FLISt:SEL"), QStringList{"SOURce1:BB:DM:FLISt:SELect \"\""});
        QVERIFY(m_rig.choose("cbxFiltParam1A", "rc_alpha035"));
        QCOMPARE(sent().filter("FLISt:SEL"), QStringList{"SOURce1:BB:DM:FLISt:SELect \"rc_alpha035\""});
        QVERIFY(m_rig.choose("cbxFiltTypeA", "Gauss (Linear)"));
        QVERIFY(filt->isHidden() && w<QLabel>("lblFiltParam1A")->isHidden());

        QVERIFY(m_rig.choose("cbxModTypeA", "USER"));
        auto *map = w<QComboBox>("cbxModParamA");
        QCOMPARE(hiddenOf(m_win, "cbxModParamA ledModParamA"), QStringList{"ledModParamA"});
        QCOMPARE(map->currentText(), QStringLiteral("None"));
        QVERIFY(WindowRig::items(map).contains("QPSK_gray"));
        QCOMPARE(map->toolTip(), QStringLiteral("Mapping files in directory: /var/user/Mappings"));
        // "None" selects no mapping file rather than one called "None".
        QVERIFY(sent().contains("SOURce1:BB:DM:MLISt:SELect \"\""));
        QVERIFY(m_rig.choose("cbxModParamA", "QPSK_gray"));
        QVERIFY(sent().contains("SOURce1:BB:DM:MLISt:SELect \"QPSK_gray\""));
    }

    void controlListNoneResetsRampAndMarkers()
    {
        QVERIFY(open());
        QVERIFY(m_rig.choose("cbxCLFileA", "ctrl1"));
        QVERIFY(!w<QWidget>("tabCtrlParamsA")->isHidden());
        QVERIFY(sent().contains("SOURce1:BB:DM:CLIS:SEL 'ctrl1'"));

        w<QPushButton>("btnRampSwitchA")->click();
        w<QCheckBox>("cheRampBBOnlyA")->setChecked(true);
        w<QDoubleSpinBox>("sbxRampTimeA")->setValue(4.0);
        w<QDoubleSpinBox>("sbxRampRiseDlyA")->setValue(2.0);
        enter("ledRampLevAttA", "70");
        QCOMPARE(w<QLineEdit>("ledRampLevAttA")->text(), QStringLiteral("50"));
        w<QCheckBox>("cheMark1A")->setChecked(true);
        w<QCheckBox>("cheMark2A")->setChecked(true);
        QCOMPARE(
            missing(sent(), {"SOURce1:BB:DM:PRAMp:STATe ON", "SOURce1:BB:DM:PRAMp:BBONly:STATe ON",
                             "SOURce1:BB:DM:PRAMp:TIME 4", "SOURce1:BB:DM:PRAMp:RDELay 2",
                             "SOURce1:BB:DM:PRAMp:ATTenuation 50", "SOURce1:BB:DM:TRIGger:OUTPut1:MODE CLISt",
                             "OUTPut:USER1:SIGNal MARKA1", "OUTPut:USER2:SIGNal MARKA2"}),
            QStringList());

        QVERIFY(m_rig.choose("cbxCLFileA", "None"));
        QVERIFY(w<QWidget>("tabCtrlParamsA")->isHidden());
        QCOMPARE(w<QPushButton>("btnRampSwitchA")->text(), QStringLiteral("ON"));
        QVERIFY(!w<QCheckBox>("cheRampBBOnlyA")->isChecked());
        QCOMPARE(w<QDoubleSpinBox>("sbxRampTimeA")->value(), 0.25);
        QCOMPARE(w<QDoubleSpinBox>("sbxRampRiseDlyA")->value(), 0.0);
        for (int m = 1; m <= 3; ++m) {
            QVERIFY(!w<QCheckBox>(QStringLiteral("cheMark%1A").arg(m))->isChecked());
            auto *out = w<QComboBox>(QStringLiteral("cbxMark%1AOut").arg(m));
            QCOMPARE(WindowRig::items(out), QStringList{"None"});
            QVERIFY(out->isHidden());
        }
        const QStringList lstSent = sent();
        QCOMPARE(lstSent.last(), QStringLiteral("SOURce1:BB:DM:CLIS:SEL ''"));
        QCOMPARE(missing(lstSent, {"SOURce1:BB:DM:PRAMp:SHAPe Cosine", "SOURce1:BB:DM:PRAMp:TIME 0.25",
                                   "SOURce1:BB:DM:PRAMp:RDELay 0", "SOURce1:BB:DM:PRAMp:ATTenuation 50",
                                   "SOURce1:BB:DM:PRAMp:BBONly:STATe OFF", "SOURce1:BB:DM:PRAMp:STATe OFF",
                                   "SOURce1:BB:DM:TRIGger:OUTPut1:MODE RATio",
                                   "SOURce1:BB:DM:TRIGger:OUTPut2:MODE RATio"}),
                 QStringList());
        // The connectors of the unchecked markers are free again.
        QCOMPARE(m_instr->getMarkerOutputs(1, 3).size(), 6);
    }

    void markerOutputsRefillEachOther()
    {
        QVERIFY(open("ZOY550X", "ZOY-B9,ZOY-B9,ZOY-B106,ZOY-B206"));
        auto *outA1 = w<QComboBox>("cbxMark1AOut");
        auto *outB1 = w<QComboBox>("cbxMark1BOut");
        w<QCheckBox>("cheMark1A")->setChecked(true);
        QCOMPARE(WindowRig::items(outA1),
                 QStringList({"USER1", "USER2", "USER3", "USER4", "USER5", "USER6"}));
        QVERIFY(!outA1->isHidden() && outA1->isEnabled());
        QVERIFY(sent().contains("OUTPut:USER1:SIGNal MARKA1"));
        w<QCheckBox>("cheMark1B")->setChecked(true);
        QCOMPARE(WindowRig::items(outB1), QStringList({"USER2", "USER3", "USER4", "USER5", "USER6"}));
        // Marker 1 of path A keeps its own choice first, followed by what is still free.
        QCOMPARE(WindowRig::items(outA1), QStringList({"USER1", "USER3", "USER4", "USER5", "USER6"}));

        QVERIFY(m_rig.choose("cbxMark1AOut", "USER4"));
        QCOMPARE(sent().filter("USER4"),
                 QStringList({"OUTPut:USER4:DIRection OUTPut", "OUTPut:USER4:SIGNal MARKA1"}));
        QCOMPARE(WindowRig::items(outA1), QStringList({"USER4", "USER1", "USER3", "USER5", "USER6"}));
        QCOMPARE(WindowRig::items(outB1), QStringList({"USER2", "USER1", "USER3", "USER5", "USER6"}));

        // Unchecking releases the connector for the others.
        w<QCheckBox>("cheMark1B")->setChecked(false);
        QVERIFY(sent().contains("SOURce2:BB:DM:TRIGger:OUTPut1:MODE RATio"));
        QVERIFY(!m_instr->getOutputUseMap().value("USER2"));
        QCOMPARE(WindowRig::items(outA1),
                 QStringList({"USER4", "USER1", "USER2", "USER3", "USER5", "USER6"}));

        // A new assignment starts from the new instrument's free outputs.
        detach();
        QCOMPARE(WindowRig::items(outA1), QStringList{"None"});
        QVERIFY(outA1->isHidden() && !w<QCheckBox>("cheMark1A")->isChecked());
        QVERIFY(attach<ClsZOYControl>());
        QCOMPARE(WindowRig::items(outA1), QStringList{"None"});
        QVERIFY(outA1->isHidden() && !outA1->isEnabled());
        w<QCheckBox>("cheMark1A")->setChecked(true);
        QCOMPARE(WindowRig::items(outA1),
                 QStringList({"USER1", "USER2", "USER3", "USER4", "USER5", "USER6"}));
    }

    void fixedMarkersSendNoOutput()
    {
        QVERIFY(open<ClsHERNControl>("HERN330X", "HERN-B10,HERN-B106"));
        QCOMPARE(hiddenOf(m_win, "cheMark2A cheMark3A cheMark4A cheMark2B cheMark3B cheMark4B"),
                 QStringList({"cheMark3A", "cheMark4A", "cheMark3B", "cheMark4B"}));
        sent();
        w<QCheckBox>("cheMark1A")->setChecked(true);
        auto *out = w<QComboBox>("cbxMark1AOut");
        QCOMPARE(WindowRig::items(out), QStringList{"Marker1"});
        QVERIFY(!out->isHidden() && !out->isEnabled());
        QCOMPARE(sent(), QStringList{"SOURce1:BB:DM:TRIGger:OUTPut1:MODE CLISt"});
    }

    void oneBasebandNeverRefillsPathB()
    {
        QVERIFY(open());
        QVERIFY(m_rig.choose("cbxDataSrcA", "Data List"));
        QVERIFY(m_rig.choose("cbxDLFileA", "alpha"));
        QVERIFY(m_rig.choose("cbxCLFileA", "ctrl2"));
        QVERIFY(store("DataLists/beta.dm_iqd"));
        QVERIFY(store("CtrlLists/ctrl3.dm_iqc"));
        sent();

        m_win->updateDLCbx();
        m_win->updateCLCbx();
        QCOMPARE(WindowRig::items(w<QComboBox>("cbxDLFileA")), QStringList({"None", "alpha", "beta"}));
        QCOMPARE(w<QComboBox>("cbxDLFileA")->currentText(), QStringLiteral("alpha"));
        QCOMPARE(WindowRig::items(w<QComboBox>("cbxCLFileA")),
                 QStringList({"None", "ctrl1", "ctrl2", "ctrl3"}));
        QCOMPARE(w<QComboBox>("cbxCLFileA")->currentText(), QStringLiteral("ctrl2"));
        QCOMPARE(WindowRig::items(w<QComboBox>("cbxDLFileB")), QStringList{"None"});
        QCOMPARE(WindowRig::items(w<QComboBox>("cbxCLFileB")), QStringList{"None"});

        const QStringList lstSent = sent();
        QVERIFY(lstSent.contains("SOURce1:BB:DM:DLISt:CATalog?"));
        QVERIFY(lstSent.contains("SOURce1:BB:DM:CLISt:CATalog?"));
        // Only catalogs were read: a refill selects nothing.
        QVERIFY(lstSent.filter("SEL").isEmpty());
        // Path B was never addressed, neither by the filling nor by the refills.
        const QString all = m_sim->log.messages().join(QLatin1Char('\n'));
        QVERIFY(!all.contains("SOURce2") && !all.contains("OUTPut2"));
    }
};

QTEST_MAIN(TstPathPanels)
#include "tst_pathpanels.moc"
