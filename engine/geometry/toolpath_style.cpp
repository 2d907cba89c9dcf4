#include "engine/geometry/toolpath_style.h"

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

}  // namespace quarnel
