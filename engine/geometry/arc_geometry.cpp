#include "engine/geometry/arc_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace quarnel {

namespace {

constexpr double kFullTurn = 2 * std::numbers::pi;
constexpr double kQuarterTurn = std::numbers::pi / 2;

// fmod(turn, 2 pi) without the call for a turn within a whole turn either way, where it is the
// turn itself (or 0 with its sign for exactly a whole turn), as between two angles of atan2.
double WithinTurn(double turn) {
  const double size = std::abs(turn);
  if (size < kFullTurn) return turn;
  return size == kFullTurn ? std::copysign(0.0, turn) : std::fmod(turn, kFullTurn);
}

// The angle turned going from one angle to another in the positive sense: (0, 2 pi], so an arc
// that ends where it starts turns a whole circle.
double TurnBetween(double from, double to) {
  double turn = WithinTurn(to - from);
  if (turn <= 0) turn += kFullTurn;
  return turn;
}

// The angle turned from one angle to another in the positive sense: [0, 2 pi).
double TurnFrom(double from, double to) {
  double turn = WithinTurn(to - from);
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

// The centre of an arc, and whether an arc that ends where it starts is a whole circle (by
// centre) or no arc (by radius).
struct Centre {
  double x = 0;
  double y = 0;
  bool wholeWhenClosed = false;
};

// The centre lies on the chord's right for a clockwise arc and on its left for a
// counter-clockwise one when the radius is positive (the smaller arc), on the other side when
// it is negative.
std::optional<Centre> ByRadius(const Move& move) {
  const double dx = move.to.x - move.from.x;
  const double dy = move.to.y - move.from.y;
  const double chord = std::hypot(dx, dy);
  if (chord == 0 || !std::isfinite(chord)) return std::nullopt;
  const double radius = std::max(std::abs(move.radius), chord / 2);
  const double rise = std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
  const double side = (Clockwise(move) ? 1.0 : -1.0) * (move.radius < 0 ? -1.0 : 1.0);
  return Centre{(move.from.x + move.to.x) / 2 + side * rise * dy / chord,
                (move.from.y + move.to.y) / 2 - side * rise * dx / chord, false};
}

std::optional<Centre> CentreOf(const Move& move) {
  if (!IsArc(move) || move.plane != ArcPlane::kXY) return std::nullopt;
  if (move.byRadius) return ByRadius(move);
  if (move.i == 0 && move.j == 0) return std::nullopt;
  return Centre{move.from.x + move.i, move.from.y + move.j, true};
}

// An offset from the centre.
struct Offset {
  double x = 0;
  double y = 0;
};

// Below this tangent of the angle between two directions, which side of the other one a
// direction lies on is left to the angles: their rounding (some 1e-15) may decide it there.
constexpr double kAngleMargin = 1e-9;

// True when the direction lies within kAngleMargin of the quarter turn's axis, on its side.
bool NearAxis(const Offset& offset, int quarter) {
  const double along = quarter == 0 ? offset.x
                       : quarter == 1 ? offset.y
                       : quarter == 2 ? -offset.x
                                      : -offset.y;
  const double across = quarter % 2 == 0 ? offset.y : offset.x;
  return along > 0 && std::abs(across) <= kAngleMargin * along;
}

// The cross product of a direction with the quarter turn's axis, and of the axis with it.
double CrossWithAxis(const Offset& offset, int quarter) {
  return quarter == 0 ? -offset.y : quarter == 1 ? offset.x : quarter == 2 ? offset.y : -offset.x;
}

// The quarter turns (bit q for the angle q pi/2) an arc passes on its way from its start to its
// end, as ArcPasses finds them, from the signs of cross products alone. nullopt where the angles'
// rounding may decide it: an end within kAngleMargin of an axis or of the other end, or an
// offset of 0 or not finite.
std::optional<unsigned> QuartersPassed(const Move& move, const Centre& centre) {
  Offset from{move.from.x - centre.x, move.from.y - centre.y};
  Offset to{move.to.x - centre.x, move.to.y - centre.y};
  if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) ||
      !std::isfinite(to.y)) {
    return std::nullopt;
  }
  if (from.x == to.x && from.y == to.y) {  // the same angles: a whole circle or none
    return centre.wholeWhenClosed ? std::optional<unsigned>(0xF) : std::nullopt;
  }
  if ((from.x == 0 && from.y == 0) || (to.x == 0 && to.y == 0)) return std::nullopt;
  if (Clockwise(move)) std::swap(from, to);  // then counter-clockwise from "from" to "to"
  const double cross = from.x * to.y - from.y * to.x;
  const double dot = from.x * to.x + from.y * to.y;
  if (dot > 0 && std::abs(cross) <= kAngleMargin * dot) return std::nullopt;
  // A direction lies in the first half turn counter-clockwise from "from" when its cross product
  // with it is above 0, else in the second: the opposite of "from" begins the second.
  const bool endInFirstHalf = cross > 0;
  unsigned passed = 0;
  for (int quarter = 0; quarter < 4; ++quarter) {
    if (NearAxis(from, quarter) || NearAxis(to, quarter)) return std::nullopt;
    const bool axisInFirstHalf = CrossWithAxis(from, quarter) > 0;
    bool passes = axisInFirstHalf;
    if (axisInFirstHalf == endInFirstHalf) {  // the same half turn: the axis before the end?
      const double turnToEnd = -CrossWithAxis(to, quarter);  // the axis' cross with the end
      if (turnToEnd == 0) return std::nullopt;
      passes = turnToEnd > 0;
    }
    if (passes) passed |= 1u << quarter;
  }
  return passed;
}

}  // namespace

std::optional<ArcShape> ArcOf(const Move& move) {
  const std::optional<Centre> centre = CentreOf(move);
  if (!centre) return std::nullopt;
  return AroundCentre(move, centre->x, centre->y, centre->wholeWhenClosed);
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
// quarter turn they pass. Which quarter turns an arc passes is found without its angles where
// that gives what ArcPasses gives; the points are those of ArcOf's circle either way.
Extents ExtentsOf(const Move& move) {
  Extents box;
  box.Add(move.to);
  if (IsPoint(move)) return box;
  box.Add(move.from);
  const std::optional<Centre> centre = CentreOf(move);
  if (!centre) return box;
  const std::optional<unsigned> passed = QuartersPassed(move, *centre);
  if (passed == 0u) return box;
  const ArcShape arc =
      passed ? ArcShape{centre->x, centre->y,
                        std::hypot(move.from.x - centre->x, move.from.y - centre->y)}
             : AroundCentre(move, centre->x, centre->y, centre->wholeWhenClosed);
  for (int quarter = 0; quarter < 4; ++quarter) {
    const double angle = quarter * kQuarterTurn;
    if (passed ? (*passed >> quarter & 1u) != 0 : ArcPasses(arc, angle)) {
      box.Add(Position{ArcPointX(arc, angle), ArcPointY(arc, angle), move.to.depth});
    }
  }
  return box;
}

}  // namespace quarnel
