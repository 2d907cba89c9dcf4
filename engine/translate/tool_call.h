// The tool call text: the source tool number substituted through the tool table and named the
// way the machine expects, "T01" followed by the "From" cell of the substituted number's row
// (as "00") and a suffix for the substituted number: 101 gives T01a1, 205 gives T0105M66.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/translate/translator_state.h"
#include "tools/tool_table.h"

namespace quarnel {

// Reads the tool table for lookups. Behaves as if every lookup read every cell afresh; the
// parsed cells are kept until the table's generation changes.
class ToolLookup {
 public:
  explicit ToolLookup(const ToolTable& table) : table_(table) {}

  // The "To" number of the last row whose "From" reads as toolNumber, or toolNumber itself
  // when none does; row is that row, 0 for none. Every row's "From" must fit in a 32-bit float
  // and a matching row's "To" in -32768..32767; otherwise the reason why not.
  std::optional<std::string> Substitute(float toolNumber, std::int16_t& substituted, int& row);
  // The "From" cell of row formatted with "00": 5 gives "05", a text that is not a number
  // stays as it is, and a row outside the table gives "".
  std::string_view FromTwoDigits(int row);

 private:
  struct Row {
    std::optional<float> from;       // nullopt: beyond the 32-bit float range
    std::optional<std::int16_t> to;  // nullopt: outside -32768..32767
    std::string fromTwoDigits;
  };
  void RefreshIfChanged();

  const ToolTable& table_;
  std::array<Row, ToolTable::kRows> rows_{};
  bool loaded_ = false;
  unsigned generation_ = 0;
};

// Looks up the line's tool: lineT becomes the substituted number, toolRow the matching row and
// toolCall the tool call text ("" for a substituted number of 0 or less). The reason when a
// table cell does not fit.
std::optional<std::string> LookUpTool(TranslatorState& state, ToolLookup& tools);

// Appends the tail of the tool call text of substituted tool n (1 or more): 5 gives "5",
// 101 gives "a1", 110 gives "b0", 205 gives "05M66".
void AppendToolSuffix(std::int16_t n, std::string& suffix);

}  // namespace quarnel
