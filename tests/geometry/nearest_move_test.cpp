#include "engine/geometry/nearest_move.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quarnel {
namespace {

Move Line(double x1, double y1, double x2, double y2) {
  Move move;
  move.kind = MoveKind::kLinear;
  move.from = {x1, y1, 0};
  move.to = {x2, y2, 0};
  return move;
}

// A quarter circle of radius 10 around the origin, counter-clockwise from (10, 0) to (0, 10).
Move QuarterArc() {
  Move move = Line(10, 0, 0, 10);
  move.kind = MoveKind::kCounterClockwiseArc;
  move.i = -10;
  return move;
}

Move Drill(double x, double y) {
  Move move = Line(0, 0, x, y);
  move.kind = MoveKind::kDrill;
  return move;
}

TEST(DistanceTo, MeasuresToTheMoveAsDrawn) {
  const struct {
    const char* what;
    Move move;
    PlanePoint point;
    double expected;
  } cases[] = {
      {"beside a line", Line(0, 0, 10, 0), {5, 3}, 3},
      {"beyond a line's end", Line(0, 0, 10, 0), {13, 4}, 5},
      {"before a line's start", Line(0, 0, 10, 0), {-3, -4}, 5},
      {"a line of no length", Line(2, 2, 2, 2), {5, 6}, 5},
      {"outside an arc where it passes", QuarterArc(), {6, 8}, 0},
      {"inside an arc", QuarterArc(), {3, 4}, 5},
      {"off the arc's sweep: its nearer end", QuarterArc(), {-3, 10}, 3},
      {"a drilling point from its end only", Drill(4, 4), {4, 7}, 3},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(DistanceTo(c.move, c.point), c.expected, 1e-9) << c.what;
  }
}

TEST(NearestMove, TakesTheNearestWithinReachAndTheEarlierPathOnATie) {
  Toolpath output;
  output.moves = {Line(0, 0, 10, 0), QuarterArc()};
  Toolpath source;
  source.moves = {Line(0, 0, 10, 0), Line(0, 5, 10, 5)};
  const std::vector<const Toolpath*> paths = {&output, &source};
  EXPECT_EQ(NearestMove(paths, {5, 1}, 2), (MoveIndex{0, 0}));  // both as near: the output's
  EXPECT_EQ(NearestMove(paths, {5, 4}, 2), (MoveIndex{1, 1}));
  // The arc bulges far beyond the box of its ends.
  EXPECT_EQ(NearestMove(paths, {7.2, 7.2}, 0.5), (MoveIndex{0, 1}));
  EXPECT_EQ(NearestMove(paths, {5, 2.5}, 2), std::nullopt);
}

TEST(PartnersOf, PairsBothWaysAndLeavesTheRestWithout) {
  GeometryCheck check;
  check.pairs = {{0, 1, false}, {2, 0, true}};
  const MovePartners partners = PartnersOf(check, 3, 2);
  EXPECT_EQ(partners.sourceToOutput, (std::vector<std::size_t>{1, MovePartners::kNone, 0}));
  EXPECT_EQ(partners.outputToSource, (std::vector<std::size_t>{2, 0}));
}

}  // namespace
}  // namespace quarnel
