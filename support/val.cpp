// Reading numbers: Val and IsPlainNumber.
//
// Val does not use strtod: G-code from the router has blanks inside numbers ("X1 2.5") and
// D exponents, and strtod would stop at both. Five ways, each taking what the one before
// leaves, give the same value:
// - the short path: sign, at most five digits, a point and four more (most words);
// - the plain path: sign, at most 19 digits and a point, nothing else;
// - the fast path: the same with an exponent;
// - the path with blanks: blanks between the characters of such a number;
// - the general path: any length and exponent; the accepted characters are gathered into a
//   normalised decimal text for std::from_chars, which rounds correctly and ignores the locale.
// The first four read the digits into an integer and scale it by one exact power of ten.

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "support/number.h"
#include "support/number_in_place.h"
#include "support/number_internals.h"

namespace quarnel {

namespace {

// More significant digits than any double needs to be rounded correctly (at most 767 can
// matter); digits beyond are folded into one sticky digit.
constexpr int kMaxDigits = 800;
// Decimal exponents beyond this are certain overflow or underflow for a double.
constexpr std::int64_t kExponentLimit = 1000;
// Exponent digits are accumulated up to this bound, far past kExponentLimit, never overflowing.
constexpr std::int64_t kExponentSaturation = std::int64_t{1} << 40;

// A number as read: sign, significant digits (first one non-zero) and the decimal exponent
// of the first digit. No digits means the value is zero.
struct DecimalNumber {
  bool negative = false;
  char digits[kMaxDigits + 1];
  int count = 0;
  bool sticky = false;  // a non-zero digit was dropped past kMaxDigits
  std::int64_t exponent = 0;
};

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\n'; }
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool IsExponentLetter(char ch) { return ch == 'E' || ch == 'e' || ch == 'D' || ch == 'd'; }

// Skips blanks, tabs and line feeds; returns the position of the next other character.
const char* SkipBlanks(const char* p, const char* end) {
  while (p != end && IsBlank(*p)) ++p;
  return p;
}

// Reads an optional "+" or "-" after blanks; true when it was "-".
bool ReadSign(const char*& p, const char* end) {
  p = SkipBlanks(p, end);
  if (p == end || (*p != '+' && *p != '-')) return false;
  return *p++ == '-';
}

// Reads digits with at most one point, blanks anywhere between them, into number. Returns
// false (and leaves p) when there is no digit at all.
bool ReadMantissa(const char*& p, const char* end, DecimalNumber& number) {
  std::int64_t position = 0;       // index of the next digit among all digits read
  std::int64_t integerDigits = -1;  // digits before the point, -1 until a point is read
  std::int64_t firstNonZero = -1;
  const char* q = p;
  for (;; ++q) {
    q = SkipBlanks(q, end);
    if (q == end) break;
    if (*q == '.' && integerDigits < 0) {
      integerDigits = position;
      continue;
    }
    if (!IsDigit(*q)) break;
    if (*q != '0' && firstNonZero < 0) firstNonZero = position;
    if (firstNonZero >= 0) {
      if (number.count < kMaxDigits) {
        number.digits[number.count++] = *q;
      } else if (*q != '0') {
        number.sticky = true;
      }
    }
    ++position;
  }
  if (position == 0) return false;
  if (integerDigits < 0) integerDigits = position;
  p = q;
  number.exponent = firstNonZero < 0 ? 0 : integerDigits - 1 - firstNonZero;
  return true;
}

// Reads an exponent (E or D in either case, optional sign, at least one digit, blanks
// anywhere) and returns its value, saturated; leaves p and returns 0 when there is none.
std::int64_t ReadExponent(const char*& p, const char* end) {
  const char* q = SkipBlanks(p, end);
  if (q == end) return 0;
  const char letter = *q;
  if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') return 0;
  ++q;
  const bool negative = ReadSign(q, end);
  std::int64_t value = 0;
  bool anyDigit = false;
  for (q = SkipBlanks(q, end); q != end && IsDigit(*q); q = SkipBlanks(q + 1, end)) {
    value = std::min(value * 10 + (*q - '0'), kExponentSaturation);
    anyDigit = true;
  }
  if (!anyDigit) return 0;
  p = q;
  return negative ? -value : value;
}

// Converts a read number with std::from_chars; beyond the double range gives +/-infinity or
// +/-0 by the number's exponent.
double ToDouble(const DecimalNumber& number) {
  const double zero = number.negative ? -0.0 : 0.0;
  if (number.count == 0) return zero;
  const double infinity = number.negative ? -std::numeric_limits<double>::infinity()
                                          : std::numeric_limits<double>::infinity();
  if (number.exponent > kExponentLimit) return infinity;
  if (number.exponent < -kExponentLimit) return zero;
  // "-d.ddd" + sticky digit + "e-1000"
  char text[kMaxDigits + 16];
  char* out = text;
  if (number.negative) *out++ = '-';
  *out++ = number.digits[0];
  *out++ = '.';
  out = std::copy(number.digits + 1, number.digits + number.count, out);
  if (number.sticky) *out++ = '1';
  *out++ = 'e';
  out = std::to_chars(out, text + sizeof text, number.exponent).ptr;
  double value = 0;
  const auto result = std::from_chars(text, out, value, std::chars_format::scientific);
  if (result.ec == std::errc::result_out_of_range) return number.exponent > 0 ? infinity : zero;
  return value;
}

// The general path over [begin, end); stop is where the number ends, begin when there is none.
double ReadGeneral(const char* begin, const char* end, const char*& stop) {
  const char* p = begin;
  stop = begin;
  DecimalNumber number;
  number.negative = ReadSign(p, end);
  if (!ReadMantissa(p, end, number)) return 0;
  const std::int64_t exponent = ReadExponent(p, end);
  number.exponent += exponent;
  stop = p;
  return ToDouble(number);
}

// The fast path's limits: a mantissa up to 2^53 converts to a double exactly, and so do the
// powers of ten up to 10^22, so one multiplication or division of the two is correctly rounded.
constexpr int kFastMaxDigits = 19;  // significant digits that always fit in 64 bits
constexpr std::uint64_t kFastMaxMantissa = std::uint64_t{1} << 53;
constexpr int kFastMaxPower = 22;
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// Exponent digits beyond this value leave the fast path (and its int arithmetic).
constexpr int kFastExponentLimit = 1000;

// A mantissa as read by the fast path: value = digits * 10^-decimals.
struct FastMantissa {
  std::uint64_t digits = 0;
  int significant = 0;  // digits counted from the first non-zero one
  int decimals = 0;     // digits read after the point
  bool any = false;     // at least one digit
};

// Reads digits with at most one point, blanks anywhere, as ReadMantissa does. False when the
// mantissa has more significant digits (or decimals) than the fast path takes.
bool ReadFastMantissa(const char*& p, const char* end, FastMantissa& m) {
  bool point = false;
  for (; p != end; ++p) {
    const char ch = *p;
    if (IsDigit(ch)) {
      if (m.digits != 0 || ch != '0') {
        if (m.significant == kFastMaxDigits) return false;
        ++m.significant;
      }
      m.digits = m.digits * 10 + static_cast<std::uint64_t>(ch - '0');
      m.any = true;
      if (point && ++m.decimals > kFastExponentLimit) return false;
    } else if (ch == '.' && !point) {
      point = true;
    } else if (!IsBlank(ch)) {
      break;
    }
  }
  return true;
}

// Reads an exponent as ReadExponent does, from p on; stop is where it ends (p when there is
// none). False when its digits go beyond kFastExponentLimit.
bool ReadFastExponent(const char* p, const char* end, int& exponent, const char*& stop) {
  exponent = 0;
  stop = p;
  p = SkipBlanks(p, end);
  if (p == end || !IsExponentLetter(*p)) return true;
  ++p;
  const bool negative = ReadSign(p, end);
  int value = 0;
  bool anyDigit = false;
  for (p = SkipBlanks(p, end); p != end && IsDigit(*p); p = SkipBlanks(p + 1, end)) {
    if (value > kFastExponentLimit) return false;
    value = value * 10 + (*p - '0');
    anyDigit = true;
  }
  if (anyDigit) {
    exponent = negative ? -value : value;
    stop = p;
  }
  return true;
}

// Scales a mantissa read by the fast paths: false when it or the power is out of their range.
bool ScaleFast(std::uint64_t mantissa, int power, bool negative, double& result) {
  if (mantissa > kFastMaxMantissa || power < -kFastMaxPower || power > kFastMaxPower) return false;
  const auto value = static_cast<double>(mantissa);
  const double magnitude =
      power >= 0 ? value * kExactPowersOfTen[power] : value / kExactPowersOfTen[-power];
  result = negative ? -magnitude : magnitude;
  return true;
}

// Val of [begin, end) for a text with blanks inside its number; stop is where the number
// ends. False (result and stop untouched or meaningless) when the text needs the general path.
bool TryValWithBlanks(const char* begin, const char* end, double& result, const char*& stop) {
  const char* p = begin;
  const bool negative = ReadSign(p, end);
  FastMantissa m;
  if (!ReadFastMantissa(p, end, m)) return false;
  if (!m.any) {
    result = 0;
    stop = begin;
    return true;
  }
  int exponent = 0;
  if (!ReadFastExponent(p, end, exponent, stop)) return false;
  if (m.digits == 0) {
    result = negative ? -0.0 : 0.0;
    return true;
  }
  return ScaleFast(m.digits, exponent - m.decimals, negative, result);
}

// Reads a run of digits into mantissa; returns the end of the run.
const char* ReadDigitRun(const char* p, const char* end, std::uint64_t& mantissa) {
  for (; p != end && IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
  return p;
}

// Reads digits with at most one point into mantissa; count is every digit read, decimals those
// after the point. Returns where the digits end.
inline const char* ReadDecimal(const char* p, const char* end, std::uint64_t& mantissa,
                               std::ptrdiff_t& count, std::ptrdiff_t& decimals, bool& point) {
  const char* digits = p;
  p = ReadDigitRun(p, end, mantissa);
  count = p - digits;
  point = p != end && *p == '.';
  if (point) {
    digits = ++p;
    p = ReadDigitRun(p, end, mantissa);
    decimals = p - digits;
    count += decimals;
  }
  return p;
}

// Val of [begin, end) for the text the router writes: sign, digits and point without blanks
// between them, at most 19 digits; stop is where the number ends. Other texts go to
// TryValWithBlanks; false when they need the general path.
bool TryValFast(const char* begin, const char* end, double& result, const char*& stop) {
  const char* p = begin;
  const bool negative = ReadSign(p, end);
  std::uint64_t mantissa = 0;
  std::ptrdiff_t count = 0, decimals = 0;
  bool point = false;
  p = ReadDecimal(p, end, mantissa, count, decimals, point);
  // A blank does not end the number when a digit or its first point follows ("1 2" is 12).
  const char* next = SkipBlanks(p, end);
  const bool continues = next != end && (IsDigit(*next) || (*next == '.' && !point));
  if (continues || count > kFastMaxDigits) return TryValWithBlanks(begin, end, result, stop);
  if (count == 0) {
    result = 0;
    stop = begin;
    return true;
  }
  int exponent = 0;
  if (!ReadFastExponent(next, end, exponent, stop)) return false;
  if (mantissa == 0) {
    result = negative ? -0.0 : 0.0;
    return true;
  }
  return ScaleFast(mantissa, exponent - static_cast<int>(decimals), negative, result);
}

// Val of [begin, end) for the plainest text: an optional sign, at most 19 digits with at most
// one point, then the end, blanks or a character that cannot continue the number. False for
// anything else (blanks in front or inside, an exponent), which TryValFast reads.
inline bool TryValPlain(const char* begin, const char* end, double& result, const char*& stop) {
  const char* p = begin;
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '-' || *p == '+')) ++p;
  std::uint64_t mantissa = 0;
  std::ptrdiff_t count = 0, decimals = 0;
  bool point = false;
  p = ReadDecimal(p, end, mantissa, count, decimals, point);
  if (count == 0 || count > kFastMaxDigits) return false;
  const char* next = p;
  while (next != end && IsBlank(*next)) ++next;
  if (next != end && (IsDigit(*next) || *next == '.' || IsExponentLetter(*next))) return false;
  stop = next;
  if (mantissa == 0) {
    result = negative ? -0.0 : 0.0;
    return true;
  }
  return ScaleFast(mantissa, -static_cast<int>(decimals), negative, result);
}

// The short path's limits: the numbers the router writes most have at most five digits before
// the point and four after it. bench/val_exhaustive_check compares the short path with the
// general path on every such text.
constexpr int kShortWholeDigits = 5;
constexpr int kShortDecimals = 4;

// The bytes that continue a number after its digits and the blanks after them: a digit, a
// point, an exponent letter.
struct ContinuesNumber {
  bool of[256] = {};
  constexpr ContinuesNumber() {
    for (const char c : std::string_view("0123456789.EeDd")) of[static_cast<unsigned char>(c)] = true;
  }
};
constexpr ContinuesNumber kContinuesNumber;

// Reads at most limit + 1 digits at p (fewer at end) into mantissa; returns the end of them.
// Where the text has limit + 1 more bytes, the loop is unrolled and needs no test for the end.
template <int kLimit>
inline const char* ReadShortRun(const char* p, const char* end, std::uint32_t& mantissa) {
  if (end - p > kLimit) {
#pragma GCC unroll 8
    for (int i = 0; i <= kLimit; ++i) {
      const unsigned digit = static_cast<unsigned char>(p[i]) - unsigned{'0'};
      if (digit > 9) return p + i;
      mantissa = mantissa * 10 + digit;
    }
    return p + kLimit + 1;
  }
  for (; p != end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) break;
    mantissa = mantissa * 10 + digit;
  }
  return p;
}

// Seven significant digits and four decimals at most: such a text is the float's own text at
// seven digits, and FormatCoord writes it as it stands when it has no "+", no leading zero (but
// a lone one before the point), no trailing decimal zero or bare point, and is not zero.
constexpr std::ptrdiff_t kCoordTextDigits = 7;

// Copies the length (at most 16) bytes at from, of which available can be read, to the
// 16 bytes at to.
inline void CopyNumberText(char* to, const char* from, std::ptrdiff_t length,
                           std::ptrdiff_t available) {
  if (available >= 16) {
    std::memcpy(to, from, 16);
  } else if (length >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + length - 8, from + length - 8, 8);
  } else if (length >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + length - 4, from + length - 4, 4);
  } else {
    for (std::ptrdiff_t i = 0; i < length; ++i) to[i] = from[i];
  }
}

// Val of [begin, end) for an optional sign, at most kShortWholeDigits digits, and a point with
// at most kShortDecimals digits after it, at least one digit in all, then the end, blanks or a
// character that cannot continue the number. False for anything else, which TryValPlain reads.
// With kRemember, a text that FormatCoord writes as it stands is remembered for WriteCoordWord.
template <bool kRemember>
inline bool TryValShort(const char* begin, const char* end, double& result, const char*& stop) {
  const char* p = begin;
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '-' || *p == '+')) ++p;
  std::uint32_t mantissa = 0;
  const char* const whole = p;
  p = ReadShortRun<kShortWholeDigits>(p, end, mantissa);
  const std::ptrdiff_t wholeDigits = p - whole;
  if (wholeDigits > kShortWholeDigits) return false;
  std::ptrdiff_t decimals = 0;
  bool point = false;
  if (p != end && *p == '.') {
    point = true;
    const char* const first = ++p;
    p = ReadShortRun<kShortDecimals>(p, end, mantissa);
    decimals = p - first;
    if (decimals > kShortDecimals) return false;
  }
  if (wholeDigits + decimals == 0) return false;
  const char* const numberEnd = p;
  while (p != end && IsBlank(*p)) ++p;
  if (p != end && kContinuesNumber.of[static_cast<unsigned char>(*p)]) return false;
  stop = p;
  const double magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
  result = negative ? -magnitude : magnitude;
  const bool asWritten = mantissa != 0 && *begin != '+' && wholeDigits != 0 &&
                         (*whole != '0' || wholeDigits == 1) &&
                         wholeDigits + decimals <= kCoordTextDigits &&
                         (!point || (decimals != 0 && numberEnd[-1] != '0'));
  if (kRemember && asWritten) {
    const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(result));
    internal::CoordCache::Entry& entry = internal::CoordCacheEntry(bits);
    entry.bits = bits;
    entry.length = static_cast<std::uint32_t>(numberEnd - begin);
    CopyNumberText(entry.text, begin, numberEnd - begin, end - begin);
  }
  return true;
}

// Val of [begin, end) for every text the short path leaves; stop is where the number ends,
// begin when there is none. Kept apart, so that the short path saves no registers for it.
[[gnu::noinline]] double ReadNumberOtherwise(const char* begin, const char* end,
                                             const char*& stop) {
  double result;
  if (TryValPlain(begin, end, result, stop) || TryValFast(begin, end, result, stop)) return result;
  return ReadGeneral(begin, end, stop);
}

// Val of [begin, end); stop is where the number ends, begin when there is none.
template <bool kRemember>
inline double ReadNumber(const char* begin, const char* end, const char*& stop) {
  double result;
  if (TryValShort<kRemember>(begin, end, result, stop)) return result;
  return ReadNumberOtherwise(begin, end, stop);
}

}  // namespace

double Val(std::string_view text) {
  const char* stop = nullptr;
  return ReadNumber<false>(text.data(), text.data() + text.size(), stop);
}

double ValTaken(std::string_view text, std::size_t& taken) {
  const char* stop = nullptr;
  const double value = ReadNumber<false>(text.data(), text.data() + text.size(), stop);
  taken = static_cast<std::size_t>(stop - text.data());
  return value;
}

double CoordValTaken(std::string_view text, std::size_t& taken) {
  const char* stop = nullptr;
  const double value = ReadNumber<true>(text.data(), text.data() + text.size(), stop);
  taken = static_cast<std::size_t>(stop - text.data());
  return value;
}

double internal::ValGeneral(std::string_view text) {
  const char* stop = nullptr;
  return ReadGeneral(text.data(), text.data() + text.size(), stop);
}

bool IsPlainNumber(std::string_view text) {
  auto isSpace = [](char ch) { return ch == ' ' || ch == '\t'; };
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && isSpace(text[i])) ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  bool anyDigit = false;
  bool point = false;
  for (; i < n; ++i) {
    if (IsDigit(text[i])) {
      anyDigit = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  while (i < n && isSpace(text[i])) ++i;
  return anyDigit && i == n;
}

}  // namespace quarnel
