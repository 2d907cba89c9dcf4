#include "engine/batch/input_checks.h"

#include <cmath>
#include <cstdint>

#include "engine/translate/tool_call.h"
#include "support/number.h"
#include "support/text.h"

namespace quarnel {

namespace {

constexpr std::size_t kShownLength = 24;  // longer texts are cut where a warning quotes them

// The text as a warning quotes it: cut after kShownLength bytes, at a UTF-8 character
// boundary, with "..." after a cut.
std::string Shown(std::string_view text) {
  if (text.size() <= kShownLength) return std::string(text);
  std::size_t end = kShownLength;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end)) + "...";
}

// A value that a text reads as, for the user: 1200, 0.5, -0.25, infinity.
std::string ReadingText(double value) {
  if (std::isinf(value)) return value < 0 ? "minus infinity" : "infinity";
  std::string text = NumberText(value);
  const std::size_t first = text.front() == '-' ? 1 : 0;
  if (text[first] == '.') text.insert(first, 1, '0');
  return text;
}

// True when a T word can hold value: a whole number in -32768..32767.
bool IsToolNumber(float value) {
  const std::optional<std::int16_t> whole = ToInt16(value);
  return whole && *whole == value;
}

// A row's cells and what the tool lookup reads from them.
struct RowReading {
  int row = 0;
  std::string_view from, to;
  std::optional<float> fromNumber;     // nullopt: beyond the 32-bit float range
  double toValue = 0;                  // Val of the "To" cell
  std::optional<std::int16_t> toTool;  // nullopt: outside -32768..32767
  bool empty = false;
};

RowReading ReadRow(const ToolTable& table, int row) {
  RowReading r;
  r.row = row;
  r.from = table.GridCell(row, ToolTable::kFromColumn);
  r.to = table.GridCell(row, ToolTable::kToColumn);
  r.fromNumber = ToSingle(Val(r.from));
  r.toValue = Val(r.to);
  r.toTool = ToInt16(r.toValue);
  r.empty = r.from.empty() && r.to.empty();
  return r;
}

std::vector<RowReading> ReadRows(const ToolTable& table) {
  std::vector<RowReading> rows;
  for (int row = 1; row <= ToolTable::kRows; ++row) rows.push_back(ReadRow(table, row));
  return rows;
}

// "\"To\" 4000abc- is not a plain number: reads as 4000", "\"To\" is empty: reads as 0".
std::string NotPlainNumber(std::string_view name, std::string_view text, std::string reading) {
  if (IsBlankText(text)) return std::string(name) + " is empty: reads as " + reading;
  return std::string(name) + " " + Shown(text) + " is not a plain number: reads as " + reading;
}

// The last row after r whose "From" reads as the same number (empty rows read as 0), or null.
const RowReading* OverridingRow(const std::vector<RowReading>& rows, const RowReading& r) {
  const RowReading* last = nullptr;
  for (std::size_t k = r.row; k < rows.size(); ++k) {
    if (rows[k].fromNumber == r.fromNumber) last = &rows[k];
  }
  return last;
}

void CheckFrom(const std::vector<RowReading>& rows, const RowReading& r,
               std::vector<TableWarning>& out) {
  auto warn = [&](std::string text) {
    out.push_back({r.row, std::move(text), ToolTable::kFromColumn});
  };
  if (!r.fromNumber) {
    warn("\"From\" " + Shown(r.from) + " is too large: every tool lookup fails");
    return;
  }
  const std::string number = FloatAsText(*r.fromNumber);
  if (!IsPlainNumber(r.from)) warn(NotPlainNumber("\"From\"", r.from, number));
  if (!IsToolNumber(*r.fromNumber)) {
    warn("\"From\" " + number + " is no tool number (whole, -32768..32767): no tool matches it");
  } else if (const RowReading* later = OverridingRow(rows, r)) {
    const std::string where = (later->empty ? "empty row " : "row ") + std::to_string(later->row);
    warn("\"From\" " + number + " is repeated in " + where +
         ", which wins: this row never applies");
  }
}

void CheckTo(const RowReading& r, std::vector<TableWarning>& out) {
  auto warn = [&](std::string text) {
    out.push_back({r.row, std::move(text), ToolTable::kToColumn});
  };
  if (!r.toTool) {
    warn("\"To\" " + ReadingText(r.toValue) +
         " is no tool number (-32768..32767): a file calling this tool fails");
    return;
  }
  const std::string number = std::to_string(*r.toTool);
  if (!IsPlainNumber(r.to)) warn(NotPlainNumber("\"To\"", r.to, number));
  if (*r.toTool <= 0) {
    warn("\"To\" " + number + ": this row writes no tool call");
  } else if (*r.toTool <= ToolTable::kRows) {
    warn("\"To\" " + number + ": the tool call takes in the \"From\" of row " + number);
  }
}

}  // namespace

std::vector<TableWarning> CheckToolTable(const ToolTable& table) {
  const std::vector<RowReading> rows = ReadRows(table);
  std::vector<TableWarning> warnings;
  for (const RowReading& r : rows) {
    if (r.empty) continue;
    CheckFrom(rows, r, warnings);
    CheckTo(r, warnings);
  }
  return warnings;
}

std::string RowToolCall(const ToolTable& table, int row) {
  if (row < 1 || row > ToolTable::kRows) return "";
  const RowReading r = ReadRow(table, row);
  if (r.empty) return "";
  if (!r.fromNumber) return Shown(r.from) + " -> lookup fails";
  const std::string head = FloatAsText(*r.fromNumber) + " -> ";
  if (!IsToolNumber(*r.fromNumber)) return head + "matches no tool";
  TranslatorState state;
  state.toolNumber = *r.fromNumber;
  ToolLookup lookup(table);
  if (LookUpTool(state, lookup)) return head + "lookup fails";
  if (state.line.toolCall.empty()) return head + "no tool call";
  return head + state.line.toolCall;
}

std::optional<std::string> DimensionTextWarning(std::string_view text) {
  if (IsPlainNumber(text)) return std::nullopt;
  const std::string reading = ReadingText(Val(text));
  if (IsBlankText(text)) return "empty: reads as " + reading;
  std::string warning(1, '"');
  warning += Shown(text);
  return warning + "\" is not a plain number: reads as " + reading;
}

}  // namespace quarnel
