// The output's toolpath against the part its header describes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/arc_geometry.h"
#include "engine/toolpath.h"

namespace quarnel {

struct PartCheck {
  Extents extents;                 // of the cutting moves: feeds, arcs, drilling and cycle points
  std::vector<std::string> notes;  // where the toolpath leaves 0..length x 0..height
  std::optional<std::string> inchesWarning;  // inches in the header, more than 100 in the path
};

// Extents of the output's cutting moves; a note when they leave the rectangle 0..length x
// 0..height of the header (by more than half a unit of the fourth decimal), and the warning
// "the header says inches while the toolpath reaches more than 100" when X or Y goes beyond
// 100 under an inch header.
PartCheck CheckPart(const Toolpath& output);

// "part 600 x 400 x 18 mm; toolpath X 100..350, Y 50..100, depth -5..-5", without the part
// when there is no header.
std::string PartSummary(const PartHeader& header, const Extents& extents);

// The extents of the moves that cut, source moves left out on purpose aside.
Extents CuttingExtents(const Toolpath& path);

}  // namespace quarnel
