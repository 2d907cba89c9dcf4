#include "engine/translate/translator.h"

#include <gtest/gtest.h>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslatorHarness;

TEST(Translator, DroppedLinesChangeNothing) {
  for (const char* line : {"g1 X10", " G1 X10", "N10 G1 X10", "G1 X10 (finish pass)", "", "M30",
                           "(G0 X10 T5)"}) {
    TranslatorHarness harness;
    harness.UsualSetting();
    harness.File("G1 X1 Y2 P-3 F1000");
    const TranslatorState before = harness.state;
    EXPECT_EQ(harness.Lines(line), "") << line;
    EXPECT_EQ(harness.state.modalX, before.modalX) << line;
    EXPECT_EQ(harness.state.prevX, before.prevX) << line;
    EXPECT_EQ(harness.state.toolNumber, before.toolNumber) << line;
    EXPECT_EQ(harness.state.motionMode, before.motionMode) << line;
  }
}

TEST(Translator, RecordsTheEndPositionOfEveryTranslatedLine) {
  TranslatorHarness harness;
  harness.File("G0 X100 Y50 P-5");
  EXPECT_EQ(harness.state.prevX, 100);
  EXPECT_EQ(harness.state.prevY, 50);
  EXPECT_EQ(harness.state.prevP, -5);
  harness.Lines("G207 X7\nN5 G0 X8");  // the numbered line is dropped
  EXPECT_EQ(harness.state.prevX, 7);
  EXPECT_EQ(harness.state.prevY, 50);
}

TEST(Translator, ActsOnGWordsInLineOrderBeforeTheMotionLine) {
  TranslatorHarness harness;
  harness.UsualSetting();
  EXPECT_EQ(harness.File("G1 X1\nG91 G0 G1 G90 X5"),
            "G1G90X1Y0Z0F0\nG88G91G54P5S0G40X1Y0Z0C0V0\nG1G90X5Y0Z0F0");
}

TEST(Translator, IgnoresGValuesThatAreNoCode) {
  TranslatorHarness harness;
  harness.UsualSetting();
  EXPECT_EQ(harness.File("G1 X1\nG1.5 X2\nG-1 X3\nG1E300 X4\nG-0 X5\nG1 X6"),
            "G1G90X1Y0Z0F0\nG1G90X2Y0Z0F0\nG1G90X3Y0Z0F0\nG1G90X4Y0Z0F0\n"
            "G88G90G54P5S0G40X5Y0Z0C0V0\nG1G90X6Y0Z0F0");
}

TEST(Translator, RoadOfOneFile) {
  TranslatorHarness harness;
  harness.MapTool(1, "1", "101");
  EXPECT_EQ(harness.File("G90G17G40\r\nG0X100Y50P-5T1\r\nG1X300F3000\r\nG2X350Y100R50\r\n"
                         "(side of the part)\r\nM30\r\n"),
            "G88G90G54P5T01a1S0G40X100Y50Z-5C0V0\n"
            "G1G90X300Y50Z-5F3\n"
            "G2G90G17X350Y100Z-5U50F3");
}

// Every file starts from the start state, whatever the files before it left: modes, codes,
// words, tool number and an owed rapid move stay behind.
TEST(TranslatorBatch, EveryFileStartsFromTheStartState) {
  struct Case {
    const char* first;
    const char* second;
    const char* secondAlone;
  };
  const Case cases[] = {
      {"G90G17G40\nG2 X10 Y20 P-5 R3 F3000", "G90", ""},
      {"G90G17G40\nG1 X10 Y20 P-5 F3000", "G2 X5 R2", "G2X5Y0Z0U2F0"},
      {"G90G17G40\nG0 X100 Y50 P-5 T1", "G1 X300", "G1X300Y0Z0F0"},
      {"G90\nG100 X1 T\"1 2\"", "G17 X2", ""},
      {"G0 X3 T1", "G91\nG1 X4", "G1G91X4Y0Z0F0"},
  };
  for (const Case& c : cases) {
    TranslatorHarness harness;
    harness.MapTool(1, "1", "101");
    harness.File(c.first);
    EXPECT_EQ(harness.File(c.second), c.secondAlone) << c.first << " then " << c.second;
    EXPECT_EQ(harness.state.toolNumber, 0) << c.first;
  }
}

TEST(TranslatorBatch, DimensionsFromG200StayForLaterFiles) {
  TranslatorHarness harness;
  harness.dims = {"600", "400", "18"};
  harness.File("G200 X800 Y300 Z43");
  harness.File("G1 X5");
  EXPECT_EQ(harness.dims.length, "800");
  EXPECT_EQ(harness.dims.height, "300");
  EXPECT_EQ(harness.dims.thickness, "19");
  harness.File("G200 Z30");  // X and Y of the start state
  EXPECT_EQ(harness.dims.length, "0");
  EXPECT_EQ(harness.dims.height, "0");
  EXPECT_EQ(harness.dims.thickness, "6");
}

TEST(TranslatorFailure, StopsTheScanAtTheLineAndKeepsWhatWasRead) {
  TranslatorHarness harness;
  harness.UsualSetting();
  EXPECT_EQ(harness.File("G1 X1 F1000\nG2 P-4 X1E39 Y3\nG1 X9"), "G1G90X1Y0Z0F1");
  EXPECT_EQ(harness.failure, "X1E39 does not fit in a 32-bit number");
  EXPECT_EQ(harness.failedLine, 2);
  EXPECT_EQ(harness.state.modalP, -4);
  EXPECT_EQ(harness.state.modalX, 1);
  EXPECT_EQ(harness.state.motionMode, MotionMode::kLinear);  // G2 was never acted upon
  EXPECT_EQ(harness.state.prevP, 0);
}

TEST(TranslatorFailure, ToolCellFailureStopsInTheGWords) {
  TranslatorHarness harness;
  harness.UsualSetting();
  harness.MapTool(4, "7", "99999");
  EXPECT_EQ(harness.File("G0 X1 T7\nG1 G91 X2"), "");
  EXPECT_EQ(harness.failure,
            "tool table row 4 \"To\" 99999 does not fit in a tool number (-32768..32767)");
  EXPECT_EQ(harness.failedLine, 2);
  EXPECT_EQ(harness.state.distanceCode, "G90");  // G91 comes after the failing G1
  EXPECT_EQ(harness.state.motionMode, MotionMode::kLinear);
}

}  // namespace
}  // namespace quarnel
