#include "tools/tool_table_file.h"

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include "recording_calls.h"
#include "support/file_store.h"
#include "test_support.h"

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
  const auto parsed = ParseToolTableText(ToolTableText(table)).table;
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(*parsed, table);
}

TEST(ParseToolTableText, AcceptsCrLfAndAMissingOrDoubledFinalLf) {
  const std::string crlf = "QUARNEL-TOOLTABLE 1\r\n" + Rows("7\t107\r\n");
  const std::string noFinalLf = kHead + Rows("7\t107\n").substr(0, 7 * 6 + 5);
  for (const std::string& text : {crlf, noFinalLf, kHead + Rows("7\t107\n") + "\n"}) {
    const auto parsed = ParseToolTableText(text).table;
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(parsed->GridCell(8, 1), "7");
    EXPECT_EQ(parsed->GridCell(8, 2), "107");
  }
}

// A foreign file is refused with the first problem found, so the user can mend it.
TEST(ParseToolTableText, RefusesForeignFilesWithTheFirstProblem) {
  const std::string sevenRows = Rows("1\t2\n").substr(4);
  const struct {
    std::string text;
    const char* problem;
  } cases[] = {
      {"", "line 1: not a tool table file"},
      {Rows("1\t2\n"), "line 1: not a tool table file"},
      {"QUARNEL-TOOLTABLE 2\n" + Rows("1\t2\n"), "line 1: not a tool table file"},
      {"QUARNEL-TOOLTABLE 1 \n" + Rows("1\t2\n"), "line 1: not a tool table file"},
      {"\xef\xbb\xbf" + kHead + Rows("1\t2\n"), "line 1: not a tool table file"},
      {kHead + sevenRows, "7 rows, 8 expected"},
      {kHead + Rows("1\t2\n") + "1\t2\n", "9 rows, 8 expected"},
      {kHead + Rows("1\t2\n") + "\n\n", "line 10: no tab between From and To"},
      {kHead + "12\n" + sevenRows, "line 2: no tab between From and To"},
      {kHead + "1 2\n" + sevenRows, "line 2: no tab between From and To"},
      {kHead + "1\t2\t3\n" + sevenRows,
       "line 2: more than one tab (a tab inside a cell is written \\t)"},
      {kHead + "\\n\t2\n" + sevenRows, "line 2: unknown escape \\n"},
      {kHead + sevenRows + "1\t2\\", "line 9: a lone backslash ends the line"},
      {kHead + "1\r\t2\n" + sevenRows, "line 2: a carriage return inside a cell"},
      {kHead + Rows("1\t2\n").substr(0, 7 * 4) + "1\t2\r", "line 9: a carriage return inside a cell"},
      {kHead + "\xff\t2\n" + sevenRows, "line 2: not UTF-8"},
      {kHead + "\xc0\xaf\t2\n" + sevenRows, "line 2: not UTF-8"},
      {kHead + "\xed\xa0\x80\t2\n" + sevenRows, "line 2: not UTF-8"},
      {kHead + sevenRows + "1\t\xe2\x82", "line 9: not UTF-8"},
  };
  for (const auto& c : cases) {
    const ParsedToolTable parsed = ParseToolTableText(c.text);
    EXPECT_FALSE(parsed.table.has_value()) << c.problem;
    EXPECT_EQ(parsed.problem, c.problem);
  }
}

TEST(LoadToolTable, MissingOrUnusableFileKeepsTheTable) {
  MemoryFileStore files;
  files.files["/app/foreign.Dat"] = "not a tool table";
  ToolTable table = SampleTable();
  EXPECT_EQ(LoadToolTable(files, "/app/ToolTbl.Dat", table).outcome,
            ToolTableLoad::Outcome::kMissing);
  const ToolTableLoad foreign = LoadToolTable(files, "/app/foreign.Dat", table);
  EXPECT_EQ(foreign.outcome, ToolTableLoad::Outcome::kUnusable);
  EXPECT_EQ(foreign.problem, "line 1: not a tool table file");
  EXPECT_EQ(table, SampleTable());
}

// A kept file is never replaced: each unusable file gets the next free name.
TEST(SetToolTableAside, KeepsEveryEarlierCopy) {
  MemoryFileStore files;
  files.files["/app/ToolTbl.Dat.unreadable"] = "first";
  files.files["/app/ToolTbl.Dat"] = "second";
  EXPECT_EQ(SetToolTableAside(files, "/app/ToolTbl.Dat").path, "/app/ToolTbl.Dat.unreadable.1");
  files.files["/app/ToolTbl.Dat"] = "third";
  EXPECT_EQ(SetToolTableAside(files, "/app/ToolTbl.Dat").path, "/app/ToolTbl.Dat.unreadable.2");
  EXPECT_EQ(files.files["/app/ToolTbl.Dat.unreadable"], "first");
  EXPECT_EQ(files.files["/app/ToolTbl.Dat.unreadable.1"], "second");
  EXPECT_EQ(files.files["/app/ToolTbl.Dat.unreadable.2"], "third");
  EXPECT_EQ(files.files.count("/app/ToolTbl.Dat"), 0u);
  files.files["/app/ToolTbl.Dat"] = "stuck";
  files.failingWrites.insert("/app/ToolTbl.Dat.unreadable.3");
  const KeptToolTable stuck = SetToolTableAside(files, "/app/ToolTbl.Dat");
  EXPECT_EQ(stuck.path, "");
  EXPECT_FALSE(stuck.error.empty());
  EXPECT_EQ(files.files["/app/ToolTbl.Dat"], "stuck");
}

TEST(LoadToolTable, ReplacesEveryCellAndChangesTheGeneration) {
  MemoryFileStore files;
  files.files["/app/ToolTbl.Dat"] = kHead + Rows("3\t103\n");
  ToolTable table = SampleTable();
  const unsigned before = table.Generation();
  ASSERT_TRUE(LoadToolTable(files, "/app/ToolTbl.Dat", table).Loaded());
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
  ASSERT_TRUE(LoadToolTable(files, "/app/ToolTbl.Dat", loaded).Loaded());
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

TEST(SaveToolTable, EachFailingStepOfTheWriteIsReportedAndKeepsThePreviousFile) {
  for (const testing::Fault& fault :
       {testing::Fault{"create", EACCES}, testing::Fault{"write", ENOSPC, 30},
        testing::Fault{"sync .ToolTbl.Dat", EIO}, testing::Fault{"rename", EIO}}) {
    testing::TempDir dir;
    const std::string path = dir.File("ToolTbl.Dat");
    testing::WriteFileBytes(path, ToolTableText(ToolTable()));
    testing::RecordingCalls calls(fault);
    DiskFileStore files(calls);
    const std::string error = SaveToolTable(files, path, SampleTable()).value_or("saved");
    EXPECT_NE(error.find(std::strerror(fault.error)), std::string::npos) << error;
    EXPECT_EQ(testing::ReadFileBytes(path), ToolTableText(ToolTable())) << fault.entry;
    EXPECT_EQ(testing::ListDirectory(dir.Path()), std::vector<std::string>{"ToolTbl.Dat"});
  }
}

}  // namespace
}  // namespace quarnel
