#include "instrument/options_codes.h"
#include "instrument/options_tables.h"

namespace SigGenOptionTables {

// DVT330X: one RF path up to 6 GHz, one baseband path.
QVector<SigGenOptionRow> dvtRows()
{
    using namespace SigGenOptionCodes::Dvt;
    return {
        // RF
        {RfPathA3GHz, KeyRF, "RF Path A - 100kHz-3.0GHz"},
        {RfPathA6GHz, KeyRF, "RF Path A - 100kHz-6.0GHz"},
        {"DVT-B22", KeyRF, "RF Path A - Electronic step attenuator"},
        {"DVT-B25", KeyRF, "RF Path A - Low phase noise synthesizer"},
        // BB
        {BasebandGenerator, KeyBB, "Baseband - Generator with digital modulation (realtime) and ARB (32MS)"},
        {"DVT-B50", KeyBB, "Baseband - ARB memory extension to 64MS"},
        {"DVT-B51", KeyBB, "Baseband - ARB memory extension to 256MS"},
        {"DVT-B55", KeyBB, "Baseband - Signal bandwidth extension to 120MHz"},
        {"DVT-B56", KeyBB, "Baseband - Signal bandwidth extension to 160MHz"},
        {"DVT-B60", KeyBB, "Baseband - Differential I/Q outputs"},
        {"DVT-B61", KeyBB, "Baseband - Digital I/Q input/output"},
        {"DVT-K20", KeyBB, "Baseband - Extended sequencing of ARB waveforms"},
        // Noise
        {"DVT-K61", KeyNoise, "AWGN"},
        // Misc
        {"DVT-B80", KeyMisc, "Removable hard disk"},
        {"DVT-B81", KeyMisc, "Rear panel connectors"},
        {"DVT-B90", KeyMisc, "Rack mount kit"},
        {"DVT-K10", KeyMisc, "Pulse sequencer"},
        {"DVT-K11", KeyMisc, "Remote control emulation of older generators"},
        {MultiCarrierCw, KeyMisc, "Multicarrier CW signal generation tool"},
        {"DVT-P10", KeyMisc, "Calibration certificate (accredited)"},
        // DigStdInt
        {"DVT-K40", KeyDigStdInt, "GSM/EDGE"},
        {"DVT-K41", KeyDigStdInt, "EDGE Evolution"},
        {"DVT-K42", KeyDigStdInt, "3GPP FDD"},
        {"DVT-K43", KeyDigStdInt, "3GPP FDD HSPA/HSPA+"},
        {"DVT-K44", KeyDigStdInt, "CDMA2000"},
        {"DVT-K45", KeyDigStdInt, "1xEV-DO Rev. A"},
        {"DVT-K46", KeyDigStdInt, "TD-SCDMA"},
        {"DVT-K47", KeyDigStdInt, "TD-SCDMA enhanced features"},
        {MultiCarrierCw, KeyDigStdInt, "Multicarrier CW"},
        {"DVT-K49", KeyDigStdInt, "IEEE 802.11a/b/g WLAN"},
        {"DVT-K50", KeyDigStdInt, "IEEE 802.11n WLAN"},
        {"DVT-K51", KeyDigStdInt, "IEEE 802.11ac WLAN"},
        {"DVT-K52", KeyDigStdInt, "IEEE 802.16 WiMAX"},
        {"DVT-K53", KeyDigStdInt, "LTE/E-UTRA"},
        {"DVT-K54", KeyDigStdInt, "LTE-Advanced"},
        {"DVT-K55", KeyDigStdInt, "LTE closed-loop BS test"},
        {"DVT-K56", KeyDigStdInt, "Bluetooth EDR"},
        {"DVT-K57", KeyDigStdInt, "Bluetooth Low Energy"},
        {"DVT-K58", KeyDigStdInt, "IEEE 802.15.4 (ZigBee)"},
        {"DVT-K59", KeyDigStdInt, "DVB-T/H"},
        {"DVT-K60", KeyDigStdInt, "DAB/T-DMB"},
        {"DVT-K62", KeyDigStdInt, "FM stereo/RDS"},
        {"DVT-K63", KeyDigStdInt, "TETRA Release 2"},
        {"DVT-K64", KeyDigStdInt, "DECT"},
        {"DVT-K65", KeyDigStdInt, "NFC A/B/F"},
        {"DVT-K66", KeyDigStdInt, "OFDM signal generation"},
        {"DVT-K67", KeyDigStdInt, "NB-IoT"},
        {"DVT-K68", KeyDigStdInt, "LTE-M (eMTC)"},
        // DigStdExt
        {"DVT-K240", KeyDigStdExt, "GSM/EDGE"},
        {"DVT-K241", KeyDigStdExt, "EDGE Evolution"},
        {"DVT-K242", KeyDigStdExt, "3GPP FDD"},
        {"DVT-K243", KeyDigStdExt, "3GPP FDD HSPA/HSPA+"},
        {"DVT-K244", KeyDigStdExt, "CDMA2000"},
        {"DVT-K245", KeyDigStdExt, "1xEV-DO Rev. B"},
        {"DVT-K246", KeyDigStdExt, "TD-SCDMA"},
        {"DVT-K248", KeyDigStdExt, "Multi-carrier signals"},
        {"DVT-K249", KeyDigStdExt, "IEEE 802.11a/b/g WLAN"},
        {"DVT-K250", KeyDigStdExt, "IEEE 802.11n WLAN"},
        {"DVT-K251", KeyDigStdExt, "IEEE 802.11ac WLAN"},
        {"DVT-K252", KeyDigStdExt, "IEEE 802.16 WiMAX"},
        {"DVT-K253", KeyDigStdExt, "LTE/E-UTRA"},
        {"DVT-K254", KeyDigStdExt, "LTE-Advanced"},
        {"DVT-K256", KeyDigStdExt, "Bluetooth EDR"},
        {"DVT-K257", KeyDigStdExt, "Bluetooth Low Energy"},
        {"DVT-K259", KeyDigStdExt, "DVB-T/H"},
        {"DVT-K260", KeyDigStdExt, "DAB/T-DMB"},
        {"DVT-K263", KeyDigStdExt, "TETRA Release 2"},
        {"DVT-K264", KeyDigStdExt, "DECT"},
        {"DVT-K266", KeyDigStdExt, "OFDM signal generation"},
        {"DVT-K270", KeyDigStdExt, "Cable TV (DOCSIS 3.1)"},
        {"DVT-K271", KeyDigStdExt, "ATSC/ISDB-T"},
        {"DVT-K272", KeyDigStdExt, "Radar pulse sequences"},
        {"DVT-K273", KeyDigStdExt, "Channel impairment scenarios"},
        // GNSSInt
        {"DVT-K30", KeyGNSSInt, "GPS L1 C/A"},
    };
}

} // namespace SigGenOptionTables
