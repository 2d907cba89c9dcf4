// Arbitrary bytes as a source program and an output program (split at the first NUL byte),
// through both interpreters, the comparison, the part check and the SVG writer, in memory.
// Every position must be finite, a program must compare identical with itself, and the picture
// must be a whole document without a non-finite number in it.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/geometry/geometry_check.h"
#include "engine/geometry/part_check.h"
#include "engine/geometry/toolpath.h"
#include "engine/geometry/toolpath_svg.h"

namespace {

using namespace quarnel;

void Require(bool condition) {
  if (!condition) std::abort();
}

void RequireFinite(const Toolpath& path) {
  for (const Move& move : path.moves) {
    for (const Position& point : {move.from, move.to}) {
      Require(std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.depth));
    }
  }
}

void RequireWholeDocument(const std::string& svg) {
  constexpr std::string_view kEnd = "</svg>\n";
  Require(svg.rfind("<?xml", 0) == 0);
  Require(svg.size() > kEnd.size() &&
          svg.compare(svg.size() - kEnd.size(), kEnd.size(), kEnd) == 0);
  Require(svg.find("nan") == std::string::npos && svg.find("inf") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\0');
  const std::string_view sourceText = bytes.substr(0, split);
  const std::string_view outputText =
      split == std::string_view::npos ? bytes : bytes.substr(split + 1);

  const Toolpath source = InterpretSource(sourceText);
  const Toolpath output = InterpretOutput(outputText);
  RequireFinite(source);
  RequireFinite(output);

  const GeometryCheck check = CompareToolpaths(source, output);
  Require(check.differences.size() <= GeometryCheck::kMaxDifferences);
  Require(check.Identical() == (check.differenceCount == 0));
  if (!output.failure) Require(CompareToolpaths(output, output).Identical());

  const PartCheck part = CheckPart(output);
  const MachiningTime time = EstimateMachiningTime(output, {});
  Require(time.TotalSeconds() >= 0 && time.cutLength >= 0);
  RequireWholeDocument(ToolpathSvg(source, output, check, part, "fuzz.nc", time));
  XmlEscaped(sourceText);
  VerdictText(check);
  return 0;
}
