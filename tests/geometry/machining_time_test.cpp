#include "engine/geometry/machining_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace quarnel {
namespace {

constexpr double kPi = std::numbers::pi;

// 6000 mm/min is 100 mm/s, so that the hand-worked times come out round.
constexpr MachiningTimeSettings kShop{6000, 10};

MachiningTime TimeOf(const std::string& body, const char* header = "G71X600Y400Z18T00D240N3L1") {
  return EstimateMachiningTime(InterpretOutput(std::string(header) + "\n" + body), kShop);
}

// Each program worked out by hand, move by move, from the start at 0,0,0.
TEST(EstimateMachiningTime, MatchesTimesWorkedOutByHand) {
  const struct {
    const char* what;
    std::string body;
    double cutting, rapid, drilling, tools, length;
  } cases[] = {
      // Block to 60,80,0: 100 mm at 100 mm/s. Plunge 5 mm at F0.3 (5 mm/s), then a square of
      // 100 mm sides at F3 (50 mm/s): 1 s + 4 x 2 s. One tool call.
      {"a square",
       "G88G90G54P5T01a1S0G40X60Y80Z0C0V0\nG1G90X60Y80Z-5F0.3\nG1G90X160Y80Z-5F3\n"
       "G1G90X160Y180Z-5F3\nG1G90X60Y180Z-5F3\nG1G90X60Y80Z-5F3",
       9, 1, 0, 10, 405},
      // Half a circle of radius 50 at 50 mm/s, then the larger three quarters of radius 20
      // (U-20) from 100,0 to 120,20 at F1.2 (20 mm/s).
      {"arcs by radius", "G2G90G17X100Y0Z0U50F3\nG3G90G17X120Y20Z0U-20F1.2",
       kPi + 1.5 * kPi, 0, 0, 0, 50 * kPi + 30 * kPi},
      // A whole circle of radius 50 by centre, and a helix: a whole turn of radius 10 (20 pi
      // around) falling 5 at F3.
      {"a circle and a helix", "G2G90G17X0Y0Z0I50J0F3\nG2G90G17X0Y0Z-5I10J0F3",
       2 * kPi + std::hypot(20 * kPi, 5) / 50, 0, 0, 0, 100 * kPi + std::hypot(20 * kPi, 5)},
      // Half a circle of radius 50 in the ZX plane: the depth falls 100.
      {"an arc in the ZX plane", "G2G90G18X0Y0Z-100U50F3", kPi, 0, 0, 0, 50 * kPi},
      // 100 mm over, 12 mm down at F0.6 (10 mm/s), 12 mm up at 100 mm/s; then 50 mm over and
      // the same again.
      {"a drilling run",
       "G81G90G17T01091011X100Y0Z-12I0J0F0.6\nG81G90G17T01091011X100Y50Z-12I0J0F0.6", 0, 1.5,
       2 * (1.2 + 0.12), 0, 24},
      // A cycle point drills like a drilling point; above the part it drills nothing.
      {"a cycle point", "G85G90G54P5T01a2F0.6G40X0Y100Z-3Q120\nG81G90G17T01X0Y200Z4I0J0F0.6",
       0, 2, 0.3 + 0.03, 10, 3},
      // Three calls of a1, one of 42 and back: three changes; a block without a call keeps the
      // tool. Each block moves 100 mm.
      {"tool changes",
       "G88G54P5T01a1S0X100Y0Z0C0V0\nG88G54P5T01a1S0X200Y0Z0C0V0\nG88G54P5T0142S0X300Y0Z0C0V0\n"
       "G88G54P5S0X400Y0Z0C0V0\nG85G90G54P5T01a1S0G40X500Y0Z0Q300",
       0, 5, 0, 30, 0},
  };
  for (const auto& c : cases) {
    const MachiningTime time = TimeOf(c.body);
    EXPECT_NEAR(time.cuttingSeconds, c.cutting, 1e-9) << c.what;
    EXPECT_NEAR(time.rapidSeconds, c.rapid, 1e-9) << c.what;
    EXPECT_NEAR(time.drillingSeconds, c.drilling, 1e-9) << c.what;
    EXPECT_NEAR(time.toolChangeSeconds, c.tools, 1e-9) << c.what;
    EXPECT_NEAR(time.cutLength, c.length, 1e-9) << c.what;
    EXPECT_NEAR(time.TotalSeconds(), c.cutting + c.rapid + c.drilling + c.tools, 1e-9) << c.what;
    EXPECT_EQ(time.untimedMoves, 0u) << c.what;
  }
}

// F0.3 under G70 is 300 in/min: 10 in take 2 s; the rapid rate of 6000 mm/min is 236.2 in/min,
// so 10 in take 2.54 s.
TEST(EstimateMachiningTime, TakesAnInchProgramsFeedsAndRapidRateInInches) {
  const MachiningTime time =
      TimeOf("G88G54P5S0X10Y0Z0C0V0\nG1G90X20Y0Z0F0.3", "G70X24Y16Z0.75T00D240N3L1");
  EXPECT_TRUE(time.inches);
  EXPECT_NEAR(time.cuttingSeconds, 2, 1e-9);
  EXPECT_NEAR(time.rapidSeconds, 2.54, 1e-9);
}

// A move that cuts before any F or at F0 cannot be timed: it is counted, with its line, and adds
// no time; one that goes nowhere needs no feed; a line without F cuts at the last F.
TEST(EstimateMachiningTime, CountsMovesWithoutAFeedAndTimesNothingForThem) {
  const MachiningTime time = TimeOf(
      "G1G90X100Y0Z0\nG1G90X200Y0Z0F0\nG1G90X200Y0Z0F0\nG81G90G17T01X200Y0Z-5I0J0F0\n"
      "G1G90X300Y0Z0F-3\nG1G90X400Y0Z0F3\nG1G90X500Y0Z0");
  EXPECT_EQ(time.untimedMoves, 4u);
  EXPECT_EQ(time.firstUntimedLine, 2);
  EXPECT_NEAR(time.cuttingSeconds, 4, 1e-9);
  EXPECT_NEAR(time.drillingSeconds, 0.05, 1e-9);  // the way back up is still timed
  EXPECT_NEAR(time.cutLength, 505, 1e-9);
  EXPECT_EQ(MachiningTimeText(time),
            "4 s: cutting 4 s, rapid 0 s, drilling 0 s, 0 tool changes 0 s; cut length 505 mm; "
            "4 moves without a feed not timed, the first at output line 2");
}

TEST(MachiningTimeSettingsFrom, TakesPlainNumbersInRangeAndKeepsTheDefaultOtherwise) {
  const struct {
    const char* rapid;
    const char* change;
    double rapidRate, toolChangeSeconds;
  } cases[] = {
      {"30000", "7.5", 30000, 7.5},
      {" 1000000 ", "0", 1e6, 0},
      {"", "", kDefaultRapidRate, kDefaultToolChangeSeconds},
      {"0", "-1", kDefaultRapidRate, kDefaultToolChangeSeconds},
      {"1000001", "3601", kDefaultRapidRate, kDefaultToolChangeSeconds},
      {"2E4", "1,5", kDefaultRapidRate, kDefaultToolChangeSeconds},
  };
  for (const auto& c : cases) {
    const MachiningTimeSettings settings = MachiningTimeSettingsFrom(c.rapid, c.change);
    EXPECT_EQ(settings.rapidRate, c.rapidRate) << c.rapid;
    EXPECT_EQ(settings.toolChangeSeconds, c.toolChangeSeconds) << c.change;
  }
}

TEST(DurationText, RoundsToTheSecondAndWritesHoursAndMinutes) {
  const struct {
    double seconds;
    const char* expected;
  } cases[] = {
      {0, "0 s"},
      {-3, "0 s"},
      {44.49, "44 s"},
      {44.5, "45 s"},
      {59.6, "1 min 00 s"},
      {247, "4 min 07 s"},
      {3600, "1 h 00 min 00 s"},
      {3725, "1 h 02 min 05 s"},
      {360000, "100 h 00 min 00 s"},
      {3599999999, "999999 h 59 min 59 s"},
      {3.6e9, "more than 1,000,000 h"},
      {1e300, "more than 1,000,000 h"},
      {std::numeric_limits<double>::infinity(), "more than 1,000,000 h"},
      {std::numeric_limits<double>::quiet_NaN(), "more than 1,000,000 h"},
  };
  for (const auto& c : cases) EXPECT_EQ(DurationText(c.seconds), c.expected) << c.seconds;
}

TEST(MachiningTimeText, NamesEveryPartAndTheUnits) {
  MachiningTime time;
  time.cuttingSeconds = 190;
  time.rapidSeconds = 20.2;
  time.drillingSeconds = 27;
  time.toolChanges = 1;
  time.toolChangeSeconds = 10;
  time.cutLength = 2345.64;
  time.inches = true;
  EXPECT_EQ(MachiningTimeText(time),
            "4 min 07 s: cutting 3 min 10 s, rapid 20 s, drilling 27 s, 1 tool change 10 s; "
            "cut length 2345.6 in");
}

}  // namespace
}  // namespace quarnel
