#include "cli/report_json.h"

#include <nlohmann/json.hpp>

namespace quarnel {

namespace {

using Json = nlohmann::ordered_json;

// A line or row number; 0, which stands for none, is null.
Json NumberOrNull(int number) { return number == 0 ? Json() : Json(number); }

Json IgnoredJson(const std::vector<IgnoredNote>& notes, const char* name) {
  Json list = Json::array();
  for (const IgnoredNote& note : notes) {
    list.push_back({{name, note.what}, {"count", note.count}, {"first_line", note.firstLine}});
  }
  return list;
}

Json ToolsJson(const std::vector<ToolNote>& tools) {
  Json list = Json::array();
  for (const ToolNote& tool : tools) {
    list.push_back({{"number", tool.number},
                    {"row", NumberOrNull(tool.row)},
                    {"to", tool.to},
                    {"call", tool.call},
                    {"first_line", tool.firstLine}});
  }
  return list;
}

Json WarningsJson(const std::vector<ReportWarning>& warnings, const char* where) {
  Json list = Json::array();
  for (const ReportWarning& warning : warnings) {
    list.push_back({{where, warning.line}, {"text", warning.text}});
  }
  return list;
}

Json GeometryJson(const GeometryReport& geometry) {
  Json differences = Json::array();
  for (const Difference& d : geometry.differences) {
    differences.push_back({{"source_line", NumberOrNull(d.sourceLine)},
                           {"output_line", NumberOrNull(d.outputLine)},
                           {"text", d.text}});
  }
  return {{"moves", geometry.moves},
          {"difference_count", geometry.differenceCount},
          {"differences", std::move(differences)},
          {"notes", geometry.notes}};
}

Json ExtentsJson(const Extents& extents) {
  if (extents.empty) return Json();
  return {{"x", {extents.x.min, extents.x.max}},
          {"y", {extents.y.min, extents.y.max}},
          {"depth", {extents.depth.min, extents.depth.max}}};
}

Json FileJson(const FileReport& file) {
  const TranslationNotes& notes = file.notes;
  Json json = {{"source", file.source},
          {"output", file.output},
          {"status", StatusName(file.status)},
          {"reason", file.reason},
          {"lines",
           {{"source", notes.sourceLines},
            {"translated", notes.translated},
            {"dropped", notes.Dropped()},
            {"blank", notes.blank},
            {"comment", notes.comment},
            {"other", notes.other}}},
          {"body_lines", file.bodyLines},
          {"units", file.units},
          {"dimensions",
           {{"length", file.dimensions.length},
            {"height", file.dimensions.height},
            {"thickness", file.dimensions.thickness},
            {"from", file.dimensionsFrom}}},
          {"ignored_codes", IgnoredJson(notes.ignoredCodes, "code")},
          {"ignored_words", IgnoredJson(notes.ignoredWords, "letter")},
          {"tools", ToolsJson(notes.tools)},
          {"warnings", WarningsJson(file.warnings, "line")}};
  if (file.geometry.checked) {
    json["geometry"] = GeometryJson(file.geometry);
    json["extents"] = ExtentsJson(file.geometry.extents);
  }
  return json;
}

}  // namespace

std::string ReportJsonText(const BatchReport& report) {
  Json files = Json::array();
  for (const FileReport& file : report.files) files.push_back(FileJson(file));
  const Json json = {{"files", std::move(files)},
                     {"tool_table", {{"warnings", WarningsJson(report.toolTable, "row")}}}};
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace quarnel
