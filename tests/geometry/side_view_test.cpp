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
      "G81G90G17T01X40Y50Z-8I0J0F1\n"
      "G2G90G17X40Y50Z-5I0J-10F3\n");  // a whole turn of a helix, down 5
  const SideView x = SideViewOf(path, SideAxis::kX);
  ASSERT_EQ(x.path.moves.size(), x.origin.size());
  EXPECT_EQ(x.path.moves.front().kind, MoveKind::kRapid);
  EXPECT_DOUBLE_EQ(x.path.moves[1].to.x, 10);
  EXPECT_DOUBLE_EQ(x.path.moves[1].to.y, -3);
  const auto drill = std::find(x.origin.begin(), x.origin.end(), 3u) - x.origin.begin();
  EXPECT_EQ(x.path.moves[drill].kind, MoveKind::kDrill);
  EXPECT_EQ(x.path.moves[drill].line, 4);
  // Seen along X the flat half circle runs straight from 10 to 30: one line; seen along Y it
  // goes out to 30 and back, two lines, its bulge the turning point. The helix: 72 chords.
  EXPECT_EQ(std::count(x.origin.begin(), x.origin.end(), 2u), 1);
  EXPECT_EQ(std::count(x.origin.begin(), x.origin.end(), 4u), 72);
  EXPECT_DOUBLE_EQ(x.path.moves.back().to.y, -5);
  const SideView y = SideViewOf(path, SideAxis::kY);
  EXPECT_EQ(std::count(y.origin.begin(), y.origin.end(), 2u), 2);
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
