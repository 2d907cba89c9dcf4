#include "engine/geometry/toolpath.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <sstream>

#include "engine/geometry/arc_geometry.h"
#include "tools/tool_table.h"

namespace quarnel {
namespace {

constexpr double kPi = std::numbers::pi;

// Two toolpaths of 30,000 moves each are held by every check running: a move must stay small.
static_assert(sizeof(Move) <= 104);

// "LINE:KIND X,Y,DEPTH" for each move (B for a positioning block), a "!" after the kind for
// motion left out on purpose, a "~" for a line the translator drops.
std::string Summary(const Toolpath& path) {
  static const char* kKinds[] = {"R", "L", "CW", "CCW", "D", "C"};
  std::ostringstream text;
  for (const Move& move : path.moves) {
    if (text.tellp() > 0) text << ' ';
    text << move.line << ':' << (move.block ? "B" : kKinds[static_cast<int>(move.kind)])
         << (move.leftOut != LeftOut::kNo ? "!" : "") << (move.dropped ? "~" : "") << ' '
         << move.to.x << ',' << move.to.y << ',' << move.to.depth;
  }
  return text.str();
}

std::string Repeated(const std::string& text, int times) {
  std::string repeated;
  for (int k = 0; k < times; ++k) repeated += text;
  return repeated;
}

struct PathCase {
  const char* what;
  std::string program;  // lines joined by "\n"
  const char* expected;
};

TEST(InterpretSource, ReadsMovesAsTheTranslatorReadsTheWords) {
  const PathCase cases[] = {
      {"road", "G90G17G40\nG0X100Y50P-5T1\nG1X300F3000\nG2X350Y100R50\n(END)\nM30",
       "2:R 100,50,-5 2:B 100,50,-5 3:L 300,50,-5 4:CW 350,100,-5"},
      {"a line with only a modal code repeats the motion", "G1 X5\nG17\nG91",
       "1:L 5,0,0 2:L 5,0,0 3:L 10,0,0"},
      {"G91 adds X and Y again on every line; P stays absolute",
       "G0 X10 Y10 P5\nG91 G1 X5 Y0 P-2\nG1 Y3",
       "1:R 10,10,5 1:B 10,10,5 2:L 15,10,-2 3:L 20,13,-2"},
      {"lines the translator drops, read as the router runs them",
       "g1 X5\n G1 X6\nN10 G1 X7\nG1 X8 (COMMENT)\nX9\nG1 X10 (X99)",
       "1:L~ 5,0,0 2:L~ 6,0,0 3:L~ 7,0,0 4:L~ 8,0,0 5:L~ 9,0,0 6:L~ 10,0,0"},
      {"a dropped line without motion sets what its words set", "G1 X5\nF2000 T3\n g91\nG1 X1",
       "1:L 5,0,0 4:L 6,0,0"},
      {"a dropped rapid owes the block of the next feed", "G1 X5\ng0 x6\nG1 X7",
       "1:L 5,0,0 2:R~ 6,0,0 2:B 6,0,0 3:L 7,0,0"},
      {"G200's words are no position", "G200 X720 Y560 Z42\nG0 X1\nG1 P-1",
       "2:R 1,560,0 2:B 1,560,0 3:L 1,560,-1"},
      {"a bare G is a rapid", "G1 X5\nG X6", "1:L 5,0,0 2:R 6,0,0"},
      {"more G words than the one-pass reader keeps", Repeated("G17", 17) + "G1 X5", "1:L 5,0,0"},
      {"tool 81's block leaves the motion out until the next motion code",
       "G0 X600 Y300 P5 T81\nG101 X620 P-10\nG90 X630\nG101 X640",
       "1:R 600,300,5 1:B 600,300,5 2:L! 620,300,-10 3:L! 630,300,-10 4:L 640,300,-10"},
      {"G207 leaves the feed running unwritten until a rapid", "G1 X10\nG207 X20\nG90 X30\nG0 X40",
       "1:L 10,0,0 2:L! 20,0,0 3:L! 30,0,0 4:R 40,0,0"},
      {"a tool above 50 is engaged and moves nothing", "G0 X1 Y2 P3\nG100 T51\nG1 P-1",
       "1:R 1,2,3 1:B 1,2,3 3:L 1,2,-1"},
      {"tool 50 drills", "G0 X1 Y2 P3\nG100 T50\nG1 P-1",
       "1:R 1,2,3 2:D 1,2,3 3:B 1,2,3 3:L 1,2,-1"},
      {"drilling on every line until a motion code",
       "G100 X37 Y96 P-12 T\"1 2 3\"\nG90 X37 Y512\nG0 G80 X50 P5",
       "1:D 37,96,-12 2:D 37,512,-12 3:R 50,512,5"},
      {"incremental drilling", "G0 X37 Y150\nG91 G100 X0 Y0 P-12 T\"3 3\"\nG100 X0 Y32",
       "1:R 37,150,0 2:D 37,150,-12 3:D 37,182,-12"},
      {"a cycle point, then no motion", "G1 X5\nG280 X500 Y0 P-3 U120 T2\nG90 X510",
       "1:L 5,0,0 2:C 500,0,-3 3:R 510,0,-3"},
      {"an engaged tool ends a feed", "G1 X5\nG100 X6 T55\nG1 X7",
       "1:L 5,0,0 2:R 6,0,0 2:B 6,0,0 3:L 7,0,0"},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(Summary(InterpretSource(c.program)), c.expected) << c.what;
  }
}

TEST(InterpretSource, KeepsWhatTheOutputMustWriteAndStopsAtANumberTooLarge) {
  ToolTable tools;
  tools.SetCell(1, ToolTable::kFromColumn, "55");
  tools.SetCell(1, ToolTable::kToColumn, "205");
  const Toolpath drilling = InterpretSource(
      "G100 X1 P-5 F2000 T\"1 2 3\"\nG90 X2\nG0 T55\nG1 X3 F3000\ng1 x4", tools);
  ASSERT_EQ(drilling.moves.size(), 5u);
  // renumbered, as the output writes them
  EXPECT_EQ(drilling.Spindles(drilling.moves[0]), "091011");
  EXPECT_EQ(drilling.moves[0].feed, 2);
  EXPECT_EQ(drilling.Spindles(drilling.moves[1]), "");
  // the block's call through the table
  EXPECT_EQ(drilling.ToolCall(drilling.moves[2]), "T0105M66");
  EXPECT_EQ(drilling.moves[3].feed, 3);
  ASSERT_EQ(drilling.dropped.size(), 1u);
  EXPECT_EQ(drilling.dropped[0].line, 5);
  EXPECT_EQ(drilling.dropped[0].kind, DroppedMove::kLowerCase);
  EXPECT_EQ(InterpretSource("G280 X5 U4").moves[0].q, 4);

  const Toolpath stopped = InterpretSource("G1 X5\nG1 X1E39\nG1 X7");
  EXPECT_EQ(Summary(stopped), "1:L 5,0,0");
  EXPECT_EQ(stopped.failureLine, 2);
  EXPECT_EQ(stopped.failure, "source line 2: X1E39 does not fit in a 32-bit number");
}

// Where the arc's circle lies and how far it turns; angles in radians.
struct ArcCase {
  const char* what;
  std::string program;
  double centreX, centreY, radius, sweep;
};

TEST(ArcOf, FindsTheCircleOfRadiusAndCentreArcs) {
  const ArcCase cases[] = {
      {"clockwise, positive radius: the smaller arc", "G0 X300 Y50\nG2 X350 Y100 R50", 350, 50, 50,
       -kPi / 2},
      {"clockwise, negative radius: the larger arc", "G0 X300 Y50\nG2 X350 Y100 R-50", 300, 100, 50,
       -3 * kPi / 2},
      {"counter-clockwise, positive radius", "G3 X10 Y10 R10", 0, 10, 10, kPi / 2},
      {"counter-clockwise, negative radius", "G3 X10 Y10 R-10", 10, 0, 10, 3 * kPi / 2},
      {"centre by I and J", "G0 X20.375 Y2.25\nG103 X21.375 Y3.25 I0 J1", 20.375, 3.25, 1, kPi / 2},
      {"a centre arc that ends where it starts is a whole circle", "G2 X0 Y0 I5 J0", 5, 0, 5,
       -2 * kPi},
      {"a radius shorter than half the chord", "G2 X10 R2", 5, 0, 5, -kPi},
      {"a whole circle from angle pi to angle -pi", "G3 Y-0 I5", 5, 0, 5, 2 * kPi},
  };
  for (const ArcCase& c : cases) {
    const Toolpath path = InterpretSource(c.program);
    const std::optional<ArcShape> arc = ArcOf(path.moves.back());
    ASSERT_TRUE(arc.has_value()) << c.what;
    EXPECT_NEAR(arc->centreX, c.centreX, 1e-9) << c.what;
    EXPECT_NEAR(arc->centreY, c.centreY, 1e-9) << c.what;
    EXPECT_NEAR(arc->radius, c.radius, 1e-9) << c.what;
    EXPECT_NEAR(arc->sweep, c.sweep, 1e-9) << c.what;
  }
}

TEST(ArcOf, DrawsArcsOutsideTheXYPlaneAsChordsWithANote) {
  const Toolpath path = InterpretSource("G18 G2 X10 R5");
  EXPECT_FALSE(ArcOf(path.moves[0]).has_value());
  ASSERT_EQ(path.notes.size(), 1u);
  EXPECT_EQ(path.notes[0], "source line 1: arc in the G18 plane drawn as its chord");
}

// The box of a move by its angles: ArcOf's start angle and sweep, ArcPasses at every quarter
// turn. ExtentsOf must give the same box to the last bit.
Extents ExtentsByAngles(const Move& move) {
  Extents box;
  box.Add(move.to);
  if (IsPoint(move)) return box;
  box.Add(move.from);
  const std::optional<ArcShape> arc = ArcOf(move);
  for (int quarter = 0; arc && quarter < 4; ++quarter) {
    const double angle = quarter * (kPi / 2);
    if (ArcPasses(*arc, angle)) {
      box.Add(Position{ArcPointX(*arc, angle), ArcPointY(*arc, angle), move.to.depth});
    }
  }
  return box;
}

Move Arc(MoveKind kind, Position from, Position to, double radius, double i = 0, double j = 0,
         ArcPlane plane = ArcPlane::kXY) {
  Move move;
  move.kind = kind;
  move.plane = plane;
  move.byRadius = radius != 0;
  move.from = from;
  move.to = to;
  move.radius = radius;
  move.i = i;
  move.j = j;
  return move;
}

// The bounds of a box as bit patterns, to compare them to the last bit.
std::array<std::uint64_t, 6> Bits(const Extents& box) {
  const double bounds[] = {box.x.min, box.x.max, box.y.min, box.y.max, box.depth.min, box.depth.max};
  std::array<std::uint64_t, 6> bits{};
  for (int k = 0; k < 6; ++k) bits[k] = std::bit_cast<std::uint64_t>(bounds[k]);
  return bits;
}

void ExpectSameBox(const Move& move, const char* what) {
  EXPECT_EQ(Bits(ExtentsOf(move)), Bits(ExtentsByAngles(move))) << what;
}

TEST(ExtentsOf, GivesTheBoxOfTheAnglesToTheLastBit) {
  constexpr MoveKind kCw = MoveKind::kClockwiseArc;
  constexpr MoveKind kCcw = MoveKind::kCounterClockwiseArc;
  const struct {
    const char* what;
    Move move;
  } cases[] = {
      {"quarter ending on an axis", Arc(kCcw, {10, 0, -1}, {0, 10, -2}, 0, -10, 0)},
      {"quarter ending on an axis, clockwise", Arc(kCw, {0, 10, 0}, {10, 0, 0}, 0, 0, -10)},
      {"on an axis, the centre rounded: its point an ulp beyond the start",
       Arc(kCcw, {5.284, 0, 0}, {14.184, -8.9, 0}, 0, 8.9, 0)},
      {"the same clockwise, the axis at the end", Arc(kCw, {14.184, -8.9, 0}, {5.284, 0, 0}, 0, 0, 8.9)},
      {"starting on the negative Y axis", Arc(kCcw, {5, -5, 0}, {10, 0, 0}, 0, 0, 5)},
      {"ending on the negative X axis", Arc(kCw, {5, 5, 0}, {0, 0, 0}, 0, 0, -5)},
      {"three quarters by radius", Arc(kCw, {300, 50, 0}, {350, 100, 0}, -50)},
      {"half circle by radius, both ways", Arc(kCw, {0, 0, 0}, {10, 0, 0}, 5)},
      {"half circle by radius, counter-clockwise", Arc(kCcw, {0, 0, 0}, {10, 0, 0}, 5)},
      {"half circle by centre across an axis", Arc(kCcw, {3, 4, 0}, {-3, -4, 0}, 0, -3, -4)},
      {"radius shorter than half the chord", Arc(kCw, {0, 0, 0}, {10, 0, 0}, 2)},
      {"whole circle by centre", Arc(kCw, {0, 0, 0}, {0, 0, 0}, 0, 5, 0)},
      {"whole circle off the axes", Arc(kCcw, {1.5, 2.5, 0}, {1.5, 2.5, 0}, 0, 0.7, -0.3)},
      {"whole circle by radius: no arc", Arc(kCcw, {1, 1, 0}, {1, 1, 0}, 5)},
      {"tiny arc", Arc(kCcw, {1, 0, 0}, {1 - 1e-13, 1e-6, 0}, 0, -1, 0)},
      {"tiny arc by radius", Arc(kCw, {100, 100, 0}, {100.0001, 100, 0}, 0.00005)},
      {"huge radius", Arc(kCcw, {0, 0, 0}, {1, 0, 0}, 1e9)},
      {"huge radius, larger arc", Arc(kCcw, {0, 0, 0}, {1, 1, 0}, -1e12)},
      {"ends a hair apart on a whole circle", Arc(kCcw, {10, 0, 0}, {10, 1e-15, 0}, 0, -10, 0)},
      {"centre a hair off the start", Arc(kCw, {100, 0, 0}, {200, 0, 0}, 0, 1e-20, 0)},
      {"ZX plane: the chord", Arc(kCw, {0, 0, 0}, {10, 0, 0}, 5, 0, 0, ArcPlane::kZX)},
      {"YZ plane: the chord", Arc(kCcw, {0, 0, 0}, {0, 10, 0}, 0, 0, 5, ArcPlane::kYZ)},
  };
  for (const auto& c : cases) ExpectSameBox(c.move, c.what);
  // Ends on a grid around a centre, on and beside the axes, both ways, by centre and radius.
  const double steps[] = {-7, -5, -1e-10, -1e-14, 0, 1e-14, 1e-10, 3, 5};
  for (const double sx : steps) {
    for (const double sy : steps) {
      for (const double ex : steps) {
        for (const double ey : steps) {
          for (const MoveKind kind : {kCw, kCcw}) {
            const Position from{20 + sx, -30 + sy, 0};
            const Position to{20 + ex, -30 + ey, -1};
            ExpectSameBox(Arc(kind, from, to, 0, -sx, -sy), "grid by centre");
            ExpectSameBox(Arc(kind, from, to, 4 + sx), "grid by radius");
          }
        }
      }
    }
  }
}

TEST(InterpretOutput, ReadsTheDialectLineByLine) {
  const PathCase cases[] = {
      {"road",
       "G71X600Y400Z18T00D240N6L3\nG150(G-code from router)\n"
       "G88G90G54P5T01a1S0G40X100Y50Z-5C0V0\nG1G90X300Y50Z-5F3\n"
       "G2G90G17X350Y100Z-5U50F3\nM2\n",
       "3:B 100,50,-5 4:L 300,50,-5 5:CW 350,100,-5"},
      {"drilling and G85 lines: a cycle with F, tool 81's block without",
       "G81G90G17T010902X34Y50Z-13I0J0F2\nG85G90G54P5T0110M66F5G40X1200Y560Z-8Q4\n"
       "G85G90G54P5T0105M66S0G40X600Y300Z5Q620",
       "1:D 34,50,-13 2:C 1200,560,-8 3:B 600,300,5"},
      {"G91 is modal and adds X and Y", "G1G91X5Y1Z-2F1\nG1X5Y1Z-3F1\nG1G90X0Y0Z0F1",
       "1:L 5,1,-2 2:L 10,2,-3 3:L 0,0,0"},
      {"a word left out keeps its value", "G1X5Y6Z-1\nG1X7", "1:L 5,6,-1 2:L 7,6,-1"},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(Summary(InterpretOutput(c.program)), c.expected) << c.what;
  }
}

TEST(InterpretOutput, ReadsHeaderSpindlesArcWordsAndNotesWhatItLeavesOut) {
  const Toolpath path = InterpretOutput(
      "G70X23.625Y15.5Z0.75T00D240N37L34\nG81G90G17T011204X1Y2Z-0.8I0J0F0.15\n"
      "G3G90G17X3Y2Z-1U-1F1\nG2G90G17X5Y2Z-1I1J0F1\nG4X9\nG17G90\nG54\nG42\nG40\nG1.5X3\n");
  EXPECT_TRUE(path.header.present);
  EXPECT_TRUE(path.header.inches);
  EXPECT_EQ(path.header.length, 23.625);
  EXPECT_EQ(path.header.height, 15.5);
  EXPECT_EQ(path.header.thickness, 0.75);
  ASSERT_EQ(path.moves.size(), 3u);
  EXPECT_EQ(path.Spindles(path.moves[0]), "1204");
  EXPECT_EQ(path.moves[0].feed, 0.15);
  EXPECT_TRUE(path.moves[1].byRadius);
  EXPECT_EQ(path.moves[1].radius, -1);
  EXPECT_FALSE(path.moves[2].byRadius);
  EXPECT_EQ(path.moves[2].i, 1);
  EXPECT_EQ(path.notes, (std::vector<std::string>{
                            "output line 5: G4 is not read; the line is left out",
                            "output line 10: no whole G code; the line is left out"}));
  const Toolpath blocks = InterpretOutput(
      "G88G90G54P5T0105M66S0G40X1Y2Z3C0V0\nG85G90G54P5T01a2F6G40X500Y0Z-3Q120\nG88G54P5S0X1");
  EXPECT_EQ(blocks.ToolCall(blocks.moves[0]), "T0105M66");
  EXPECT_EQ(blocks.ToolCall(blocks.moves[1]), "T01a2");
  EXPECT_EQ(blocks.ToolCall(blocks.moves[2]), "");
  EXPECT_EQ(InterpretOutput("G1X5\nG1Q1E40").failure,
            "output line 2: Q1E40 does not fit in a 32-bit number");
}

// Each text is kept once however often the moves repeat it, and a drilling point's spindle list
// is never read as its tool call.
TEST(InterpretOutput, KeepsEachTextOnce) {
  const Toolpath path = InterpretOutput(
      "G88G90G54P5T0105M66S0G40X1Y2Z3C0V0\nG81G90G17T011204X1Y2Z-0.8I0J0F0.15\n"
      "G81G90G17T010506X1Y2Z-0.8I0J0F0.15\nG81G90G17T011204X1Y2Z-0.8I0J0F0.15\n"
      "G88G90G54P5T0105M66S0G40X1Y2Z3C0V0\n");
  ASSERT_EQ(path.moves.size(), 5u);
  EXPECT_EQ(path.texts.size(), 4u);  // "", T0105M66, 1204, 0506
  EXPECT_EQ(path.Spindles(path.moves[3]), "1204");
  EXPECT_EQ(path.ToolCall(path.moves[3]), "");
  EXPECT_EQ(path.ToolCall(path.moves[4]), "T0105M66");
  EXPECT_EQ(path.Spindles(path.moves[4]), "");
}

}  // namespace
}  // namespace quarnel
