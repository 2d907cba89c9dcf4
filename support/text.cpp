// Small text helpers shared by the translator, the settings store and the path helpers.

#include "support/text.h"

#include <algorithm>

namespace quarnel {

int InCount(std::string_view text, char ch) {
  return static_cast<int>(std::count(text.begin(), text.end(), ch));
}

std::string_view ParseString(int pos, std::string_view text, char delimiter) {
  if (pos < 1 || static_cast<std::size_t>(pos) > text.size()) return {};
  const std::string_view rest = text.substr(static_cast<std::size_t>(pos) - 1);
  return rest.substr(0, rest.find(delimiter));
}

// An occurrence counts when it starts at or before start (and lies inside text).
int QInstrB2(int start, std::string_view text, std::string_view pattern) {
  if (pattern.empty() || (start < 1 && start != -1)) return 0;
  const std::size_t from =
      start == -1 ? std::string_view::npos : static_cast<std::size_t>(start) - 1;
  const std::size_t found = text.rfind(pattern, from);
  return found == std::string_view::npos ? 0 : static_cast<int>(found) + 1;
}

void EmitLine(std::string& outBuffer, std::string_view line) {
  outBuffer.append(line);
  outBuffer.append("\r\n");
}

void ReplaceChar(std::string& text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace quarnel
