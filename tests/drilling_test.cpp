#include "engine/drilling.h"

#include <gtest/gtest.h>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslatorHarness;

// Output of the lines from the usual setting (G90, G17, G40; 1 to 101, 2 to 102, 81 to 205),
// with the given table rows laid over it.
struct Row {
  int row;
  const char* from;
  const char* to;
};
std::string Translate(const char* lines, std::initializer_list<Row> rows = {}) {
  TranslatorHarness harness;
  harness.UsualSetting();
  for (const Row& r : rows) harness.MapTool(r.row, r.from, r.to);
  std::string out = harness.File(lines);
  if (harness.failure) out += "\nfailed: " + *harness.failure;
  return out;
}

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

TEST(WritePositioningBlock, NamesTheSubstitutedTool) {
  const struct {
    const char* what;
    const char* lines;
    std::initializer_list<Row> rows;
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
  for (const auto& c : cases) EXPECT_EQ(Translate(c.lines, c.rows), c.expected) << c.what;
}

TEST(WritePositioningBlock, AtProgramStartCarriesNoModalCodes) {
  TranslatorHarness harness;
  harness.MapTool(1, "1", "101");
  EXPECT_EQ(harness.File("G0 X1 T1\nG1 X2"), "G88G54P5T01a1S0X1Y0Z0C0V0\nG1X2Y0Z0F0");
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
  for (const auto& c : cases) EXPECT_EQ(Translate(c.lines), c.expected) << c.what;
}

TEST(Cycle280, WritesTheCycleLineAndEndsTheMotion) {
  const struct {
    const char* what;
    const char* lines;
    std::initializer_list<Row> rows;
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
  for (const auto& c : cases) EXPECT_EQ(Translate(c.lines, c.rows), c.expected) << c.what;
}

TEST(LookUpTool, CellsThatDoNotFitFailTheLine) {
  const struct {
    const char* what;
    const char* lines;
    std::initializer_list<Row> rows;
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
  for (const auto& c : cases) EXPECT_EQ(Translate(c.lines, c.rows), c.expected) << c.what;
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
