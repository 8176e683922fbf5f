#include "instrument/options_codes.h"
#include "instrument/options_tables.h"

namespace SigGenOptionTables {

// PLOXA550X: up to two RF paths of up to 6 GHz each, up to two baseband paths, internal
// standards only.
QVector<SigGenOptionRow> ploxaRows()
{
    using namespace SigGenOptionCodes::Ploxa;
    return {
        // RF
        {RfPathA3GHz, KeyRF, "RF Path A - 100kHz-3.0GHz"},
        {RfPathA6GHz, KeyRF, "RF Path A - 100kHz-6.0GHz"},
        {RfPathB3GHz, KeyRF, "RF Path B - 100kHz-3.0GHz"},
        {RfPathB6GHz, KeyRF, "RF Path B - 100kHz-6.0GHz"},
        {HighPowerPathA, KeyRF, "RF Path A - High-Power output"},
        {HighPowerPathB, KeyRF, "RF Path B - High-Power output"},
        {"PLOXA-B22", KeyRF, "RF Path A - Pulse modulator"},
        {"PLOXA-B90", KeyRF, "Phase coherence"},
        // BB
        {BasebandGenerator64MS, KeyBB,
         "Baseband - Generator with digital modulation (realtime) and ARB (64MS)"},
        {BasebandGenerator16MS, KeyBB,
         "Baseband - Generator with digital modulation (realtime) and ARB (16MS)"},
        {BasebandGenerator128MS, KeyBB,
         "Baseband - Generator with digital modulation (realtime) and ARB (128MS)"},
        {"PLOXA-B50", KeyBB, "Baseband - ARB memory extension to 256MS"},
        {"PLOXA-B60", KeyBB, "Baseband - Main module with two I/Q outputs"},
        // Noise
        {"PLOXA-K61", KeyNoise, "AWGN"},
        // Misc
        {"PLOXA-B80", KeyMisc, "Removable hard disk"},
        // DigStdInt
        {"PLOXA-K40", KeyDigStdInt, "GSM/EDGE"},
        {"PLOXA-K41", KeyDigStdInt, "EDGE Evolution"},
        {"PLOXA-K42", KeyDigStdInt, "3GPP FDD"},
        {"PLOXA-K43", KeyDigStdInt, "3GPP FDD HSPA/HSPA+"},
        {"PLOXA-K44", KeyDigStdInt, "CDMA2000"},
        {"PLOXA-K45", KeyDigStdInt, "1xEV-DO Rev. A"},
        {"PLOXA-K46", KeyDigStdInt, "TD-SCDMA"},
        {"PLOXA-K47", KeyDigStdInt, "TD-SCDMA enhanced features"},
        {"PLOXA-K48", KeyDigStdInt, "Multicarrier CW"},
        {"PLOXA-K49", KeyDigStdInt, "IEEE 802.11a/b/g WLAN"},
        {"PLOXA-K50", KeyDigStdInt, "IEEE 802.11n WLAN"},
        {"PLOXA-K51", KeyDigStdInt, "IEEE 802.11ac WLAN"},
        {"PLOXA-K52", KeyDigStdInt, "IEEE 802.16 WiMAX"},
        {"PLOXA-K53", KeyDigStdInt, "LTE/E-UTRA"},
        {"PLOXA-K54", KeyDigStdInt, "LTE-Advanced"},
        {"PLOXA-K55", KeyDigStdInt, "LTE closed-loop BS test"},
        {"PLOXA-K56", KeyDigStdInt, "Bluetooth EDR"},
        {"PLOXA-K57", KeyDigStdInt, "Bluetooth Low Energy"},
        {"PLOXA-K58", KeyDigStdInt, "IEEE 802.15.4 (ZigBee)"},
        {"PLOXA-K59", KeyDigStdInt, "DVB-T/H"},
        {"PLOXA-K60", KeyDigStdInt, "DAB/T-DMB"},
        {"PLOXA-K62", KeyDigStdInt, "FM stereo/RDS"},
        {"PLOXA-K63", KeyDigStdInt, "TETRA Release 2"},
        {"PLOXA-K64", KeyDigStdInt, "DECT"},
        {"PLOXA-K66", KeyDigStdInt, "OFDM signal generation"},
        // GNSSInt
        {"PLOXA-K30", KeyGNSSInt, "GPS L1 C/A"},
        {"PLOXA-K32", KeyGNSSInt, "Galileo E1"},
    };
}

} // namespace SigGenOptionTables
