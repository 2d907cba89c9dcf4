// A toolpath seen from the side: X or Y across, the depth up, so that a shop sees how deep each
// move cuts.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/geometry/toolpath.h"

namespace quarnel {

enum class SideAxis { kX, kY };

// The moves as drawn from the side, each with the index of the move it comes from.
struct SideView {
  Toolpath path;  // positions: x the chosen axis, y the depth
  std::vector<std::size_t> origin;
};

// Lines and points keep their kind, with x the chosen axis and y the depth. An arc in the XY
// plane becomes linear moves: a flat arc the line from its start through the points where it
// turns back in the chosen axis to its end (at most three), a helix chords of 5 degrees; an arc
// with no circle in that plane its one chord. Lines and feeds are kept.
SideView SideViewOf(const Toolpath& path, SideAxis axis);

}  // namespace quarnel
