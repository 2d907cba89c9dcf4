// Arbitrary bytes as a source program and an output program (split at the first NUL byte),
// through both interpreters, the comparison, the output's form check, the part check and the SVG
// writer, in memory. Every position must be finite, a program must compare identical with
// itself, the converter's own output of the source must have the form the check wants, and the
// picture must be a whole document without a non-finite number in its attributes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/geometry/geometry_check.h"
#include "engine/geometry/output_form.h"
#include "engine/geometry/part_check.h"
#include "engine/geometry/toolpath.h"
#include "engine/geometry/toolpath_svg.h"
#include "engine/translate/program_header.h"
#include "engine/translate/translator.h"
#include "tools/tool_table.h"

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
  // Numbers stand in attribute values; texts may quote the programs ("spindles 09inf...").
  for (std::size_t at = svg.find("=\""); at != std::string::npos; at = svg.find("=\"", at)) {
    const std::size_t end = svg.find('"', at + 2);
    const std::string_view value = std::string_view(svg).substr(at + 2, end - at - 2);
    Require(value.find("nan") == std::string_view::npos && value.find("inf") == std::string_view::npos);
    at = end;
  }
}

// The source's own conversion has the form CheckOutputForm wants, for the dimensions it used.
void RequireConvertedForm(std::string_view sourceText) {
  static const ToolTable tools;
  Translator translator(tools);
  ProgramBody body;
  const SourceTranslation translation = TranslateSource(sourceText, translator, body);
  if (translation.failure) return;
  const DimensionTexts dims = translation.partDimensions.value_or(DimensionTexts{"600", "400", "18"});
  if (CompleteProgram(dims, body)) return;
  GeometryCheck form;
  CheckOutputForm(body.Program(), &dims, form);
  Require(form.Identical());
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

  GeometryCheck form;
  CheckOutputForm(outputText, nullptr, form);
  Require(form.differences.size() <= GeometryCheck::kMaxDifferences);
  RequireConvertedForm(sourceText);

  const PartCheck part = CheckPart(output);
  const MachiningTime time = EstimateMachiningTime(output, {});
  Require(time.TotalSeconds() >= 0 && time.cutLength >= 0);
  RequireWholeDocument(ToolpathSvg(source, output, check, part, "fuzz.nc", time));
  XmlEscaped(sourceText);
  VerdictText(check);
  return 0;
}
