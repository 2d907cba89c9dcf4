#include "support/ini_text.h"

#include "support/text.h"

#include <vector>

namespace quarnel {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kAbsentValue = "END.-";

enum class LineKind { kBlank, kComment, kSection, kKey, kOther };

struct IniLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;       // section name or key name, without surrounding blanks
  std::size_t valueStart = 0;  // for a key line: the offset just past its first "="
};

// Where a key stands in the file, or where it would go.
struct KeyPlace {
  std::optional<std::size_t> sectionLine;  // the first matching section's header
  std::optional<std::size_t> keyLine;      // the first matching key line in that section
  std::size_t insertAfter = 0;             // the line a new key of that section follows
};

// The lines of text; CR LF, LF and a lone CR each end one, and a line end at the very end adds
// no empty line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      lines.push_back(text);
      break;
    }
    lines.push_back(text.substr(0, end));
    const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    text.remove_prefix(end + (crLf ? 2 : 1));
  }
  return lines;
}

// A line of a kind that carries no name.
IniLine Unnamed(LineKind kind) { return {kind, {}, 0}; }

// What one line means.
IniLine Classify(std::string_view line) {
  const std::size_t start = line.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return Unnamed(LineKind::kBlank);
  if (line[start] == ';' || line[start] == '#') return Unnamed(LineKind::kComment);
  if (line[start] == '[') {
    const std::size_t close = line.find(']', start);
    if (close != std::string_view::npos) {
      return {LineKind::kSection, Trimmed(line.substr(start + 1, close - start - 1), kBlanks)};
    }
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return Unnamed(LineKind::kOther);
  return {LineKind::kKey, Trimmed(line.substr(0, equals), kBlanks), equals + 1};
}

// Finds the first matching section and, inside it, the first matching key.
KeyPlace Locate(const std::vector<std::string_view>& lines, std::string_view section,
                std::string_view key) {
  KeyPlace place;
  std::size_t i = 0;
  while (i < lines.size() && !place.sectionLine) {
    const IniLine line = Classify(lines[i]);
    if (line.kind == LineKind::kSection && SameIgnoringCase(line.name, section)) place.sectionLine = i;
    ++i;
  }
  if (!place.sectionLine) return place;
  std::optional<std::size_t> lastKeyLine;
  std::size_t lastNonBlankLine = *place.sectionLine;
  for (; i < lines.size(); ++i) {
    const IniLine line = Classify(lines[i]);
    if (line.kind == LineKind::kSection) break;
    if (line.kind == LineKind::kKey && SameIgnoringCase(line.name, key)) {
      place.keyLine = i;
      break;
    }
    if (line.kind == LineKind::kKey) lastKeyLine = i;
    if (line.kind != LineKind::kBlank) lastNonBlankLine = i;
  }
  place.insertAfter = lastKeyLine.value_or(lastNonBlankLine);
  return place;
}

// Whether "[section]" and "key=value" lines read back as that section and that key.
bool NamesCanBeWritten(std::string_view section, std::string_view key) {
  if (HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
  if (HasLineBreak(key) || key.find('=') != std::string_view::npos) return false;
  return key.empty() || (key.front() != ';' && key.front() != '#' && key.front() != '[');
}

std::string Joined(std::string_view prefix, const std::vector<std::string>& lines) {
  std::string text(prefix);
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace

std::string IniValueIn(std::string_view text, std::string_view section, std::string_view key) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  const std::vector<std::string_view> lines = SplitLines(text);
  const KeyPlace place = Locate(lines, Trimmed(section, kBlanks), Trimmed(key, kBlanks));
  if (!place.keyLine) return {};
  const std::string_view line = lines[*place.keyLine];
  const std::string_view value = Trimmed(line.substr(Classify(line).valueStart), " ");
  return value == kAbsentValue ? std::string() : std::string(value);
}

std::optional<std::string> IniTextWith(std::string_view text, std::string_view section,
                                       std::string_view key, std::string_view value) {
  section = Trimmed(section, kBlanks);
  key = Trimmed(key, kBlanks);
  if (HasLineBreak(value) || !NamesCanBeWritten(section, key)) return std::nullopt;
  const std::string_view mark = text.starts_with(kByteOrderMark) ? kByteOrderMark : "";
  text.remove_prefix(mark.size());
  const std::vector<std::string_view> views = SplitLines(text);
  const KeyPlace place = Locate(views, section, key);
  std::vector<std::string> lines(views.begin(), views.end());
  const std::string keyLine = std::string(key) + "=" + std::string(value);
  if (place.keyLine) {
    std::string& line = lines[*place.keyLine];
    line = line.substr(0, Classify(line).valueStart) + std::string(value);
  } else if (place.sectionLine) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.insertAfter) + 1, keyLine);
  } else {
    if (!lines.empty() && Classify(lines.back()).kind != LineKind::kBlank) lines.emplace_back();
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(keyLine);
  }
  return Joined(mark, lines);
}

}  // namespace quarnel
