#include "engine/translate/cycle_line.h"

#include <gtest/gtest.h>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslateInUsualSetting;
using testing::ToolRow;

TEST(Cycle280, WritesTheCycleLineAndEndsTheMotion) {
  const struct {
    const char* what;
    const char* lines;
    std::initializer_list<ToolRow> rows;
    const char* expected;
  } cases[] = {
      {"example", "G280 X500 Y0 P-3 U120 F6000 T2", {}, "G85G90G54P5T01a2F6G40X500Y0Z-3Q120"},
      {"without U", "G280 X5 T2", {}, "G85G90G54P5T01a2F0G40X5Y0Z0Q0"},
      {"motion ends", "G1 X1\nG280 X5 T2\nG17 X6", {},
       "G1G90X1Y0Z0F0\nG85G90G54P5T01a2F0G40X5Y0Z0Q0"},
      {"a rapid stays owed", "G0 X1 T1\nG280 X5 T2\nG1 X6", {},
       "G85G90G54P5T01a2F0G40X5Y0Z0Q0\nG88G90G54P5T01a2S0G40X5Y0Z0C0V0\nG1G90X6Y0Z0F0"},
      {"each lookup starts from ToolNumber", "G0 T1\nG1 G280 X5 U3", {{1, "1", "2"}, {2, "2", "102"}},
       "G88G90G54P5T01022S0G40X0Y0Z0C0V0\nG85G90G54P5T01022F0G40X5Y0Z0Q3"},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateInUsualSetting(c.lines, c.rows), c.expected) << c.what;
}

}  // namespace
}  // namespace quarnel
