#include "engine/translate/positioning_block.h"

#include <gtest/gtest.h>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslateInUsualSetting;
using testing::TranslatorHarness;
using testing::ToolRow;

TEST(WritePositioningBlock, NamesTheSubstitutedTool) {
  const struct {
    const char* what;
    const char* lines;
    std::initializer_list<ToolRow> rows;
    const char* expected;
  } cases[] = {
      {"tool 1 becomes 101", "G0 X100 Y50 P-5 T1\nG1 X300 F3000", {},
       "G88G90G54P5T01a1S0G40X100Y50Z-5C0V0\nG1G90X300Y50Z-5F3"},
      {"tool 81 writes only a G85 line", "G0 X100 Y50 P-5 T81\nG1 X300 F3000", {},
       "G85G90G54P5T0105M66S0G40X100Y50Z-5Q300"},
      {"tool 81 then a feed without rapid", "G0 X100 P-5 T81\nG1 X300 F3000\nG1 X400",
       {}, "G85G90G54P5T0105M66S0G40X100Y0Z-5Q300\nG1G90X400Y0Z-5F3"},
      {"no row for 7", "G0 T7\nG1", {}, "G88G90G54P5T017S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"row 3 holds 81", "G0 T3\nG1", {}, "G88G90G54P5T01813S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"last matching row wins", "G0 T1\nG1", {{5, "1", "150"}},
       "G88G90G54P5T01f0S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"substituted 0", "G0 T2\nG1", {{2, "2", "0"}}, "G88G90G54P5S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"substituted negative", "G0 T2\nG1", {{2, "2", "-4"}},
       "G88G90G54P5S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"no T read yet: empty rows match", "G0\nG1", {}, "G88G90G54P5S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"empty From matches tool 0", "G0 T0\nG1", {{8, "", "4"}},
       "G88G90G54P5T014S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"text From reads 0", "G0 T0\nG1", {{8, "drill", "8"}},
       "G88G90G54P5T01drill8S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"To rounded ties to even", "G0 T2\nG1", {{2, "2", "4.5"}},
       "G88G90G54P5T014S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"From of the substituted row as 00", "G0 T1\nG1", {{1, "1", "4"}, {4, "7", ""}},
       "G88G90G54P5T01074S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"From text of the row kept as it is", "G0 T1\nG1", {{1, "1", "4"}, {4, "x7", ""}},
       "G88G90G54P5T01x74S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"From with decimals rounded", "G0 T1\nG1", {{1, "1", "4"}, {4, " 2.5 ", ""}},
       "G88G90G54P5T01034S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"substituted 205 from tool 7", "G0 T7\nG1", {{4, "7", "205"}},
       "G88G90G54P5T0105M66S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
      {"substituted 42", "G0 T7\nG1", {{4, "7", "42"}},
       "G88G90G54P5T0142S0G40X0Y0Z0C0V0\nG1G90X0Y0Z0F0"},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateInUsualSetting(c.lines, c.rows), c.expected) << c.what;
}

TEST(WritePositioningBlock, AtProgramStartCarriesNoModalCodes) {
  TranslatorHarness harness;
  harness.MapTool(1, "1", "101");
  EXPECT_EQ(harness.File("G0 X1 T1\nG1 X2"), "G88G54P5T01a1S0X1Y0Z0C0V0\nG1X2Y0Z0F0");
}

}  // namespace
}  // namespace quarnel
