// The eight-row tool substitution table: "From" router tool numbers and the "To" numbers that
// replace them, held as the texts the user typed.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quarnel {

class ToolTable {
 public:
  static constexpr int kRows = 8;
  static constexpr int kFromColumn = 1;
  static constexpr int kToColumn = 2;

  // Text of the cell at row 1..8, column 1..2; "" for any cell outside the table.
  std::string_view GridCell(int row, int col) const;
  // Sets a cell inside the table; cells outside it are ignored.
  void SetCell(int row, int col, std::string text);

  // Changes with every SetCell: a reader that caches parsed cells keeps them only while the
  // generation stays the same, so a lookup always sees the table as it stands.
  unsigned Generation() const { return generation_; }

  bool operator==(const ToolTable& other) const { return cells_ == other.cells_; }

 private:
  // No "{}" initialiser: the strings start empty anyway, and clang 14 crashes on one here.
  std::array<std::array<std::string, 2>, kRows> cells_;
  unsigned generation_ = 0;
};

}  // namespace quarnel
