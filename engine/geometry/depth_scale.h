// Depth shown by colour: from the top of the part (depth 0) to the deepest cut, in bands of the
// depth ramp of toolpath_style.h, the same in the preview window and the SVG picture.
#pragma once

#include "engine/geometry/toolpath.h"
#include "engine/geometry/toolpath_style.h"

namespace quarnel {

inline constexpr int kDepthBands = 8;

struct DepthScale {
  double top = 0;      // the top of the part
  double deepest = 0;  // the deepest cut; the top itself when nothing cuts below it
};

// The deepest depth a move reaches: the lower end of a feed or arc, a point's depth.
double DeepestOf(const Move& move);

// From the top of the part to the deepest point of the moves that cut.
DepthScale DepthScaleOf(const Toolpath& path);

// The band of a depth, 0 at the top to kDepthBands - 1 at the deepest cut; above the top it is
// 0, below the deepest cut the last.
int DepthBand(const DepthScale& scale, double depth);

// The colour of a band: the ramp at the band's middle.
StyleColour DepthBandColour(int band);

// The depth where a band starts (its upper edge); band kDepthBands gives the deepest cut.
double BandEdge(const DepthScale& scale, int band);

}  // namespace quarnel
