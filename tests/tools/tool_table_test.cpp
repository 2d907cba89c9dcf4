#include "tools/tool_table.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(ToolTable, StartsWithSixteenEmptyCells) {
  const ToolTable table;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    EXPECT_EQ(table.GridCell(row, 1), "");
    EXPECT_EQ(table.GridCell(row, 2), "");
  }
}

TEST(ToolTable, CellsOutsideTheTableReadEmptyAndIgnoreWrites) {
  ToolTable table;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    table.SetCell(row, 1, "from" + std::to_string(row));
    table.SetCell(row, 2, "to" + std::to_string(row));
  }
  const unsigned generation = table.Generation();
  struct Cell {
    int row;
    int col;
  };
  for (const Cell cell : {Cell{0, 1}, Cell{9, 1}, Cell{101, 1}, Cell{-1, 1}, Cell{1, 0},
                          Cell{1, 3}, Cell{0, 0}}) {
    table.SetCell(cell.row, cell.col, "x");
    EXPECT_EQ(table.GridCell(cell.row, cell.col), "") << cell.row << "," << cell.col;
  }
  EXPECT_EQ(table.Generation(), generation);
  EXPECT_EQ(table.GridCell(8, 1), "from8");
  EXPECT_EQ(table.GridCell(1, 2), "to1");
}

TEST(ToolTable, EveryEditChangesTheGeneration) {
  ToolTable table;
  unsigned previous = table.Generation();
  for (const char* text : {"1", "1", ""}) {
    table.SetCell(3, 2, text);
    EXPECT_NE(table.Generation(), previous);
    previous = table.Generation();
  }
}

TEST(ToolTable, GenerationNamesContentAcrossTables) {
  // A table assigned from another must not keep a generation that a cache has already seen
  // for different content.
  ToolTable a;
  ToolTable b;
  a.SetCell(1, 1, "1");
  b.SetCell(1, 1, "2");
  EXPECT_NE(a.Generation(), b.Generation());
  const unsigned seen = a.Generation();
  a = b;
  EXPECT_NE(a.Generation(), seen);
  EXPECT_EQ(a.GridCell(1, 1), "2");
}

}  // namespace
}  // namespace quarnel
