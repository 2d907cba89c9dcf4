// The output's toolpath against the part its header describes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/geometry/arc_geometry.h"
#include "engine/geometry/geometry_check.h"
#include "engine/geometry/toolpath.h"
#include "engine/translate/dimension_texts.h"

namespace quarnel {

class ToolTable;

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

// What a conversion was given besides its source: the tool table, and the dimension texts of
// the output's header (nullptr: the header's units and dimensions are not checked).
struct ConversionInputs {
  const ToolTable& tools;
  const DimensionTexts* dimensions = nullptr;
};

// The toolpaths of source and output program, compared move by move (CompareToolpaths) with
// the source's tools through the table, the output's form checked (CheckOutputForm), and the
// part check of the output.
ProgramGeometry CheckProgramGeometry(std::string_view source, std::string_view program,
                                     const ConversionInputs& inputs);

// The dimension texts the header of source's output is made from: those of its last G200 as
// the translator reads it, otherwise given.
DimensionTexts HeaderDimensionsFor(std::string_view source, const ToolTable& tools,
                                   const DimensionTexts& given);

// CheckProgramGeometry for an existing output of source that a conversion with this tool table
// and these given dimension texts made (--verify, the preview): the header is checked against
// HeaderDimensionsFor.
ProgramGeometry VerifyProgram(std::string_view source, std::string_view program,
                              const ToolTable& tools, const DimensionTexts& given);

// "part 600 x 400 x 18 mm; toolpath X 100..350, Y 50..100, depth -5..-5", without the part
// when there is no header.
std::string PartSummary(const PartHeader& header, const Extents& extents);

// The extents of the moves that cut, source moves left out on purpose aside.
Extents CuttingExtents(const Toolpath& path);

}  // namespace quarnel
