// Checks of what the user typed into the tool table and the part dimension boxes. They only
// inform: a conversion never depends on them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/tool_table.h"

namespace quarnel {

// A height above this many units selects millimetres (G71); 60 or less selects inches (G70).
inline constexpr double kInchHeightLimit = 60;

// One finding about a row of the tool table.
struct TableWarning {
  int row;           // 1..8
  std::string text;  // for the user: "\"To\" 0: this row writes no tool call"
  int column = 0;    // the cell it is about: ToolTable::kFromColumn or ToolTable::kToColumn
};

// The warnings of every row, in row order: a "From" that a later row repeats (the last match
// wins), a cell that is not a plain number and what it reads as, a "From" beyond the 32-bit
// float range or that no tool number can equal, a "To" outside -32768..32767, of 0 or less
// (no tool call), or of 1 to 8 (the call takes in that row's "From"). An empty row gives none.
std::vector<TableWarning> CheckToolTable(const ToolTable& table);

// The tool call that a source tool numbered as the row's "From" gets from the whole table, as
// the translator writes it: "1 -> T01a1", "5 -> no tool call", "5 -> lookup fails",
// "1.5 -> matches no tool". "" for an empty row or a row outside the table.
std::string RowToolCall(const ToolTable& table, int row);

// nullopt for a plain number; otherwise what is wrong and what Val reads:
// "\"1,200\" is not a plain number: reads as 1", "empty: reads as 0".
std::optional<std::string> DimensionTextWarning(std::string_view text);

struct Units {
  std::string_view code;  // "G71" or "G70", the header's units code
  std::string_view name;  // "millimetres" or "inches"
};
inline constexpr Units kMillimetres{"G71", "millimetres"};
inline constexpr Units kInches{"G70", "inches"};

// The units a height text selects: millimetres above kInchHeightLimit as Val reads it, inches
// otherwise.
Units SelectedUnits(std::string_view height);

}  // namespace quarnel
