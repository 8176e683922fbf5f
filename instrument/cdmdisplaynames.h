#ifndef LISTFORGE_INSTRUMENT_CDMDISPLAYNAMES_H
#define LISTFORGE_INSTRUMENT_CDMDISPLAYNAMES_H

// The user-visible names of the CDM choices and parameter fields. The main window fills its
// combo boxes and field labels with them and hands them back to the model controls, which
// translate them into SCPI mnemonics; both sides must therefore use these very texts. They are
// UTF-8 ("°" occurs), so turn them into QString with QString::fromUtf8.
namespace CdmNames {

// Modulations.
inline constexpr char ModAsk[] = "ASK";
inline constexpr char ModBpsk[] = "BPSK";
inline constexpr char ModQpsk[] = "QPSK";
inline constexpr char ModQpsk45[] = "QPSK 45° Off.";
inline constexpr char ModQpskEdge[] = "QPSK EDGE";
inline constexpr char ModAqpsk[] = "AQPSK";
inline constexpr char ModOqpsk[] = "OQPSK";
inline constexpr char ModPi4Qpsk[] = "Pi/4 QPSK";
inline constexpr char ModPi2Dbpsk[] = "Pi/2 DBPSK";
inline constexpr char ModPi4Dqpsk[] = "Pi/4 DQPSK";
inline constexpr char ModPi8D8psk[] = "Pi/8 D8PSK";
inline constexpr char Mod8psk[] = "8PSK";
inline constexpr char Mod8pskEdge[] = "8PSK EDGE";
inline constexpr char Mod16Qam[] = "16QAM";
inline constexpr char Mod16QamEdge[] = "16QAM EDGE";
inline constexpr char Mod32Qam[] = "32QAM";
inline constexpr char Mod32QamEdge[] = "32QAM EDGE";
inline constexpr char Mod64Qam[] = "64QAM";
inline constexpr char Mod128Qam[] = "128QAM";
inline constexpr char Mod256Qam[] = "256QAM";
inline constexpr char Mod1024Qam[] = "1024QAM";
inline constexpr char Mod4096Qam[] = "4096QAM";
inline constexpr char ModMsk[] = "MSK";
inline constexpr char Mod2Fsk[] = "2FSK";
inline constexpr char Mod4Fsk[] = "4FSK";
inline constexpr char ModUser[] = "USER";

// Codings.
inline constexpr char CodNone[] = "None";
inline constexpr char CodDifferential[] = "Differential";
inline constexpr char CodPhaseDifferential[] = "Phase Differential";
inline constexpr char CodDifferentialGray[] = "Differential+Gray";
inline constexpr char CodGray[] = "Gray";
inline constexpr char CodGsm[] = "GSM";
inline constexpr char CodWcdma[] = "WCDMA";
inline constexpr char CodCdma2000[] = "CDMA2000";
inline constexpr char CodNadc[] = "NADC";
inline constexpr char CodPdc[] = "PDC";
inline constexpr char CodPhs[] = "PHS";
inline constexpr char CodTetra[] = "TETRA";
inline constexpr char CodTftsTetra[] = "TFTS/TETRA";
inline constexpr char CodApco25Psk[] = "APCOS25 (PSK)";
inline constexpr char CodApco25Fsk[] = "APCOS25 (FSK)";
inline constexpr char CodApco258Psk[] = "APCOS25 (8PSK)";
inline constexpr char CodPwt[] = "PWT";
inline constexpr char CodInmarsat[] = "INMARSAT";
inline constexpr char CodIco[] = "ICO";
inline constexpr char CodVdl[] = "VDL";

// Filters.
inline constexpr char FltRootCosine[] = "Root Cosine";
inline constexpr char FltCosine[] = "Cosine";
inline constexpr char FltGaussPure[] = "Gauss (Pure)";
inline constexpr char FltGaussFsk[] = "Gauss (FSK)";
inline constexpr char FltGaussLinear[] = "Gauss (Linear)";
inline constexpr char FltEdgeNarrow[] = "EDGE Narrow";
inline constexpr char FltEdgeWide[] = "EDGE Wide";
inline constexpr char FltCdmaOne[] = "CDMAone";
inline constexpr char FltCdmaOne705[] = "CDMAone 705kHz";
inline constexpr char FltCdmaOneEqu[] = "CDMAone+Equ.";
inline constexpr char FltCdmaOneEqu705[] = "CDMAone+Equ. 705kHz";
inline constexpr char FltCdma2000[] = "CDMA2000 3X";
inline constexpr char FltApco25[] = "APCOS25";
inline constexpr char FltApco25Hcpm[] = "APCOS25 (H-CPM)";
inline constexpr char FltApco25Lsm[] = "APCOS25 (LSM)";
inline constexpr char FltSplitPhase[] = "Split Phase";
inline constexpr char FltRectangular[] = "Rectangular";
inline constexpr char FltLowpassAcp[] = "Lowpass (ACP opti.)";
inline constexpr char FltLowpassEvm[] = "Lowpass (EVM opti.)";
inline constexpr char FltDirac[] = "Dirac";
inline constexpr char FltEutra[] = "EUTRA";
inline constexpr char FltUser[] = "USER";

// Data sources and PRBS types.
inline constexpr char SrcDataList[] = "Data List";
inline constexpr char SrcAll1[] = "All 1";
inline constexpr char SrcAll0[] = "All 0";
inline constexpr char SrcPrbs[] = "PRBS";
inline constexpr char PrbsNone[] = "None";

// Ramp functions.
inline constexpr char RampLin[] = "Lin";
inline constexpr char RampCos[] = "Cos";

// Parameter field labels (the typos are the instrument family's own wording).
inline constexpr char LblNone[] = "None";
inline constexpr char LblModDepth[] = "Mod. Depth [%]:";
inline constexpr char LblAngleAlpha[] = "Angle Alpha [°]:";
inline constexpr char LblFreqDev[] = "Freq. Dev. [kHz]:";
inline constexpr char LblMapFile[] = "Map. File:";
inline constexpr char LblRollOff[] = "Roll Off:";
inline constexpr char LblBandwidth[] = "Bandwidth [Hz]:";
inline constexpr char LblBxT[] = "B x T:";
inline constexpr char LblGaussCutoff[] = "Gauss Cutoff [Hz]:";
inline constexpr char LblLpCutoff[] = "LP Cutoff [Hz]:";
inline constexpr char LblCutoffFactor[] = "Cuoff freq. fact.:";
inline constexpr char LblFilterFile[] = "Filter File:";

// Marker outputs.
inline constexpr char OutNone[] = "None";

} // namespace CdmNames

#endif
