#ifndef LISTFORGE_INSTRUMENT_CDMMNEMONICS_H
#define LISTFORGE_INSTRUMENT_CDMMNEMONICS_H

#include <QString>

// Translation of the user-visible CDM names (cdmdisplaynames.h) into the SCPI text the
// generators expect. Every lookup compares the whole name case-sensitively; a name outside a
// table yields an empty text, so the caller sends the bare command prefix and the instrument's
// error queue tells what went wrong.
namespace CdmMnemonics {

QString modulation(const QString &strName, bool bolWithQam4096);
QString coding(const QString &strName);
QString filter(const QString &strName);
QString dataSource(const QString &strName);
QString rampFunction(const QString &strName);

// The part after "SOURce<n>:BB:DM:" for a modulation or filter parameter, empty when no row
// of the table fits. bolValid turns false only for an FSK deviation that is not a finite
// number: sending a made-up deviation would set something the user never asked for.
QString modulationParameter(const QString &strModulation, const QString &strLabel, const QString &strValue,
                            bool &bolValid);
QString filterParameter(const QString &strFilter, const QString &strLabel, const QString &strValue);

// kHz text to Hz text. Written with 6 significant digits where that is exact ("1500",
// "4e+07") and with as many more as it takes otherwise, so the instrument never gets a
// rounded deviation. Empty for a text that is no finite number.
QString fskDeviationHz(const QString &strKHz);

// The "%2" of the PRBS length command: the name with every "PRBS" removed (" 9" for "PRBS 9").
// bolSend is false for "None" and for a name without "PRBS": nothing is to be sent then.
QString prbsLength(const QString &strName, bool &bolSend);

} // namespace CdmMnemonics

#endif
