#include "engine/batch/conversion_report.h"

#include <algorithm>
#include <charconv>

#include "engine/batch/input_checks.h"
#include "engine/geometry/part_check.h"
#include "engine/translate/program_header.h"
#include "support/number.h"
#include "support/text.h"
#include "support/utf8.h"
#include "tools/tool_table.h"

namespace quarnel {

namespace {

void AddDimensionWarnings(const FileReport& report, std::vector<ReportWarning>& warnings) {
  const int line = report.notes.partDimensionsLine;
  const std::pair<const char*, const std::string*> texts[] = {
      {"length", &report.dimensions.length},
      {"height", &report.dimensions.height},
      {"thickness", &report.dimensions.thickness}};
  for (const auto& [name, text] : texts) {
    if (auto warning = DimensionTextWarning(*text)) {
      const char* verb = IsBlankText(*text) ? " is " : " ";  // "is empty", "\"1,200\" is not"
      warnings.push_back({line, std::string("the part ") + name + verb + *warning});
    }
  }
}

void AddToolWarnings(const FileReport& report, const ToolTable& tools,
                     std::vector<ReportWarning>& warnings) {
  if (tools == ToolTable{}) return;  // every cell empty
  for (const ToolNote& tool : report.notes.tools) {
    if (tool.row != 0) continue;
    std::string text = "tool " + FloatAsText(tool.number) + " matches no row of the tool table";
    text += tool.call.empty() ? ": no tool call" : ": called as " + tool.call;
    warnings.push_back({tool.firstLine, std::move(text)});
  }
}

// A dimension text as the report shows it: "empty" for none.
std::string DimensionShown(const std::string& text) { return IsBlankText(text) ? "empty" : text; }

std::string GeometryText(const GeometryReport& g) {
  std::string text = "\nGeometry: " + (g.differenceCount == 0
                                          ? "identical, " + Counted(g.moves, "move")
                                          : Counted(g.differenceCount, "difference")) + "\n";
  for (const Difference& d : g.differences) text += "  " + DifferenceText(d) + "\n";
  for (const std::string& note : g.notes) text += "  " + note + "\n";
  return text;
}

}  // namespace

bool BatchReport::AnyFailure() const {
  return std::any_of(files.begin(), files.end(),
                     [](const FileReport& file) { return file.status == FileReport::Status::kFailed; });
}

bool BatchReport::AnyFileWarning() const {
  return std::any_of(files.begin(), files.end(),
                     [](const FileReport& file) { return !file.warnings.empty(); });
}

std::vector<ReportWarning> FileWarnings(const FileReport& report, const ToolTable& tools) {
  const TranslationNotes& notes = report.notes;
  std::vector<ReportWarning> warnings;
  if (notes.firstNonTextLine != 0) {
    warnings.push_back({notes.firstNonTextLine,
                        "the source holds bytes that are not text (a NUL or another control "
                        "byte): is it a G-code program?"});
  }
  if (!report.units.empty() && report.bodyLines == 0 && notes.sourceLines > notes.blank) {
    warnings.push_back({0, "the output has no body: no line of the source was translated into "
                           "an output line"});
  }
  if (!report.units.empty()) AddDimensionWarnings(report, warnings);
  if (auto inches = InchesWarning(report.units == kInchUnits.code, notes.largestCoordinate)) {
    warnings.push_back({0, std::move(*inches)});
  }
  AddToolWarnings(report, tools, warnings);
  return warnings;
}

std::vector<ReportWarning> ToolTableWarnings(const ToolTable& tools) {
  std::vector<ReportWarning> warnings;
  for (TableWarning& warning : CheckToolTable(tools)) {
    warnings.push_back({warning.row, std::move(warning.text)});
  }
  return warnings;
}

GeometryReport GeometryReportOf(const ProgramGeometry& geometry) {
  GeometryReport report;
  report.checked = true;
  report.moves = geometry.check.moves;
  report.differenceCount = geometry.check.differenceCount;
  report.differences = geometry.check.differences;
  report.notes = geometry.check.notes;
  report.notes.insert(report.notes.end(), geometry.part.notes.begin(), geometry.part.notes.end());
  report.extents = geometry.part.extents;
  return report;
}

const char* StatusName(FileReport::Status status) {
  switch (status) {
    case FileReport::Status::kWritten:
      return "written";
    case FileReport::Status::kChecked:
      return "checked";
    case FileReport::Status::kFailed:
      break;
  }
  return "failed";
}

std::string FileReportText(const FileReport& report) {
  const TranslationNotes& n = report.notes;
  std::string text = report.source + " -> " + report.output + ": " + StatusName(report.status);
  if (!report.reason.empty()) text += "\n  " + report.reason;
  text += "\n\nSource lines: " + std::to_string(n.sourceLines) + " (" +
          std::to_string(n.translated) + " translated, " + std::to_string(n.Dropped()) +
          " dropped: " + std::to_string(n.blank) + " blank, " + std::to_string(n.comment) +
          " with a parenthesis, " + std::to_string(n.other) + " other)\n";
  if (!report.units.empty()) {
    text += "Output: " + Counted(report.bodyLines, "body line") + ", " + report.units +
            ", length " + DimensionShown(report.dimensions.length) + ", height " +
            DimensionShown(report.dimensions.height) + ", thickness " +
            DimensionShown(report.dimensions.thickness) + " (" + report.dimensionsFrom + ")\n";
  }
  const auto section = [&text](const char* title, bool any) {
    if (any) text += std::string("\n") + title + "\n";
    return any;
  };
  if (section("Warnings:", !report.warnings.empty())) {
    for (const ReportWarning& w : report.warnings) {
      text += "  " + (w.line != 0 ? "line " + std::to_string(w.line) + ": " : "") + w.text + "\n";
    }
  }
  if (section("G codes not acted on:", !n.ignoredCodes.empty())) {
    for (const IgnoredNote& code : n.ignoredCodes) {
      text += "  " + code.what + ": " + std::to_string(code.count) + "x, first at line " +
              std::to_string(code.firstLine) + "\n";
    }
  }
  if (section("Letters that no word reads:", !n.ignoredWords.empty())) {
    for (const IgnoredNote& word : n.ignoredWords) {
      text += "  " + word.what + ": " + Counted(word.count, "line") + ", first at line " +
              std::to_string(word.firstLine) + "\n";
    }
  }
  if (report.geometry.checked) text += GeometryText(report.geometry);
  if (report.time) {
    text += "\nMachining time (estimate): " + MachiningTimeText(*report.time) + "\n";
  }
  if (section("Tools looked up:", !n.tools.empty())) {
    for (const ToolNote& tool : n.tools) {
      text += "  " + FloatAsText(tool.number) + ": " +
              (tool.row == 0 ? std::string("no row") : "row " + std::to_string(tool.row)) +
              ", to " + std::to_string(tool.to) + ", call " +
              (tool.call.empty() ? std::string("(none)") : tool.call) + ", first at line " +
              std::to_string(tool.firstLine) + "\n";
    }
  }
  return EscapedForDisplay(text, true);
}

}  // namespace quarnel
