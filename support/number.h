// Reading numbers from G-code text and writing them back as G-code words.
// Everything here is locale-independent: the decimal separator is always ".".
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Reads a number the way every part of Quarnel reads one. Unlike strtod, blanks, tabs and
// line feeds are skipped wherever they stand ("1 2" reads 12), the exponent letter may be E or
// D ("41D1" reads 410: the router writes D words that must not be mistaken for text), and text
// without a leading number reads 0. Then: optional sign, digits with at most one point,
// optional exponent (letter, optional sign, digits); reading stops at the first other
// character. A value beyond the double range reads as +/-infinity, a value too small as 0.
double Val(std::string_view text);

// The four output patterns. Each rounds half away from zero to its number of decimals.
enum class Pattern {
  kCoord,      // "###0.####": 0 -> "0.", 12.34567 -> "12.3457"
  kInch,       // "####.###":  0 -> ".",  0.1236 -> ".124"
  kCount,      // "###":       0 -> "",   123456 -> "123456"
  kTwoDigits,  // "00":        5 -> "05", 2.5 -> "03"
};

// Formats a double from its 15-significant-digit decimal form.
std::string Format(double value, Pattern pattern);
// Formats a 32-bit float from its 7-significant-digit decimal form (X2049.1 stays 2049.1).
std::string Format(float value, Pattern pattern);
// A text holding a plain number (see IsPlainNumber) is formatted as that number (double);
// any other text comes back unchanged.
std::string Format(std::string_view text, Pattern pattern);

// The letter followed by Format(value, kCoord) without a final ".": X12, X-0.5, X0.
std::string FormatCoord(char letter, float value);
std::string FormatCoord(char letter, std::string_view text);
// Appends exactly the bytes of FormatCoord(letter, value) to out, without a temporary string.
void AppendCoord(std::string& out, char letter, float value);

// True for optional blanks (space or tab), an optional sign, decimal digits with at most one
// point and at least one digit, optional blanks. "1,200" and "1E3" are not plain numbers.
bool IsPlainNumber(std::string_view text);

// Plain decimal text of a 32-bit float at 7 significant digits, never with an exponent, no
// trailing zeros, a point only when decimals follow, "0" before the point below 1, -0 gives
// "0". 600 -> "600", 12.5 -> "12.5", 0.75 -> "0.75", -14 -> "-14".
std::string FloatAsText(float value);

// Decimal text of a double at 15 significant digits without a leading blank, and no "0"
// before the point of a value between -1 and 1: 5 -> "5", 0.5 -> ".5", -0.5 -> "-.5".
// Plain decimal at any magnitude, so Val reads it back to the same double.
std::string NumberText(double value);

// The double rounded to the nearest 32-bit float; nullopt when it lies beyond the float range.
// NaN has no float value to stand for either, so it gives nullopt like an overflow. The range
// is checked before converting: a double-to-float conversion out of range is undefined.
inline std::optional<float> ToSingle(double value) {
  constexpr double kFloatOverflow = 0x1.ffffffp127;  // half-way between FLT_MAX and 2^128
  if (!(std::fabs(value) < kFloatOverflow)) return std::nullopt;
  return static_cast<float>(value);
}

// The value rounded to a whole number with ties to even (2.5 -> 2, 3.5 -> 4); nullopt when the
// result lies outside -32768..32767. The range is checked on the rounded double, before any
// conversion to an integer type.
inline std::optional<std::int16_t> ToInt16(double value) {
  const double whole = std::nearbyint(value);
  if (!(whole >= -32768.0 && whole <= 32767.0)) return std::nullopt;
  return static_cast<std::int16_t>(whole);
}

}  // namespace quarnel
