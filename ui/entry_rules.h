// What the window refuses to take into a tool table cell or a dimension box: texts that would
// add or split lines of a machine program. Anything else is taken and, where it misleads, marked.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Why text cannot stand in a dimension box, or nullopt when it can: a line break would split
// the header line of every output program.
std::optional<std::string> DimensionTextProblem(std::string_view text);

// Why text cannot stand in a tool table cell, or nullopt when it can: a line break would split
// the tool call line.
std::optional<std::string> ToolCellProblem(std::string_view text);

}  // namespace quarnel
