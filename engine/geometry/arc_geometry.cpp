#include "engine/geometry/arc_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quarnel {

namespace {

constexpr double kFullTurn = 2 * std::numbers::pi;
constexpr double kQuarterTurn = std::numbers::pi / 2;

// The angle turned going from one angle to another in the positive sense: (0, 2 pi], so an arc
// that ends where it starts turns a whole circle.
double TurnBetween(double from, double to) {
  double turn = std::fmod(to - from, kFullTurn);
  if (turn <= 0) turn += kFullTurn;
  return turn;
}

// The angle turned from one angle to another in the positive sense: [0, 2 pi).
double TurnFrom(double from, double to) {
  double turn = std::fmod(to - from, kFullTurn);
  if (turn < 0) turn += kFullTurn;
  return turn;
}

bool Clockwise(const Move& move) { return move.kind == MoveKind::kClockwiseArc; }

// Completes an arc whose centre is known: radius, start angle and the sweep to the end point.
ArcShape AroundCentre(const Move& move, double centreX, double centreY, bool wholeWhenClosed) {
  ArcShape arc{centreX, centreY, std::hypot(move.from.x - centreX, move.from.y - centreY)};
  arc.startAngle = std::atan2(move.from.y - centreY, move.from.x - centreX);
  const double endAngle = std::atan2(move.to.y - centreY, move.to.x - centreX);
  double turn = Clockwise(move) ? TurnBetween(endAngle, arc.startAngle)
                                : TurnBetween(arc.startAngle, endAngle);
  if (!wholeWhenClosed && turn == kFullTurn) turn = 0;
  arc.sweep = Clockwise(move) ? -turn : turn;
  return arc;
}

// The centre lies on the chord's right for a clockwise arc and on its left for a
// counter-clockwise one when the radius is positive (the smaller arc), on the other side when
// it is negative.
std::optional<ArcShape> ByRadius(const Move& move) {
  const double dx = move.to.x - move.from.x;
  const double dy = move.to.y - move.from.y;
  const double chord = std::hypot(dx, dy);
  if (chord == 0 || !std::isfinite(chord)) return std::nullopt;
  const double radius = std::max(std::abs(move.radius), chord / 2);
  const double rise = std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
  const double side = (Clockwise(move) ? 1.0 : -1.0) * (move.radius < 0 ? -1.0 : 1.0);
  const double centreX = (move.from.x + move.to.x) / 2 + side * rise * dy / chord;
  const double centreY = (move.from.y + move.to.y) / 2 - side * rise * dx / chord;
  return AroundCentre(move, centreX, centreY, false);
}

}  // namespace

std::optional<ArcShape> ArcOf(const Move& move) {
  if (!IsArc(move) || move.plane != ArcPlane::kXY) return std::nullopt;
  if (move.byRadius) return ByRadius(move);
  if (move.i == 0 && move.j == 0) return std::nullopt;
  return AroundCentre(move, move.from.x + move.i, move.from.y + move.j, true);
}

bool ArcPasses(const ArcShape& arc, double angle) {
  const double turn =
      arc.sweep >= 0 ? TurnFrom(arc.startAngle, angle) : TurnFrom(angle, arc.startAngle);
  return turn <= std::abs(arc.sweep);
}

double ArcPointX(const ArcShape& arc, double angle) {
  return arc.centreX + arc.radius * std::cos(angle);
}

double ArcPointY(const ArcShape& arc, double angle) {
  return arc.centreY + arc.radius * std::sin(angle);
}

void Extents::Add(const Position& point) {
  if (empty) {
    x = {point.x, point.x};
    y = {point.y, point.y};
    depth = {point.depth, point.depth};
    empty = false;
    return;
  }
  x = {std::min(x.min, point.x), std::max(x.max, point.x)};
  y = {std::min(y.min, point.y), std::max(y.max, point.y)};
  depth = {std::min(depth.min, point.depth), std::max(depth.max, point.depth)};
}

void Extents::Add(const Extents& other) {
  if (other.empty) return;
  Add(Position{other.x.min, other.y.min, other.depth.min});
  Add(Position{other.x.max, other.y.max, other.depth.max});
}

// Points are reached where they stand; lines and arcs from their start, arcs also at every
// quarter turn they pass.
Extents ExtentsOf(const Move& move) {
  Extents box;
  box.Add(move.to);
  if (IsPoint(move)) return box;
  box.Add(move.from);
  const std::optional<ArcShape> arc = ArcOf(move);
  if (!arc) return box;
  for (int quarter = 0; quarter < 4; ++quarter) {
    const double angle = quarter * kQuarterTurn;
    if (ArcPasses(*arc, angle)) {
      box.Add(Position{ArcPointX(*arc, angle), ArcPointY(*arc, angle), move.to.depth});
    }
  }
  return box;
}

}  // namespace quarnel
