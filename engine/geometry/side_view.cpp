#include "engine/geometry/side_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/geometry/arc_geometry.h"

namespace quarnel {

namespace {

constexpr double kChordTurn = std::numbers::pi / 36;  // an arc is cut into chords of 5 degrees
constexpr int kMostChords = 72;
constexpr double kChordSlack = 1e-9;  // a sweep of whole chords, less rounding, needs no more

Position Across(const Position& at, SideAxis axis) {
  return {axis == SideAxis::kX ? at.x : at.y, at.depth, 0};
}

void AddChords(const Move& move, const ArcShape& arc, SideAxis axis, std::size_t index,
               SideView& view) {
  const double turns = std::abs(arc.sweep) / kChordTurn;
  const int chords = std::clamp(static_cast<int>(std::ceil(turns - kChordSlack)), 1, kMostChords);
  Position at = move.from;
  for (int k = 1; k <= chords; ++k) {
    const double share = static_cast<double>(k) / chords;
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
