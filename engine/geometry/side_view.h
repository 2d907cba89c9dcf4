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
// plane becomes linear chords along its circle (a flat arc a line that reaches its bulge, a helix
// a wave); an arc with no circle in that plane its one chord. Lines, kinds and feeds are kept.
SideView SideViewOf(const Toolpath& path, SideAxis axis);

}  // namespace quarnel
