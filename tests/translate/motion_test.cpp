#include "engine/translate/motion.h"

#include <gtest/gtest.h>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslatorHarness;

struct ProgramCase {
  const char* what;
  const char* lines;     // source lines, "\n" between them
  const char* expected;  // output lines, "\n" between them
};

// Each case starts from the usual setting: G90, G17 and G40 in force, P -5 and F 3, and the
// table mapping 1 to 101, 2 to 102 and 81 to 205.
void RunCases(const std::vector<ProgramCase>& cases) {
  for (const ProgramCase& c : cases) {
    TranslatorHarness harness;
    harness.UsualSetting();
    harness.state.modalP = -5;
    harness.state.modalF = 3;
    EXPECT_EQ(harness.Lines(c.lines), c.expected) << c.what;
    EXPECT_FALSE(harness.failure.has_value()) << c.what;
  }
}

TEST(WriteMotion, WritesLinearAndArcLines) {
  RunCases({
      {"linear", "G1 X100 Y50", "G1G90X100Y50Z-5F3"},
      {"router linear", "G101 X100 Y50", "G1G90X100Y50Z-5F3"},
      {"radius arc", "G3 X100 Y50 R20", "G3G90G17X100Y50Z-5U20F3"},
      {"negative radius", "G3 X100 Y50 R-20", "G3G90G17X100Y50Z-5U-20F3"},
      {"radius 0 is the centre form", "G3 X100 Y50 R0 I4 J-2", "G3G90G17X100Y50Z-5I4J-2F3"},
      {"centre arc", "G2 X120 Y70 I20 J0", "G2G90G17X120Y70Z-5I20J0F3"},
      {"router arcs", "G102 X1 R2\nG103 X3 I4",
       "G2G90G17X1Y0Z-5U2F3\nG3G90G17X3Y0Z-5I4J0F3"},
      {"arc without I, J or R", "G2 X1 Y2", "G2G90G17X1Y2Z-5I0J0F3"},
      {"continued arc line", "G2 X1 R5\nG17 X2", "G2G90G17X1Y0Z-5U5F3\nG2G90G17X2Y0Z-5I0J0F3"},
      {"Z word never printed", "G1 X1 Z-30", "G1G90X1Y0Z-5F3"},
      {"P printed after Z", "G1 X1 P-12.5", "G1G90X1Y0Z-12.5F3"},
      {"feed in thousands", "G1 X1 F4500", "G1G90X1Y0Z-5F4.5"},
      {"rounded to four decimals", "G1 X0.123456 Y-0.00004 P12.00004",
       "G1G90X0.1235Y0Z12F3"},
      {"float printed from its short form", "G1 X2049.1 Y4096.3", "G1G90X2049.1Y4096.3Z-5F3"},
  });
}

TEST(WriteMotion, EveryTranslatedLineRepeatsTheMotion) {
  RunCases({
      {"modal-only line", "G1 X5\nG17", "G1G90X5Y0Z-5F3\nG1G90X5Y0Z-5F3"},
      {"distance code changes at once", "G1 X5\nG91", "G1G90X5Y0Z-5F3\nG1G91X5Y0Z-5F3"},
      {"line without G words", "G1 X5\nG", "G1G90X5Y0Z-5F3"},  // a bare G is G0
      {"unknown code", "G1 X5\nG4 X6", "G1G90X5Y0Z-5F3\nG1G90X6Y0Z-5F3"},
  });
}

TEST(StartFeed, PaysTheRapidMoveOnce) {
  RunCases({
      {"rapid writes nothing", "G0 X100 Y50", ""},
      {"feed after rapid", "G0 X100 Y50 P-5 T1\nG1 X300 F3000",
       "G88G90G54P5T01a1S0G40X100Y50Z-5C0V0\nG1G90X300Y50Z-5F3"},
      {"block at the previous P", "G0 X100 Y50 P-2 T1\nG1 P-5 F3000",
       "G88G90G54P5T01a1S0G40X100Y50Z-2C0V0\nG1G90X100Y50Z-5F3"},
      {"second feed line writes no block", "G0 X1 T1\nG1 X2\nG1 X3",
       "G88G90G54P5T01a1S0G40X1Y0Z-5C0V0\nG1G90X2Y0Z-5F3\nG1G90X3Y0Z-5F3"},
      {"two rapids, one block at the second", "G0 X1 T1\nG0 X2 Y7\nG2 X3 R4",
       "G88G90G54P5T01a1S0G40X2Y7Z-5C0V0\nG2G90G17X3Y7Z-5U4F3"},
      {"G0 then G1 on one line", "G0 X1 T1\nG0 G1 X2",
       "G88G90G54P5T01a1S0G40X1Y0Z-5C0V0\nG1G90X2Y0Z-5F3"},
      {"G1 then G0 on one line", "G0 X1 T1\nG1 G0 X2\nG1 X3",
       "G88G90G54P5T01a1S0G40X1Y0Z-5C0V0\nG88G90G54P5T01a1S0G40X2Y0Z-5C0V0\nG1G90X3Y0Z-5F3"},
      {"G207 ends the motion", "G1 X1\nG207 X2\nG17 X3\nG1 X4", "G1G90X1Y0Z-5F3\nG1G90X4Y0Z-5F3"},
      {"G207 keeps a rapid owed", "G0 X1 T1\nG207 X2\nG1 X3",
       "G88G90G54P5T01a1S0G40X2Y0Z-5C0V0\nG1G90X3Y0Z-5F3"},
      {"codes with exponents and zeros", "G0E0 X1 T1\nG01 X2\nG1E0 X3",
       "G88G90G54P5T01a1S0G40X1Y0Z-5C0V0\nG1G90X2Y0Z-5F3\nG1G90X3Y0Z-5F3"},
      {"adjacent Gs give an empty word, G0", "G1 X1 T1\nGG1 X2",
       "G1G90X1Y0Z-5F3\nG88G90G54P5T01a1S0G40X1Y0Z-5C0V0\nG1G90X2Y0Z-5F3"},
  });
}

TEST(WriteMotion, AtProgramStartPrintsNoModalCodesAndZeros) {
  TranslatorHarness harness;
  EXPECT_EQ(harness.File("G1 X10\nG2 X5 R3"), "G1X10Y0Z0F0\nG2X5Y0Z0U3F0");
}

TEST(IsMotionCode, KnowsExactlyTheMotionCodes) {
  for (int code = 0; code <= 1000; ++code) {
    const bool motion = code <= 3 || (code >= 101 && code <= 103) || code == 207;
    EXPECT_EQ(IsMotionCode(code), motion) << code;
  }
}

}  // namespace
}  // namespace quarnel
