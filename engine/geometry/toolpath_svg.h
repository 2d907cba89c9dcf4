// A picture of a conversion as SVG text: the part, the source's toolpath and the output's
// toolpath overlaid, a legend, and the verdict of the comparison.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/geometry/geometry_check.h"
#include "engine/geometry/machining_time.h"
#include "engine/geometry/part_check.h"
#include "engine/geometry/toolpath.h"

namespace quarnel {

// The whole SVG document (UTF-8, with a viewBox): the part rectangle of the output's header,
// the source's toolpath wide and light under the output's, whose feeds, arcs and points take
// the colour of their depth; rapid moves dashed, arcs as SVG arcs (arcs outside the XY plane as
// chords), drilling points as circles and cycle points as squares, the moves that differ in red;
// below the drawing the title, the verdict, the machining time when given, the extents, the
// first differences and notes, the legend, the depth scale from the top of the part to the
// deepest cut, and a scale bar. The machine's Y axis points up in the picture. Numbers are
// written the same in every locale; texts are escaped.
std::string ToolpathSvg(const Toolpath& source, const Toolpath& output, const GeometryCheck& check,
                        const PartCheck& part, std::string_view title,
                        const std::optional<MachiningTime>& time = std::nullopt);

// text with &, <, >, " and ' written as XML entities.
std::string XmlEscaped(std::string_view text);

}  // namespace quarnel
