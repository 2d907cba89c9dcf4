#include "ui/entry_rules.h"

#include "support/number.h"
#include "support/text.h"
#include "tools/tool_table.h"

namespace quarnel {

std::optional<std::string> DimensionTextProblem(std::string_view text) {
  if (HasLineBreak(text)) return "A part dimension cannot hold a line break.";
  return std::nullopt;
}

std::optional<std::string> ToolCellProblem(int column, std::string_view text) {
  if (HasLineBreak(text)) return "A tool table cell cannot hold a line break.";
  if (column == ToolTable::kToColumn && !ToInt16(Val(text))) {
    return "A \"To\" tool number must lie between -32768 and 32767.";
  }
  if (column == ToolTable::kFromColumn && !ToSingle(Val(text))) {
    return "A \"From\" tool number is too large to be used.";
  }
  return std::nullopt;
}

}  // namespace quarnel
