#include "sim/settingstable.h"

#include "sim/massmemory.h"
#include "sim/scpierrors.h"

#include <cmath>

namespace {
QList<QByteArray> formatMnemonics(bool qam4096)
{
    QList<QByteArray> list = {"ASK",       "BPSK",    "QPSK",      "QPSK45",  "QEDGe",  "AQPSk",  "OQPSk",
                              "P4QPsk",    "P2DBPsk", "P4DQpsk",   "P8D8psk", "PSK8",   "P8EDge", "QAM16",
                              "QAM16EDge", "QAM32",   "QAM32EDge", "QAM64",   "QAM128", "QAM256", "QAM1024"};
    if (qam4096)
        list << "QAM4096";
    list << "MSK"
         << "FSK2"
         << "FSK4"
         << "USER";
    return list;
}

const QList<QByteArray> Codings = {"OFF",       "DIFF",       "DPHS", "DGRay",    "GRAY",  "GSM",  "WCDMA",
                                   "CDMA2000",  "NADC",       "PDC",  "PHS",      "TETRa", "TFTS", "APCO25",
                                   "APCO25FSK", "APCO258PSK", "PWT",  "INMarsat", "ICO",   "VDL"};
const QList<QByteArray> Filters = {
    "RCOSine",   "COSine",      "PGAUSs",       "GAUSs", "LGAuss",    "ENPShape",   "EWPShape",  "CONE",
    "COF705",    "COEQualizer", "COFequalizer", "C2K3x", "APCO25",    "APCO25Hcpm", "APCO25Lsm", "SPHase",
    "RECTangle", "LPASs",       "LPASSEVM",     "DIRac", "LTEFilter", "USER"};

QByteArray numberText(double value)
{
    return QByteArray::number(value, 'g', 15);
}
} // namespace

SettingsTable::SettingsTable(const SimProfile &profile) : m_profile(profile)
{
    build();
}

void SettingsTable::build()
{
    const SimModel &model = *m_profile.model;
    const int rf = m_profile.rfPaths;
    const int bb = m_profile.basebandPaths;

    auto number = [&](const char *pattern, QVector<int> suffixMax, ScpiUnitKind unit, double min, double max,
                      double initial) {
        SettingDef def(pattern);
        def.kind = SettingDef::Number;
        def.suffixMax = suffixMax;
        def.unit = unit;
        def.min = min;
        def.max = max;
        def.defaultValue = numberText(initial);
        m_defs.append(def);
        return &m_defs.last();
    };
    auto choice = [&](const char *pattern, QVector<int> suffixMax, const QList<QByteArray> &choices,
                      const QByteArray &initial) {
        SettingDef def(pattern);
        def.kind = SettingDef::Choice;
        def.suffixMax = suffixMax;
        def.choices = choices;
        def.defaultValue = scpiShortForm(initial);
        m_defs.append(def);
    };
    auto boolean = [&](const char *pattern, QVector<int> suffixMax) {
        SettingDef def(pattern);
        def.kind = SettingDef::Boolean;
        def.suffixMax = suffixMax;
        def.defaultValue = "0";
        m_defs.append(def);
    };
    auto listFile = [&](const char *pattern, const char *extension) {
        SettingDef def(pattern);
        def.kind = SettingDef::ListFile;
        def.suffixMax = {bb};
        def.extension = extension;
        def.defaultValue = "\"\"";
        m_defs.append(def);
    };

    const SimProfile profile = m_profile;
    number("[:SOURce#]:FREQuency[:CW]", {rf}, ScpiUnitKind::Frequency, 0, 0, 1e9)->range =
        [profile](const QVector<int> &s, double *min, double *max) {
            *min = profile.frequencyMin[s[0] - 1];
            *max = profile.frequencyMax[s[0] - 1];
        };
    number("[:SOURce#]:POWer[:LEVel][:IMMediate][:AMPLitude]", {rf}, ScpiUnitKind::Power, 0, 0, -30)->range =
        [profile](const QVector<int> &s, double *min, double *max) {
            *min = profile.levelMin[s[0] - 1];
            *max = profile.levelMax[s[0] - 1];
        };
    boolean("OUTPut#[:STATe]", {rf});

    choice("SOURce#:BB:DM:SOURce", {bb}, {"DLISt", "ONE", "ZERO", "PRBS"}, "PRBS");
    listFile("SOURce#:BB:DM:DLISt:SELect", "dm_iqd");
    listFile("SOURce#:BB:DM:CLISt:SELect", "dm_iqc");
    listFile("SOURce#:BB:DM:MLISt:SELect", "vam");
    listFile("SOURce#:BB:DM:FLISt:SELect", "vaf");
    choice("SOURce#:BB:DM:PRBS[:LENGth]", {bb}, {"9", "11", "15", "16", "20", "21", "23"}, "9");
    choice("SOURce#:BB:DM:FORMat", {bb}, formatMnemonics(model.qam4096), "QPSK");
    number("SOURce#:BB:DM:ASK:DEPTh", {bb}, ScpiUnitKind::Percent, 0, 100, 100);
    number("SOURce#:BB:DM:AQPSk:ANGLe", {bb}, ScpiUnitKind::Angle, 0, 180, 90);
    number("SOURce#:BB:DM:FSK:DEViation", {bb}, ScpiUnitKind::Frequency, 1, model.fskDeviationMaxHz, 10e3);
    // The symbol rate limit follows the modulation format currently set on the same path.
    number("SOURce#:BB:DM:SRATe", {bb}, ScpiUnitKind::Frequency, 0, 0, 100e3)->range =
        [this](const QVector<int> &s, double *min, double *max) {
            const SimModel &m = *m_profile.model;
            const QByteArray format = value("SOURce#:BB:DM:FORMat", s[0]);
            const bool option = m_profile.symbolRateOptionPresent;
            *min = m.symbolRateMin;
            if (format == "MSK")
                *max = option ? m.symbolRateOtherWithOption : m.symbolRateMsk;
            else if (format == "FSK2" || format == "FSK4" || format == "USER")
                *max = option ? m.symbolRateOtherWithOption : m.symbolRateFsk;
            else
                *max = option ? m.symbolRatePskWithOption : m.symbolRatePsk;
        };
    choice("SOURce#:BB:DM:CODing", {bb}, Codings, "OFF");
    choice("SOURce#:BB:DM:FILTer:TYPE", {bb}, Filters, "RCOSine");
    number("SOURce#:BB:DM:FILTer:PARameter:RCOSine", {bb}, ScpiUnitKind::None, 0.05, 1, 0.35);
    number("SOURce#:BB:DM:FILTer:PARameter:COSine", {bb}, ScpiUnitKind::None, 0.05, 1, 0.35);
    number("SOURce#:BB:DM:FILTer:PARameter:COSine:BANDwidth", {bb}, ScpiUnitKind::Frequency, 400, 15e6,
           100e3);
    number("SOURce#:BB:DM:FILTer:PARameter:PGAuss", {bb}, ScpiUnitKind::None, 0.15, 2.5, 0.5);
    number("SOURce#:BB:DM:FILTer:PARameter:GAUSs", {bb}, ScpiUnitKind::None, 0.15, 100000, 0.5);
    number("SOURce#:BB:DM:FILTer:PARameter:APCO25", {bb}, ScpiUnitKind::None, 0.05, 0.99, 0.2);
    number("SOURce#:BB:DM:FILTer:PARameter:APCO25Lsm:GAUSs", {bb}, ScpiUnitKind::Frequency, 400, 25e6, 2700);
    number("SOURce#:BB:DM:FILTer:PARameter:APCO25Lsm:LOWPass", {bb}, ScpiUnitKind::Frequency, 400, 25e6,
           3750);
    number("SOURce#:BB:DM:FILTer:PARameter:SPHase", {bb}, ScpiUnitKind::None, 0.15, 2.5, 2);
    number("SOURce#:BB:DM:FILTer:PARameter:LPASs", {bb}, ScpiUnitKind::None, 0.05, 2, 0.5);
    number("SOURce#:BB:DM:FILTer:PARameter:LPASSEVM", {bb}, ScpiUnitKind::None, 0.05, 2, 0.5);
    choice("SOURce#:BB:DM:PRAMp:SHAPe", {bb}, {"LINear", "COSine"}, "COSine");
    number("SOURce#:BB:DM:PRAMp:TIME", {bb}, ScpiUnitKind::None, 0.25, 16, 1);
    number("SOURce#:BB:DM:PRAMp:RDELay", {bb}, ScpiUnitKind::None, model.rampDelayMin, 4, 0);
    number("SOURce#:BB:DM:PRAMp:FDELay", {bb}, ScpiUnitKind::None, model.rampDelayMin, 4, 0);
    number("SOURce#:BB:DM:PRAMp:ATTenuation", {bb}, ScpiUnitKind::Gain, 0, 50, 15);
    boolean("SOURce#:BB:DM:PRAMp:BBONly[:STATe]", {bb});
    boolean("SOURce#:BB:DM:PRAMp[:STATe]", {bb});
    choice("SOURce#:BB:DM:TRIGger:OUTPut#:MODE", {bb, model.markers},
           {"CLISt", "RATio", "PATTern", "PULSe", "RESTart", "TRIGger"}, "RESTart");
    boolean("SOURce#:BB:DM:STATe", {bb});

    if (model.userOutputs > 0 && !model.markerSignalRouting) {
        QList<QByteArray> sources = {"NONE"};
        for (const char *path : {"A", "B"}) {
            for (int marker = 1; marker <= model.markers; ++marker)
                sources << QByteArray(path) + "MARk" + QByteArray::number(marker);
        }
        choice("OUTPut:USER#:SOURce", {model.userOutputs}, sources, "NONE");
    } else if (model.userOutputs > 0) {
        QList<QByteArray> signal = {"NONE"};
        for (const char *path : {"A", "B"}) {
            for (int marker = 1; marker <= model.markers; ++marker)
                signal << "MARK" + QByteArray(path) + QByteArray::number(marker);
        }
        choice("OUTPut:USER#:DIRection", {model.userOutputs}, {"INPut", "OUTPut"}, "INPut");
        choice("OUTPut:USER#:SIGNal", {model.userOutputs}, signal, "NONE");
    }
}

const SettingDef *SettingsTable::find(const QByteArray &header, QVector<int> *suffixes,
                                      bool *suffixError) const
{
    *suffixError = false;
    for (const SettingDef &def : m_defs) {
        if (!def.header.match(header, suffixes))
            continue;
        for (int i = 0; i < suffixes->size() && i < def.suffixMax.size(); ++i) {
            if ((*suffixes)[i] < 1 || (*suffixes)[i] > def.suffixMax[i]) {
                *suffixError = true;
                return nullptr;
            }
        }
        return &def;
    }
    return nullptr;
}

QByteArray SettingsTable::key(const SettingDef &def, const QVector<int> &suffixes) const
{
    QByteArray k = def.header.pattern();
    for (int s : suffixes)
        k += '|' + QByteArray::number(s);
    return k;
}

QByteArray SettingsTable::value(const QByteArray &pattern, int path) const
{
    for (const SettingDef &def : m_defs) {
        if (def.header.pattern() == pattern)
            return query(def, {path});
    }
    return QByteArray();
}

int SettingsTable::set(const SettingDef &def, const QVector<int> &suffixes, const ScpiParam &param,
                       const MassMemory &memory)
{
    QByteArray stored;
    switch (def.kind) {
    case SettingDef::Choice: {
        if (param.kind != ScpiParam::Token)
            return ScpiError::DataTypeError;
        for (const QByteArray &choice : def.choices) {
            if (scpiMnemonicMatches(choice, param.text)) {
                stored = scpiShortForm(choice);
                break;
            }
        }
        if (stored.isEmpty())
            return ScpiError::IllegalParameterValue;
        break;
    }
    case SettingDef::Boolean: {
        bool on = false;
        if (param.kind != ScpiParam::Token)
            return ScpiError::DataTypeError;
        if (!parseScpiBoolean(param.text, &on))
            return ScpiError::IllegalParameterValue;
        stored = on ? "1" : "0";
        break;
    }
    case SettingDef::Number: {
        if (param.kind != ScpiParam::Token)
            return ScpiError::DataTypeError;
        const ScpiNumber n = parseScpiNumber(param.text, def.unit);
        if (n.error != 0)
            return n.error;
        double min = def.min;
        double max = def.max;
        if (def.range)
            def.range(suffixes, &min, &max);
        double v = n.value;
        if (n.special == ScpiNumber::Minimum)
            v = min;
        else if (n.special == ScpiNumber::Maximum)
            v = max;
        else if (n.special == ScpiNumber::Default)
            v = def.defaultValue.toDouble();
        // A little slack, so that values that went through a decimal text round trip still fit.
        const double slack = 1e-9 * std::max(std::fabs(min), std::fabs(max));
        if (v < min - slack || v > max + slack || (min == 0 && max == 0))
            return ScpiError::DataOutOfRange;
        stored = numberText(v);
        break;
    }
    case SettingDef::ListFile: {
        if (param.kind != ScpiParam::String)
            return ScpiError::DataTypeError;
        const QString name = QString::fromLatin1(param.text);
        if (name.isEmpty() || !memory.hasListFile(name, def.extension))
            return ScpiError::FileNameNotFound;
        stored = '"' + param.text + '"';
        break;
    }
    }
    m_values.insert(key(def, suffixes), stored);
    return 0;
}

QByteArray SettingsTable::query(const SettingDef &def, const QVector<int> &suffixes) const
{
    return m_values.value(key(def, suffixes), def.defaultValue);
}
