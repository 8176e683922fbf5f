#ifndef LISTFORGE_INSTRUMENT_OPTIONS_CODES_H
#define LISTFORGE_INSTRUMENT_OPTIONS_CODES_H

// Option codes whose presence changes what a model can do (paths, frequency and level limits,
// symbol rates). The option tables and the model databases both name them through these
// constants, so a code changed here changes in both places at once.
namespace SigGenOptionCodes {

namespace Dvt {
inline constexpr char RfPathA3GHz[] = "DVT-B103";
inline constexpr char RfPathA6GHz[] = "DVT-B106";
inline constexpr char BasebandGenerator[] = "DVT-B10";
// Listed under "Misc" and again under "DigStdInt"; the later row wins.
inline constexpr char MultiCarrierCw[] = "DVT-K48";
} // namespace Dvt

namespace Gkr {
inline constexpr char RfPathA2200MHz[] = "GKR-B122";
inline constexpr char RfPathA3GHz[] = "GKR-B103";
inline constexpr char RfPathA4GHz[] = "GKR-B104";
inline constexpr char RfPathA6GHz[] = "GKR-B106";
inline constexpr char RfPathB2200MHz[] = "GKR-B222";
inline constexpr char RfPathB3GHz[] = "GKR-B203";
inline constexpr char HighPowerPathA[] = "GKR-B31";
inline constexpr char HighPowerPathB[] = "GKR-B32";
inline constexpr char BasebandGenerator64MS[] = "GKR-B10";
inline constexpr char BasebandGenerator16MS[] = "GKR-B11";
inline constexpr char BasebandGenerator128MS[] = "GKR-B13";
// Listed under "Misc" and again under "DigStdInt"; the later row wins.
inline constexpr char MultiCarrierCw[] = "GKR-K48";
} // namespace Gkr

namespace Ploxa {
inline constexpr char RfPathA3GHz[] = "PLOXA-B103";
inline constexpr char RfPathA6GHz[] = "PLOXA-B106";
inline constexpr char RfPathB3GHz[] = "PLOXA-B203";
inline constexpr char RfPathB6GHz[] = "PLOXA-B206";
inline constexpr char HighPowerPathA[] = "PLOXA-B31";
inline constexpr char HighPowerPathB[] = "PLOXA-B32";
inline constexpr char BasebandGenerator64MS[] = "PLOXA-B10";
inline constexpr char BasebandGenerator16MS[] = "PLOXA-B11";
inline constexpr char BasebandGenerator128MS[] = "PLOXA-B13";
} // namespace Ploxa

namespace Hern {
inline constexpr char RfPathA3200MHz[] = "HERN-B132";
inline constexpr char RfPathA6GHz[] = "HERN-B106";
inline constexpr char BasebandGenerator[] = "HERN-B10";
// A licence key that raises the symbol rate limits. The option table deliberately does not
// list it: it shows up in the option list only under no caption.
inline constexpr char SymbolRateExtension[] = "HERN-K520";
} // namespace Hern

namespace Zoy {
inline constexpr char RfPathA3GHz[] = "ZOY-B103";
inline constexpr char RfPathA6GHz[] = "ZOY-B106";
inline constexpr char RfPathA12750MHz[] = "ZOY-B112";
inline constexpr char RfPathA20GHz[] = "ZOY-B120";
inline constexpr char RfPathA31800MHz[] = "ZOY-B131";
inline constexpr char RfPathA40GHz[] = "ZOY-B140";
// Same range with reduced modulation bandwidth; it sets no frequency limits of its own.
inline constexpr char RfPathA40GHzLimited[] = "ZOY-B140N";
inline constexpr char RfPathB3GHz[] = "ZOY-B203";
inline constexpr char RfPathB6GHz[] = "ZOY-B206";
inline constexpr char RfPathB12750MHz[] = "ZOY-B212";
inline constexpr char RfPathB20GHz[] = "ZOY-B220";
inline constexpr char WidebandBasebandGenerator[] = "ZOY-B9";
inline constexpr char BasebandGenerator[] = "ZOY-B10";
} // namespace Zoy

} // namespace SigGenOptionCodes

#endif
