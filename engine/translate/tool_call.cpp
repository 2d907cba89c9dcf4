#include "engine/translate/tool_call.h"

#include "engine/translate/output_codes.h"
#include "engine/translate/word_reader.h"
#include "support/number.h"

namespace quarnel {

namespace {

constexpr std::int16_t kLargestPlainSuffix = 99;    // 1..99: the number itself
constexpr std::int16_t kLargestLetterSuffix = 200;  // 100..200: letter and digit
constexpr std::int16_t kLargeToolBase = 200;        // above: the last two digits of n - 200

std::string CellFailure(const ToolTable& table, int row, int col, std::string_view what) {
  const char* name = col == ToolTable::kFromColumn ? "\"From\"" : "\"To\"";
  return "tool table row " + std::to_string(row) + " " + name + " " +
         NumberForMessage(table.GridCell(row, col)) + " does not fit in " + std::string(what);
}

}  // namespace

void ToolLookup::RefreshIfChanged() {
  if (loaded_ && generation_ == table_.Generation()) return;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    const std::string_view from = table_.GridCell(row, ToolTable::kFromColumn);
    Row& values = rows_[row - 1];
    values.from = ToSingle(Val(from));
    values.to = ToInt16(Val(table_.GridCell(row, ToolTable::kToColumn)));
    values.fromTwoDigits = Format(from, Pattern::kTwoDigits);
  }
  loaded_ = true;
  generation_ = table_.Generation();
}

std::optional<std::string> ToolLookup::Substitute(float toolNumber, std::int16_t& substituted,
                                                  int& matchedRow) {
  RefreshIfChanged();
  matchedRow = 0;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    const Row& values = rows_[row - 1];
    if (!values.from) {
      return CellFailure(table_, row, ToolTable::kFromColumn, "a 32-bit number");
    }
    if (*values.from != toolNumber) continue;
    if (!values.to) {
      return CellFailure(table_, row, ToolTable::kToColumn, "a tool number (-32768..32767)");
    }
    substituted = *values.to;  // several matching rows: the last one wins
    matchedRow = row;
  }
  return std::nullopt;
}

std::string_view ToolLookup::FromTwoDigits(int row) {
  if (row < 1 || row > ToolTable::kRows) return {};
  RefreshIfChanged();
  return rows_[row - 1].fromTwoDigits;
}

std::optional<std::string> LookUpTool(TranslatorState& state, ToolLookup& tools) {
  LineValues& line = state.line;
  // toolNumber only ever holds a T word that fitted in 16 bits.
  std::int16_t n = static_cast<std::int16_t>(state.toolNumber);
  if (auto failure = tools.Substitute(state.toolNumber, n, line.toolRow)) return failure;
  line.lineT = n;
  line.toolCall.clear();
  line.toolLookedUp = true;
  if (n <= 0) return std::nullopt;
  line.toolCall += output::kToolCallStart;
  line.toolCall += tools.FromTwoDigits(n);
  AppendToolSuffix(n, line.toolCall);
  return std::nullopt;
}

void AppendToolSuffix(std::int16_t n, std::string& suffix) {
  if (n <= kLargestPlainSuffix) {
    suffix += std::to_string(n);
  } else if (n <= kLargestLetterSuffix) {
    suffix += static_cast<char>('a' + (n / 10) % 10);
    suffix += static_cast<char>('0' + n % 10);
  } else {
    const int lastTwo = (n - kLargeToolBase) % 100;
    suffix += static_cast<char>('0' + lastTwo / 10);
    suffix += static_cast<char>('0' + lastTwo % 10);
    suffix += output::kLargeToolTail;
  }
}

}  // namespace quarnel
