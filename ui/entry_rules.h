// What the window refuses to take into a tool table cell or a dimension box: texts that the
// conversion could not use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Why text cannot stand in a dimension box, or nullopt when it can: a line break would split
// the header line of every output program.
std::optional<std::string> DimensionTextProblem(std::string_view text);

// Why text cannot stand in the tool table cell of the given column (1 "From", 2 "To"), or
// nullopt when it can. A "To" must round (ties to even) into -32768..32767 and a "From" must fit
// a 32-bit float, both as Val reads them; no cell may hold a line break.
std::optional<std::string> ToolCellProblem(int column, std::string_view text);

}  // namespace quarnel
