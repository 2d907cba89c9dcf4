#include "engine/batch/input_checks.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

struct Cells {
  int row;
  const char* from;
  const char* to;
};

ToolTable TableOf(std::initializer_list<Cells> rows) {
  ToolTable table;
  for (const Cells& r : rows) {
    table.SetCell(r.row, ToolTable::kFromColumn, r.from);
    table.SetCell(r.row, ToolTable::kToColumn, r.to);
  }
  return table;
}

// Each warning as "row.column text", in the order given.
std::vector<std::string> Listed(const std::vector<TableWarning>& warnings) {
  std::vector<std::string> lines;
  for (const TableWarning& w : warnings) {
    lines.push_back(std::to_string(w.row) + "." + std::to_string(w.column) + " " + w.text);
  }
  return lines;
}

using Lines = std::vector<std::string>;

TEST(CheckToolTable, FindsRowsThatMisleadOrFail) {
  const struct {
    const char* name;
    std::initializer_list<Cells> rows;
    Lines expected;
  } cases[] = {
      {"usual rows", {{1, "1", "101"}, {2, "81", "205"}, {3, " 12 ", "9"}}, {}},
      {"the last repeat wins, also in the very next row",
       {{1, "5", "101"}, {2, "5.0", "102"}, {3, "+5", "103"}},
       {"1.1 \"From\" 5 is repeated in row 3, which wins: this row never applies",
        "2.1 \"From\" 5 is repeated in row 3, which wins: this row never applies"}},
      {"empty rows read as tool 0",
       {{1, "", "101"}, {2, "0", "102"}},
       {"1.1 \"From\" is empty: reads as 0",
        "1.1 \"From\" 0 is repeated in empty row 8, which wins: this row never applies",
        "2.1 \"From\" 0 is repeated in empty row 8, which wins: this row never applies"}},
      {"text in To",
       {{1, "1", "4000abc-"}, {2, "2", "abc"}},
       {"1.2 \"To\" 4000abc- is not a plain number: reads as 4000",
        "2.2 \"To\" abc is not a plain number: reads as 0",
        "2.2 \"To\" 0: this row writes no tool call"}},
      {"To of 0 or less, or 1 to 8",
       {{1, "1", "-1"}, {2, "2", "0.4"}, {3, "3", "0.6"}, {4, "4", "8"}, {5, "5", "9"}},
       {"1.2 \"To\" -1: this row writes no tool call", "2.2 \"To\" 0: this row writes no tool call",
        "3.2 \"To\" 1: the tool call takes in the \"From\" of row 1",
        "4.2 \"To\" 8: the tool call takes in the \"From\" of row 8"}},
      {"To outside 16 bits",
       {{1, "1", "32767"}, {2, "2", "32767.5"}, {3, "3", "-32768.5"}, {4, "4", "4 0000"}},
       {"2.2 \"To\" 32767.5 is no tool number (-32768..32767): a file calling this tool fails",
        "3.2 \"To\" -32768: this row writes no tool call",
        "4.2 \"To\" 40000 is no tool number (-32768..32767): a file calling this tool fails"}},
      {"From that no tool number equals",
       {{1, "1.5", "101"}, {2, "32768", "102"}, {3, "-32768", "103"}, {4, "1D39", "104"}},
       {"1.1 \"From\" 1.5 is no tool number (whole, -32768..32767): no tool matches it",
        "2.1 \"From\" 32768 is no tool number (whole, -32768..32767): no tool matches it",
        "4.1 \"From\" 1D39 is too large: every tool lookup fails"}},
      {"text beyond 24 bytes is cut at a character",
       {{1, "1", "12xxxxxxxxxxxxxxxxxxxxx\xC3\xA9xyz"},
        {2, "2", "12xxxxxxxxxxxxxxxxxxxxxx"},
        {3, "3", "\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0"
                 "\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0"}},
       {"1.2 \"To\" 12xxxxxxxxxxxxxxxxxxxxx... is not a plain number: reads as 12",
        "2.2 \"To\" 12xxxxxxxxxxxxxxxxxxxxxx is not a plain number: reads as 12",
        "3.2 \"To\" ... is not a plain number: reads as 0",
        "3.2 \"To\" 0: this row writes no tool call"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Listed(CheckToolTable(TableOf(c.rows))), c.expected) << c.name;
  }
}

TEST(RowToolCall, ShowsTheCallTheTranslatorWrites) {
  const ToolTable table = TableOf({{1, "1", "101"},
                                   {2, "7", "205"},
                                   {3, "3", "5"},
                                   {4, "4", "0"},
                                   {5, "12", ""},
                                   {6, "2.5", "101"},
                                   {7, "9", "102"},
                                   {8, "9", "103"}});
  const Lines expected = {"1 -> T01a1",        "7 -> T0105M66",      "3 -> T01125",
                          "4 -> no tool call", "12 -> no tool call", "2.5 -> matches no tool",
                          "9 -> T01a3",        "9 -> T01a3",         ""};
  Lines calls;
  for (int row = 1; row <= ToolTable::kRows + 1; ++row) calls.push_back(RowToolCall(table, row));
  EXPECT_EQ(calls, expected);
}

TEST(RowToolCall, SaysWhenTheLookupFails) {
  EXPECT_EQ(RowToolCall(TableOf({{1, "1", "40000"}}), 1), "1 -> lookup fails");
  const ToolTable beyond = TableOf({{1, "1", "101"}, {2, "1E39", "5"}});
  EXPECT_EQ(RowToolCall(beyond, 1), "1 -> lookup fails");
  EXPECT_EQ(RowToolCall(beyond, 2), "1E39 -> lookup fails");
}

TEST(DimensionTextWarning, SaysWhatATextReadsAs) {
  const struct {
    const char* text;
    const char* warning;  // nullptr: none
  } cases[] = {
      {"600", nullptr},
      {"", "empty: reads as 0"},
      {"  ", "empty: reads as 0"},
      {"1,200", "\"1,200\" is not a plain number: reads as 1"},
      {"abc", "\"abc\" is not a plain number: reads as 0"},
      {"18;M30", "\"18;M30\" is not a plain number: reads as 18"},
      {"-.5mm", "\"-.5mm\" is not a plain number: reads as -0.5"},
      {"1E400", "\"1E400\" is not a plain number: reads as infinity"},
  };
  for (const auto& c : cases) {
    const auto warning = DimensionTextWarning(c.text);
    EXPECT_EQ(warning.value_or("none"), c.warning ? c.warning : "none") << c.text;
  }
}

}  // namespace
}  // namespace quarnel
