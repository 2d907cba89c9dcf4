// The output's toolpath against the part its header describes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/geometry/arc_geometry.h"
#include "engine/geometry/geometry_check.h"
#include "engine/geometry/toolpath.h"

namespace quarnel {

struct PartCheck {
  Extents extents;                 // of the cutting moves: feeds, arcs, drilling and cycle points
  std::vector<std::string> notes;  // where the toolpath leaves 0..length x 0..height
  std::optional<std::string> inchesWarning;  // inches in the header, more than 100 in the path
};

// Extents of the output's cutting moves; a note when they leave the rectangle 0..length x
// 0..height of the header (by more than half a unit of the fourth decimal), and the inches
// warning.
PartCheck CheckPart(const Toolpath& output);

// The warning for an inch header over a toolpath that reaches beyond 100 in X, Y or depth
// (reach: the largest of their absolute values): a millimetre program under an inch header,
// which the machine would cut 25.4 times too large, is the classic crash.
std::optional<std::string> InchesWarning(bool inches, double reach);

// A conversion's geometry: both programs' toolpaths, their comparison and the output's part
// check.
struct ProgramGeometry {
  Toolpath source;
  Toolpath output;
  GeometryCheck check;
  PartCheck part;
};
ProgramGeometry CheckProgramGeometry(std::string_view source, std::string_view program);

// "part 600 x 400 x 18 mm; toolpath X 100..350, Y 50..100, depth -5..-5", without the part
// when there is no header.
std::string PartSummary(const PartHeader& header, const Extents& extents);

// The extents of the moves that cut, source moves left out on purpose aside.
Extents CuttingExtents(const Toolpath& path);

}  // namespace quarnel
