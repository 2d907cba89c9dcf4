// Writing numbers: the output patterns, FormatCoord and the plain decimal texts.
//
// A value is first turned into its decimal digits at 15 (double) or 7 (float) significant
// digits, correctly rounded by std::to_chars; all further rounding works on those digits, so
// a float read as 2049.1 is written as 2049.1 and never as its exact binary value 2049.1001.
//
// AppendCoord writes every number of the output program. For floats below 10^7 it gets the
// same seven digits in exact integer arithmetic instead (see CoordUnits); the general path
// stays for larger values and is the reference that the fast path is checked against.

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "support/number_in_place.h"
#include "support/number.h"
#include "support/number_internals.h"

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

// 10^0 to 10^11: every power the integer path of AppendCoord scales by.
constexpr std::uint64_t kPowersOfTen[] = {1,           10,           100,           1'000,
                                          10'000,      100'000,      1'000'000,     10'000'000,
                                          100'000'000, 1'000'000'000, 10'000'000'000, 100'000'000'000};
constexpr std::uint64_t kSevenDigitsLow = 1'000'000;    // the smallest seven-digit number
constexpr std::uint64_t kSevenDigitsHigh = 10'000'000;  // one past the largest
constexpr int kCoordDecimals = 4;                       // Pattern::kCoord rounds to 10^-4

// The parts of a float's bit pattern: |value| = (2^23 + fraction) * 2^(field - 150) when
// 0 < field < 255.
constexpr int kExponentBias = 150;
constexpr int kInfinityField = 255;
// Binary exponents of |value| that the integer path handles: 2^-17 up to 10^7 (below 2^24).
// Below 2^-17 (< 10^-5) every value rounds to 0 at four decimals.
constexpr int kSmallestLog2 = -17;
constexpr int kLargestLog2 = 23;

// The power of ten of a value's first digit, from its binary exponent log2 (kSmallestLog2 to
// kLargestLog2) and its significand: floor(log10(2^log2)), plus one when the binade holds the
// next power of ten and the significand reaches it.
struct DecimalExponentRule {
  int exponent;                // floor(log10(2^log2))
  std::uint64_t nextPowerAt;   // the smallest significand at or above the next power of ten
};
constexpr int kRules = kLargestLog2 - kSmallestLog2 + 1;
constexpr std::array<DecimalExponentRule, kRules> MakeDecimalExponentRules() {
  std::array<DecimalExponentRule, kRules> rules{};
  constexpr std::uint64_t kLowestSignificand = std::uint64_t{1} << 23;
  for (int log2 = kSmallestLog2; log2 <= kLargestLog2; ++log2) {
    const int shift = 23 - log2;  // value = significand / 2^shift, shift >= 0
    // 10^e <= 2^log2, in integers: 10^e * 2^shift <= 2^23, or 2^shift <= 2^23 * 10^-e.
    auto atOrBelow = [shift](int e) {
      return e >= 0 ? (kPowersOfTen[e] << shift) <= kLowestSignificand
                    : (std::uint64_t{1} << shift) <= kLowestSignificand * kPowersOfTen[-e];
    };
    int exponent = -6;  // 10^-6 lies below 2^-17
    while (atOrBelow(exponent + 1)) ++exponent;
    // The smallest significand m with m / 2^shift >= 10^(exponent + 1).
    const int next = exponent + 1;
    const std::uint64_t at =
        next >= 0 ? kPowersOfTen[next] << shift
                  : ((std::uint64_t{1} << shift) + kPowersOfTen[-next] - 1) / kPowersOfTen[-next];
    rules[static_cast<std::size_t>(log2 - kSmallestLog2)] = {exponent, at};
  }
  return rules;
}
constexpr std::array<DecimalExponentRule, kRules> kDecimalExponentRules = MakeDecimalExponentRules();

// The seven significant digits of significand / 2^shift, rounded half to even on the exact
// value as std::to_chars rounds, and the power of ten of the first digit. The value must lie in
// [2^-17, 10^7) with log2 = floor(log2(value)); one below 10^-5 gives digits 0, exponent -6.
struct SevenDigits {
  std::uint64_t digits;  // 10^6 <= digits < 10^7
  int exponent;          // value ~ digits * 10^(exponent - 6)
};
SevenDigits RoundToSevenDigits(std::uint64_t significand, int shift, int log2) {
  const auto& rule = kDecimalExponentRules[static_cast<std::size_t>(log2 - kSmallestLog2)];
  const int exponent = rule.exponent + (significand >= rule.nextPowerAt ? 1 : 0);
  if (exponent < -5) return {0, -6};
  // significand < 2^24 and the scale at most 10^11: the product stays below 2^61.
  const std::uint64_t scaled = significand * kPowersOfTen[6 - exponent];
  std::uint64_t digits = scaled >> shift;
  if (shift > 0) {
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (rest > half || (rest == half && (digits & 1) != 0)) ++digits;
  }
  if (digits == kSevenDigitsHigh) return {kSevenDigitsLow, exponent + 1};
  return {digits, exponent};
}

// Sets units to |value| in ten-thousandths as AppendCoord writes it: the seven-digit decimal,
// rounded half away from zero to four decimals. False for values of 10^7 and above, infinity
// and NaN, which take the general path.
bool CoordUnits(float value, std::uint64_t& units) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const int field = static_cast<int>((bits >> 23) & 0xFF);
  const int log2 = field - 127;
  if (log2 < kSmallestLog2) {  // zero, subnormals and everything below 2^-17
    units = 0;
    return true;
  }
  const std::uint64_t significand = (bits & 0x7FFFFF) | 0x800000;
  if (field == kInfinityField || log2 > kLargestLog2) return false;
  if (log2 == kLargestLog2 && significand >= kSevenDigitsHigh) return false;
  const SevenDigits seven = RoundToSevenDigits(significand, kExponentBias - field, log2);
  const int scale = seven.exponent - 6 + kCoordDecimals;  // units = digits * 10^scale
  if (scale >= 0) {
    units = seven.digits * kPowersOfTen[scale];
  } else if (scale >= -7) {
    // Seven digits fit in 32 bits, and so does the division.
    const auto divisor = static_cast<std::uint32_t>(kPowersOfTen[-scale]);
    units = (static_cast<std::uint32_t>(seven.digits) + divisor / 2) / divisor;
  } else {
    units = 0;
  }
  return true;
}

// "00" to "99", for writing two digits at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes a whole number below 10^8 in decimal digits, two at a time.
char* WriteWhole(char* out, std::uint32_t n) {
  const int length = n < 10'000 ? (n < 100 ? (n < 10 ? 1 : 2) : (n < 1'000 ? 3 : 4))
                                : (n < 1'000'000 ? (n < 100'000 ? 5 : 6) : (n < 10'000'000 ? 7 : 8));
  char* const end = out + length;
  char* at = end;
  for (; n >= 100; n /= 100) {
    at -= 2;
    at[0] = kDigitPairs[2 * (n % 100)];
    at[1] = kDigitPairs[2 * (n % 100) + 1];
  }
  if (n >= 10) {
    at[-2] = kDigitPairs[2 * n];
    at[-1] = kDigitPairs[2 * n + 1];
  } else {
    at[-1] = static_cast<char>('0' + n);
  }
  return end;
}

// Writes units (ten-thousandths, below 10^12) as the number part of a coordinate word: the
// whole part, and a point with the decimals when any are not zero, trailing zeros dropped.
char* WriteCoordUnits(char* out, std::uint64_t units) {
  out = WriteWhole(out, static_cast<std::uint32_t>(units / 10'000));
  const auto decimals = static_cast<std::uint32_t>(units % 10'000);
  if (decimals == 0) return out;
  const std::uint32_t high = decimals / 100, low = decimals % 100;
  *out++ = '.';
  out[0] = kDigitPairs[2 * high];
  out[1] = kDigitPairs[2 * high + 1];
  out[2] = kDigitPairs[2 * low];
  out[3] = kDigitPairs[2 * low + 1];
  if (low == 0) return out + (high % 10 == 0 ? 1 : 2);
  return out + (low % 10 == 0 ? 3 : 4);
}

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
  char text[kMaxCoordWordSize];
  out.append(text, WriteCoordWord(text, letter, value));
}

// The integer path writes at most a sign, eight whole digits, a point and four decimals.
// Values it writes are kept by their bits, and a value written again is copied: a program
// repeats many values (Z and F on almost every line).
char* WriteCoordWord(char* out, char letter, float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  internal::CoordCache::Entry& entry = internal::CoordCacheEntry(bits);
  *out++ = letter;
  if (entry.bits == bits) {
    std::memcpy(out, entry.text, sizeof entry.text);
    return out + entry.length;
  }
  std::uint64_t units = 0;
  if (!CoordUnits(value, units)) return internal::WriteCoordGeneral(out - 1, letter, value);
  char* end = out;
  if (units != 0 && std::signbit(value)) *end++ = '-';
  end = WriteCoordUnits(end, units);
  entry.bits = bits;
  entry.length = static_cast<std::uint32_t>(end - out);
  std::memcpy(entry.text, out, sizeof entry.text);
  return end;
}

constinit thread_local internal::CoordCache internal::coordCache;

void internal::AppendCoordGeneral(std::string& out, char letter, float value) {
  char text[kMaxCoordWordSize];
  out.append(text, WriteCoordGeneral(text, letter, value));
}

// A float at seven digits has at most 39 integer digits, and kCoord keeps four decimals, so
// the general path also stays within kMaxCoordWordSize.
char* internal::WriteCoordGeneral(char* out, char letter, float value) {
  *out++ = letter;
  char* end = WriteNumber(out, value, kFloatDigits, LayoutOf(Pattern::kCoord));
  return end[-1] == '.' ? end - 1 : end;
}

std::string FloatAsText(float value) {
  return FormatNumber(value, kFloatDigits, {-1, 1, Point::kWhenDecimals});
}

std::string NumberText(double value) {
  if (value == 0) return "0";
  return FormatNumber(value, kDoubleDigits, {-1, 0, Point::kWhenDecimals});
}

}  // namespace quarnel
