#include "support/decimal_text.h"

#include <algorithm>
#include <charconv>

namespace quarnel {

namespace {

constexpr std::size_t kGroupDigits = 3;
constexpr int kMostDecimals = 9;
constexpr std::size_t kDecimalRoom = 400;  // the largest double in fixed form, with decimals

}  // namespace

std::string GroupedCount(std::size_t count) {
  const std::string digits = std::to_string(count);
  std::string text;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % kGroupDigits == 0) text += ',';
    text += digits[k];
  }
  return text;
}

std::string DecimalText(double value, int maxDecimals) {
  char buffer[kDecimalRoom];
  const int decimals = std::clamp(maxDecimals, 0, kMostDecimals);
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

}  // namespace quarnel
