#include "engine/geometry/toolpath_style.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace quarnel {

std::string HexText(StyleColour colour) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text = "#";
  for (const std::uint8_t part : {colour.red, colour.green, colour.blue}) {
    text += kDigits[part >> 4];
    text += kDigits[part & 0xf];
  }
  return text;
}

StyleColour RampColour(double fraction) {
  constexpr int kLastStop = static_cast<int>(std::size(kDepthRamp)) - 1;
  const double at = std::isnan(fraction) ? 0 : std::clamp(fraction, 0.0, 1.0) * kLastStop;
  const int below = std::min(static_cast<int>(at), kLastStop - 1);
  const double share = at - below;
  const auto mix = [share](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>(std::lround(a + (b - a) * share));
  };
  const StyleColour& from = kDepthRamp[below];
  const StyleColour& to = kDepthRamp[below + 1];
  return {mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue)};
}

}  // namespace quarnel
