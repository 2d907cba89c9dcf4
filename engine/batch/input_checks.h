// Checks of what the user typed into the tool table and the part dimension boxes. They only
// inform: a conversion never depends on them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/tool_table.h"

namespace quarnel {

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

}  // namespace quarnel
