// A picture of a conversion as SVG text: the part, the source's toolpath and the output's
// toolpath overlaid, a legend, and the verdict of the comparison.
#pragma once

#include <string>
#include <string_view>

#include "engine/geometry/geometry_check.h"
#include "engine/geometry/part_check.h"
#include "engine/geometry/toolpath.h"

namespace quarnel {

// The whole SVG document (UTF-8, with a viewBox): the part rectangle of the output's header,
// both toolpaths in two colours with rapid moves dashed and feeds solid, arcs as SVG arcs (arcs
// outside the XY plane as chords), drilling points as circles and cycle points as squares, the
// moves that differ in red, and below the drawing the title, the verdict, the extents, the
// legend, the first differences and notes. The machine's Y axis points up in the picture.
// Numbers are written the same in every locale; texts are escaped.
std::string ToolpathSvg(const Toolpath& source, const Toolpath& output, const GeometryCheck& check,
                        const PartCheck& part, std::string_view title);

// text with &, <, >, " and ' written as XML entities.
std::string XmlEscaped(std::string_view text);

}  // namespace quarnel
