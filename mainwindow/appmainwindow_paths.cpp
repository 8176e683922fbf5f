// The RF and CDM panels of the signal paths A and B. Every control change is checked against the
// limits that the assigned instrument's model control knows, traced and sent at once through one
// model operation; the panels keep no settings of their own besides the widgets' contents.

#include "mainwindow/appmainwindow.h"
#include "mainwindow/pathwidgets.h"

#include "instrument/cdmdisplaynames.h"
#include "instrument/clsinstrcontrol.h"

#include "ui_AppMainWindowUI.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDoubleValidator>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSignalMapper>
#include <QTabWidget>

#include <cmath>

namespace {

const QString NoneEntry = QString::fromUtf8(CdmNames::LblNone);
const QString StateOn = QStringLiteral("ON");
const QString StateOff = QStringLiteral("OFF");
const QString MarkerModeCList = QStringLiteral("CLISt");
const QString MarkerModeRatio = QStringLiteral("RATio");
const QString IconOn = QStringLiteral(":/Misc/Misc/Green.png");
const QString IconOff = QStringLiteral(":/Misc/Misc/Red.png");
const QString LevelUnit = QStringLiteral("dBm");

struct FreqUnit
{
    const char *name;
    double factor; // Hz per unit
    int decimals;
};
const FreqUnit FreqUnits[] = {{"kHz", 1e3, 5}, {"MHz", 1e6, 8}, {"GHz", 1e9, 11}};
constexpr int DefaultFreqUnit = 1; // MHz

constexpr int LevelDecimals = 2;
constexpr int SymRateDecimals = 6;
constexpr int ModParamDecimals = 3; // the FSK deviation goes down to 0.001 kHz
constexpr int FiltParamDecimals = 2;
constexpr int LevAttDecimals = 1;
constexpr int RampDecimals = 2;
// The frequency deviation of the FSK types may not exceed this multiple of the symbol rate.
constexpr double FskDeviationPerSymbolRate = 15.0;

const FreqUnit &freqUnit(const QString &strName)
{
    for (const FreqUnit &unit : FreqUnits) {
        if (strName == QLatin1String(unit.name))
            return unit;
    }
    return FreqUnits[DefaultFreqUnit];
}

void tracePath(const QString &strText)
{
    Tracer::traceDebug(QStringLiteral("APMAIN  : ") + strText);
}

// The value written with a fixed number of decimals, then trailing zeros and a trailing point
// removed: 1000.000000 becomes "1000".
QString numberText(double dblValue, int intDecimals)
{
    QString str = QString::number(dblValue, 'f', intDecimals);
    if (str.contains(QLatin1Char('.'))) {
        while (str.endsWith(QLatin1Char('0')))
            str.chop(1);
        if (str.endsWith(QLatin1Char('.')))
            str.chop(1);
    }
    if (str == QLatin1String("-0"))
        str = QStringLiteral("0");
    return str;
}

// A field's text as a number; anything that is not a finite number reads as 0 and is then
// corrected like any other value ("nan" and "inf" must never reach the instrument).
double parseNumber(const QString &strText, bool *bolOk = nullptr)
{
    bool ok = false;
    double dbl = strText.toDouble(&ok);
    if (!ok || !std::isfinite(dbl)) {
        dbl = 0.0;
        ok = false;
    }
    if (bolOk)
        *bolOk = ok;
    return dbl;
}

// Rounds down to the given decimals so that a cap written as number text never exceeds itself.
double floorTo(double dblValue, int intDecimals)
{
    const double dblScale = std::pow(10.0, intDecimals);
    return std::floor(dblValue * dblScale + 1e-9) / dblScale;
}

// Checks a numeric entry: only digits, sign and point with the range's decimals may be typed.
// A well-formed number outside the range is accepted on purpose: the slot behind the field
// corrects it to the nearest limit and traces that, which a plain QDoubleValidator would prevent
// by swallowing the return key.
class ClsRangeValidator : public QDoubleValidator
{
public:
    ClsRangeValidator(double dblMin, double dblMax, int intDecimals, QObject *parent)
        : QDoubleValidator(dblMin, dblMax, intDecimals, parent)
    {
        setNotation(StandardNotation);
        // The fields are written and read in C notation whatever the user's locale.
        setLocale(QLocale::c());
    }

    State validate(QString &strInput, int &intPos) const override
    {
        const State state = QDoubleValidator::validate(strInput, intPos);
        if (state != Intermediate)
            return state;
        bool ok = false;
        QLocale::c().toDouble(strInput, &ok);
        return ok ? Acceptable : Intermediate;
    }
};

QString rangeText(double dblMin, double dblMax, int intDecimals)
{
    return QStringLiteral("Range: ") + numberText(dblMin, intDecimals) + QStringLiteral("...") +
           numberText(dblMax, intDecimals);
}

void setFieldRange(QLineEdit *led, double dblMin, double dblMax, int intDecimals, const QString &strUnit)
{
    auto *validator = led->findChild<ClsRangeValidator *>();
    if (validator)
        validator->setRange(dblMin, dblMax, intDecimals);
    else
        led->setValidator(new ClsRangeValidator(dblMin, dblMax, intDecimals, led));
    QString strTip = rangeText(dblMin, dblMax, intDecimals);
    if (!strUnit.isEmpty())
        strTip += QLatin1Char(' ') + strUnit;
    led->setToolTip(strTip);
}

void clearFieldRange(QLineEdit *led)
{
    delete led->findChild<ClsRangeValidator *>(); // the line edit only holds a guarded pointer
    led->setToolTip(QString());
}

// Checks the value against the limits and traces a correction. The line templates have every
// placeholder filled but the last, which takes the limit as number text followed by the suffix.
double clampTraced(double dblValue, double dblMin, double dblMax, int intDecimals, const QString &strMinLine,
                   const QString &strMaxLine, const QString &strSuffix = QString())
{
    if (dblValue < dblMin) {
        tracePath(strMinLine.arg(numberText(dblMin, intDecimals) + strSuffix));
        return dblMin;
    }
    if (dblValue > dblMax) {
        tracePath(strMaxLine.arg(numberText(dblMax, intDecimals) + strSuffix));
        return dblMax;
    }
    return dblValue;
}

// "None" first, then the instrument's files in catalog order. An empty catalog reply splits
// into one empty name, which is no file.
void fillFileBox(QComboBox *cbx, const QStringList &lstFiles)
{
    cbx->clear();
    cbx->addItem(NoneEntry);
    for (const QString &strFile : lstFiles) {
        if (!strFile.isEmpty())
            cbx->addItem(strFile);
    }
}

// Keeps the shown file when it is still in the refilled box; otherwise "None" is shown.
void refillFileBox(QComboBox *cbx, const QStringList &lstFiles)
{
    const QString strShown = cbx->currentText();
    fillFileBox(cbx, lstFiles);
    cbx->setCurrentIndex(qMax(0, cbx->findText(strShown)));
}

// The file name that a file box stands for: "None" selects no file.
QString selectedFile(const QComboBox *cbx)
{
    const QString strShown = cbx->currentText();
    return strShown == NoneEntry ? QString() : strShown;
}

void setPlaceholderList(QComboBox *cbx)
{
    cbx->clear();
    cbx->addItem(NoneEntry);
    cbx->setToolTip(QString());
}

// The button text names what a click does: a text with "ON" switches on, one with "OFF" off.
QString switchAction(const QPushButton *btn)
{
    const QString strText = btn->text();
    if (strText.contains(StateOn))
        return StateOn;
    if (strText.contains(StateOff))
        return StateOff;
    return QString();
}

void showSwitchState(QPushButton *btn, QLabel *lblLamp, bool bolOn, const QString &strPrefix)
{
    btn->setText(strPrefix + (bolOn ? StateOff : StateOn));
    lblLamp->setPixmap(QPixmap(bolOn ? IconOn : IconOff));
}

void setVisibleEnabled(QWidget *wdg, bool bolOn)
{
    wdg->setEnabled(bolOn);
    wdg->setVisible(bolOn);
}

void retainSizeWhenHidden(QWidget *wdg)
{
    QSizePolicy policy = wdg->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    wdg->setSizePolicy(policy);
}

// One mapper per slot: the path A widget maps to 1, the path B widget to 2.
template <typename Widget, typename Signal>
void mapPathSignal(AppMainWindow *win, Widget *wdgA, Widget *wdgB, Signal signal,
                   void (AppMainWindow::*slot)(int))
{
    auto *mapper = new QSignalMapper(win);
    mapper->setMapping(wdgA, 1);
    mapper->setMapping(wdgB, 2);
    QObject::connect(wdgA, signal, mapper, qOverload<>(&QSignalMapper::map));
    QObject::connect(wdgB, signal, mapper, qOverload<>(&QSignalMapper::map));
    QObject::connect(mapper, &QSignalMapper::mappedInt, win, slot);
}

} // namespace

// --- set-up, reset and filling -----------------------------------------------------------------

void AppMainWindow::PathWidgetsCleanup::cleanup(PathWidgets *pw)
{
    delete pw;
}

// Token pasting keeps the two tables in step with the form: a renamed widget fails to compile.
#define LF_FILL_PATH_WIDGETS(pw, S)                                                                          \
    do {                                                                                                     \
        (pw).grpRF = ui->grpRF##S;                                                                           \
        (pw).ledRFFreq = ui->ledRFFreq##S;                                                                   \
        (pw).cbxRFFreqUnit = ui->cbxRFFreqUnit##S;                                                           \
        (pw).ledRFLev = ui->ledRFLev##S;                                                                     \
        (pw).cbxRFLevUnit = ui->cbxRFLevUnit##S;                                                             \
        (pw).btnRFLevSwitch = ui->btnRFLevSwitch##S;                                                         \
        (pw).lblRFLevSwitch = ui->lblRFLevSwitch##S;                                                         \
        (pw).grpCDM = ui->grpCDM##S;                                                                         \
        (pw).cbxDataSrc = ui->cbxDataSrc##S;                                                                 \
        (pw).lblPRBSType = ui->lblPRBSType##S;                                                               \
        (pw).cbxPRBSType = ui->cbxPRBSType##S;                                                               \
        (pw).lblDLFile = ui->lblDLFile##S;                                                                   \
        (pw).cbxDLFile = ui->cbxDLFile##S;                                                                   \
        (pw).cbxCLFile = ui->cbxCLFile##S;                                                                   \
        (pw).cbxModType = ui->cbxModType##S;                                                                 \
        (pw).ledBitPerSym = ui->ledBitPerSym##S;                                                             \
        (pw).lblModParam = ui->lblModParam##S;                                                               \
        (pw).ledModParam = ui->ledModParam##S;                                                               \
        (pw).cbxModParam = ui->cbxModParam##S;                                                               \
        (pw).ledSymRate = ui->ledSymRate##S;                                                                 \
        (pw).cbxCoding = ui->cbxCoding##S;                                                                   \
        (pw).cbxFiltType = ui->cbxFiltType##S;                                                               \
        (pw).lblFiltParam1 = ui->lblFiltParam1##S;                                                           \
        (pw).ledFiltParam1 = ui->ledFiltParam1##S;                                                           \
        (pw).cbxFiltParam1 = ui->cbxFiltParam1##S;                                                           \
        (pw).lblFiltParam2 = ui->lblFiltParam2##S;                                                           \
        (pw).ledFiltParam2 = ui->ledFiltParam2##S;                                                           \
        (pw).btnCDMSwitch = ui->btnCDMSwitch##S;                                                             \
        (pw).lblCDMSwitch = ui->lblCDMSwitch##S;                                                             \
        (pw).tabCtrlParams = ui->tabCtrlParams##S;                                                           \
        (pw).cbxRampFunc = ui->cbxRampFunc##S;                                                               \
        (pw).sbxRampTime = ui->sbxRampTime##S;                                                               \
        (pw).sbxRampRiseDly = ui->sbxRampRiseDly##S;                                                         \
        (pw).sbxRampFallDly = ui->sbxRampFallDly##S;                                                         \
        (pw).ledRampLevAtt = ui->ledRampLevAtt##S;                                                           \
        (pw).cheRampBBOnly = ui->cheRampBBOnly##S;                                                           \
        (pw).btnRampSwitch = ui->btnRampSwitch##S;                                                           \
        (pw).lblRampSwitch = ui->lblRampSwitch##S;                                                           \
        (pw).cheMark[0] = ui->cheMark1##S;                                                                   \
        (pw).cheMark[1] = ui->cheMark2##S;                                                                   \
        (pw).cheMark[2] = ui->cheMark3##S;                                                                   \
        (pw).cheMark[3] = ui->cheMark4##S;                                                                   \
        (pw).cbxMarkOut[0] = ui->cbxMark1##S##Out;                                                           \
        (pw).cbxMarkOut[1] = ui->cbxMark2##S##Out;                                                           \
        (pw).cbxMarkOut[2] = ui->cbxMark3##S##Out;                                                           \
        (pw).cbxMarkOut[3] = ui->cbxMark4##S##Out;                                                           \
    } while (false)

void AppMainWindow::initPathPanels()
{
    m_pathWidgets[0].reset(new PathWidgets);
    m_pathWidgets[1].reset(new PathWidgets);
    PathWidgets &a = *m_pathWidgets[0];
    PathWidgets &b = *m_pathWidgets[1];
    a.intPath = 1;
    b.intPath = 2;
    LF_FILL_PATH_WIDGETS(a, A);
    LF_FILL_PATH_WIDGETS(b, B);

    // Parameter labels and fields that come and go with the modulation or filter keep their
    // place, so the rest of the panel does not jump. PRBS type and data list share one cell and
    // give it up to each other.
    for (PathWidgets *pw : {&a, &b}) {
        for (QWidget *wdg :
             {static_cast<QWidget *>(pw->lblModParam), static_cast<QWidget *>(pw->lblFiltParam1),
              static_cast<QWidget *>(pw->lblFiltParam2), static_cast<QWidget *>(pw->ledFiltParam2)})
            retainSizeWhenHidden(wdg);
        for (QComboBox *cbx : pw->cbxMarkOut)
            retainSizeWhenHidden(cbx);
    }

    const auto activated = qOverload<int>(&QComboBox::activated);
    const auto spinChanged = qOverload<double>(&QDoubleSpinBox::valueChanged);
    mapPathSignal(this, a.ledRFFreq, b.ledRFFreq, &QLineEdit::returnPressed, &AppMainWindow::setRFFreq);
    mapPathSignal(this, a.cbxRFFreqUnit, b.cbxRFFreqUnit, activated, &AppMainWindow::setRFFreqUnit);
    mapPathSignal(this, a.ledRFLev, b.ledRFLev, &QLineEdit::returnPressed, &AppMainWindow::setRFLev);
    mapPathSignal(this, a.cbxRFLevUnit, b.cbxRFLevUnit, activated, &AppMainWindow::setRFLevUnit);
    mapPathSignal(this, a.btnRFLevSwitch, b.btnRFLevSwitch, &QPushButton::clicked,
                  &AppMainWindow::switchRFLev);
    mapPathSignal(this, a.cbxDataSrc, b.cbxDataSrc, activated, &AppMainWindow::setDataSrc);
    mapPathSignal(this, a.cbxDLFile, b.cbxDLFile, activated, &AppMainWindow::setDLFile);
    mapPathSignal(this, a.cbxCLFile, b.cbxCLFile, activated, &AppMainWindow::setCLFile);
    mapPathSignal(this, a.cbxPRBSType, b.cbxPRBSType, activated, &AppMainWindow::setPRBSType);
    mapPathSignal(this, a.cbxModType, b.cbxModType, activated, &AppMainWindow::setModType);
    mapPathSignal(this, a.ledModParam, b.ledModParam, &QLineEdit::returnPressed, &AppMainWindow::setModParam);
    mapPathSignal(this, a.cbxModParam, b.cbxModParam, activated, &AppMainWindow::setModMapFile);
    mapPathSignal(this, a.ledSymRate, b.ledSymRate, &QLineEdit::returnPressed, &AppMainWindow::setSymRate);
    mapPathSignal(this, a.cbxCoding, b.cbxCoding, activated, &AppMainWindow::setCoding);
    mapPathSignal(this, a.cbxFiltType, b.cbxFiltType, activated, &AppMainWindow::setFiltType);
    mapPathSignal(this, a.ledFiltParam1, b.ledFiltParam1, &QLineEdit::returnPressed,
                  &AppMainWindow::setFiltParam1);
    mapPathSignal(this, a.ledFiltParam2, b.ledFiltParam2, &QLineEdit::returnPressed,
                  &AppMainWindow::setFiltParam2);
    mapPathSignal(this, a.cbxFiltParam1, b.cbxFiltParam1, activated, &AppMainWindow::setFiltFile);
    mapPathSignal(this, a.cbxRampFunc, b.cbxRampFunc, activated, &AppMainWindow::setRampFunc);
    mapPathSignal(this, a.sbxRampTime, b.sbxRampTime, spinChanged, &AppMainWindow::setRampTime);
    mapPathSignal(this, a.sbxRampRiseDly, b.sbxRampRiseDly, spinChanged, &AppMainWindow::setRampRiseDly);
    mapPathSignal(this, a.sbxRampFallDly, b.sbxRampFallDly, spinChanged, &AppMainWindow::setRampFallDly);
    mapPathSignal(this, a.ledRampLevAtt, b.ledRampLevAtt, &QLineEdit::returnPressed,
                  &AppMainWindow::setRampLevAtt);
    mapPathSignal(this, a.cheRampBBOnly, b.cheRampBBOnly, &QCheckBox::stateChanged,
                  &AppMainWindow::setRampBBOnly);
    mapPathSignal(this, a.btnRampSwitch, b.btnRampSwitch, &QPushButton::clicked, &AppMainWindow::switchRamp);
    mapPathSignal(this, a.btnCDMSwitch, b.btnCDMSwitch, &QPushButton::clicked, &AppMainWindow::switchCDM);

    using Slot = void (AppMainWindow::*)(int);
    const Slot modeSlots[] = {&AppMainWindow::setMark1Mode, &AppMainWindow::setMark2Mode,
                              &AppMainWindow::setMark3Mode, &AppMainWindow::setMark4Mode};
    const Slot outSlots[] = {&AppMainWindow::setMark1Out, &AppMainWindow::setMark2Out,
                             &AppMainWindow::setMark3Out, &AppMainWindow::setMark4Out};
    for (int i = 0; i < PathWidgets::NumMarkers; ++i) {
        mapPathSignal(this, a.cheMark[i], b.cheMark[i], &QCheckBox::stateChanged, modeSlots[i]);
        mapPathSignal(this, a.cbxMarkOut[i], b.cbxMarkOut[i], activated, outSlots[i]);
    }
}

#undef LF_FILL_PATH_WIDGETS

void AppMainWindow::resetPathPanels()
{
    for (int i = 0; i < 2; ++i) {
        m_strRFFreqUnit[i] = QLatin1String(FreqUnits[DefaultFreqUnit].name);
        m_dblRFFreqFactor[i] = FreqUnits[DefaultFreqUnit].factor;
        m_strRFLevelUnit[i] = LevelUnit;
        if (m_pathWidgets[i])
            resetPath(*m_pathWidgets[i]);
    }
}

void AppMainWindow::resetPath(PathWidgets &pw)
{
    // Spin boxes and check boxes report programmatic changes too; placeholders are never sent.
    const QSignalBlocker blockTime(pw.sbxRampTime);
    const QSignalBlocker blockRise(pw.sbxRampRiseDly);
    const QSignalBlocker blockFall(pw.sbxRampFallDly);
    const QSignalBlocker blockBBOnly(pw.cheRampBBOnly);

    pw.grpRF->setEnabled(false);
    pw.ledRFFreq->setText(QStringLiteral("0"));
    pw.cbxRFFreqUnit->setCurrentIndex(DefaultFreqUnit);
    pw.ledRFLev->setText(QStringLiteral("0"));
    pw.cbxRFLevUnit->setCurrentIndex(0);
    clearFieldRange(pw.ledRFFreq);
    clearFieldRange(pw.ledRFLev);
    showSwitchState(pw.btnRFLevSwitch, pw.lblRFLevSwitch, false, QStringLiteral("RF "));

    pw.grpCDM->setEnabled(false);
    for (QComboBox *cbx : {pw.cbxDataSrc, pw.cbxPRBSType, pw.cbxDLFile, pw.cbxCLFile, pw.cbxModType,
                           pw.cbxModParam, pw.cbxCoding, pw.cbxFiltType, pw.cbxFiltParam1, pw.cbxRampFunc})
        setPlaceholderList(cbx);
    for (QLineEdit *led : {pw.ledBitPerSym, pw.ledModParam, pw.ledSymRate, pw.ledFiltParam1, pw.ledFiltParam2,
                           pw.ledRampLevAtt}) {
        led->setText(QStringLiteral("0"));
        clearFieldRange(led);
    }
    for (QWidget *wdg : {static_cast<QWidget *>(pw.lblModParam), static_cast<QWidget *>(pw.ledModParam),
                         static_cast<QWidget *>(pw.lblFiltParam1), static_cast<QWidget *>(pw.ledFiltParam1),
                         static_cast<QWidget *>(pw.lblFiltParam2), static_cast<QWidget *>(pw.ledFiltParam2)})
        setVisibleEnabled(wdg, true);
    // The placeholder data source offers neither PRBS types nor data lists.
    for (QWidget *wdg : {static_cast<QWidget *>(pw.lblPRBSType), static_cast<QWidget *>(pw.cbxPRBSType),
                         static_cast<QWidget *>(pw.lblDLFile), static_cast<QWidget *>(pw.cbxDLFile)})
        setVisibleEnabled(wdg, false);
    pw.cbxModParam->hide();
    pw.cbxFiltParam1->hide();
    pw.lblModParam->setText(QStringLiteral("Mod. Param.:"));
    pw.lblFiltParam1->setText(QStringLiteral("Filter Param. 1:"));
    pw.lblFiltParam2->setText(QStringLiteral("Filter Param. 2:"));
    showSwitchState(pw.btnCDMSwitch, pw.lblCDMSwitch, false, QStringLiteral("CDM "));

    // Ramp and markers only act with a control list, so their tab shows only while one is chosen.
    pw.tabCtrlParams->setEnabled(false);
    pw.tabCtrlParams->hide();
    pw.tabCtrlParams->setCurrentIndex(0);
    for (QDoubleSpinBox *sbx : {pw.sbxRampTime, pw.sbxRampRiseDly, pw.sbxRampFallDly}) {
        sbx->setRange(0.0, 0.0);
        sbx->setValue(0.0);
        sbx->setToolTip(QString());
    }
    pw.cheRampBBOnly->setChecked(false);
    showSwitchState(pw.btnRampSwitch, pw.lblRampSwitch, false, QString());
    for (int i = 0; i < PathWidgets::NumMarkers; ++i) {
        const QSignalBlocker blockMark(pw.cheMark[i]);
        pw.cheMark[i]->setChecked(false);
        pw.cheMark[i]->show();
        setPlaceholderList(pw.cbxMarkOut[i]);
        setVisibleEnabled(pw.cbxMarkOut[i], false);
    }
}

void AppMainWindow::fillPathPanels()
{
    resetPathPanels();
    if (!m_instr || !m_pathWidgets[0])
        return;
    const int intRFPaths = m_instr->getNumRFPaths();
    const int intBBPaths = m_instr->getNumBBPaths();
    const int intMarkers = m_instr->getNumMarkers();
    for (int i = 0; i < 2; ++i) {
        PathWidgets &pw = *m_pathWidgets[i];
        if (pw.intPath <= intRFPaths)
            fillRFGroup(pw);
        if (pw.intPath <= intBBPaths)
            fillCDMGroup(pw);
        // Only the markers that the instrument has are offered, on both paths alike.
        for (int m = 0; m < PathWidgets::NumMarkers; ++m) {
            pw.cheMark[m]->setVisible(m < intMarkers);
            if (m >= intMarkers)
                pw.cbxMarkOut[m]->hide();
        }
    }
}

void AppMainWindow::fillRFGroup(PathWidgets &pw)
{
    const int intPath = pw.intPath;
    const FreqUnit &unit = FreqUnits[DefaultFreqUnit];
    m_strRFFreqUnit[intPath - 1] = QLatin1String(unit.name);
    m_dblRFFreqFactor[intPath - 1] = unit.factor;
    m_strRFLevelUnit[intPath - 1] = LevelUnit;
    pw.cbxRFFreqUnit->setCurrentIndex(DefaultFreqUnit);
    pw.cbxRFLevUnit->setCurrentIndex(pw.cbxRFLevUnit->findText(LevelUnit));

    const double dblLevelDivisor = 1.0;
    pw.ledRFFreq->setText(
        numberText(parseNumber(m_instr->getRFFrequency(intPath, unit.factor, unit.decimals)), unit.decimals));
    pw.ledRFLev->setText(
        numberText(parseNumber(m_instr->getRFLevel(intPath, dblLevelDivisor, LevelDecimals)), LevelDecimals));
    refreshRFFreqRange(pw);
    refreshRFLevRange(pw);
    pw.grpRF->setEnabled(true);
}

void AppMainWindow::fillCDMGroup(PathWidgets &pw)
{
    const int intPath = pw.intPath;
    pw.grpCDM->setEnabled(true);
    pw.tabCtrlParams->setEnabled(true);

    pw.cbxDataSrc->clear();
    pw.cbxDataSrc->addItems(m_instr->getDataSourceTable().keys());
    pw.cbxDataSrc->setCurrentIndex(qMin(1, pw.cbxDataSrc->count() - 1));
    setDataSrc(intPath);

    fillFileBox(pw.cbxCLFile, m_instr->getControlListCatalog(intPath));
    pw.cbxCLFile->setToolTip(QStringLiteral("Control list files in directory: ") +
                             m_instr->getFullDirectory(3));
    pw.cbxCLFile->setCurrentIndex(0);

    pw.cbxModType->clear();
    pw.cbxModType->addItems(m_instr->getModulationTable().keys());
    pw.cbxModType->setCurrentIndex(0);
    setModType(intPath);

    pw.cbxFiltType->clear();
    pw.cbxFiltType->addItems(m_instr->getFilterTable().keys());
    pw.cbxFiltType->setCurrentIndex(0);
    setFiltType(intPath);

    pw.cbxRampFunc->clear();
    pw.cbxRampFunc->addItems({QString::fromUtf8(CdmNames::RampLin), QString::fromUtf8(CdmNames::RampCos)});
    pw.cbxRampFunc->setCurrentIndex(1);
    setRampFunc(intPath);

    struct SpinSetup
    {
        QDoubleSpinBox *sbx;
        EnuCdmRampLimit min;
        EnuCdmRampLimit max;
        double value;
    };
    const double dblRampTimeMin = m_instr->getCDMRampLimit(RampTimeMin);
    const SpinSetup spins[] = {{pw.sbxRampTime, RampTimeMin, RampTimeMax, dblRampTimeMin},
                               {pw.sbxRampRiseDly, RampRiseDelayMin, RampRiseDelayMax, 0.0},
                               {pw.sbxRampFallDly, RampFallDelayMin, RampFallDelayMax, 0.0}};
    for (const SpinSetup &spin : spins) {
        const QSignalBlocker block(spin.sbx);
        const double dblMin = m_instr->getCDMRampLimit(spin.min);
        const double dblMax = m_instr->getCDMRampLimit(spin.max);
        spin.sbx->setDecimals(RampDecimals);
        spin.sbx->setRange(dblMin, dblMax);
        spin.sbx->setValue(spin.value);
        spin.sbx->setToolTip(QStringLiteral("Range: %1...%2 symbols")
                                 .arg(numberText(dblMin, RampDecimals), numberText(dblMax, RampDecimals)));
    }
    // The preset may have left other ramp values; the panel's defaults go out explicitly.
    setRampTime(intPath);
    setRampRiseDly(intPath);
    setRampFallDly(intPath);

    pw.ledRampLevAtt->setText(QStringLiteral("0"));
    setFieldRange(pw.ledRampLevAtt, m_instr->getCDMRampLimit(LevelAttenuationMin),
                  m_instr->getCDMRampLimit(LevelAttenuationMax), LevAttDecimals, QStringLiteral("dB"));
}

// --- path look-up ------------------------------------------------------------------------------

AppMainWindow::PathWidgets *AppMainWindow::rfPathWidgets(int intSigPath) const
{
    if (intSigPath < 1 || intSigPath > 2 || !m_instr || intSigPath > m_instr->getNumRFPaths())
        return nullptr;
    return m_pathWidgets[intSigPath - 1].data();
}

AppMainWindow::PathWidgets *AppMainWindow::cdmPathWidgets(int intSigPath) const
{
    if (intSigPath < 1 || intSigPath > 2 || !m_instr || intSigPath > m_instr->getNumBBPaths())
        return nullptr;
    return m_pathWidgets[intSigPath - 1].data();
}

// --- test entry --------------------------------------------------------------------------------

void AppMainWindow::attachInstrumentForPanels(ClsInstrControl *instr)
{
    m_instr = instr;
    setAppState(StateActive);
    ui->tabWidget->setTabEnabled(1, true);
    ui->tabWidget->setTabEnabled(2, instr && (instr->getNumRFPaths() > 1 || instr->getNumBBPaths() > 1));
    ui->tabWidget->setCurrentIndex(1);
    fillPathPanels();
}

ClsInstrControl *AppMainWindow::detachInstrumentForPanels()
{
    ClsInstrControl *instr = m_instr;
    m_instr = nullptr;
    setIdleState(); // resets the panels to their placeholders
    return instr;
}

// --- RF ----------------------------------------------------------------------------------------

void AppMainWindow::refreshRFFreqRange(PathWidgets &pw)
{
    const FreqUnit &unit = freqUnit(pw.cbxRFFreqUnit->currentText());
    setFieldRange(pw.ledRFFreq, m_instr->getRFFreqMin(pw.intPath) / unit.factor,
                  m_instr->getRFFreqMax(pw.intPath) / unit.factor, unit.decimals, QLatin1String(unit.name));
}

void AppMainWindow::refreshRFLevRange(PathWidgets &pw)
{
    setFieldRange(pw.ledRFLev, m_instr->getRFLevelMin(pw.intPath), m_instr->getRFLevelMax(pw.intPath),
                  LevelDecimals, pw.cbxRFLevUnit->currentText());
}

void AppMainWindow::setRFFreq(int intSigPath)
{
    PathWidgets *pw = rfPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strEntered = pw->ledRFFreq->text();
    const QString strUnit = pw->cbxRFFreqUnit->currentText();
    const FreqUnit &unit = freqUnit(strUnit);
    tracePath(
        QStringLiteral("RF frequency on path %1 changed to: %2%3").arg(intSigPath).arg(strEntered, strUnit));

    const double dblValue = clampTraced(
        parseNumber(strEntered), m_instr->getRFFreqMin(intSigPath) / unit.factor,
        m_instr->getRFFreqMax(intSigPath) / unit.factor, unit.decimals,
        QStringLiteral("RF frequency on path %1 corrected to min RF frequency: %2").arg(intSigPath),
        QStringLiteral("RF frequency on path %1 corrected to max RF frequency: %2").arg(intSigPath), strUnit);
    const QString strValue = numberText(dblValue, unit.decimals);
    pw->ledRFFreq->setText(strValue);
    m_instr->setRFFrequency(intSigPath, strValue, strUnit);
}

void AppMainWindow::setRFFreqUnit(int intSigPath)
{
    PathWidgets *pw = rfPathWidgets(intSigPath);
    if (!pw)
        return;
    const int i = intSigPath - 1;
    const QString strNew = pw->cbxRFFreqUnit->currentText();
    const FreqUnit &unit = freqUnit(strNew);
    tracePath(QStringLiteral("RF frequency unit on path %1 changed from '%2' to '%3'")
                  .arg(intSigPath)
                  .arg(m_strRFFreqUnit[i], strNew));
    const double dblValue = parseNumber(pw->ledRFFreq->text()) * m_dblRFFreqFactor[i] / unit.factor;
    pw->ledRFFreq->setText(numberText(dblValue, unit.decimals));
    m_strRFFreqUnit[i] = strNew;
    m_dblRFFreqFactor[i] = unit.factor;
    refreshRFFreqRange(*pw);
}

void AppMainWindow::setRFLev(int intSigPath)
{
    PathWidgets *pw = rfPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strEntered = pw->ledRFLev->text();
    const QString strUnit = pw->cbxRFLevUnit->currentText();
    tracePath(
        QStringLiteral("RF level on path %1 changed to: %2%3").arg(intSigPath).arg(strEntered, strUnit));

    const double dblValue = clampTraced(
        parseNumber(strEntered), m_instr->getRFLevelMin(intSigPath), m_instr->getRFLevelMax(intSigPath),
        LevelDecimals, QStringLiteral("RF level on path %1 corrected to min RF level: %2").arg(intSigPath),
        QStringLiteral("RF level on path %1 corrected to max RF level: %2").arg(intSigPath), strUnit);
    const QString strValue = numberText(dblValue, LevelDecimals);
    pw->ledRFLev->setText(strValue);
    m_instr->setRFLevel(intSigPath, strValue, strUnit);
}

void AppMainWindow::setRFLevUnit(int intSigPath)
{
    PathWidgets *pw = rfPathWidgets(intSigPath);
    if (!pw)
        return;
    const int i = intSigPath - 1;
    const QString strNew = pw->cbxRFLevUnit->currentText();
    tracePath(QStringLiteral("RF level unit on path %1 changed from '%2' to '%3'")
                  .arg(intSigPath)
                  .arg(m_strRFLevelUnit[i], strNew));
    m_strRFLevelUnit[i] = strNew;
    pw->ledRFLev->setText(numberText(parseNumber(pw->ledRFLev->text()), LevelDecimals));
    refreshRFLevRange(*pw);
}

void AppMainWindow::switchRFLev(int intSigPath)
{
    PathWidgets *pw = rfPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strState = switchAction(pw->btnRFLevSwitch);
    if (strState.isEmpty())
        return;
    const bool bolOn = strState == StateOn;
    m_instr->switchRFLevel(intSigPath, strState);
    tracePath((bolOn ? QStringLiteral("RF level on path %1 activated")
                     : QStringLiteral("RF level on path %1 deactivated"))
                  .arg(intSigPath));
    showSwitchState(pw->btnRFLevSwitch, pw->lblRFLevSwitch, bolOn, QStringLiteral("RF "));
}

// --- data source and lists ---------------------------------------------------------------------

void AppMainWindow::setDataSrc(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strSource = pw->cbxDataSrc->currentText();
    m_instr->setCDMDataSource(intSigPath, strSource);
    tracePath(QStringLiteral("CDM data source on path %1 set to: %2").arg(intSigPath).arg(strSource));

    const DataSourceInfo info = m_instr->getDataSourceTable().value(strSource);
    pw->cbxPRBSType->clear();
    pw->cbxPRBSType->addItems(info.prbsTypes.isEmpty() ? QStringList{NoneEntry} : info.prbsTypes);
    pw->cbxPRBSType->setCurrentIndex(0);
    const bool bolPrbsChoice = pw->cbxPRBSType->count() >= 2;
    setVisibleEnabled(pw->cbxPRBSType, bolPrbsChoice);
    setVisibleEnabled(pw->lblPRBSType, bolPrbsChoice);
    setPRBSType(intSigPath);

    if (info.usesDataList) {
        fillFileBox(pw->cbxDLFile, m_instr->getDataListCatalog(intSigPath));
        pw->cbxDLFile->setToolTip(QStringLiteral("Data list files in directory: ") +
                                  m_instr->getFullDirectory(2));
    } else {
        setPlaceholderList(pw->cbxDLFile);
    }
    pw->cbxDLFile->setCurrentIndex(0);
    setVisibleEnabled(pw->cbxDLFile, info.usesDataList);
    setVisibleEnabled(pw->lblDLFile, info.usesDataList);
    setDLFile(intSigPath);
}

void AppMainWindow::setDLFile(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    // "None" is no file: an empty name, as for the control list, never a file called "None".
    m_instr->setCDMDataList(intSigPath, selectedFile(pw->cbxDLFile));
    tracePath(QStringLiteral("CDM data list file on path %1 set to: %2")
                  .arg(intSigPath)
                  .arg(pw->cbxDLFile->currentText()));
}

void AppMainWindow::setCLFile(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strShown = pw->cbxCLFile->currentText();
    if (strShown != NoneEntry) {
        pw->tabCtrlParams->show();
        m_instr->setCDMControlList(intSigPath, strShown);
        tracePath(
            QStringLiteral("CDM control list file on path %1 set to: %2").arg(intSigPath).arg(strShown));
        return;
    }

    // Without a control list nothing drives ramp and markers: put them back to neutral first.
    pw->tabCtrlParams->hide();
    setRampFunc(intSigPath);
    pw->sbxRampTime->setValue(m_instr->getCDMRampLimit(RampTimeMin));
    pw->sbxRampRiseDly->setValue(0.0);
    pw->sbxRampFallDly->setValue(0.0);
    setRampLevAtt(intSigPath);
    pw->cheRampBBOnly->setChecked(false);
    if (switchAction(pw->btnRampSwitch) == StateOff)
        switchRamp(intSigPath);
    for (QCheckBox *che : pw->cheMark)
        che->setChecked(false);
    m_instr->setCDMControlList(intSigPath, QString());
    tracePath(QStringLiteral("CDM control list file on path %1 set to: %2").arg(intSigPath).arg(strShown));
}

void AppMainWindow::setPRBSType(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strType = pw->cbxPRBSType->currentText();
    m_instr->setCDMPRBSType(intSigPath, strType);
    tracePath(QStringLiteral("CDM PRBS type on path %1 set to: %2").arg(intSigPath).arg(strType));
}

void AppMainWindow::updateDLCbx()
{
    if (!m_instr)
        return;
    tracePath(QStringLiteral("New data list file availabe on assigned instrument"));
    const QMap<QString, DataSourceInfo> sources = m_instr->getDataSourceTable();
    for (int intPath = 1; intPath <= 2; ++intPath) {
        PathWidgets *pw = cdmPathWidgets(intPath);
        // The box holds only "None" while the data source plays no data list.
        if (pw && sources.value(pw->cbxDataSrc->currentText()).usesDataList)
            refillFileBox(pw->cbxDLFile, m_instr->getDataListCatalog(intPath));
    }
}

void AppMainWindow::updateCLCbx()
{
    if (!m_instr)
        return;
    tracePath(QStringLiteral("New control list file availabe on assigned instrument"));
    for (int intPath = 1; intPath <= 2; ++intPath) {
        if (PathWidgets *pw = cdmPathWidgets(intPath))
            refillFileBox(pw->cbxCLFile, m_instr->getControlListCatalog(intPath));
    }
}

// --- modulation and symbol rate ----------------------------------------------------------------

bool AppMainWindow::modParamLimits(PathWidgets &pw, double &dblMin, double &dblMax) const
{
    const QString strMod = pw.cbxModType->currentText();
    const ModulationInfo info = m_instr->getModulationTable().value(strMod);
    bool bolMinOk = false;
    bool bolMaxOk = false;
    dblMin = parseNumber(info.paramMin, &bolMinOk);
    dblMax = parseNumber(info.paramMax, &bolMaxOk);
    if (!bolMinOk || !bolMaxOk || info.paramLabel.contains(QLatin1String("Map.")))
        return false;
    if (strMod.contains(QLatin1String("FSK"))) {
        // The deviation is in kHz like the symbol rate. Never below the minimum, so that a
        // symbol rate still being typed cannot produce an empty range.
        const double dblCap = FskDeviationPerSymbolRate * parseNumber(pw.ledSymRate->text());
        dblMax = qMax(dblMin, floorTo(qMin(dblMax, dblCap), ModParamDecimals));
    }
    return true;
}

void AppMainWindow::refreshModParamRange(PathWidgets &pw)
{
    double dblMin = 0.0;
    double dblMax = 0.0;
    if (modParamLimits(pw, dblMin, dblMax))
        setFieldRange(pw.ledModParam, dblMin, dblMax, ModParamDecimals, QString());
    else
        clearFieldRange(pw.ledModParam);
}

void AppMainWindow::refreshSymRateRange(PathWidgets &pw)
{
    const ModulationInfo info = m_instr->getModulationTable().value(pw.cbxModType->currentText());
    setFieldRange(pw.ledSymRate, parseNumber(info.symbolRateMin), parseNumber(info.symbolRateMax),
                  SymRateDecimals, QStringLiteral("kSym/s"));
}

void AppMainWindow::setModType(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strMod = pw->cbxModType->currentText();
    const QMap<QString, ModulationInfo> table = m_instr->getModulationTable();
    if (!table.contains(strMod))
        return;
    const ModulationInfo info = table.value(strMod);
    pw->ledBitPerSym->setText(info.bitsPerSymbol);
    if (m_intAppState != StateActive)
        return;

    m_instr->setCDMModType(intSigPath, strMod);
    tracePath(QStringLiteral("CDM modulation type on path %1 set to: %2").arg(intSigPath).arg(strMod));
    refreshSymRateRange(*pw);
    setSymRate(intSigPath);

    pw->cbxCoding->clear();
    pw->cbxCoding->addItems(info.codings.isEmpty() ? QStringList{NoneEntry} : info.codings);
    pw->cbxCoding->setCurrentIndex(qMax(0, pw->cbxCoding->findText(NoneEntry)));
    setCoding(intSigPath);

    const QString strLabel = info.paramLabel;
    if (strLabel.isEmpty() || strLabel == NoneEntry) {
        pw->lblModParam->hide();
        pw->ledModParam->hide();
        pw->cbxModParam->hide();
        return;
    }
    pw->lblModParam->setText(strLabel);
    pw->lblModParam->show();
    if (strLabel.contains(QLatin1String("Map."))) {
        pw->ledModParam->hide();
        fillFileBox(pw->cbxModParam, m_instr->getMappingFileCatalog(intSigPath));
        pw->cbxModParam->setToolTip(QStringLiteral("Mapping files in directory: ") +
                                    m_instr->getFullDirectory(4));
        pw->cbxModParam->setCurrentIndex(0);
        pw->cbxModParam->show();
        setModMapFile(intSigPath);
    } else {
        pw->cbxModParam->hide();
        pw->ledModParam->show();
        refreshModParamRange(*pw);
        setModParam(intSigPath);
    }
}

void AppMainWindow::setModParam(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    double dblMin = 0.0;
    double dblMax = 0.0;
    if (!modParamLimits(*pw, dblMin, dblMax))
        return;
    const QString strMod = pw->cbxModType->currentText();
    const double dblValue = clampTraced(
        parseNumber(pw->ledModParam->text()), dblMin, dblMax, ModParamDecimals,
        QStringLiteral("CDM modulation parameter on path %1 corrected to min value: %2").arg(intSigPath),
        QStringLiteral("CDM modulation parameter on path %1 corrected to max value: %2").arg(intSigPath));
    const QString strValue = numberText(dblValue, ModParamDecimals);
    pw->ledModParam->setText(strValue);
    const QString strLabel = m_instr->getModulationTable().value(strMod).paramLabel;
    m_instr->setCDMModParam(intSigPath, strMod, strLabel, strValue);
    tracePath(QStringLiteral("CDM modulation parameter on path %1 set to: %2").arg(intSigPath).arg(strValue));
}

void AppMainWindow::setModMapFile(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strMod = pw->cbxModType->currentText();
    const QString strLabel = m_instr->getModulationTable().value(strMod).paramLabel;
    if (!strLabel.contains(QLatin1String("Map.")))
        return;
    m_instr->setCDMModParam(intSigPath, strMod, strLabel, selectedFile(pw->cbxModParam));
    tracePath(QStringLiteral("CDM modulation mapping file on path %1 set to: %2")
                  .arg(intSigPath)
                  .arg(pw->cbxModParam->currentText()));
}

void AppMainWindow::setSymRate(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strMod = pw->cbxModType->currentText();
    const QMap<QString, ModulationInfo> table = m_instr->getModulationTable();
    if (!table.contains(strMod))
        return;
    const ModulationInfo info = table.value(strMod);
    const double dblValue = clampTraced(
        parseNumber(pw->ledSymRate->text()), parseNumber(info.symbolRateMin), parseNumber(info.symbolRateMax),
        SymRateDecimals,
        QStringLiteral("Symbole rate on path %1 corrected to min symbole rate: %2 kHz").arg(intSigPath),
        QStringLiteral("Symbole rate on path %1 corrected to max symbole rate: %2 kHz").arg(intSigPath));
    const QString strValue = numberText(dblValue, SymRateDecimals);
    pw->ledSymRate->setText(strValue);

    if (strMod.contains(QLatin1String("FSK"))) {
        // Shown only; the capped deviation goes out with the next parameter entry.
        const double dblCap = floorTo(FskDeviationPerSymbolRate * parseNumber(strValue), ModParamDecimals);
        if (parseNumber(pw->ledModParam->text()) > dblCap)
            pw->ledModParam->setText(numberText(dblCap, ModParamDecimals));
    }
    refreshModParamRange(*pw);
    m_instr->setCDMSymbolRate(intSigPath, strValue);
    tracePath(QStringLiteral("CDM symbole rate on path %1 set to: %2").arg(intSigPath).arg(strValue));
}

void AppMainWindow::setCoding(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strCoding = pw->cbxCoding->currentText();
    m_instr->setCDMCoding(intSigPath, strCoding);
    tracePath(QStringLiteral("CDM coding on path %1 set to: %2").arg(intSigPath).arg(strCoding));
}

// --- filter ------------------------------------------------------------------------------------

void AppMainWindow::setFiltType(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strFilter = pw->cbxFiltType->currentText();
    const QMap<QString, FilterInfo> table = m_instr->getFilterTable();
    if (!table.contains(strFilter))
        return;
    m_instr->setCDMFilterType(intSigPath, strFilter);
    tracePath(QStringLiteral("CDM filter type on path %1 set to: %2").arg(intSigPath).arg(strFilter));
    const FilterInfo info = table.value(strFilter);

    const QString strLabel1 = info.paramLabels[0];
    pw->lblFiltParam1->setText(strLabel1);
    if (strLabel1.isEmpty() || strLabel1 == NoneEntry) {
        pw->lblFiltParam1->hide();
        pw->ledFiltParam1->hide();
        pw->cbxFiltParam1->hide();
    } else if (strLabel1.contains(QLatin1String("Filter"))) {
        pw->lblFiltParam1->show();
        pw->ledFiltParam1->hide();
        fillFileBox(pw->cbxFiltParam1, m_instr->getFilterFileCatalog(intSigPath));
        pw->cbxFiltParam1->setToolTip(QStringLiteral("Filter files in directory: ") +
                                      m_instr->getFullDirectory(5));
        pw->cbxFiltParam1->setCurrentIndex(0);
        pw->cbxFiltParam1->show();
        setFiltFile(intSigPath);
    } else {
        pw->lblFiltParam1->show();
        pw->cbxFiltParam1->hide();
        pw->ledFiltParam1->show();
        setFieldRange(pw->ledFiltParam1, parseNumber(info.paramMins[0]), parseNumber(info.paramMaxs[0]),
                      FiltParamDecimals, QString());
        setFiltParam1(intSigPath);
    }

    const QString strLabel2 = info.paramLabels[1];
    const bool bolParam2 = !strLabel2.isEmpty() && strLabel2 != NoneEntry;
    pw->lblFiltParam2->setText(strLabel2);
    pw->lblFiltParam2->setVisible(bolParam2);
    pw->ledFiltParam2->setVisible(bolParam2);
    if (bolParam2) {
        setFieldRange(pw->ledFiltParam2, parseNumber(info.paramMins[1]), parseNumber(info.paramMaxs[1]),
                      FiltParamDecimals, QString());
        setFiltParam2(intSigPath);
    }
}

void AppMainWindow::setFiltParam(int intSigPath, int intParam)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strFilter = pw->cbxFiltType->currentText();
    const FilterInfo info = m_instr->getFilterTable().value(strFilter);
    const QString strLabel = info.paramLabels[intParam - 1];
    bool bolMinOk = false;
    bool bolMaxOk = false;
    const double dblMin = parseNumber(info.paramMins[intParam - 1], &bolMinOk);
    const double dblMax = parseNumber(info.paramMaxs[intParam - 1], &bolMaxOk);
    if (!bolMinOk || !bolMaxOk || strLabel.contains(QLatin1String("Filter")))
        return; // no numeric parameter of this filter
    QLineEdit *led = intParam == 1 ? pw->ledFiltParam1 : pw->ledFiltParam2;
    const double dblValue =
        clampTraced(parseNumber(led->text()), dblMin, dblMax, FiltParamDecimals,
                    QStringLiteral("Filter parameter %1 on path %2 corrected to min value: %3 kHz")
                        .arg(intParam)
                        .arg(intSigPath),
                    QStringLiteral("Filter parameter %1 on path %2 corrected to max value: %3 kHz")
                        .arg(intParam)
                        .arg(intSigPath));
    const QString strValue = numberText(dblValue, FiltParamDecimals);
    led->setText(strValue);
    m_instr->setCDMFilterParam(intSigPath, strFilter, strLabel, strValue);
    tracePath(QStringLiteral("CDM filter parameter %1 on path %2 set to: %3")
                  .arg(intParam)
                  .arg(intSigPath)
                  .arg(strValue));
}

void AppMainWindow::setFiltParam1(int intSigPath)
{
    setFiltParam(intSigPath, 1);
}

void AppMainWindow::setFiltParam2(int intSigPath)
{
    setFiltParam(intSigPath, 2);
}

void AppMainWindow::setFiltFile(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strFilter = pw->cbxFiltType->currentText();
    const QString strLabel = m_instr->getFilterTable().value(strFilter).paramLabels[0];
    if (!strLabel.contains(QLatin1String("Filter")))
        return;
    m_instr->setCDMFilterParam(intSigPath, strFilter, strLabel, selectedFile(pw->cbxFiltParam1));
    tracePath(QStringLiteral("CDM shaping filter file on path %1 set to: %2")
                  .arg(intSigPath)
                  .arg(pw->cbxFiltParam1->currentText()));
}

// --- ramp --------------------------------------------------------------------------------------

void AppMainWindow::setRampFunc(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strFunc = pw->cbxRampFunc->currentText();
    m_instr->setCDMRampFunction(intSigPath, strFunc);
    tracePath(QStringLiteral("CDM ramp function on path %1 set to: %2").arg(intSigPath).arg(strFunc));
}

void AppMainWindow::setRampTime(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strValue = QString::number(pw->sbxRampTime->value(), 'g', 6);
    m_instr->setCDMRampTime(intSigPath, strValue);
    tracePath(QStringLiteral("CDM ramp time on path %1 set to: %2 symbols").arg(intSigPath).arg(strValue));
}

void AppMainWindow::setRampRiseDly(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strValue = QString::number(pw->sbxRampRiseDly->value(), 'g', 6);
    m_instr->setCDMRampRiseDelay(intSigPath, strValue);
    tracePath(
        QStringLiteral("CDM ramp rise delay on path %1 set to: %2 symbols").arg(intSigPath).arg(strValue));
}

void AppMainWindow::setRampFallDly(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strValue = QString::number(pw->sbxRampFallDly->value(), 'g', 6);
    m_instr->setCDMRampFallDelay(intSigPath, strValue);
    tracePath(
        QStringLiteral("CDM ramp fall delay on path %1 set to: %2 symbols").arg(intSigPath).arg(strValue));
}

void AppMainWindow::setRampLevAtt(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const double dblValue = clampTraced(
        parseNumber(pw->ledRampLevAtt->text()), m_instr->getCDMRampLimit(LevelAttenuationMin),
        m_instr->getCDMRampLimit(LevelAttenuationMax), LevAttDecimals,
        QStringLiteral("Ramp level attenuation on path %1 corrected to min level attenuation: %2 kHz")
            .arg(intSigPath),
        QStringLiteral("Ramp level attenuation on path %1 corrected to max level attenuation: %2 kHz")
            .arg(intSigPath));
    const QString strValue = numberText(dblValue, LevAttDecimals);
    pw->ledRampLevAtt->setText(strValue);
    m_instr->setCDMLevelAttenuation(intSigPath, strValue);
    tracePath(
        QStringLiteral("CDM ramp level attenuation on path %1 set to: %2").arg(intSigPath).arg(strValue));
}

void AppMainWindow::setRampBBOnly(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const bool bolOn = pw->cheRampBBOnly->isChecked();
    m_instr->setCDMRampBBOnly(intSigPath, bolOn ? StateOn : StateOff);
    tracePath((bolOn ? QStringLiteral("CDM ramp baseband only on path %1 activated")
                     : QStringLiteral("CDM ramp baseband only on path %1 deactivated"))
                  .arg(intSigPath));
}

void AppMainWindow::switchRamp(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strState = switchAction(pw->btnRampSwitch);
    if (strState.isEmpty())
        return;
    const bool bolOn = strState == StateOn;
    m_instr->switchCDMRamp(intSigPath, strState);
    tracePath((bolOn ? QStringLiteral("CDM raming on path %1 activated")
                     : QStringLiteral("CDM ramping on path %1 deactivated"))
                  .arg(intSigPath));
    showSwitchState(pw->btnRampSwitch, pw->lblRampSwitch, bolOn, QString());
}

void AppMainWindow::switchCDM(int intSigPath)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw)
        return;
    const QString strState = switchAction(pw->btnCDMSwitch);
    if (strState.isEmpty())
        return;
    const bool bolOn = strState == StateOn;
    m_instr->switchCDM(intSigPath, strState);
    tracePath(
        (bolOn ? QStringLiteral("CDM on path %1 activated") : QStringLiteral("CDM on path %1 deactivated"))
            .arg(intSigPath));
    showSwitchState(pw->btnCDMSwitch, pw->lblCDMSwitch, bolOn, QStringLiteral("CDM "));
}

// --- markers -----------------------------------------------------------------------------------

bool AppMainWindow::isMarkerRoutable(int intSigPath, int intMarker) const
{
    const QList<QList<MarkerRoute>> routes = m_instr->getMarkerRouteTable();
    if (intSigPath < 1 || intSigPath > routes.size())
        return false;
    const QList<MarkerRoute> &pathRoutes = routes.at(intSigPath - 1);
    return intMarker >= 1 && intMarker <= pathRoutes.size() && pathRoutes.at(intMarker - 1).routable != 0;
}

void AppMainWindow::setMarkMode(int intSigPath, int intMarker)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw || intMarker < 1 || intMarker > qMin(int(PathWidgets::NumMarkers), int(m_instr->getNumMarkers())))
        return;
    const bool bolChecked = pw->cheMark[intMarker - 1]->isChecked();
    const QString strMode = bolChecked ? MarkerModeCList : MarkerModeRatio;
    m_instr->setCDMMarkerMode(intSigPath, intMarker, strMode);
    tracePath(QStringLiteral("CDM marker %1 mode on path %2 set to: %3")
                  .arg(intMarker)
                  .arg(intSigPath)
                  .arg(strMode));

    QComboBox *cbx = pw->cbxMarkOut[intMarker - 1];
    cbx->clear();
    if (bolChecked) {
        // With every output taken the marker can only stay unassigned.
        const QStringList lstOutputs = m_instr->getMarkerOutputs(intSigPath, intMarker);
        cbx->addItems(lstOutputs.isEmpty() ? QStringList{NoneEntry} : lstOutputs);
        cbx->setCurrentIndex(0);
        cbx->setEnabled(isMarkerRoutable(intSigPath, intMarker));
        cbx->show();
    } else {
        cbx->addItem(NoneEntry);
        setVisibleEnabled(cbx, false);
    }
    setMarkOut(intSigPath, intMarker);
}

void AppMainWindow::setMarkOut(int intSigPath, int intMarker)
{
    PathWidgets *pw = cdmPathWidgets(intSigPath);
    if (!pw || intMarker < 1 || intMarker > qMin(int(PathWidgets::NumMarkers), int(m_instr->getNumMarkers())))
        return;
    if (!isMarkerRoutable(intSigPath, intMarker))
        return; // a fixed output needs no assignment
    const QString strOutput =
        pw->cheMark[intMarker - 1]->isChecked() ? pw->cbxMarkOut[intMarker - 1]->currentText() : NoneEntry;
    m_instr->setMarkerOutput(intSigPath, intMarker, strOutput);
    refreshMarkerOutputs();
}

void AppMainWindow::refreshMarkerOutputs()
{
    const int intMarkers = qMin(int(PathWidgets::NumMarkers), int(m_instr->getNumMarkers()));
    for (int intPath = 1; intPath <= 2; ++intPath) {
        PathWidgets *pw = cdmPathWidgets(intPath);
        if (!pw)
            continue;
        for (int intMarker = 1; intMarker <= intMarkers; ++intMarker) {
            if (!pw->cheMark[intMarker - 1]->isChecked() || !isMarkerRoutable(intPath, intMarker))
                continue;
            QComboBox *cbx = pw->cbxMarkOut[intMarker - 1];
            const QString strCurrent = cbx->currentText();
            cbx->clear();
            cbx->addItem(strCurrent);
            cbx->addItems(m_instr->getMarkerOutputs(intPath, intMarker));
            cbx->setCurrentIndex(0);
        }
    }
}

void AppMainWindow::setMark1Mode(int intSigPath)
{
    setMarkMode(intSigPath, 1);
}

void AppMainWindow::setMark2Mode(int intSigPath)
{
    setMarkMode(intSigPath, 2);
}

void AppMainWindow::setMark3Mode(int intSigPath)
{
    setMarkMode(intSigPath, 3);
}

void AppMainWindow::setMark4Mode(int intSigPath)
{
    setMarkMode(intSigPath, 4);
}

void AppMainWindow::setMark1Out(int intSigPath)
{
    setMarkOut(intSigPath, 1);
}

void AppMainWindow::setMark2Out(int intSigPath)
{
    setMarkOut(intSigPath, 2);
}

void AppMainWindow::setMark3Out(int intSigPath)
{
    setMarkOut(intSigPath, 3);
}

void AppMainWindow::setMark4Out(int intSigPath)
{
    setMarkOut(intSigPath, 4);
}
