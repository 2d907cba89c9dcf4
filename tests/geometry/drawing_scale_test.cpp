#include "engine/geometry/drawing_scale.h"

#include <gtest/gtest.h>

#include <limits>

namespace quarnel {
namespace {

TEST(RoundLength, TakesOneTwoOrFiveTimesAPowerOfTenOnTheAskedSide) {
  const struct {
    double limit, atMost, atLeast;
  } cases[] = {
      {1, 1, 1},       {1.5, 1, 2},         {4.99, 2, 5},   {5, 5, 5},
      {7, 5, 10},      {999, 500, 1000},    {0.3, 0.2, 0.5}, {0.00013, 0.0001, 0.0002},
      {0, 0, 0},       {-4, 0, 0},          {std::numeric_limits<double>::infinity(), 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(RoundLengthAtMost(c.limit), c.atMost) << c.limit;
    EXPECT_DOUBLE_EQ(RoundLengthAtLeast(c.limit), c.atLeast) << c.limit;
  }
}

TEST(ScaleBarFor, IsTheLongestRoundLengthThatFits) {
  const ScaleBar bar = ScaleBarFor(2.5, 150, false);  // 150 px are 60 mm
  EXPECT_DOUBLE_EQ(bar.length, 50);
  EXPECT_DOUBLE_EQ(bar.pixels, 125);
  EXPECT_EQ(bar.label, "50 mm");
  EXPECT_EQ(ScaleBarFor(400, 150, true).label, "0.2 in");
  EXPECT_EQ(ScaleBarFor(0, 150, false).label, "");
}

TEST(GridLines, FallOnWholeStepsAndStopWhereThereWouldBeTooMany) {
  EXPECT_DOUBLE_EQ(GridStep(2.5, 40), 20);  // 40 px are 16 mm
  EXPECT_EQ(GridLines(-15, 45, 20, 100), (std::vector<double>{0, 20, 40}));
  EXPECT_EQ(GridLines(20, 40, 20, 100), (std::vector<double>{20, 40}));
  EXPECT_TRUE(GridLines(0, 1e6, 1, 100).empty());
  EXPECT_TRUE(GridLines(0, 10, 0, 100).empty());
}

}  // namespace
}  // namespace quarnel
