// Where a point of the machine's XY plane lies against the moves of toolpaths as they are drawn:
// what the preview shows when the user points at its drawing.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "engine/geometry/geometry_check.h"
#include "engine/geometry/toolpath.h"

namespace quarnel {

struct PlanePoint {
  double x = 0;
  double y = 0;
};

// How far point lies from move as drawn: from its end for a drilling or cycle point, from the
// nearest point of the segment for a line or a chord, from the circle where an arc passes the
// point's angle and from its nearer end elsewhere.
double DistanceTo(const Move& move, PlanePoint point);

// A move of one of several toolpaths.
struct MoveIndex {
  std::size_t path = 0;
  std::size_t move = 0;
  bool operator==(const MoveIndex&) const = default;
};

// The move of paths nearest to point and nearer than reach; where two are as near, the one of
// the earlier path, then the earlier move. nullopt when none is within reach.
std::optional<MoveIndex> NearestMove(const std::vector<const Toolpath*>& paths, PlanePoint point,
                                     double reach);

// Which move each move was compared with, by index into the toolpaths' moves; kNone for moves
// that were compared with none.
struct MovePartners {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::size_t> sourceToOutput;
  std::vector<std::size_t> outputToSource;
};
MovePartners PartnersOf(const GeometryCheck& check, std::size_t sourceMoves,
                        std::size_t outputMoves);

}  // namespace quarnel
