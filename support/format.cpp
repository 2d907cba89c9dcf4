// Writing numbers: the output patterns, FormatCoord and the plain decimal texts.
//
// A value is first turned into its decimal digits at 15 (double) or 7 (float) significant
// digits, correctly rounded by std::to_chars; all further rounding works on those digits, so
// a float read as 2049.1 is written as 2049.1 and never as its exact binary value 2049.1001.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

#include "support/number.h"

namespace quarnel {

namespace {

// Room for the longest text written here: a sign, 309 integer digits of a large double, or a
// point and 338 decimals of the smallest one.
constexpr std::size_t kTextCapacity = 400;

// A finite value as decimal digits: digits[0] stands at 10^exponent, digits[1] at
// 10^(exponent-1), and so on. No digits (count 0) means zero; trailing zeros are never kept.
struct Digits {
  bool negative = false;
  char digits[20];
  int count = 0;
  int exponent = 0;
};

// How a pattern writes the integer part and the point.
enum class Point { kAlways, kWhenDecimals, kNever };
struct Layout {
  int decimals;           // round half away from zero to this many decimals; -1: no rounding
  int minIntegerDigits;   // "0" digits written in front of a shorter integer part
  Point point;
};

Layout LayoutOf(Pattern pattern) {
  switch (pattern) {
    case Pattern::kCoord: return {4, 1, Point::kAlways};      // "###0.####"
    case Pattern::kInch: return {3, 0, Point::kAlways};       // "####.###"
    case Pattern::kCount: return {0, 0, Point::kNever};       // "###"
    case Pattern::kTwoDigits: return {0, 2, Point::kNever};   // "00"
  }
  return {4, 1, Point::kAlways};
}

// Drops trailing zero digits; no digits left means zero.
void TrimZeros(Digits& d) {
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
}

// The finite value's correctly rounded digits at the given number of significant digits.
template <typename T>
Digits ToDigits(T value, int precision) {
  char text[40];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                                 precision - 1).ptr;
  Digits d;
  const char* p = text;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; p != end && *p != 'e'; ++p) {
    if (*p != '.') d.digits[d.count++] = *p;
  }
  std::from_chars(p + 1 + (p[1] == '+'), end, d.exponent);
  TrimZeros(d);
  return d;
}

// Rounds the digits half away from zero so that none stands below 10^-decimals.
void RoundToDecimals(Digits& d, int decimals) {
  const int keep = d.exponent + decimals + 1;
  if (keep >= d.count) return;
  if (keep < 0) {
    d.count = 0;
    return;
  }
  const bool up = d.digits[keep] >= '5';
  d.count = keep;
  if (!up) return TrimZeros(d);
  int i = d.count - 1;
  while (i >= 0 && d.digits[i] == '9') --i;
  if (i < 0) {  // all nines (or nothing kept): the carry makes a new leading digit
    d.digits[0] = '1';
    d.count = 1;
    ++d.exponent;
    return;
  }
  ++d.digits[i];
  d.count = i + 1;
}

// Writes the digits by the layout into out and returns the end; the sign only when a
// non-zero digit is left.
char* WriteDigits(char* out, const Digits& d, const Layout& layout) {
  if (d.negative && d.count > 0) *out++ = '-';
  const int integerDigits = d.count > 0 ? std::max(d.exponent + 1, 0) : 0;
  out = std::fill_n(out, std::max(layout.minIntegerDigits - integerDigits, 0), '0');
  for (int i = 0; i < integerDigits; ++i) *out++ = i < d.count ? d.digits[i] : '0';
  const int decimals = d.count > 0 ? std::max(d.count - 1 - d.exponent, 0) : 0;
  if (layout.point == Point::kAlways || (layout.point == Point::kWhenDecimals && decimals > 0)) {
    *out++ = '.';
  }
  for (int k = 1; k <= decimals; ++k) {
    const int i = d.exponent + k;
    *out++ = i >= 0 ? d.digits[i] : '0';
  }
  return out;
}

// Infinity and NaN never come from a conversion (callers check first); they are written as
// "inf", "-inf" and "nan" so that nothing breaks if one slips through.
char* WriteNonFinite(char* out, double value) {
  const std::string_view text = std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
  return std::copy(text.begin(), text.end(), out);
}

// Writes a value rounded to its significant digits and then by the layout.
template <typename T>
char* WriteNumber(char* out, T value, int precision, const Layout& layout) {
  if (!std::isfinite(value)) return WriteNonFinite(out, value);
  Digits d = ToDigits(value, precision);
  if (layout.decimals >= 0) RoundToDecimals(d, layout.decimals);
  return WriteDigits(out, d, layout);
}

template <typename T>
std::string FormatNumber(T value, int precision, const Layout& layout) {
  char text[kTextCapacity];
  return std::string(text, WriteNumber(text, value, precision, layout));
}

constexpr int kDoubleDigits = 15;
constexpr int kFloatDigits = 7;

// Drops a final "." of a FormatCoord result.
void DropFinalPoint(std::string& text) {
  if (!text.empty() && text.back() == '.') text.pop_back();
}

}  // namespace

std::string Format(double value, Pattern pattern) {
  return FormatNumber(value, kDoubleDigits, LayoutOf(pattern));
}

std::string Format(float value, Pattern pattern) {
  return FormatNumber(value, kFloatDigits, LayoutOf(pattern));
}

std::string Format(std::string_view text, Pattern pattern) {
  if (!IsPlainNumber(text)) return std::string(text);
  return Format(Val(text), pattern);
}

std::string FormatWhole(std::int64_t value) {
  char text[24];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string FormatCoord(char letter, float value) {
  std::string result;
  AppendCoord(result, letter, value);
  return result;
}

std::string FormatCoord(char letter, std::string_view text) {
  std::string result(1, letter);
  result += Format(text, Pattern::kCoord);
  DropFinalPoint(result);
  return result;
}

void AppendCoord(std::string& out, char letter, float value) {
  char text[kTextCapacity];
  text[0] = letter;
  char* end = WriteNumber(text + 1, value, kFloatDigits, LayoutOf(Pattern::kCoord));
  if (end[-1] == '.') --end;
  out.append(text, end);
}

std::string FloatAsText(float value) {
  return FormatNumber(value, kFloatDigits, {-1, 1, Point::kWhenDecimals});
}

std::string NumberText(double value) {
  if (value == 0) return "0";
  return FormatNumber(value, kDoubleDigits, {-1, 0, Point::kWhenDecimals});
}

}  // namespace quarnel
