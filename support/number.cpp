// Range-checked conversions of a double to the narrower types of the output words.

#include <cmath>

#include "support/number.h"

namespace quarnel {

namespace {

// Half-way between FLT_MAX and 2^128: from here on, rounding to float gives infinity.
constexpr double kFloatOverflow = 0x1.ffffffp127;

}  // namespace

// NaN has no float value to stand for either, so it gives nullopt like an overflow. The range
// is checked before converting: a double-to-float conversion out of range is undefined.
std::optional<float> ToSingle(double value) {
  if (!(std::fabs(value) < kFloatOverflow)) return std::nullopt;
  return static_cast<float>(value);
}

// The range is checked on the rounded double, before any conversion to an integer type.
std::optional<std::int16_t> ToInt16(double value) {
  const double whole = std::nearbyint(value);
  if (!(whole >= -32768.0 && whole <= 32767.0)) return std::nullopt;
  return static_cast<std::int16_t>(whole);
}

}  // namespace quarnel
