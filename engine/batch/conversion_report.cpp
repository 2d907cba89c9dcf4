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

// Each kind of line that moves the router and that the translator drops, at its first line.
void AddDroppedMoveWarnings(const TranslationNotes& notes, std::vector<ReportWarning>& warnings) {
  for (int kind = 0; kind < kDroppedMoveKinds; ++kind) {
    const DroppedMoveNote& note = notes.droppedMoves[kind];
    if (note.count == 0) continue;
    std::string text(DroppedMoveName(static_cast<DroppedMove>(kind)));
    text += " is not translated, though it moves the router";
    if (note.count > 1) text += " (" + std::to_string(note.count) + " such lines)";
    warnings.push_back({note.firstLine, std::move(text)});
  }
}

void AddApartDrillingWarning(const TranslationNotes& notes, std::vector<ReportWarning>& warnings) {
  const ApartDrillingNote& note = notes.apartDrilling;
  if (note.runs == 0) return;
  std::string text = "incremental drilling starts from where the output last moved, not from "
                     "where the router went after a rapid move: its first hole is at X" +
                     FloatAsText(note.outputX) + " Y" + FloatAsText(note.outputY) +
                     " in the output, X" + FloatAsText(note.routerX) + " Y" +
                     FloatAsText(note.routerY) + " on the router";
  if (note.runs > 1) text += " (" + std::to_string(note.runs) + " such runs)";
  warnings.push_back({note.firstLine, std::move(text)});
}

// G20 or G21 in the source against the units the header's height selects.
void AddUnitsWarning(const FileReport& report, std::vector<ReportWarning>& warnings) {
  const std::pair<const char*, const Units*> codes[] = {{"G20", &kInchUnits},
                                                        {"G21", &kMillimetreUnits}};
  for (const IgnoredNote& code : report.notes.ignoredCodes) {
    for (const auto& [name, units] : codes) {
      if (code.what != name || report.units.empty() || report.units == units->code) continue;
      const Units header = SelectedUnits(report.dimensions.height);
      warnings.push_back({code.firstLine, "the source says " + std::string(units->name) + " (" +
                                              name + "), the header " + std::string(header.name) +
                                              " (" + std::string(header.code) +
                                              ", for the height " + report.dimensions.height +
                                              "): the output keeps the source's numbers"});
    }
  }
}

// "X", "X and Y", "X, Y and Z"
std::string LetterList(std::string_view letters) {
  std::string list;
  for (std::size_t k = 0; k < letters.size(); ++k) {
    if (k > 0) list += k + 1 == letters.size() ? " and " : ", ";
    list += letters[k];
  }
  return list;
}

void AddPartDimensionWarnings(const FileReport& report, std::vector<ReportWarning>& warnings) {
  const TranslationNotes& notes = report.notes;
  if (!notes.partDimensionsMissing.empty()) {
    warnings.push_back({notes.partDimensionsLine,
                        "G200 without " + LetterList(notes.partDimensionsMissing) +
                            ": the part dimensions are " + report.dimensions.length + " x " +
                            report.dimensions.height + " x " + report.dimensions.thickness +
                            ", from the values last read"});
  }
  if (notes.partDimensionsLine == 0 && report.dimensionsFrom != kGivenDimensions) {
    warnings.push_back({0, "the part dimensions " + report.dimensions.length + " x " +
                               report.dimensions.height + " x " + report.dimensions.thickness +
                               " come from " + report.dimensionsFrom +
                               ", not from those given"});
  }
}

void AddPartialNumberWarning(const TranslationNotes& notes, std::vector<ReportWarning>& warnings) {
  const PartialNumberNote& note = notes.partialNumbers;
  if (note.lines == 0) return;
  std::string text = note.word + " is read as " + std::string(1, note.word.front()) + note.readAs +
                     ": the rest of the word is not a number";
  if (note.lines > 1) text += " (" + std::to_string(note.lines) + " such lines)";
  warnings.push_back({note.firstLine, std::move(text)});
}

// A dimension text as the report shows it: "empty" for none.
std::string DimensionShown(const std::string& text) { return IsBlankText(text) ? "empty" : text; }

std::string GeometryText(const GeometryReport& g) {
  std::string text = "\nComparison with the source: " + g.verdict + "\n";
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
  AddDroppedMoveWarnings(notes, warnings);
  AddApartDrillingWarning(notes, warnings);
  AddUnitsWarning(report, warnings);
  if (!report.units.empty()) AddPartDimensionWarnings(report, warnings);
  AddPartialNumberWarning(notes, warnings);
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
  report.verdict = VerdictText(geometry.check);
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
