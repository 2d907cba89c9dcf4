#include "engine/geometry/geometry_check.h"

#include <gtest/gtest.h>

#include "engine/geometry/part_check.h"
#include "engine/translate/line_scanner.h"
#include "support/decimal_text.h"
#include "test_support.h"

namespace quarnel {
namespace {

using testing::ReadFileBytes;
using testing::TestDataPath;

std::string Source(const std::string& name) {
  const std::string batch = "golden/batch/";
  if (name.rfind("part_", 0) == 0) return ReadFileBytes(TestDataPath(batch + name + ".nc"));
  return ReadFileBytes(std::string(QUARNEL_EXAMPLES) + "/" + name + ".nc");
}

std::string Expected(const std::string& name) {
  const std::string folder = name.rfind("part_", 0) == 0 ? "batch" : name;
  return ReadFileBytes(TestDataPath("golden/" + folder + "/expected/" + name + ".nc"));
}

GeometryCheck Compare(const std::string& source, const std::string& output) {
  return CompareToolpaths(InterpretSource(source), InterpretOutput(output));
}

// The text with its line (counted from 1) replaced; nullptr drops the line.
std::string WithLine(const std::string& text, int line, const char* replacement) {
  std::string edited;
  const std::vector<std::string_view> lines = SplitLines(text);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const bool chosen = static_cast<int>(k) + 1 == line;
    if (chosen && replacement == nullptr) continue;
    edited.append(chosen ? std::string_view(replacement) : lines[k]).append("\r\n");
  }
  return edited;
}

// Each golden conversion's first (or only) file translates from the start state.
TEST(CompareToolpaths, FindsEveryGoldenConversionIdentical) {
  const struct {
    const char* name;
    std::size_t moves;
  } cases[] = {{"road", 2},
               {"cabinet_side", 17},
               {"door_profile", 28},
               {"drilling_panel", 17},
               {"part_a", 1}};
  for (const auto& c : cases) {
    const GeometryCheck check = Compare(Source(c.name), Expected(c.name));
    EXPECT_TRUE(check.Identical()) << c.name << ": " << VerdictText(check);
    EXPECT_EQ(check.moves, c.moves) << c.name;
  }
  const GeometryCheck panel = Compare(Source("drilling_panel"), Expected("drilling_panel"));
  EXPECT_EQ(panel.notes, (std::vector<std::string>{
                             "source lines 25 to 28: incremental moves start at X1100 Y0 in the "
                             "output, X37 Y150 in the source",
                             "source line 37: tool 81's G85 block stands for this motion"}));
}

// Starting apart in Y alone is starting apart.
TEST(CompareToolpaths, NotesIncrementalMovesStartingApartInYAlone) {
  EXPECT_EQ(
      Compare("G0 X5 Y7\nG91 G1 X1 Y0", "G88X5Y0\nG1G91X1Y0").notes,
      (std::vector<std::string>{
          "source line 2: incremental moves start at X5 Y0 in the output, X5 Y7 in the source"}));
}

struct Planted {
  const char* what;
  const char* name;
  int outputLine;
  const char* replacement;  // nullptr: the line is dropped
  int sourceLine;           // of the difference found
  int foundOutputLine;
  const char* text;
};

TEST(CompareToolpaths, FindsEachPlantedDifferenceOnceAtItsLines) {
  const Planted cases[] = {
      {"fourth decimal", "door_profile", 11, "G1G90X20.3751Y2.25Z-0.125F0.18", 18, 11,
       "X 20.3751 in the output, 20.375 in the source"},
      {"a whole unit", "cabinet_side", 18, "G1G90X720Y549Z-18.5F8", 36, 18,
       "Y 549 in the output, 548 in the source"},
      {"depth", "road", 4, "G1G90X300Y50Z-5.001F3", 3, 4,
       "depth -5.001 in the output, -5 in the source"},
      {"dropped line", "cabinet_side", 17, nullptr, 35, 0,
       "no output move for source line 35 (linear feed to X720 Y0 depth -18.5)"},
      {"added line", "drilling_panel", 5,
       "G81G90G17T011012X1166Y550Z-13I0J0F2\r\n"
       "G81G90G17T011012X1166Y550Z-13I0J0F2",
       0, 6, "output line 6 has no source move (drilling point to X1166 Y550 depth -13)"},
      {"swapped arc direction", "road", 5, "G3G90G17X350Y100Z-5U50F3", 4, 5,
       "counter-clockwise arc in the output, clockwise arc in the source"},
      {"radius sign", "road", 5, "G2G90G17X350Y100Z-5U-50F3", 4, 5,
       "radius -50 in the output, 50 in the source"},
      {"centre", "door_profile", 12, "G3G90G17X21.375Y3.25Z-0.125I0J1.5F0.18", 19, 12,
       "J 1.5 in the output, 1 in the source"},
      {"missing drilling point", "drilling_panel", 4, nullptr, 9, 0,
       "no output move for source line 9 (drilling point to X34 Y550 depth -13)"},
      {"cycle's Q", "drilling_panel", 16, "G85G90G54P5T0110M66F5G40X0Y560Z-8Q5", 33, 16,
       "Q 5 in the output, 4 in the source"},
  };
  for (const Planted& c : cases) {
    const std::string output = WithLine(Expected(c.name), c.outputLine, c.replacement);
    const GeometryCheck check = Compare(Source(c.name), output);
    ASSERT_EQ(check.differenceCount, 1u) << c.what << ": " << VerdictText(check);
    const Difference& found = check.differences[0];
    EXPECT_EQ(found.sourceLine, c.sourceLine) << c.what;
    EXPECT_EQ(found.outputLine, c.foundOutputLine) << c.what;
    EXPECT_EQ(found.text, c.text) << c.what;
  }
}

// Half a unit of the last decimal the output prints: the fourth, fewer for large values, and
// the double rounding through seven significant digits.
TEST(CompareToolpaths, AllowsHalfAUnitOfTheLastPrintedDecimal) {
  const struct {
    const char* source;
    const char* output;
    bool identical;
  } cases[] = {
      {"G1 X300", "G1X300.00004", true},       {"G1 X300", "G1X300.00006", false},
      {"G1 X0.00004", "G1X0", true},           {"G1 X0.00004", "G1X0.0001", false},
      {"G1 X12.345649", "G1X12.3457", true},  // 12.34565 at seven digits, then 12.3457
      {"G1 X1234.56789", "G1X1234.568", true}, {"G1 X1234.56789", "G1X1234.567", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Compare(c.source, c.output).Identical(), c.identical) << c.source << " " << c.output;
  }
}

TEST(CompareToolpaths, ComparesAnArcByRadiusWithAnArcByCentre) {
  const std::string source = "G0 X300 Y50\nG2 X350 Y100 R50";
  EXPECT_TRUE(Compare(source, "G88X300Y50\nG2G17X350Y100I50J0").Identical());
  const GeometryCheck larger = Compare(source, "G88X300Y50\nG2G17X350Y100I0J50");
  ASSERT_EQ(larger.differenceCount, 1u);
  EXPECT_EQ(larger.differences[0].text,
            "the arc by centre and the arc by radius are not the same arc");
}

TEST(CompareToolpaths, CountsAProgramReadOnlyInPartAsADifference) {
  const GeometryCheck check = Compare("G1 X5\nG1 X1E39", "G1X5");
  EXPECT_EQ(VerdictText(check),
            "geometry differs in 1 place: source line 2: source line 2: X1E39 does not fit in a "
            "32-bit number");
}

TEST(VerdictText, CountsMovesAndPlaces) {
  GeometryCheck check;
  check.moves = 1;
  EXPECT_EQ(VerdictText(check), "geometry identical: 1 move");
  check.moves = 1234;
  EXPECT_EQ(VerdictText(check), "geometry identical: 1,234 moves");
  check.differenceCount = 3;
  check.differences = {{12, 7, "Y 2 in the output, 1 in the source"}};
  EXPECT_EQ(VerdictText(check),
            "geometry differs in 3 places; the first: source line 12, output line 7: Y 2 in the "
            "output, 1 in the source");
}

TEST(ReportText, WritesCountsAndDecimalsTheSameEverywhere) {
  EXPECT_EQ(GroupedCount(0), "0");
  EXPECT_EQ(GroupedCount(999), "999");
  EXPECT_EQ(GroupedCount(1000), "1,000");
  EXPECT_EQ(GroupedCount(1234567), "1,234,567");
  EXPECT_EQ(DecimalText(300.0001, 4), "300.0001");
  EXPECT_EQ(DecimalText(2.5, 4), "2.5");
  EXPECT_EQ(DecimalText(-0.00001, 4), "0");
  EXPECT_EQ(DecimalText(1e20, 2), "100000000000000000000");
}

struct PartCase {
  const char* what;
  const char* output;
  std::vector<std::string> notes;
  bool inchesWarning;
};

TEST(CheckPart, NotesWhereTheToolpathLeavesThePartAndInchesThatLookLikeMillimetres) {
  const PartCase cases[] = {
      {"inside", "G71X600Y400Z18\nG88X0Y0Z5\nG1X600Y400Z-5", {}, false},
      {"a lead-in outside",
       "G71X600Y400Z18\nG88X-20Y-20Z5\nG1X-20Y-20Z-5\nG1X0Y0",
       {"the toolpath leaves the part 0..600 x 0..400 at output line 3; it reaches X -20..0, Y "
        "-20..0"},
       false},
      {"an arc that bulges over the top edge",
       "G71X600Y400Z18\nG88X290Y395Z5\nG1X290Y395Z-5\n"
       "G2G17X310Y395Z-5I10J0",
       {"the toolpath leaves the part 0..600 x 0..400 at output line 4; it reaches X 290..310, Y "
        "395..405"},
       false},
      {"inches reaching beyond 100",
       "G70X24Y16Z0.75\nG88X0Y0Z1\nG1X0Y0Z-0.5\nG1X150Y0",
       {"the toolpath leaves the part 0..24 x 0..16 at output line 4; it reaches X 0..150, Y 0..0"},
       true},
      {"inches reaching exactly 100", "G70X100Y16Z0.75\nG88X0Y0Z1\nG1X100Y16Z-0.5", {}, false},
      {"no header", "G88X0Y0Z1\nG1X-150Y0Z-0.5", {}, false},
  };
  for (const PartCase& c : cases) {
    const PartCheck check = CheckPart(InterpretOutput(c.output));
    EXPECT_EQ(check.notes, c.notes) << c.what;
    EXPECT_EQ(check.inchesWarning.has_value(), c.inchesWarning) << c.what;
  }
}

TEST(CheckPart, TakesTheExtentsOfTheCuttingMovesOnly) {
  const PartCheck check =
      CheckPart(InterpretOutput("G71X600Y400Z18\nG88X-50Y-50Z20\nG1X10Y20Z-3\nG81X30Y5Z-12"));
  EXPECT_EQ(check.extents.x.min, -50);  // the feed starts where the rapid move ended
  EXPECT_EQ(check.extents.x.max, 30);
  EXPECT_EQ(check.extents.y.max, 20);
  EXPECT_EQ(check.extents.depth.min, -12);
  EXPECT_EQ(check.extents.depth.max, 20);
}

}  // namespace
}  // namespace quarnel
