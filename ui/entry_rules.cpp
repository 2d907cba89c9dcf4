#include "ui/entry_rules.h"

#include "support/text.h"

namespace quarnel {

std::optional<std::string> DimensionTextProblem(std::string_view text) {
  if (HasLineBreak(text)) return "A part dimension cannot hold a line break.";
  return std::nullopt;
}

std::optional<std::string> ToolCellProblem(std::string_view text) {
  if (HasLineBreak(text)) return "A tool table cell cannot hold a line break.";
  return std::nullopt;
}

}  // namespace quarnel
