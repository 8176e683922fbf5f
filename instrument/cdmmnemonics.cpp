#include "instrument/cdmmnemonics.h"

#include "instrument/cdmdisplaynames.h"

#include <cmath>

namespace {

using namespace CdmNames;

struct NameMnemonic
{
    const char *name;
    const char *mnemonic;
};

// The tables are tested row by row and every match appends its mnemonic; the names are unique,
// so at most one row contributes.
template <size_t N> QString lookUp(const NameMnemonic (&table)[N], const QString &strName)
{
    QString strResult;
    for (const NameMnemonic &row : table) {
        if (strName == QString::fromUtf8(row.name))
            strResult += QLatin1String(row.mnemonic);
    }
    return strResult;
}

const NameMnemonic s_modulationsBeforeQam4096[] = {
    {ModAsk, "ASK"},          {ModBpsk, "BPSK"},           {ModQpsk, "QPSK"},
    {ModQpsk45, "QPSK45"},    {ModQpskEdge, "QEDGe"},      {ModAqpsk, "AQPSk"},
    {ModOqpsk, "OQPSk"},      {ModPi4Qpsk, "P4QPsk"},      {ModPi2Dbpsk, "P2DBPsk"},
    {ModPi4Dqpsk, "P4DQpsk"}, {ModPi8D8psk, "P8D8psk"},    {Mod8psk, "PSK8"},
    {Mod8pskEdge, "P8EDge"},  {Mod16Qam, "QAM16"},         {Mod16QamEdge, "QAM16EDge"},
    {Mod32Qam, "QAM32"},      {Mod32QamEdge, "QAM32EDge"}, {Mod64Qam, "QAM64"},
    {Mod128Qam, "QAM128"},    {Mod256Qam, "QAM256"},       {Mod1024Qam, "QAM1024"}};
const NameMnemonic s_modulationQam4096[] = {{Mod4096Qam, "QAM4096"}};
const NameMnemonic s_modulationsAfterQam4096[] = {
    {ModMsk, "MSK"}, {Mod2Fsk, "FSK2"}, {Mod4Fsk, "FSK4"}, {ModUser, "USER"}};

const NameMnemonic s_codings[] = {{CodNone, "OFF"},
                                  {CodDifferential, "DIFF"},
                                  {CodPhaseDifferential, "DPHS"},
                                  {CodDifferentialGray, "DGRay"},
                                  {CodGray, "GRAY"},
                                  {CodGsm, "GSM"},
                                  {CodWcdma, "WCDMA"},
                                  {CodCdma2000, "CDMA2000"},
                                  {CodNadc, "NADC"},
                                  {CodPdc, "PDC"},
                                  {CodPhs, "PHS"},
                                  {CodTetra, "TETRa"},
                                  {CodTftsTetra, "TFTS"},
                                  {CodApco25Psk, "APCO25"},
                                  {CodApco25Fsk, "APCO25FSK"},
                                  {CodApco258Psk, "APCO258PSK"},
                                  {CodPwt, "PWT"},
                                  {CodInmarsat, "INMarsat"},
                                  {CodIco, "ICO"},
                                  {CodVdl, "VDL"}};

const NameMnemonic s_filters[] = {{FltRootCosine, "RCOSine"},
                                  {FltCosine, "COSine"},
                                  {FltGaussPure, "PGAUSs"},
                                  {FltGaussFsk, "GAUSs"},
                                  {FltGaussLinear, "LGAuss"},
                                  {FltEdgeNarrow, "ENPShape"},
                                  {FltEdgeWide, "EWPShape"},
                                  {FltCdmaOne, "CONE"},
                                  {FltCdmaOne705, "COF705"},
                                  {FltCdmaOneEqu, "COEQualizer"},
                                  {FltCdmaOneEqu705, "COFequalizer"},
                                  {FltCdma2000, "C2K3x"},
                                  {FltApco25, "APCO25"},
                                  {FltApco25Hcpm, "APCO25Hcpm"},
                                  {FltApco25Lsm, "APCO25Lsm"},
                                  {FltSplitPhase, "SPHase"},
                                  {FltRectangular, "RECTangle"},
                                  {FltLowpassAcp, "LPASs"},
                                  {FltLowpassEvm, "LPASSEVM"},
                                  {FltDirac, "DIRac"},
                                  {FltEutra, "LTEFilter"},
                                  {FltUser, "USER"}};

const NameMnemonic s_dataSources[] = {
    {SrcDataList, "DLISt"}, {SrcAll1, "ONE"}, {SrcAll0, "ZERO"}, {SrcPrbs, "PRBS"}};

const NameMnemonic s_rampFunctions[] = {{RampLin, "Linear"}, {RampCos, "Cosine"}};

// One row of a parameter table: the choice, the field label and the command part that goes in
// front of the value.
struct ParameterRow
{
    const char *choice;
    const char *label;
    const char *part;
};

const ParameterRow s_filterParameters[] = {
    {FltRootCosine, LblRollOff, "FILTer:PARameter:RCOSine "},
    {FltCosine, LblRollOff, "FILTer:PARameter:COSine "},
    {FltCosine, LblBandwidth, "FILTer:PARameter:COSine:BANDwidth "},
    {FltGaussPure, LblBxT, "FILTer:PARameter:PGAuss "},
    {FltGaussFsk, LblBxT, "FILTer:PARameter:GAUSs "},
    {FltApco25, LblRollOff, "FILTer:PARameter:APCO25 "},
    {FltApco25Lsm, LblGaussCutoff, "FILTer:PARameter:APCO25Lsm:GAUSs "},
    {FltApco25Lsm, LblLpCutoff, "FILTer:PARameter:APCO25Lsm:LOWPass "},
    {FltSplitPhase, LblBxT, "FILTer:PARameter:SPHase "},
    {FltLowpassAcp, LblCutoffFactor, "FILTer:PARameter:LPASs "},
    {FltLowpassEvm, LblCutoffFactor, "FILTer:PARameter:LPASSEVM "}};

bool is(const QString &strText, const char *pUtf8)
{
    return strText == QString::fromUtf8(pUtf8);
}

// A file name between double quotes; a double quote inside is doubled, as IEEE 488.2 strings
// require, so the name cannot end the string early.
QString doubleQuoted(const QString &strText)
{
    QString strBody = strText;
    strBody.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + strBody + QLatin1Char('"');
}

} // namespace

namespace CdmMnemonics {

QString modulation(const QString &strName, bool bolWithQam4096)
{
    QString strResult = lookUp(s_modulationsBeforeQam4096, strName);
    if (bolWithQam4096)
        strResult += lookUp(s_modulationQam4096, strName);
    return strResult + lookUp(s_modulationsAfterQam4096, strName);
}

QString coding(const QString &strName)
{
    return lookUp(s_codings, strName);
}

QString filter(const QString &strName)
{
    return lookUp(s_filters, strName);
}

QString dataSource(const QString &strName)
{
    return lookUp(s_dataSources, strName);
}

QString rampFunction(const QString &strName)
{
    return lookUp(s_rampFunctions, strName);
}

QString modulationParameter(const QString &strModulation, const QString &strLabel, const QString &strValue,
                            bool &bolValid)
{
    bolValid = true;
    QString strPart;
    if (is(strModulation, ModAsk) && is(strLabel, LblModDepth))
        strPart += QLatin1String("ASK:DEPTh ") + strValue;
    if (is(strModulation, ModAqpsk) && is(strLabel, LblAngleAlpha))
        strPart += QLatin1String("AQPSK:ANGLe ") + strValue;
    if ((is(strModulation, Mod2Fsk) || is(strModulation, Mod4Fsk)) && is(strLabel, LblFreqDev)) {
        const QString strHz = fskDeviationHz(strValue);
        if (strHz.isEmpty())
            bolValid = false;
        else
            strPart += QLatin1String("FSK:DEViation ") + strHz;
    }
    if (is(strModulation, ModUser) && is(strLabel, LblMapFile))
        strPart += QLatin1String("MLISt:SELect ") + doubleQuoted(strValue);
    return strPart;
}

QString filterParameter(const QString &strFilter, const QString &strLabel, const QString &strValue)
{
    QString strPart;
    for (const ParameterRow &row : s_filterParameters) {
        if (is(strFilter, row.choice) && is(strLabel, row.label))
            strPart += QLatin1String(row.part) + strValue;
    }
    if (is(strFilter, FltUser) && is(strLabel, LblFilterFile))
        strPart += QLatin1String("FLISt:SELect ") + doubleQuoted(strValue);
    return strPart;
}

QString fskDeviationHz(const QString &strKHz)
{
    bool bolOk = false;
    const double dblKHz = strKHz.toDouble(&bolOk);
    if (!bolOk)
        return QString();
    const double dblHz = dblKHz * 1000.0;
    if (!std::isfinite(dblHz)) // "1e306" kHz is a finite text, but no deviation in Hz
        return QString();
    // The product carries the binary noise of the kHz text; a text that reads back within a
    // few parts in 10^12 is the value the user meant.
    for (int intDigits = 6; intDigits < 17; ++intDigits) {
        const QString strHz = QString::number(dblHz, 'g', intDigits);
        if (std::fabs(strHz.toDouble() - dblHz) <= 1e-12 * std::fabs(dblHz))
            return strHz;
    }
    return QString::number(dblHz, 'g', 17);
}

QString prbsLength(const QString &strName, bool &bolSend)
{
    const QString strPrbs = QString::fromUtf8(SrcPrbs);
    bolSend = strName != QString::fromUtf8(PrbsNone) && strName.contains(strPrbs);
    if (!bolSend)
        return QString();
    QString strLength = strName;
    return strLength.remove(strPrbs);
}

} // namespace CdmMnemonics
