#include "tools/tool_table_file.h"

#include <array>
#include <cstddef>
#include <vector>

#include "support/file_store.h"
#include "support/text.h"
#include "support/utf8.h"

namespace quarnel {

namespace {

constexpr std::string_view kSignature = "QUARNEL-TOOLTABLE 1";

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

// One row split into its two unescaped cells, or what is wrong with it.
struct ParsedRow {
  std::array<std::string, 2> cells;
  std::string problem;
};

// Splits one row at its one unescaped TAB, resolving the known escapes.
ParsedRow ParseRow(std::string_view row) {
  ParsedRow parsed;
  std::size_t cell = 0;
  for (std::size_t i = 0; i < row.size() && parsed.problem.empty(); ++i) {
    const char c = row[i];
    if (c == '\r') {
      parsed.problem = "a carriage return inside a cell";
    } else if (c == '\t') {
      if (++cell > 1) parsed.problem = "more than one tab (a tab inside a cell is written \\t)";
    } else if (c != '\\') {
      parsed.cells[cell] += c;
    } else if (++i == row.size()) {
      parsed.problem = "a lone backslash ends the line";
    } else if (row[i] == '\\' || row[i] == 't') {
      parsed.cells[cell] += row[i] == 't' ? '\t' : '\\';
    } else {
      parsed.problem = std::string("unknown escape \\") + row[i];
    }
  }
  if (parsed.problem.empty() && cell == 0) parsed.problem = "no tab between From and To";
  return parsed;
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

ParsedToolTable Foreign(std::string problem) { return {std::nullopt, std::move(problem)}; }

// A foreign file whose problem is on the line of index (counted from 0).
ParsedToolTable ForeignAt(std::size_t index, std::string_view problem) {
  const int line = static_cast<int>(index + 1);
  return {std::nullopt, "line " + std::to_string(line) + ": " + std::string(problem), line};
}

constexpr std::string_view kKeptSuffix = ".unreadable";
constexpr int kMostKeptCopies = 1000;

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

ParsedToolTable ParseToolTableText(std::string_view bytes) {
  std::vector<std::string_view> lines = SplitLines(bytes);
  // One empty line after the last row is tolerated; an empty line can never be a row.
  if (lines.size() > ToolTable::kRows + 1 && lines.back().empty()) lines.pop_back();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsValidUtf8(lines[i])) return ForeignAt(i, "not UTF-8");
  }
  if (lines.empty() || lines[0] != kSignature) return ForeignAt(0, "not a tool table file");
  ToolTable table;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ParsedRow row = ParseRow(lines[i]);
    if (!row.problem.empty()) return ForeignAt(i, row.problem);
    const int number = static_cast<int>(i);
    if (number > ToolTable::kRows) break;
    table.SetCell(number, ToolTable::kFromColumn, std::move(row.cells[0]));
    table.SetCell(number, ToolTable::kToColumn, std::move(row.cells[1]));
  }
  if (lines.size() != ToolTable::kRows + 1) {
    return Foreign(Counted(lines.size() - 1, "row") + ", " + std::to_string(ToolTable::kRows) +
                   " expected");
  }
  return {std::move(table), {}};
}

ToolTableLoad LoadToolTable(FileStore& files, const std::string& path, ToolTable& table) {
  using Outcome = ToolTableLoad::Outcome;
  const ReadOutcome read = files.ReadRegularFile(path);
  if (read.missing) return {Outcome::kMissing, {}};
  if (!read.ok) return {Outcome::kUnusable, "cannot be read: " + read.error};
  ParsedToolTable parsed = ParseToolTableText(read.bytes);
  if (!parsed.table) return {Outcome::kUnusable, std::move(parsed.problem), parsed.line};
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    for (int col = ToolTable::kFromColumn; col <= ToolTable::kToColumn; ++col) {
      table.SetCell(row, col, std::string(parsed.table->GridCell(row, col)));
    }
  }
  return {Outcome::kLoaded, {}};
}

KeptToolTable SetToolTableAside(FileStore& files, const std::string& path) {
  for (int copy = 0; copy < kMostKeptCopies; ++copy) {
    std::string kept = path + std::string(kKeptSuffix);
    if (copy > 0) kept += "." + std::to_string(copy);
    const MoveOutcome move = files.MoveWithoutReplacing(path, kept);
    if (move.result == MoveOutcome::Result::kMoved) return {kept, {}};
    if (move.result == MoveOutcome::Result::kFailed) return {{}, move.error};
  }
  return {{}, "every name up to " + path + std::string(kKeptSuffix) + "." +
                  std::to_string(kMostKeptCopies - 1) + " is taken"};
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
