#include "engine/geometry/nearest_move.h"

#include <algorithm>
#include <cmath>

#include "engine/geometry/arc_geometry.h"

namespace quarnel {

namespace {

double DistanceToSegment(const Position& from, const Position& to, PlanePoint point) {
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  const double length = dx * dx + dy * dy;
  if (length == 0) return std::hypot(point.x - from.x, point.y - from.y);
  const double along =
      std::clamp(((point.x - from.x) * dx + (point.y - from.y) * dy) / length, 0.0, 1.0);
  return std::hypot(point.x - (from.x + along * dx), point.y - (from.y + along * dy));
}

// True when point lies farther than reach outside the box of a line's ends or a point, so
// that it cannot be nearer than reach. Arcs bulge beyond their ends' box and are never skipped.
bool SurelyFarther(const Move& move, PlanePoint point, double reach) {
  if (IsArc(move)) return false;
  const Position& from = IsPoint(move) ? move.to : move.from;
  return point.x < std::min(from.x, move.to.x) - reach ||
         point.x > std::max(from.x, move.to.x) + reach ||
         point.y < std::min(from.y, move.to.y) - reach ||
         point.y > std::max(from.y, move.to.y) + reach;
}

}  // namespace

double DistanceTo(const Move& move, PlanePoint point) {
  const double toEnd = std::hypot(point.x - move.to.x, point.y - move.to.y);
  if (IsPoint(move)) return toEnd;
  if (const std::optional<ArcShape> arc = ArcOf(move)) {
    if (ArcPasses(*arc, std::atan2(point.y - arc->centreY, point.x - arc->centreX))) {
      return std::abs(std::hypot(point.x - arc->centreX, point.y - arc->centreY) - arc->radius);
    }
    return std::min(std::hypot(point.x - move.from.x, point.y - move.from.y), toEnd);
  }
  return DistanceToSegment(move.from, move.to, point);
}

std::optional<MoveIndex> NearestMove(const std::vector<const Toolpath*>& paths, PlanePoint point,
                                     double reach) {
  std::optional<MoveIndex> nearest;
  for (std::size_t path = 0; path < paths.size(); ++path) {
    const std::vector<Move>& moves = paths[path]->moves;
    for (std::size_t k = 0; k < moves.size(); ++k) {
      if (SurelyFarther(moves[k], point, reach)) continue;
      const double distance = DistanceTo(moves[k], point);
      if (distance < reach) {
        reach = distance;
        nearest = MoveIndex{path, k};
      }
    }
  }
  return nearest;
}

MovePartners PartnersOf(const GeometryCheck& check, std::size_t sourceMoves,
                        std::size_t outputMoves) {
  MovePartners partners;
  partners.sourceToOutput.assign(sourceMoves, MovePartners::kNone);
  partners.outputToSource.assign(outputMoves, MovePartners::kNone);
  for (const MovePair& pair : check.pairs) {
    if (pair.source < sourceMoves && pair.output < outputMoves) {
      partners.sourceToOutput[pair.source] = pair.output;
      partners.outputToSource[pair.output] = pair.source;
    }
  }
  return partners;
}

}  // namespace quarnel
