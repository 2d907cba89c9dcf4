#include "engine/translate/drilling.h"

#include <gtest/gtest.h>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslateInUsualSetting;

TEST(RenumberSpindles, RewritesGroupsOneToTenInPlace) {
  const struct {
    const char* before;
    const char* after;
  } cases[] = {
      {"01020304050607080910", "09101112020304050607"},
      {"0011", "0011"},
      {"50", "50"},
      {"0912", "0612"},  // a rewritten group is not looked at again
      {"051", "020"},    // a last single character takes the first of the two
      {"0", "0"},
      {"-3.5", "-3.5"},
      {"T01a1", "T0090"},  // "1a" reads 1
      {"", ""},
  };
  for (const auto& c : cases) {
    std::string digits = c.before;
    RenumberSpindles(digits);
    EXPECT_EQ(digits, c.after) << c.before;
  }
}

TEST(EngageOrDrill, EngagesToolsAboveFiftyAndDrillsTheRest) {
  const struct {
    const char* what;
    const char* lines;
    const char* expected;
  } cases[] = {
      {"tool 51 engaged", "G100 X10 Y20 P-3 T51\nG1 X50 F1000",
       "G88G90G54P5T0151S0G40X10Y20Z-3C0V0\nG1G90X50Y20Z-3F1"},
      {"tool 50 drills", "G100 X10 Y20 P-3 F1000 T50", "G81G90G17T0150X10Y20Z-3I0J0F1"},
      {"spindle list renumbered", "G100 X10 Y20 P-12 F2000 T\"1 2 3\"",
       "G81G90G17T01091011X10Y20Z-12I0J0F2"},
      // The quoted list runs to the end of the line: X1 is part of it.
      {"drilling goes on, each line its own list", "G100 T\"1 2\" X1\nG17 X2 I3 J4 T5\nG90 X3",
       "G81G90G17T01091000X1Y0Z0I0J0F0\nG81G90G17T0102X2Y0Z0I3J4F0\nG81G90G17T01X3Y0Z0I0J0F0"},
      {"G100 without T drills", "G100 X5", "G81G90G17T01X5Y0Z0I0J0F0"},
      {"a motion code ends drilling", "G100 X5 T1\nG1 X6", "G81G90G17T0109X5Y0Z0I0J0F0\nG1G90X6Y0Z0F0"},
      {"a lookup earlier in the line feeds G100", "G0 X5 T1\nG1 G100 X6\nG1 X7",
       "G88G90G54P5T01a1S0G40X5Y0Z0C0V0\nG88G90G54P5T01a1S0G40X6Y0Z0C0V0\nG1G90X7Y0Z0F0"},
      {"G1E2 is G100", "G1E2 T\"1\"", "G81G90G17T0109X0Y0Z0I0J0F0"},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateInUsualSetting(c.lines), c.expected) << c.what;
}

}  // namespace
}  // namespace quarnel
