#pragma once

#include <string>
#include <string_view>

// Number <-> text conversions shared by every subsystem. They never depend on
// the C locale: the window sets one, and prices must still read "59.9".
namespace zorvane {

// Rounds to 2 decimals, half away from zero, after lifting |x|*100 by 1e-12
// so that decimal halves a double holds just below .5 round upwards.
double round2(double x);

// Two prices closer than this count as equal (filter bounds, sort order).
inline constexpr double kPriceTolerance = 1e-7;

// The largest price the program takes: eleven digits before the point and
// two after still make exactly the 13 significant digits of "%.13g".
inline constexpr double kLargestPrice = 99999999999.99;

// printf("%.13g") of the value.
std::string formatNumber(double value);

// Reads the longest leading decimal number the way atof does (leading white
// space, sign, digits, point, exponent); 0 when there is none.
double parseNumber(std::string_view text);

// Length of the decimal literal the text starts with (digits with an
// optional fraction, at least one digit, then an exponent when it is
// complete); 0 when there is none. No sign and no white space.
std::size_t decimalLiteralLength(std::string_view text);

// Leading integer (white space, sign, digits) as a 64-bit value, saturating;
// 0 when there is none.
long long parseInteger(std::string_view text);

} // namespace zorvane
