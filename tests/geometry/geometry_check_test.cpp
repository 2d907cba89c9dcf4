#include "engine/geometry/geometry_check.h"

#include <gtest/gtest.h>

#include "engine/geometry/part_check.h"
#include "engine/translate/line_scanner.h"
#include "engine/translate/program_header.h"
#include "engine/translate/translator.h"
#include "support/decimal_text.h"
#include "support/file_store.h"
#include "test_support.h"
#include "tools/tool_table_file.h"

namespace quarnel {
namespace {

using testing::ReadFileBytes;
using testing::TestDataPath;

DiskFileStore files_;

std::string Source(const std::string& name) {
  const std::string batch = "golden/batch/";
  if (name.rfind("part_", 0) == 0) return ReadFileBytes(TestDataPath(batch + name + ".nc"));
  return ReadFileBytes(std::string(QUARNEL_EXAMPLES) + "/" + name + ".nc");
}

// A conversion as the golden cases hold it: its tool table and the dimensions it starts with.
struct Conversion {
  std::string name;
  ToolTable tools;
  DimensionTexts given;
  std::string output;  // the expected file, or for an example without one its translation
};

Conversion ConversionOf(const std::string& name) {
  Conversion conversion{name, {}, {"2800", "2070", "18"}, {}};
  const std::string folder = name.rfind("part_", 0) == 0 ? "batch" : name;
  const std::string expected = TestDataPath("golden/" + folder + "/expected/" + name + ".nc");
  if (!testing::FileExists(expected)) {  // large_program: its own conversion, empty table
    Translator translator(conversion.tools);
    ProgramBody body;
    const SourceTranslation translation = TranslateSource(Source(name), translator, body);
    EXPECT_EQ(CompleteProgram(translation.partDimensions.value_or(conversion.given), body),
              std::nullopt);
    conversion.output = body.Program();
    return conversion;
  }
  conversion.output = ReadFileBytes(expected);
  const std::string tools = name == "road" ? std::string(QUARNEL_EXAMPLES) + "/road-tools.dat"
                                           : TestDataPath("golden/shop-tools.dat");
  EXPECT_TRUE(LoadToolTable(files_, tools, conversion.tools).Loaded());
  conversion.given = name == "drilling_panel"  ? DimensionTexts{"1200", "600", "19"}
                     : name == "door_profile" ? DimensionTexts{"23.625", "15.5", "0.75"}
                     : name == "part_a"       ? DimensionTexts{"24", "16", "0.75"}
                                              : DimensionTexts{"600", "400", "18"};
  return conversion;
}

// The comparison --verify makes of a conversion's output, here with output in its place.
GeometryCheck Verify(const Conversion& conversion, const std::string& output) {
  return VerifyProgram(Source(conversion.name), output, conversion.tools, conversion.given).check;
}

GeometryCheck Compare(const std::string& source, const std::string& output) {
  return CompareToolpaths(InterpretSource(source), InterpretOutput(output));
}

// The text with its line (counted from 1) replaced; nullptr drops the line. Lines end in
// lineEnd.
std::string WithLine(const std::string& text, int line, const char* replacement,
                     std::string_view lineEnd = "\r\n") {
  std::string edited;
  const std::vector<std::string_view> lines = SplitLines(text);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const bool chosen = static_cast<int>(k) + 1 == line;
    if (chosen && replacement == nullptr) continue;
    edited.append(chosen ? std::string_view(replacement) : lines[k]).append(lineEnd);
  }
  return edited;
}

// The text with lines a and b (counted from 1) swapped.
std::string Swapped(const std::string& text, int a, int b) {
  const std::vector<std::string_view> lines = SplitLines(text);
  return WithLine(WithLine(text, a, std::string(lines[b - 1]).c_str()), b,
                  std::string(lines[a - 1]).c_str());
}

// The unedited conversion of every golden and example program matches its source, but where
// the output drills an incremental run from another place than the router.
TEST(CompareToolpaths, MatchesEveryUneditedConversionButTheIncrementalRuns) {
  const struct {
    const char* name;
    const char* verdict;
  } cases[] = {{"road", "matches: 3 moves"},
               {"cabinet_side", "matches: 20 moves, 3 notes"},
               {"door_profile", "matches: 34 moves, 2 notes"},
               {"drilling_panel", "differs: 1 difference, first at source line 25, output line 11"},
               {"part_a", "matches: 2 moves, 1 note"},
               {"large_program", "differs: 26 differences, first at source line 45, output line 23"}};
  for (const auto& c : cases) {
    const Conversion conversion = ConversionOf(c.name);
    EXPECT_EQ(VerdictText(Verify(conversion, conversion.output)), c.verdict) << c.name;
  }
  const GeometryCheck panel = Verify(ConversionOf("drilling_panel"),
                                     ConversionOf("drilling_panel").output);
  EXPECT_EQ(DifferenceText(panel.differences[0]),
            "source line 25, output line 11: the incremental moves of source lines 25 to 28 start "
            "at X1100 Y0 in the output, X37 Y150 in the source: each of them ends elsewhere");
  EXPECT_EQ(panel.notes, (std::vector<std::string>{
                             "source line 7: the output does not write this way to the drilling "
                             "point of source line 8; the machine's cycle approaches it by itself",
                             "source line 12: the output does not write this way to the drilling "
                             "point of source line 16; the machine's cycle approaches it by itself",
                             "source line 29: the output does not write this way to the cycle "
                             "point of source line 32; the machine's cycle approaches it by itself",
                             "source line 37: tool 81's G85 block stands for this motion",
                             "source lines 47 to 48: the output does not write the rapid moves "
                             "after the last move; the program ends where that move ends"}));
}

// An incremental run after an unwritten rapid that starts apart in Y alone still starts apart.
TEST(CompareToolpaths, IncrementalMovesStartingApartInYAloneDiffer) {
  const GeometryCheck check =
      Compare("G1 X5 Y0 F1000\nG0 X5 Y7\nG91 G100 X0 Y0 P-12 T\"3\"\nG100 X0 Y32",
              "G1X5Y0Z0F1\nG81G91T0111X0Y0Z-12I0J0F1\nG81G91T01X0Y32Z-12I0J0F1");
  ASSERT_EQ(check.differences.size(), 1u);
  EXPECT_EQ(DifferenceText(check.differences[0]),
            "source line 3, output line 2: the incremental moves of source lines 3 to 4 start at "
            "X5 Y0 in the output, X5 Y7 in the source: each of them ends elsewhere");
}

struct Planted {
  const char* what;
  const char* name;
  int outputLine;
  const char* replacement;  // nullptr: the line is dropped
  std::size_t count;        // differences found
  int sourceLine;           // of the first difference
  int foundOutputLine;
  const char* text;
  const char* lineEnd = "\r\n";
  int swapWith = 0;  // the line swapped with outputLine, instead of the replacement
};

// Each kind of edit an output can suffer is found, at its lines (drilling_panel has its
// incremental run besides).
TEST(CompareToolpaths, FindsEachPlantedEditAtItsLines) {
  const Planted cases[] = {
      {"a rapid's end moved", "cabinet_side", 12, "G88G90G54P5T0155S0G40X30Y460Z5C0V0", 1, 27, 12,
       "X 30 in the output, 22.5 in the source"},
      {"a positioning block's depth", "cabinet_side", 12, "G88G90G54P5T0155S0G40X22.5Y460Z-5C0V0",
       1, 27, 12, "depth -5 in the output, 5 in the source"},
      {"a feed's start: a plunge into the part", "cabinet_side", 14,
       "G88G90G54P5T01a2S0G41X300Y300Z-20C0V0", 1, 32, 14,
       "X 300 in the output, -20 in the source; Y 300 in the output, -20 in the source; depth -20 "
       "in the output, 20 in the source"},
      {"a feed ten times faster", "cabinet_side", 16, "G1G90X0Y0Z-18.5F80", 1, 34, 16,
       "F 80 in the output, 8 in the source"},
      {"a tool call", "cabinet_side", 10, "G88G90G54P5T0156S0G40X22.5Y100Z5C0V0", 1, 23, 10,
       "tool call T0156 in the output, T0155 in the source"},
      {"a spindle group", "cabinet_side", 3, "G81G90G17T010910111203X37Y96Z-12I0J0F2.5", 1, 10, 3,
       "spindles 0910111203 in the output, 0910111202 in the source"},
      {"header dimensions", "cabinet_side", 1, "G71X700Y560Z18T00D240N23L20", 1, 0, 1,
       "header dimensions X700Y560Z18, but the part \"720\" x \"560\" x \"18\" gives X720Y560Z18"},
      {"N count", "cabinet_side", 1, "G71X720Y560Z18T00D240N24L20", 1, 0, 1,
       "header N24: the program has 23 lines from the header to M2"},
      {"fixed words missing", "cabinet_side", 1, "G71X720Y560Z18N23L20", 2, 0, 1,
       "the header lacks T00D240"},
      {"a byte-order mark", "cabinet_side", 1, "\xEF\xBB\xBFG71X720Y560Z18T00D240N23L20", 1, 0, 1,
       "the output starts with a byte-order mark"},
      {"M2 missing", "cabinet_side", 23, nullptr, 1, 0, 22, "the program does not end in M2"},
      {"LF line ends", "road", 0, nullptr, 1, 0, 1,
       "the line ends in an LF alone, not CR LF (and 6 more lines)", "\n"},
      {"a line deleted", "cabinet_side", 17, nullptr, 3, 35, 17,
       "no output move for source line 35 (linear feed to X720 Y0 depth -18.5)"},
      {"two lines swapped", "cabinet_side", 16, nullptr, 2, 34, 16,
       "X 720 in the output, 0 in the source", "\r\n", 17},
      {"an arc reversed", "cabinet_side", 19, "G2G90G17X708Y560Z-18.5U12F8", 1, 37, 19,
       "clockwise arc in the output, counter-clockwise arc in the source"},
      {"an arc's plane", "road", 5, "G2G90G18X350Y100Z-5U50F3", 1, 4, 5,
       "plane G18 in the output, G17 in the source"},
      {"the last move deleted", "road", 5, nullptr, 3, 4, 0,
       "no output move for source line 4 (clockwise arc to X350 Y100 depth -5)"},
      {"fourth decimal", "door_profile", 11, "G1G90X20.3751Y2.25Z-0.125F0.18", 1, 18, 11,
       "X 20.3751 in the output, 20.375 in the source"},
      {"added line", "drilling_panel", 5,
       "G81G90G17T011012X1166Y550Z-13I0J0F2\r\nG81G90G17T011012X1166Y550Z-13I0J0F2", 4, 11, 6,
       "output line 6 has no source move (drilling point to X1166 Y550 depth -13)"},
      {"radius sign", "road", 5, "G2G90G17X350Y100Z-5U-50F3", 1, 4, 5,
       "radius -50 in the output, 50 in the source"},
      {"centre", "door_profile", 12, "G3G90G17X21.375Y3.25Z-0.125I0J1.5F0.18", 1, 19, 12,
       "J 1.5 in the output, 1 in the source"},
      {"cycle's Q", "drilling_panel", 16, "G85G90G54P5T0110M66F5G40X0Y560Z-8Q5", 2, 33, 16,
       "Q 5 in the output, 4 in the source"},
  };
  for (const Planted& c : cases) {
    const Conversion conversion = ConversionOf(c.name);
    const GeometryCheck check =
        Verify(conversion, c.swapWith != 0
                               ? Swapped(conversion.output, c.outputLine, c.swapWith)
                               : WithLine(conversion.output, c.outputLine, c.replacement, c.lineEnd));
    ASSERT_EQ(check.differenceCount, c.count) << c.what << ": " << VerdictText(check);
    const auto found = std::find_if(check.differences.begin(), check.differences.end(),
                                    [&](const Difference& d) { return d.text == c.text; });
    ASSERT_NE(found, check.differences.end()) << c.what << ": " << VerdictText(check);
    EXPECT_EQ(found->sourceLine, c.sourceLine) << c.what;
    EXPECT_EQ(found->outputLine, c.foundOutputLine) << c.what;
  }
}

// Incremental moves that match increment by increment are one difference when they start
// elsewhere, in X or in Y alone.
TEST(CompareToolpaths, CountsAnIncrementalRunThatStartsElsewhereOnce) {
  const std::string output = "G81G91T0109X1Y0Z0I0J0F1\nG81G91T0109X1Y0Z0I0J0F1";
  const struct {
    const char* source;
    std::size_t differences;
  } cases[] = {{"G0 X0 Y7\nG91 G100 X1 Y0 F1000 T1\nG100 X1 Y0 T1", 1},
               {"G0 X3 Y0\nG91 G100 X1 Y0 F1000 T1\nG100 X1 Y0 T1", 1},
               {"G91 G100 X1 Y0 F1000 T1\nG100 X1 Y0 T1", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(Compare(c.source, output).differenceCount, c.differences) << c.source;
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
      {"G1 X999.9999", "G1X1000.0003", true},  // three decimals from 1000 on
      {"G1 X1000", "G1X999.9996", true},
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

// What the machine cannot do as the router does, where no edit of the output is to blame: the
// first difference of each source and its own conversion (or an output read only in part).
TEST(CompareToolpaths, FindsWhatTheConversionCannotRepeat) {
  const struct {
    const char* what;
    const char* source;
    const char* output;
    const char* first;
  } cases[] = {
      {"a move the translator drops", "G1 X100 P-5 F3000 (EDGE)\nG1 Y100", "G1X0Y100Z0F0",
       "source line 1: a move with a comment is not translated (linear feed to X100 Y0 depth -5)"},
      {"a feed that starts where no written line ended",
       "G280 X500 Y0 P-3 U120 F6000 T2\nG90 X50\nG1 X60",
       "G85G54P5T012F6X500Y0Z-3Q120\nG1X60Y0Z-3F6",
       "source line 3, output line 2: starts at X500 Y0 depth -3 in the output, X50 Y0 depth -3 "
       "in the source"},
      {"incremental blocks compared where they go", "G91\nG0 X10 Y10\nG1 X5 F1000",
       "G88G91G54P5S0X10Y10Z0C0V0\nG1G91X5Y10Z0F1", nullptr},
      {"a source read only in part", "G1 X5\nG1 X1E39", "G1X5",
       "source line 2: source line 2: X1E39 does not fit in a 32-bit number"},
      {"an output read only in part", "G1 X5", "G1X5Y0Z0F0\nG1X1E39",
       "output line 2: output line 2: X1E39 does not fit in a 32-bit number"},
  };
  for (const auto& c : cases) {
    const GeometryCheck check = Compare(c.source, c.output);
    if (c.first == nullptr) {
      EXPECT_TRUE(check.Identical()) << c.what << ": " << VerdictText(check);
    } else {
      ASSERT_FALSE(check.differences.empty()) << c.what;
      EXPECT_EQ(DifferenceText(check.differences[0]), c.first) << c.what;
    }
  }
}

TEST(VerdictText, CountsMovesAndPlaces) {
  GeometryCheck check;
  check.moves = 1;
  EXPECT_EQ(VerdictText(check), "matches: 1 move");
  check.moves = 1234;
  check.notes = {"a", "b", "c"};
  EXPECT_EQ(VerdictText(check), "matches: 1,234 moves, 3 notes");
  check.Add({12, 7, "Y 2 in the output, 1 in the source"});
  EXPECT_EQ(VerdictText(check), "differs: 1 difference, first at source line 12, output line 7");
  check.Add({0, 1, "header N4"});
  EXPECT_EQ(VerdictText(check), "differs: 2 differences, first at source line 12, output line 7");
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
