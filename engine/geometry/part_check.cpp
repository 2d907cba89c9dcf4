#include "engine/geometry/part_check.h"

#include <algorithm>
#include <cmath>

#include "engine/geometry/geometry_check.h"
#include "engine/geometry/output_form.h"
#include "engine/translate/translator.h"
#include "support/decimal_text.h"

namespace quarnel {

namespace {

constexpr double kLargestInchValue = 100;  // an inch part this large is a millimetre program
constexpr int kReachDecimals = 4;
constexpr int kTextDecimals = 4;

bool Inside(const Range& range, double length) {
  return range.min >= -kGeometryTolerance && range.max <= length + kGeometryTolerance;
}

bool InsidePart(const Extents& box, const PartHeader& header) {
  return Inside(box.x, header.length) && Inside(box.y, header.height);
}

std::string RangeText(const Range& range) {
  return DecimalText(range.min, kTextDecimals) + ".." + DecimalText(range.max, kTextDecimals);
}

// The first cutting move that leaves the part, or nullptr.
const Move* FirstOutside(const Toolpath& output) {
  for (const Move& move : output.moves) {
    if (IsCutting(move) && !InsidePart(ExtentsOf(move), output.header)) return &move;
  }
  return nullptr;
}

void NoteLeavingPart(const Toolpath& output, PartCheck& check) {
  if (InsidePart(check.extents, output.header)) return;  // then so is every move
  const Move* outside = FirstOutside(output);
  if (outside == nullptr) return;
  const PartHeader& header = output.header;
  check.notes.push_back("the toolpath leaves the part 0.." +
                        DecimalText(header.length, kTextDecimals) + " x 0.." +
                        DecimalText(header.height, kTextDecimals) + " at output line " +
                        std::to_string(outside->line) + "; it reaches X " +
                        RangeText(check.extents.x) + ", Y " + RangeText(check.extents.y));
}

double Reach(const Range& range) { return std::max(std::abs(range.min), std::abs(range.max)); }

}  // namespace

Extents CuttingExtents(const Toolpath& path) {
  Extents extents;
  for (const Move& move : path.moves) {
    if (IsCutting(move) && move.leftOut == LeftOut::kNo) extents.Add(ExtentsOf(move));
  }
  return extents;
}

std::string PartSummary(const PartHeader& header, const Extents& extents) {
  std::string text;
  if (header.present) {
    text = "part " + DecimalText(header.length, kTextDecimals) + " x " +
           DecimalText(header.height, kTextDecimals) + " x " +
           DecimalText(header.thickness, kTextDecimals) + (header.inches ? " in; " : " mm; ");
  }
  if (extents.empty) return text + "no cutting moves";
  return text + "toolpath X " + RangeText(extents.x) + ", Y " + RangeText(extents.y) + ", depth " +
         RangeText(extents.depth);
}

PartCheck CheckPart(const Toolpath& output) {
  PartCheck check;
  check.extents = CuttingExtents(output);
  if (!output.header.present || check.extents.empty) return check;
  NoteLeavingPart(output, check);
  const double reach = std::max({Reach(check.extents.x), Reach(check.extents.y),
                                 Reach(check.extents.depth)});
  check.inchesWarning = InchesWarning(output.header.inches, reach);
  return check;
}

ProgramGeometry CheckProgramGeometry(std::string_view source, std::string_view program,
                                     const ConversionInputs& inputs) {
  ProgramGeometry geometry{InterpretSource(source, inputs.tools), InterpretOutput(program), {}, {}};
  geometry.check = CompareToolpaths(geometry.source, geometry.output);
  CheckOutputForm(program, inputs.dimensions, geometry.check);
  geometry.part = CheckPart(geometry.output);
  return geometry;
}

ProgramGeometry VerifyProgram(std::string_view source, std::string_view program,
                              const ToolTable& tools, const DimensionTexts& given) {
  const DimensionTexts dims = HeaderDimensionsFor(source, tools, given);
  return CheckProgramGeometry(source, program, {tools, &dims});
}

DimensionTexts HeaderDimensionsFor(std::string_view source, const ToolTable& tools,
                                   const DimensionTexts& given) {
  Translator translator(tools);
  ProgramBody body;
  return TranslateSource(source, translator, body).partDimensions.value_or(given);
}

std::optional<std::string> InchesWarning(bool inches, double reach) {
  if (!inches || !(reach > kLargestInchValue)) return std::nullopt;
  return "the header says inches (a height of 60 or less) while the toolpath reaches " +
         DecimalText(reach, kReachDecimals) + ": is it a millimetre program?";
}

}  // namespace quarnel
