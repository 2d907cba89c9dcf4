#include "engine/translate/translation_notes.h"

#include <charconv>

namespace quarnel {

std::string GCodeText(double value) {
  char text[32] = "G";
  const auto end = std::to_chars(text + 1, text + sizeof text, value).ptr;
  return std::string(text, end);
}

}  // namespace quarnel
