#include "engine/batch/conversion_report.h"

#include <gtest/gtest.h>

#include "engine/batch/conversion_batch.h"
#include "support/file_store.h"
#include "tools/tool_table.h"

namespace quarnel {
namespace {

struct WarningCase {
  const char* what;
  std::string source;
  DimensionTexts dims;
  bool table;  // rows 1 and 2 map 1 to 101 and 2 to 102; otherwise the table is empty
  std::vector<std::string> warnings;  // "line: text"
  std::string earlier = {};  // converted first in the same batch, when not empty
};

// Each warning, and the near cases that must not warn. None changes the output: the body of
// every case is that of the same source converted without looking at warnings.
TEST(FileWarnings, WarnWithoutChangingTheOutput) {
  const DimensionTexts mm{"600", "400", "18"};
  const DimensionTexts inches{"24", "16", "0.75"};
  const WarningCase cases[] = {
      {"plain program", "G1 X5\n", mm, true, {}},
      {"NUL byte", std::string("G1 X5\nG1 X6\0\n", 13), mm, false,
       {"2: the source holds bytes that are not text (a NUL or another control byte): is it a "
        "G-code program?"}},
      {"tab and CR are text", "G1\tX5\r\nG1 X6\r", mm, false, {}},
      {"no translated line", "M30\nN10 G17\n", mm, false,
       {"0: the output has no body: no line of the source was translated into an output line"}},
      {"only blank lines", "\n  \n", mm, false, {}},
      {"group separator", "G1 X5\n", {"1,200", "400", "18"}, false,
       {"0: the part length \"1,200\" is not a plain number: reads as 1"}},
      {"empty height", "G1 X5\n", {"600", "", "18"}, false,
       {"0: the part height is empty: reads as 0"}},
      {"inch header, millimetre moves", "G1 X600 Y5\n", inches, false,
       {"0: the header says inches (a height of 60 or less) while the toolpath reaches 600: is it "
        "a millimetre program?"}},
      {"inch header, depth too", "G1 X5 P-150\n", inches, false,
       {"0: the header says inches (a height of 60 or less) while the toolpath reaches 150: is it "
        "a millimetre program?"}},
      {"inch header, inch moves", "G1 X23.625 Y15.5\n", inches, false, {}},
      {"tool without a row", "G0 T9\nG1 X1\n", mm, true,
       {"2: tool 9 matches no row of the tool table: called as T019"}},
      {"tool without a row, empty table", "G0 T9\nG1 X1\n", mm, false, {}},
      {"tool with a row", "G0 T2\nG1 X1\n", mm, true, {}},
      {"a move with a comment", "G1 X5 (EDGE)\n(G1 X6)\nG1 X7\n", mm, false,
       {"1: a move with a comment is not translated, though it moves the router"}},
      {"moves with line numbers", "N10 G1 X5\nN20 M3\nN30 G0 X6\nG1 X7\n", mm, false,
       {"1: a move with a line number is not translated, though it moves the router (2 such "
        "lines)"}},
      {"a move in lower case", "g1 x5\nm3 s18000\nG1 X7\n", mm, false,
       {"1: a move in lower case is not translated, though it moves the router"}},
      {"a move after blanks", " G1 X5\n G17\nG1 X7\n", mm, false,
       {"1: a move after leading blanks is not translated, though it moves the router"}},
      {"a modal continuation line", "G1 X5\nX6 Y7\nF2000\n", mm, false,
       {"2: a move without a G word is not translated, though it moves the router"}},
      {"another first letter", "M3 G1 X5\nT3 M6\nG1 X7\n", mm, false,
       {"1: a move that does not start with G is not translated, though it moves the router"}},
      {"incremental drilling after an unwritten rapid",
       "G0 X37 Y150 P5\nG91 G100 X0 Y0 P-12 T\"3 3\"\nG100 X0 Y32\n", mm, false,
       {"2: incremental drilling starts from where the output last moved, not from where the "
        "router went after a rapid move: its first hole is at X0 Y0 in the output, X37 Y150 on "
        "the router"}},
      {"incremental drilling after a written block",
       "G0 X37 Y150 P5\nG1 P-1\nG91 G100 X0 Y0 P-12 T1\n", mm, false, {}},
      {"absolute drilling after an unwritten rapid", "G0 X37 Y150 P5\nG100 X37 Y150 P-12 T1\n",
       mm, false, {}},
      {"a millimetre program under an inch header", "G21\nG1 X5\n", inches, false,
       {"1: the source says millimetres (G21), the header inches (G70, for the height 16): the "
        "output keeps the source's numbers"}},
      {"an inch program under a millimetre header", "G20\nG1 X5\n", mm, false,
       {"1: the source says inches (G20), the header millimetres (G71, for the height 400): the "
        "output keeps the source's numbers"}},
      {"units that agree", "G21\nG1 X5\n", mm, false, {}},
      {"G200 without Z", "G200 X720 Y560\nG1 X5\n", mm, false,
       {"1: G200 without Z: the part dimensions are 720 x 560 x -24, from the values last read"}},
      {"G200 with all three", "G200 X720 Y560 Z42\nG1 X5\n", mm, false, {}},
      {"dimensions an earlier file's G200 set", "G1 X5\n", mm, false,
       {"0: the part dimensions 720 x 560 x 18 come from G200 at line 1 of /src/0.nc, not from "
        "those given"},
       "G200 X720 Y560 Z42\n"},
      {"a G200 of its own after an earlier file's", "G200 X700 Y500 Z42\nG1 X5\n", mm, false, {},
       "G200 X720 Y560 Z42\n"},
      {"an earlier file without G200", "G1 X5\n", mm, false, {}, "G1 X6\n"},
      {"number words read in part", "G1 X1.2.3 Y5\nG1 X--\nG1 Y1e\nG1 Xinf\nG1 X1.2 Y-3\n", mm,
       false,
       {"1: X1.2.3 is read as X1.2: the rest of the word is not a number (4 such lines)"}},
  };
  for (const WarningCase& c : cases) {
    MemoryFileStore files;
    files.files["/src/a.nc"] = c.source;
    files.files["/src/0.nc"] = c.earlier;
    ToolTable tools;
    if (c.table) {
      tools.SetCell(1, 1, "1");
      tools.SetCell(1, 2, "101");
      tools.SetCell(2, 1, "2");
      tools.SetCell(2, 2, "102");
    }
    DimensionTexts dims = c.dims;
    ConversionDriver driver(files, tools);
    std::vector<std::string> sources = {"/src/a.nc"};
    if (!c.earlier.empty()) sources.insert(sources.begin(), "/src/0.nc");
    const BatchReport report = driver.ConvertBatch(sources, "/out", dims);
    ASSERT_EQ(report.files.size(), sources.size());
    std::vector<std::string> warnings;
    for (const ReportWarning& warning : report.files.back().warnings) {
      warnings.push_back(std::to_string(warning.line) + ": " + warning.text);
    }
    EXPECT_EQ(warnings, c.warnings) << c.what;
    EXPECT_EQ(report.files.back().status, FileReport::Status::kWritten) << c.what;
  }
}

TEST(GCodeText, NamesTheValueAsRead) {
  EXPECT_EQ(GCodeText(20), "G20");
  EXPECT_EQ(GCodeText(410), "G410");
  EXPECT_EQ(GCodeText(1.5), "G1.5");
  EXPECT_EQ(GCodeText(-1), "G-1");
}

}  // namespace
}  // namespace quarnel
