#ifndef LISTFORGE_INSTRUMENT_STATUSNUMBER_H
#define LISTFORGE_INSTRUMENT_STATUSNUMBER_H

// The number an instrument answers to a status register query ("*ESR?", "*STB?"). Plain C++,
// so that the VISA library reads the status byte by the same rule as the program.

#include <string_view>

namespace StatusNumber {

// Largest value of an IEEE 488.2 status register: one byte.
constexpr unsigned RegisterMax = 255;

// Reads the reply as a plain decimal number from 0 to uMax: digits only, with nothing around
// them but white space (the reply's line terminator). A sign, a fraction, an exponent, any other
// character or a number past uMax is refused: the bits of such a reply mean nothing, and taking
// a part of it could report an operation complete that is not. Returns false and leaves uValue
// untouched on refusal.
bool parse(std::string_view text, unsigned uMax, unsigned &uValue);

} // namespace StatusNumber

#endif
