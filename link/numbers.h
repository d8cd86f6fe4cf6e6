#pragma once
// Numbers as the instrument, the settings files and the panel's boxes write
// them: half-to-even rounding, the number at the start of a text, and the
// number texts. Pure functions, tested on any machine.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelt {

// Nearest whole number, ties to the even neighbour. Values beyond the 32-bit
// range saturate at its ends and NaN gives 0, so a huge typed number can
// never reach an undefined conversion.
std::int32_t RoundHalfEven(double value);

// The number at the start of a text: leading blanks, TAB, CR and LF skipped;
// radix literals &H, &O, &Q, &B and & followed by octal digits; otherwise a
// signed decimal with an exponent marked E, e, D or d. Only the first 18
// significant digits count. A text without a number gives 0; a magnitude
// beyond double range gives the largest finite double.
double ParseNumber(std::string_view text);

// 15 significant digits, no zero before the point below 1 ('.5'), no
// trailing zeros, '-' for negatives and nothing in front of other values.
std::string NumberText(double value);
// The same with a blank in the sign position of values >= 0.
std::string SignedNumberText(double value);

// Picture mask of '#' (digit shown only when significant), '0' (digit always
// shown) and '.' (point, always written); other characters are ignored.
// Rounds the value's 18-significant-digit decimal form, exact halves to even.
std::string MaskedNumberText(double value, std::string_view mask);

// v limited to lo..hi; NaN gives lo.
double LimitToRange(double v, double lo, double hi);

}  // namespace kelt
