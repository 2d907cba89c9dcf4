#include "engine/translate/modal_codes.h"

#include <gtest/gtest.h>

#include <set>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslatorHarness;

TEST(ActOnModalCode, SetsTheModalTextsLaterCodeWinning) {
  const struct {
    const char* line;
    const char* distance;
    const char* plane;
    const char* comp;
  } cases[] = {
      {"G90", "G90", "", ""},
      {"G91", "G91", "", ""},
      {"G90 G91", "G91", "", ""},
      {"G91G90", "G90", "", ""},
      {"G17", "", "G17", ""},
      {"G18", "", "G18", ""},
      {"G19 G18", "", "G18", ""},
      {"G40", "", "", "G40"},
      {"G41", "", "", "G41"},
      {"G42 G40 G42", "", "", "G42"},
      {"G90G17G40", "G90", "G17", "G40"},
      {"G41 D1", "", "", ""},  // reads G410: D starts an exponent
      {"G20 G21 G49 G54 G61 G64 G80", "", "", ""},
  };
  for (const auto& c : cases) {
    TranslatorHarness harness;
    harness.File(c.line);
    EXPECT_EQ(harness.state.distanceCode, c.distance) << c.line;
    EXPECT_EQ(harness.state.planeCode, c.plane) << c.line;
    EXPECT_EQ(harness.state.compCode, c.comp) << c.line;
  }
}

TEST(ActOnModalCode, CodesApplyToTheLinesOwnOutput) {
  TranslatorHarness harness;
  EXPECT_EQ(harness.File("G1 X1\nG90 G91 X2\nG18 G2 X3 R4\nG0 T1\nG42 G1 X5"),
            "G1X1Y0Z0F0\n"
            "G1G91X2Y0Z0F0\n"
            "G2G91G18X3Y0Z0U4F0\n"
            "G88G91G54P5T011S0G42X3Y0Z0C0V0\n"
            "G1G91X5Y0Z0F0");
}

TEST(ActOnModalCode, IgnoredCodesChangeNoLine) {
  const char* program = "G90G17G40\nG0 X5 Y5 P-3 T1\nG1 X10 F3000\nG2 X20 R5\nG100 X1 T\"1\"";
  TranslatorHarness plain;
  TranslatorHarness withIgnored;
  const std::string expected = plain.File(program);
  EXPECT_EQ(withIgnored.File("G20 G21\n" + std::string(program) + "\nG49G54G61G64G80"),
            expected + "\nG81G90G17T01X1Y5Z-3I0J0F3");
  EXPECT_EQ(withIgnored.state.motionMode, MotionMode::kDrilling);
}

TEST(SetPartDimensions, WritesXYAndZLess24) {
  const struct {
    const char* what;
    const char* lines;
    const char* length;
    const char* height;
    const char* thickness;
  } cases[] = {
      {"one line", "G200 X600 Y400 Z42", "600", "400", "18"},
      {"modal values", "G0 X600 Y400\nG200 Z10", "600", "400", "-14"},
      {"Z never read", "G200 X600 Y400", "600", "400", "-24"},
      {"decimals", "G200 X600.5 Y400.25 Z24.75", "600.5", "400.25", "0.75"},
      // 24.1 as a float is 24.10000038; the difference keeps those digits.
      {"float digits", "G200 X2049.1 Y0.1 Z24.1", "2049.1", "0.1", "0.1000004"},
      {"negative zero", "G200 X-0 Y-0.0 Z24", "0", "0", "0"},
  };
  for (const auto& c : cases) {
    TranslatorHarness harness;
    harness.dims = {"1", "2", "3"};
    harness.File(c.lines);
    EXPECT_EQ(harness.dims.length, c.length) << c.what;
    EXPECT_EQ(harness.dims.height, c.height) << c.what;
    EXPECT_EQ(harness.dims.thickness, c.thickness) << c.what;
  }
}

TEST(SetPartDimensions, LeavesTheMotionAlone) {
  TranslatorHarness harness;
  EXPECT_EQ(harness.File("G1 X5 F1000\nG200 G1 X600 Y400 Z42\nG200 X7"),
            "G1X5Y0Z0F1\nG1X600Y400Z0F1\nG1X7Y400Z0F1");
  EXPECT_EQ(harness.dims.length, "7");
  EXPECT_EQ(harness.dims.thickness, "18");
}

TEST(ActOnModalCode, ActsOnExactlyThePlaneCompensationAndDistanceCodes) {
  const std::set<int> acted = {17, 18, 19, 40, 41, 42, 90, 91};
  for (int code = 0; code <= 1000; ++code) {
    TranslatorState state;
    EXPECT_EQ(ActOnModalCode(code, state), acted.count(code) == 1) << code;
  }
}

}  // namespace
}  // namespace quarnel
