#include "cli/report_json.h"

#include <cmath>
#include <sstream>

#include <nlohmann/json.hpp>

#include "support/number.h"
#include "support/text.h"

namespace quarnel {

namespace {

using Json = nlohmann::ordered_json;

// A line or row number; 0, which stands for none, is null.
Json NumberOrNull(int number) { return number == 0 ? Json() : Json(number); }

// A whole number as a JSON integer (55, not 55.0), any other as a number with decimals.
Json NumberJson(double value) {
  constexpr double kExactWhole = 9007199254740992.0;  // 2^53: every whole double below is exact
  if (!std::isfinite(value)) return Json();
  if (value == std::trunc(value) && std::fabs(value) < kExactWhole) {
    return Json(static_cast<std::int64_t>(value));
  }
  return Json(value);
}

// A 32-bit float at its shortest decimal form (12.5, not 12.5000000001).
Json NumberJson(float value) { return NumberJson(Val(FloatAsText(value))); }

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
    list.push_back({{"number", NumberJson(tool.number)},
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

// Seconds to the millisecond, lengths to the fourth decimal the output prints.
Json Rounded(double value, double unitsPerOne) {
  return NumberJson(std::round(value * unitsPerOne) / unitsPerOne);
}

Json TimeJson(const MachiningTime& time) {
  constexpr double kPerSecond = 1000;
  constexpr double kPerUnit = 10000;
  return {{"total_seconds", Rounded(time.TotalSeconds(), kPerSecond)},
          {"cutting_seconds", Rounded(time.cuttingSeconds, kPerSecond)},
          {"rapid_seconds", Rounded(time.rapidSeconds, kPerSecond)},
          {"drilling_seconds", Rounded(time.drillingSeconds, kPerSecond)},
          {"tool_change_seconds", Rounded(time.toolChangeSeconds, kPerSecond)},
          {"tool_changes", time.toolChanges},
          {"cut_length", Rounded(time.cutLength, kPerUnit)},
          {"length_units", time.inches ? "in" : "mm"},
          {"untimed_moves", time.untimedMoves},
          {"first_untimed_line", NumberOrNull(time.firstUntimedLine)}};
}

Json ExtentsJson(const Extents& extents) {
  if (extents.empty) return Json();
  const auto range = [](const auto& axis) {
    return Json::array({NumberJson(axis.min), NumberJson(axis.max)});
  };
  return {{"x", range(extents.x)}, {"y", range(extents.y)}, {"depth", range(extents.depth)}};
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
          {"warnings", WarningsJson(file.warnings, "line")},
          {"source_hex", HexBytes(file.source)},
          {"output_hex", HexBytes(file.output)}};
  if (file.geometry.checked) {
    json["geometry"] = GeometryJson(file.geometry);
    json["extents"] = ExtentsJson(file.geometry.extents);
  }
  if (file.time) json["time"] = TimeJson(*file.time);
  return json;
}

Json ToolTableJson(const ToolTableReport& toolTable) {
  Json warnings = Json::array();
  if (toolTable.file) {
    warnings.push_back({{"row", nullptr},
                        {"file", toolTable.file->file},
                        {"line", toolTable.file->line},
                        {"text", toolTable.file->text}});
  }
  for (const Json& row : WarningsJson(toolTable.rows, "row")) warnings.push_back(row);
  return {{"warnings", std::move(warnings)}};
}

// json as text indented by two spaces a level, every line after the first shifted by margin
// (JSON strings hold no raw line feed, so each one ends a line of the layout).
std::string Dumped(const Json& json, std::size_t margin) {
  std::string text = json.dump(2, ' ', false, Json::error_handler_t::replace);
  std::string shifted(margin + 1, ' ');
  shifted.front() = '\n';
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += shifted.size()) {
    text.replace(at, 1, shifted);
  }
  return text;
}

}  // namespace

JsonReportWriter::JsonReportWriter(const std::string& target, std::ostream& out) : out_(out) {
  if (target != "-") file_.emplace(target);
}

std::optional<std::string> JsonReportWriter::Open() {
  if (file_) return file_->Open();
  return std::nullopt;
}

// The report's first bytes come with its first file, or with its end: nothing reaches standard
// output before the batch has begun.
void JsonReportWriter::Add(const FileReport& file) {
  Put(anyFile_ ? ",\n    " : "{\n  \"files\": [\n    ");
  Put(Dumped(FileJson(file), 4));
  anyFile_ = true;
}

std::optional<std::string> JsonReportWriter::Finish(const ToolTableReport& toolTable) {
  Put(anyFile_ ? "\n  ],\n  \"tool_table\": " : "{\n  \"files\": [],\n  \"tool_table\": ");
  Put(Dumped(ToolTableJson(toolTable), 2));
  Put("\n}\n");
  if (!file_) {
    out_.flush();
    if (!out_) return "standard output cannot be written";
    return std::nullopt;
  }
  if (error_) return error_;
  return file_->Commit();
}

void JsonReportWriter::Put(std::string_view bytes) {
  if (!file_) {
    out_ << bytes;
  } else if (!error_) {
    error_ = file_->Append(bytes);
  }
}

std::string ReportJsonText(const BatchReport& report) {
  std::ostringstream text;
  JsonReportWriter writer("-", text);
  writer.Open();
  for (const FileReport& file : report.files) writer.Add(file);
  writer.Finish({report.toolTable, std::nullopt});
  return text.str();
}

}  // namespace quarnel
