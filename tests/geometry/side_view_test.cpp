#include "engine/geometry/side_view.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quarnel {
namespace {

TEST(SideViewOf, DrawsTheChosenAxisAgainstDepthAndKeepsEachMovesOrigin) {
  const Toolpath path = InterpretOutput(
      "G88G54P5S0X10Y20Z5C0V0\n"
      "G1G90X10Y20Z-3F3\n"
      "G2G90G17X30Y20Z-3U10F3\n"  // half a circle over the top, bulging to Y 30
      "G81G90G17T01X40Y50Z-8I0J0F1\n");
  const SideView x = SideViewOf(path, SideAxis::kX);
  ASSERT_EQ(x.path.moves.size(), x.origin.size());
  EXPECT_EQ(x.path.moves.front().kind, MoveKind::kRapid);
  EXPECT_DOUBLE_EQ(x.path.moves[1].to.x, 10);
  EXPECT_DOUBLE_EQ(x.path.moves[1].to.y, -3);
  const Move& drill = x.path.moves.back();
  EXPECT_EQ(drill.kind, MoveKind::kDrill);
  EXPECT_EQ(drill.line, 4);
  EXPECT_EQ(x.origin.back(), 3u);
  // The arc: 36 chords of 5 degrees, lines of its own, all at depth -3.
  EXPECT_EQ(std::count(x.origin.begin(), x.origin.end(), 2u), 36);
  const SideView y = SideViewOf(path, SideAxis::kY);
  double reach = 0;
  for (std::size_t k = 0; k < y.path.moves.size(); ++k) {
    if (y.origin[k] != 2) continue;
    EXPECT_EQ(y.path.moves[k].kind, MoveKind::kLinear);
    EXPECT_DOUBLE_EQ(y.path.moves[k].to.y, -3);
    reach = std::max(reach, y.path.moves[k].to.x);
  }
  EXPECT_NEAR(reach, 30, 1e-9);
}

}  // namespace
}  // namespace quarnel
