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
      {"no translated line", "M30\nN10 G1 X5\n", mm, false,
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
  };
  for (const WarningCase& c : cases) {
    MemoryFileStore files;
    files.files["/src/a.nc"] = c.source;
    ToolTable tools;
    if (c.table) {
      tools.SetCell(1, 1, "1");
      tools.SetCell(1, 2, "101");
      tools.SetCell(2, 1, "2");
      tools.SetCell(2, 2, "102");
    }
    DimensionTexts dims = c.dims;
    ConversionDriver driver(files, tools);
    const BatchReport report = driver.ConvertBatch({"/src/a.nc"}, "/out", dims);
    ASSERT_EQ(report.files.size(), 1u);
    std::vector<std::string> warnings;
    for (const ReportWarning& warning : report.files[0].warnings) {
      warnings.push_back(std::to_string(warning.line) + ": " + warning.text);
    }
    EXPECT_EQ(warnings, c.warnings) << c.what;
    EXPECT_EQ(report.files[0].status, FileReport::Status::kWritten) << c.what;
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
