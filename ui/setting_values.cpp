#include "ui/setting_values.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "support/number.h"
#include "support/text.h"

namespace quarnel {

namespace {

// The whole text read as a number (sign, digits, point, exponent); nullopt when anything is left.
std::optional<double> WholeNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int> PixelsFromTwipsText(std::string_view text) {
  const double pixels = std::nearbyint(Val(text) / kTwipsPerPixel);
  if (!std::isfinite(pixels) || pixels < std::numeric_limits<std::int16_t>::min() ||
      pixels > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(pixels);
}

std::string TwipsTextFromPixels(int pixels) {
  return FloatAsText(static_cast<float>(pixels) * kTwipsPerPixel);
}

std::optional<bool> ParseBoolSetting(std::string_view text) {
  text = Trimmed(text, " \t");
  if (SameIgnoringCase(text, "true")) return true;
  if (SameIgnoringCase(text, "false")) return false;
  if (text.empty()) return std::nullopt;
  if (const auto number = WholeNumber(text)) return *number != 0;
  return std::nullopt;
}

std::string BoolSettingText(bool value) { return value ? "True" : "False"; }

}  // namespace quarnel
