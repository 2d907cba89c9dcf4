#include "tools/tool_table.h"

#include <atomic>

namespace quarnel {

namespace {

// Generations are drawn from one counter for every table, so a generation names one content:
// a copy carries its cells and their generation together, and a cache keyed on the generation
// can never mistake one table's content for another's.
unsigned NextGeneration() {
  static std::atomic<unsigned> counter{0};
  return ++counter;
}

bool InsideTable(int row, int col) {
  return row >= 1 && row <= ToolTable::kRows && (col == ToolTable::kFromColumn ||
                                                  col == ToolTable::kToColumn);
}

}  // namespace

std::string_view ToolTable::GridCell(int row, int col) const {
  if (!InsideTable(row, col)) return {};
  return cells_[row - 1][col - 1];
}

void ToolTable::SetCell(int row, int col, std::string text) {
  if (!InsideTable(row, col)) return;
  cells_[row - 1][col - 1] = std::move(text);
  generation_ = NextGeneration();
}

}  // namespace quarnel
