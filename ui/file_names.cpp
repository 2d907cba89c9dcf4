#include "ui/file_names.h"

#include <algorithm>
#include <array>

#include "support/paths.h"
#include "support/text.h"
#include "support/utf8.h"

namespace quarnel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char LowerAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// The run of digits at text[at], without its leading zeros (one zero stays); at moves past it.
std::string_view DigitRun(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  std::size_t first = start;
  while (first + 1 < at && text[first] == '0') ++first;
  return text.substr(first, at - first);
}

// Negative, zero or positive as a comes before, with or after b in the natural order.
int NaturalCompare(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::string_view x = DigitRun(a, i);
      const std::string_view y = DigitRun(b, j);
      if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
      if (const int order = x.compare(y); order != 0) return order;
      continue;
    }
    const unsigned char x = LowerAscii(a[i++]);
    const unsigned char y = LowerAscii(b[j++]);
    if (x != y) return x < y ? -1 : 1;
  }
  return (i < a.size()) - (j < b.size());
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
  const int order = NaturalCompare(a, b);
  return order != 0 ? order < 0 : a < b;
}

bool IsProgramName(std::string_view name) {
  static constexpr std::array<std::string_view, 6> kExtensions = {"nc",  "ngc",   "tap",
                                                                  "cnc", "gcode", "txt"};
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = name.substr(dot + 1);
  return std::any_of(kExtensions.begin(), kExtensions.end(),
                     [&](std::string_view known) { return SameIgnoringCase(extension, known); });
}

std::string DisplayText(std::string_view bytes) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    const std::size_t length = byte < 0x20 || byte == 0x7f ? 0 : Utf8SequenceLength(bytes, at);
    if (length > 0) {
      text.append(bytes.substr(at, length));
      at += length;
      continue;
    }
    text += "\\x";
    text += kHex[byte >> 4];
    text += kHex[byte & 0xf];
    ++at;
  }
  return text;
}

std::optional<DropChoice> ChooseDrop(std::vector<std::string> paths, bool filesWelcome,
                                     const std::function<PathKind(const std::string&)>& kindOf) {
  if (paths.empty()) return std::nullopt;
  for (std::string& path : paths) path = WithoutTrailingSeparator(std::move(path));
  if (paths.size() == 1 && kindOf(paths.front()) == PathKind::kDirectory) {
    return DropChoice{paths.front(), {}};
  }
  if (!filesWelcome) return std::nullopt;
  DropChoice choice{DirectoryOf(paths.front()), {}};
  for (const std::string& path : paths) {
    if (kindOf(path) != PathKind::kOther || DirectoryOf(path) != choice.directory) {
      return std::nullopt;
    }
    choice.names.push_back(FileNameOf(path));
  }
  if (choice.directory.empty()) return std::nullopt;  // a relative name: no folder to choose
  return choice;
}

}  // namespace quarnel
