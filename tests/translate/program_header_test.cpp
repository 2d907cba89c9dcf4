#include "engine/translate/program_header.h"

#include <gtest/gtest.h>

#include "engine/translate/line_scanner.h"
#include "test_support.h"

namespace quarnel {
namespace {

using testing::ReadFileBytes;
using testing::TestDataPath;

// Each case: the dimension texts, a body (the lines of a file) and the whole program expected,
// written by hand.
TEST(CompleteProgram, WritesHeaderBodyAndEndLikeTheGoldenFiles) {
  const struct {
    const char* expected;
    const char* body;
    DimensionTexts dims;
  } cases[] = {
      {"mm_body25", "body25.nc", {"600", "400", "18"}},
      {"inch_body25", "body25.nc", {"24", "16", "0.75"}},
      {"mm_empty", nullptr, {"600", "400", "18"}},
      {"height_60", nullptr, {"600", "60", "18"}},
      {"height_60_001", nullptr, {"600", "60.001", "18"}},
      {"mm_decimals", nullptr, {"600.5", "400", "18.123456"}},
      {"inch_decimals", nullptr, {"23.625", "15.5", "0.5"}},
      {"empty_boxes", nullptr, {"", "", ""}},
      {"height_with_unit", nullptr, {"600", "400 mm", "18"}},
      {"group_separator", nullptr, {"1,200", "400", "18"}},
      {"inch_half_way", nullptr, {"0.0625", "24", ".75"}},
      {"padded_mm", nullptr, {" 600 ", "400", " 18"}},
  };
  for (const auto& c : cases) {
    ProgramBody body;
    body.Clear();
    if (c.body != nullptr) {
      const std::string lines = ReadFileBytes(TestDataPath(std::string("driver/") + c.body));
      LineScanner scanner(lines);
      for (std::string_view line; scanner.Next(line);) (LineWriter(body) << line).Emit();
    }
    ASSERT_EQ(CompleteProgram(c.dims, body), std::nullopt) << c.expected;
    EXPECT_EQ(body.Program(),
              ReadFileBytes(TestDataPath(std::string("driver/") + c.expected + ".expected")))
        << c.expected;
  }
}

TEST(SelectedUnits, MillimetresOnlyAboveSixty) {
  EXPECT_EQ(SelectedUnits("60").code, "G70");
  EXPECT_EQ(SelectedUnits("60.001").code, "G71");
  EXPECT_EQ(SelectedUnits("").code, "G70");
  EXPECT_EQ(SelectedUnits("1,200").name, "inches");  // reads as 1
  EXPECT_EQ(SelectedUnits("400 mm").name, "millimetres");
}

TEST(ProgramHeader, FailsWhereTheHeaderCannotBeWritten) {
  const struct {
    DimensionTexts dims;
    std::size_t bodyLines;
    const char* failure;
  } cases[] = {
      {{"1E308", "10", "1"}, 0, "a part dimension is too large to convert from inches"},
      {{std::string(400, '9'), "400", "1"}, 0, "a part dimension is too large to be written"},
      {{"600", "400", "18\r\nG0"}, 0, "a part dimension holds a line break"},
      {{"600", "400", "18"}, kMaxBodyLines + 1,
       "the translated program has 32765 lines; at most 32764 fit in the header's line count"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgramHeader(c.dims, c.bodyLines).failure, c.failure) << c.dims.length;
  }
  EXPECT_EQ(ProgramHeader({"600", "400", "18"}, kMaxBodyLines).text.substr(0, 29),
            "G71X600Y400Z18T00D240N32767L3");
}

}  // namespace
}  // namespace quarnel
