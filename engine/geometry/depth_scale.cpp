#include "engine/geometry/depth_scale.h"

#include <algorithm>

namespace quarnel {

double DeepestOf(const Move& move) {
  return IsPoint(move) ? move.to.depth : std::min(move.from.depth, move.to.depth);
}

DepthScale DepthScaleOf(const Toolpath& path) {
  DepthScale scale;
  for (const Move& move : path.moves) {
    if (IsCutting(move)) scale.deepest = std::min(scale.deepest, DeepestOf(move));
  }
  return scale;
}

int DepthBand(const DepthScale& scale, double depth) {
  const double span = scale.top - scale.deepest;
  if (!(span > 0)) return 0;
  const double fraction = (scale.top - depth) / span;
  if (!(fraction > 0)) return 0;
  return std::min(static_cast<int>(std::min(fraction, 1.0) * kDepthBands), kDepthBands - 1);
}

StyleColour DepthBandColour(int band) {
  return RampColour((std::clamp(band, 0, kDepthBands - 1) + 0.5) / kDepthBands);
}

double BandEdge(const DepthScale& scale, int band) {
  return scale.top - (scale.top - scale.deepest) * std::clamp(band, 0, kDepthBands) / kDepthBands;
}

}  // namespace quarnel
