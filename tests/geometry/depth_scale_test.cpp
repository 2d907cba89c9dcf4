#include "engine/geometry/depth_scale.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

Move Line(MoveKind kind, double fromDepth, double toDepth) {
  Move move;
  move.kind = kind;
  move.from.depth = fromDepth;
  move.to.depth = toDepth;
  return move;
}

TEST(DepthScaleOf, ReachesFromTheTopToTheDeepestCutAndLeavesRapidsOut) {
  Toolpath path;
  path.moves = {Line(MoveKind::kRapid, 5, -40), Line(MoveKind::kLinear, -2, -6),
                Line(MoveKind::kDrill, -30, -12), Line(MoveKind::kLinear, 3, 4)};
  const DepthScale scale = DepthScaleOf(path);
  EXPECT_EQ(scale.top, 0);
  EXPECT_EQ(scale.deepest, -12);  // a point at its own depth, not where it came from
  path.moves = {Line(MoveKind::kLinear, 3, 4)};
  EXPECT_EQ(DepthScaleOf(path).deepest, 0);
}

TEST(DepthBand, SplitsTheScaleEvenlyAndHoldsWhatLiesOutside) {
  const DepthScale scale{0, -16};  // bands of 2
  const struct {
    double depth;
    int band;
  } cases[] = {{5, 0}, {0, 0}, {-1.99, 0}, {-2, 1}, {-15.9, 7}, {-16, 7}, {-90, 7}};
  for (const auto& c : cases) EXPECT_EQ(DepthBand(scale, c.depth), c.band) << c.depth;
  EXPECT_EQ(DepthBand(DepthScale{}, -3), 0);  // nothing below the top: no span to divide
  EXPECT_EQ(BandEdge(scale, 1), -2);
  EXPECT_EQ(BandEdge(scale, kDepthBands), -16);
}

TEST(RampColour, RunsFromTheFirstStopToTheLastThroughTheOthers) {
  EXPECT_EQ(HexText(RampColour(0)), HexText(kDepthRamp[0]));
  EXPECT_EQ(HexText(RampColour(-1)), HexText(kDepthRamp[0]));
  EXPECT_EQ(HexText(RampColour(0.5)), HexText(kDepthRamp[2]));
  EXPECT_EQ(HexText(RampColour(1)), HexText(kDepthRamp[4]));
  EXPECT_EQ(HexText(RampColour(0.125)), "#71c8bc");  // half-way between the first two stops
  EXPECT_NE(HexText(DepthBandColour(0)), HexText(DepthBandColour(kDepthBands - 1)));
}

}  // namespace
}  // namespace quarnel
