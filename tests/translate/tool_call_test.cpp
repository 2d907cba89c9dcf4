#include "engine/translate/tool_call.h"

#include <gtest/gtest.h>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslateInUsualSetting;
using testing::TranslatorHarness;
using testing::ToolRow;

TEST(AppendToolSuffix, HasThreeRanges) {
  const struct {
    std::int16_t n;
    const char* suffix;
  } cases[] = {
      {1, "1"},       {5, "5"},       {42, "42"},     {99, "99"},        {100, "a0"},
      {101, "a1"},    {110, "b0"},    {125, "c5"},    {199, "j9"},       {200, "a0"},
      {201, "01M66"}, {205, "05M66"}, {300, "00M66"}, {321, "21M66"},    {32767, "67M66"},
  };
  for (const auto& c : cases) {
    std::string suffix;
    AppendToolSuffix(c.n, suffix);
    EXPECT_EQ(suffix, c.suffix) << c.n;
  }
}

TEST(LookUpTool, CellsThatDoNotFitFailTheLine) {
  const struct {
    const char* what;
    const char* lines;
    std::initializer_list<ToolRow> rows;
    const char* expected;
  } cases[] = {
      {"To out of range in the matching row", "G0 T4\nG1 X1", {{4, "4", "40000"}},
       "\nfailed: tool table row 4 \"To\" 40000 does not fit in a tool number (-32768..32767)"},
      {"To rounding out of range", "G280 T4", {{4, "4", "32767.5"}},
       "\nfailed: tool table row 4 \"To\" 32767.5 does not fit in a tool number (-32768..32767)"},
      {"To out of range in another row is never read", "G280 T1", {{4, "4", "40000"}},
       "G85G90G54P5T01a1F0G40X0Y0Z0Q0"},
      {"From beyond the float range fails any lookup", "G280 T1", {{7, "1E39", "3"}},
       "\nfailed: tool table row 7 \"From\" 1E39 does not fit in a 32-bit number"},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateInUsualSetting(c.lines, c.rows), c.expected) << c.what;
}

TEST(LookUpTool, SeesEveryEditOfTheTable) {
  TranslatorHarness harness;
  harness.UsualSetting();
  EXPECT_EQ(harness.File("G280 T1"), "G85G90G54P5T01a1F0G40X0Y0Z0Q0");
  harness.MapTool(1, "1", "7");
  EXPECT_EQ(harness.Lines("G280 T1"), "G85G90G54P5T017F0G40X0Y0Z0Q0");
  harness.MapTool(7, "x", "");
  EXPECT_EQ(harness.Lines("G280 T1"), "G85G90G54P5T01x7F0G40X0Y0Z0Q0");
  harness.tools = ToolTable();  // a whole new table assigned over the old one
  EXPECT_EQ(harness.Lines("G280 T1"), "G85G90G54P5T011F0G40X0Y0Z0Q0");
}

}  // namespace
}  // namespace quarnel
