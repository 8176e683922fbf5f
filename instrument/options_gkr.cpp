#include "instrument/options_codes.h"
#include "instrument/options_tables.h"

namespace SigGenOptionTables {

// GKR550X: up to two RF paths (path B up to 3 GHz), up to two baseband paths, fading.
QVector<SigGenOptionRow> gkrRows()
{
    using namespace SigGenOptionCodes::Gkr;
    return {
        // RF
        {RfPathA2200MHz, KeyRF, "RF Path A - 100kHz-2.2GHz"},
        {RfPathA3GHz, KeyRF, "RF Path A - 100kHz-3.0GHz"},
        {RfPathA4GHz, KeyRF, "RF Path A - 100kHz-4.0GHz"},
        {RfPathA6GHz, KeyRF, "RF Path A - 100kHz-6.0GHz"},
        {RfPathB2200MHz, KeyRF, "RF Path B - 100kHz-2.2GHz"},
        {RfPathB3GHz, KeyRF, "RF Path B - 100kHz-3.0GHz"},
        {HighPowerPathA, KeyRF, "RF Path A - High-Power output"},
        {HighPowerPathB, KeyRF, "RF Path B - High-Power output"},
        {"GKR-B25", KeyRF, "RF Path A - Low phase noise synthesizer"},
        {"GKR-B26", KeyRF, "RF Path B - Low phase noise synthesizer"},
        {"GKR-B90", KeyRF, "Phase coherence"},
        // BB
        {BasebandGenerator64MS, KeyBB,
         "Baseband - Generator with digital modulation (realtime) and ARB (64MS)"},
        {BasebandGenerator16MS, KeyBB,
         "Baseband - Generator with digital modulation (realtime) and ARB (16MS)"},
        {BasebandGenerator128MS, KeyBB,
         "Baseband - Generator with digital modulation (realtime) and ARB (128MS)"},
        {"GKR-B50", KeyBB, "Baseband - ARB memory extension to 256MS"},
        {"GKR-B55", KeyBB, "Baseband - Signal bandwidth extension to 160MHz"},
        {"GKR-B60", KeyBB, "Baseband - Main module with two I/Q outputs"},
        {"GKR-B61", KeyBB, "Baseband - Digital I/Q input/output"},
        // Multi Channel/MIMO/Fading
        {"GKR-B14", KeyMultiChannel, "Fading simulator"},
        {"GKR-B15", KeyMultiChannel, "Fading simulator extension (second path)"},
        {"GKR-K71", KeyMultiChannel, "Dynamic fading"},
        {"GKR-K72", KeyMultiChannel, "Enhanced fading profiles"},
        {"GKR-K74", KeyMultiChannel, "MIMO fading (2x2)"},
        {"GKR-K75", KeyMultiChannel, "Summation of baseband signals"},
        // Noise
        {"GKR-K61", KeyNoise, "AWGN"},
        // Misc
        {"GKR-B80", KeyMisc, "Removable hard disk"},
        {"GKR-B81", KeyMisc, "Rear panel connectors"},
        {"GKR-B91", KeyMisc, "Rack mount kit"},
        {"GKR-K10", KeyMisc, "Pulse sequencer"},
        {"GKR-K11", KeyMisc, "Remote control emulation of older generators"},
        {"GKR-K12", KeyMisc, "Baseband signal recorder"},
        {MultiCarrierCw, KeyMisc, "Multicarrier CW signal generation tool"},
        {"GKR-P10", KeyMisc, "Calibration certificate (accredited)"},
        // DigStdInt
        {"GKR-K40", KeyDigStdInt, "GSM/EDGE"},
        {"GKR-K41", KeyDigStdInt, "EDGE Evolution"},
        {"GKR-K42", KeyDigStdInt, "3GPP FDD"},
        {"GKR-K43", KeyDigStdInt, "3GPP FDD HSPA/HSPA+"},
        {"GKR-K44", KeyDigStdInt, "CDMA2000"},
        {"GKR-K45", KeyDigStdInt, "1xEV-DO Rev. A"},
        {"GKR-K46", KeyDigStdInt, "TD-SCDMA"},
        {"GKR-K47", KeyDigStdInt, "TD-SCDMA enhanced features"},
        {MultiCarrierCw, KeyDigStdInt, "Multicarrier CW"},
        {"GKR-K49", KeyDigStdInt, "IEEE 802.11a/b/g WLAN"},
        {"GKR-K50", KeyDigStdInt, "IEEE 802.11n WLAN"},
        {"GKR-K51", KeyDigStdInt, "IEEE 802.11ac WLAN"},
        {"GKR-K52", KeyDigStdInt, "IEEE 802.16 WiMAX"},
        {"GKR-K53", KeyDigStdInt, "LTE/E-UTRA"},
        {"GKR-K54", KeyDigStdInt, "LTE-Advanced"},
        {"GKR-K55", KeyDigStdInt, "LTE closed-loop BS test"},
        {"GKR-K56", KeyDigStdInt, "Bluetooth EDR"},
        {"GKR-K57", KeyDigStdInt, "Bluetooth Low Energy"},
        {"GKR-K58", KeyDigStdInt, "IEEE 802.15.4 (ZigBee)"},
        {"GKR-K59", KeyDigStdInt, "DVB-T/H"},
        {"GKR-K60", KeyDigStdInt, "DAB/T-DMB"},
        {"GKR-K62", KeyDigStdInt, "FM stereo/RDS"},
        {"GKR-K63", KeyDigStdInt, "TETRA Release 2"},
        {"GKR-K64", KeyDigStdInt, "DECT"},
        {"GKR-K65", KeyDigStdInt, "NFC A/B/F"},
        {"GKR-K66", KeyDigStdInt, "OFDM signal generation"},
        {"GKR-K67", KeyDigStdInt, "NB-IoT"},
        {"GKR-K68", KeyDigStdInt, "LTE-M (eMTC)"},
        // DigStdExt
        {"GKR-K240", KeyDigStdExt, "GSM/EDGE"},
        {"GKR-K241", KeyDigStdExt, "EDGE Evolution"},
        {"GKR-K242", KeyDigStdExt, "3GPP FDD"},
        {"GKR-K243", KeyDigStdExt, "3GPP FDD HSPA/HSPA+"},
        {"GKR-K244", KeyDigStdExt, "CDMA2000"},
        {"GKR-K245", KeyDigStdExt, "1xEV-DO Rev. B"},
        {"GKR-K246", KeyDigStdExt, "TD-SCDMA"},
        {"GKR-K248", KeyDigStdExt, "Multi-carrier signals"},
        {"GKR-K249", KeyDigStdExt, "IEEE 802.11a/b/g WLAN"},
        {"GKR-K250", KeyDigStdExt, "IEEE 802.11n WLAN"},
        {"GKR-K251", KeyDigStdExt, "IEEE 802.11ac WLAN"},
        {"GKR-K252", KeyDigStdExt, "IEEE 802.16 WiMAX"},
        {"GKR-K253", KeyDigStdExt, "LTE/E-UTRA"},
        {"GKR-K254", KeyDigStdExt, "LTE-Advanced"},
        {"GKR-K256", KeyDigStdExt, "Bluetooth EDR"},
        {"GKR-K257", KeyDigStdExt, "Bluetooth Low Energy"},
        {"GKR-K259", KeyDigStdExt, "DVB-T/H"},
        {"GKR-K260", KeyDigStdExt, "DAB/T-DMB"},
        {"GKR-K263", KeyDigStdExt, "TETRA Release 2"},
        {"GKR-K264", KeyDigStdExt, "DECT"},
        {"GKR-K266", KeyDigStdExt, "OFDM signal generation"},
        {"GKR-K270", KeyDigStdExt, "Cable TV (DOCSIS 3.1)"},
        {"GKR-K271", KeyDigStdExt, "ATSC/ISDB-T"},
        // GNSSInt
        {"GKR-K30", KeyGNSSInt, "GPS L1 C/A"},
        {"GKR-K31", KeyGNSSInt, "GPS P-code"},
        {"GKR-K32", KeyGNSSInt, "Galileo E1"},
        {"GKR-K33", KeyGNSSInt, "GLONASS"},
    };
}

} // namespace SigGenOptionTables
