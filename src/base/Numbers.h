#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// Reads a decimal number written with "." whatever the locale. Blanks around the number are
// allowed; an empty text, other characters, "inf" or "nan" throw ConvertError.
double StrToFloat(std::string_view text);

// Reads a 32-bit signed decimal integer; blanks around it are allowed. Anything else, or a
// value out of range, throws ConvertError.
int32_t StrToInt(std::string_view text);

// The general number format: the shortest text with at most 15 significant digits, "." as the
// decimal point, no thousands separators; an exponent ("1E20", "1E-7") only for very large or
// small magnitudes. NaN and the infinities are written "NaN", "INF" and "-INF".
std::string FormatGeneral(double value);

// Fixed notation with the given number of decimals and "." whatever the locale ("%.2f").
std::string FormatFixed(double value, int decimals);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
int64_t RoundHalfEven(double value);

}  // namespace base
