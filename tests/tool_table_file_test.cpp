#include "tools/tool_table_file.h"

#include <gtest/gtest.h>

#include "support/file_store.h"

namespace quarnel {
namespace {

const std::string kHead = "QUARNEL-TOOLTABLE 1\n";

ToolTable SampleTable() {
  ToolTable table;
  table.SetCell(1, 1, "1");
  table.SetCell(1, 2, "101");
  table.SetCell(2, 1, "81");
  table.SetCell(2, 2, "205");
  table.SetCell(4, 1, "router bit");
  table.SetCell(5, 2, "back\\slash\tand tab");
  table.SetCell(8, 1, "\xc3\xa9t\xc3\xa9");
  return table;
}

// Eight rows of the given text each.
std::string Rows(const std::string& row) {
  std::string text;
  for (int i = 0; i < ToolTable::kRows; ++i) text += row;
  return text;
}

TEST(ToolTableText, WritesSignatureAndEightEscapedRows) {
  EXPECT_EQ(ToolTableText(SampleTable()),
            kHead +
                "1\t101\n"
                "81\t205\n"
                "\t\n"
                "router bit\t\n"
                "\tback\\\\slash\\tand tab\n"
                "\t\n"
                "\t\n"
                "\xc3\xa9t\xc3\xa9\t\n");
}

TEST(ParseToolTableText, ReadsBackWhatWasWritten) {
  const ToolTable table = SampleTable();
  const auto parsed = ParseToolTableText(ToolTableText(table));
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(*parsed, table);
}

TEST(ParseToolTableText, AcceptsCrLfAndAMissingOrDoubledFinalLf) {
  const std::string crlf = "QUARNEL-TOOLTABLE 1\r\n" + Rows("7\t107\r\n");
  const std::string noFinalLf = kHead + Rows("7\t107\n").substr(0, 7 * 6 + 5);
  for (const std::string& text : {crlf, noFinalLf, kHead + Rows("7\t107\n") + "\n"}) {
    const auto parsed = ParseToolTableText(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(parsed->GridCell(8, 1), "7");
    EXPECT_EQ(parsed->GridCell(8, 2), "107");
  }
}

TEST(ParseToolTableText, RefusesForeignFiles) {
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty file", ""},
      {"no signature", Rows("1\t2\n")},
      {"other version", "QUARNEL-TOOLTABLE 2\n" + Rows("1\t2\n")},
      {"signature with a blank", "QUARNEL-TOOLTABLE 1 \n" + Rows("1\t2\n")},
      {"byte-order mark", "\xef\xbb\xbf" + kHead + Rows("1\t2\n")},
      {"seven rows", kHead + Rows("1\t2\n").substr(4)},
      {"nine rows", kHead + Rows("1\t2\n") + "1\t2\n"},
      {"two empty lines at the end", kHead + Rows("1\t2\n") + "\n\n"},
      {"row without a tab", kHead + "12\n" + Rows("1\t2\n").substr(4)},
      {"row with two tabs", kHead + "1\t2\t3\n" + Rows("1\t2\n").substr(4)},
      {"unknown escape", kHead + "\\n\t2\n" + Rows("1\t2\n").substr(4)},
      {"escaped real tab", kHead + "\\\t2\n" + Rows("1\t2\n").substr(4)},
      {"lone final backslash", kHead + Rows("1\t2\n").substr(4) + "1\t2\\"},
      {"CR inside a cell", kHead + "1\r\t2\n" + Rows("1\t2\n").substr(4)},
      {"CR at the end without LF", kHead + Rows("1\t2\n").substr(0, 7 * 4) + "1\t2\r"},
      {"invalid UTF-8", kHead + "\xff\t2\n" + Rows("1\t2\n").substr(4)},
      {"overlong UTF-8", kHead + "\xc0\xaf\t2\n" + Rows("1\t2\n").substr(4)},
      {"UTF-8 surrogate", kHead + "\xed\xa0\x80\t2\n" + Rows("1\t2\n").substr(4)},
      {"truncated UTF-8", kHead + Rows("1\t2\n").substr(4) + "1\t\xe2\x82"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ParseToolTableText(c.text).has_value()) << c.what;
  }
}

TEST(LoadToolTable, MissingOrForeignFileKeepsTheTable) {
  MemoryFileStore files;
  files.files["/app/foreign.Dat"] = "not a tool table";
  ToolTable table = SampleTable();
  EXPECT_FALSE(LoadToolTable(files, "/app/ToolTbl.Dat", table));
  EXPECT_FALSE(LoadToolTable(files, "/app/foreign.Dat", table));
  EXPECT_EQ(table, SampleTable());
}

TEST(LoadToolTable, ReplacesEveryCellAndChangesTheGeneration) {
  MemoryFileStore files;
  files.files["/app/ToolTbl.Dat"] = kHead + Rows("3\t103\n");
  ToolTable table = SampleTable();
  const unsigned before = table.Generation();
  ASSERT_TRUE(LoadToolTable(files, "/app/ToolTbl.Dat", table));
  EXPECT_NE(table.Generation(), before);
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    EXPECT_EQ(table.GridCell(row, 1), "3");
    EXPECT_EQ(table.GridCell(row, 2), "103");
  }
}

TEST(SaveToolTable, WritesTheTextAndLoadsBack) {
  MemoryFileStore files;
  ASSERT_FALSE(SaveToolTable(files, "/app/ToolTbl.Dat", SampleTable()).has_value());
  EXPECT_EQ(files.files["/app/ToolTbl.Dat"], ToolTableText(SampleTable()));
  ToolTable loaded;
  ASSERT_TRUE(LoadToolTable(files, "/app/ToolTbl.Dat", loaded));
  EXPECT_EQ(loaded, SampleTable());
}

TEST(SaveToolTable, RefusesCellsTheFileCannotCarryAndKeepsThePreviousFile) {
  for (const char* cell : {"1\n2", "1\r", "\xff"}) {
    MemoryFileStore files;
    files.files["/app/ToolTbl.Dat"] = "previous";
    ToolTable table;
    table.SetCell(6, 2, cell);
    EXPECT_TRUE(SaveToolTable(files, "/app/ToolTbl.Dat", table).has_value());
    EXPECT_EQ(files.files["/app/ToolTbl.Dat"], "previous");
  }
}

TEST(SaveToolTable, FailedWriteIsReported) {
  MemoryFileStore files;
  files.failingWrites.insert("/ro/ToolTbl.Dat");
  EXPECT_TRUE(SaveToolTable(files, "/ro/ToolTbl.Dat", SampleTable()).has_value());
  EXPECT_EQ(files.files.count("/ro/ToolTbl.Dat"), 0u);
}

}  // namespace
}  // namespace quarnel
