#include "engine/geometry/side_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/geometry/arc_geometry.h"

namespace quarnel {

namespace {

constexpr double kChordTurn = std::numbers::pi / 36;  // a helix is cut into chords of 5 degrees
constexpr int kMostChords = 72;
constexpr double kChordSlack = 1e-9;  // a sweep of whole chords, less rounding, needs no more
constexpr double kWholeTurn = 2 * std::numbers::pi;

Position Across(const Position& at, SideAxis axis) {
  return {axis == SideAxis::kX ? at.x : at.y, at.depth, 0};
}

// Where along the arc (0 its start, 1 its end) it turns back in the axis seen across: a flat
// arc seen from the side is exactly the line through these points.
std::vector<double> TurningShares(const ArcShape& arc, SideAxis axis) {
  const double first = axis == SideAxis::kX ? 0 : std::numbers::pi / 2;
  std::vector<double> shares;
  for (const double angle : {first, first + std::numbers::pi}) {
    const double from = arc.sweep > 0 ? angle - arc.startAngle : arc.startAngle - angle;
    const double share = (std::fmod(from, kWholeTurn) + (from < 0 ? kWholeTurn : 0)) /
                         std::abs(arc.sweep);
    if (share > 0 && share < 1) shares.push_back(share);
  }
  std::sort(shares.begin(), shares.end());
  shares.push_back(1);
  return shares;
}

// A helix, whose depth changes along it, in even chords.
std::vector<double> EvenShares(const ArcShape& arc) {
  const double turns = std::abs(arc.sweep) / kChordTurn;
  const int chords = std::clamp(static_cast<int>(std::ceil(turns - kChordSlack)), 1, kMostChords);
  std::vector<double> shares;
  for (int k = 1; k <= chords; ++k) shares.push_back(static_cast<double>(k) / chords);
  return shares;
}

void AddChords(const Move& move, const ArcShape& arc, SideAxis axis, std::size_t index,
               SideView& view) {
  const bool flat = move.from.depth == move.to.depth;
  Position at = move.from;
  for (const double share : flat ? TurningShares(arc, axis) : EvenShares(arc)) {
    const double angle = arc.startAngle + arc.sweep * share;
    const Position to{ArcPointX(arc, angle), ArcPointY(arc, angle),
                      move.from.depth + (move.to.depth - move.from.depth) * share};
    Move chord = move;
    chord.kind = MoveKind::kLinear;
    chord.from = Across(at, axis);
    chord.to = Across(to, axis);
    view.path.moves.push_back(std::move(chord));
    view.origin.push_back(index);
    at = to;
  }
}

}  // namespace

SideView SideViewOf(const Toolpath& path, SideAxis axis) {
  SideView view;
  view.path.header = path.header;
  for (std::size_t index = 0; index < path.moves.size(); ++index) {
    const Move& move = path.moves[index];
    if (const std::optional<ArcShape> arc = ArcOf(move)) {
      AddChords(move, *arc, axis, index, view);
      continue;
    }
    Move side = move;
    if (IsArc(move)) side.kind = MoveKind::kLinear;
    side.from = Across(move.from, axis);
    side.to = Across(move.to, axis);
    view.path.moves.push_back(std::move(side));
    view.origin.push_back(index);
  }
  return view;
}

}  // namespace quarnel
