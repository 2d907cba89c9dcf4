#include "tools/tool_table_file.h"

#include <array>
#include <cstddef>
#include <vector>

#include "support/file_store.h"
#include "support/text.h"

namespace quarnel {

namespace {

constexpr std::string_view kSignature = "QUARNEL-TOOLTABLE 1";

// Length of the valid UTF-8 sequence starting at text[pos]; 0 when it is not one (overlong
// forms, surrogates and code points above U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
  }
  return length;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

void AppendEscaped(std::string& out, std::string_view cell) {
  for (char c : cell) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
}

// Splits one row into its two unescaped cells; nullopt unless it holds exactly one unescaped
// TAB, only known escapes and no CR.
std::optional<std::array<std::string, 2>> ParseRow(std::string_view row) {
  std::array<std::string, 2> cells;
  std::size_t cell = 0;
  for (std::size_t i = 0; i < row.size(); ++i) {
    const char c = row[i];
    if (c == '\r') return std::nullopt;
    if (c == '\t') {
      if (++cell > 1) return std::nullopt;
      continue;
    }
    if (c != '\\') {
      cells[cell] += c;
      continue;
    }
    if (++i == row.size()) return std::nullopt;  // lone final backslash
    if (row[i] == '\\') {
      cells[cell] += '\\';
    } else if (row[i] == 't') {
      cells[cell] += '\t';
    } else {
      return std::nullopt;
    }
  }
  if (cell != 1) return std::nullopt;
  return cells;
}

// The file's lines without their LF and without a CR before it; a final LF adds no line.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::string ToolTableText(const ToolTable& table) {
  std::string text(kSignature);
  text += '\n';
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    AppendEscaped(text, table.GridCell(row, ToolTable::kFromColumn));
    text += '\t';
    AppendEscaped(text, table.GridCell(row, ToolTable::kToColumn));
    text += '\n';
  }
  return text;
}

std::optional<ToolTable> ParseToolTableText(std::string_view bytes) {
  if (!IsValidUtf8(bytes)) return std::nullopt;
  std::vector<std::string_view> lines = SplitLines(bytes);
  // One empty line after the last row is tolerated; an empty line can never be a row.
  if (lines.size() == ToolTable::kRows + 2 && lines.back().empty()) lines.pop_back();
  if (lines.size() != ToolTable::kRows + 1 || lines[0] != kSignature) return std::nullopt;
  ToolTable table;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    auto cells = ParseRow(lines[row]);
    if (!cells) return std::nullopt;
    table.SetCell(row, ToolTable::kFromColumn, std::move((*cells)[0]));
    table.SetCell(row, ToolTable::kToColumn, std::move((*cells)[1]));
  }
  return table;
}

bool LoadToolTable(FileStore& files, const std::string& path, ToolTable& table) {
  const ReadOutcome read = files.ReadRegularFile(path);
  if (!read.ok) return false;
  std::optional<ToolTable> loaded = ParseToolTableText(read.bytes);
  if (!loaded) return false;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    for (int col = ToolTable::kFromColumn; col <= ToolTable::kToColumn; ++col) {
      table.SetCell(row, col, std::string(loaded->GridCell(row, col)));
    }
  }
  return true;
}

std::optional<std::string> SaveToolTable(FileStore& files, const std::string& path,
                                         const ToolTable& table) {
  // A cell the file cannot carry would make the whole file foreign at the next load, losing
  // every row; refuse the save instead and keep the previous file.
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    for (int col = ToolTable::kFromColumn; col <= ToolTable::kToColumn; ++col) {
      const std::string_view cell = table.GridCell(row, col);
      if (HasLineBreak(cell)) {
        return "tool table row " + std::to_string(row) + " holds a line break";
      }
      if (!IsValidUtf8(cell)) {
        return "tool table row " + std::to_string(row) + " holds text that is not UTF-8";
      }
    }
  }
  return files.WriteAtomically(path, ToolTableText(table));
}

}  // namespace quarnel
