#include "cli/batch_output.h"

#include "cli/report_json.h"
#include "engine/batch/conversion_batch.h"
#include "engine/geometry/toolpath_svg.h"
#include "support/file_store.h"

namespace quarnel {

namespace {

// "FILE: " and, where a line applies, "line N: ".
std::string WhereText(const std::string& file, int line, const char* lineWord = "line") {
  std::string where = file + ": ";
  if (line != 0) where += std::string(lineWord) + " " + std::to_string(line) + ": ";
  return where;
}

// "written: 120 source lines (100 translated, 20 dropped), 98 output lines, 1 warning"
std::string SummaryText(const FileReport& file) {
  const TranslationNotes& notes = file.notes;
  std::string text = StatusName(file.status);
  text += ": " + std::to_string(notes.sourceLines) + " source lines (" +
          std::to_string(notes.translated) + " translated, " + std::to_string(notes.Dropped()) +
          " dropped), " + std::to_string(file.bodyLines) + " output lines, " +
          std::to_string(file.warnings.size()) +
          (file.warnings.size() == 1 ? " warning" : " warnings");
  return text;
}

}  // namespace

void PrintMessages(const BatchReport& report, const std::string& toolTableName, bool verbose,
                   std::ostream& err) {
  for (const ReportWarning& warning : report.toolTable) {
    err << kConvertProgram << ": " << WhereText(toolTableName, warning.line, "row")
        << warning.text << "\n";
  }
  for (const FileReport& file : report.files) {
    if (verbose) err << kConvertProgram << ": " << file.source << ": " << SummaryText(file) << "\n";
    if (file.status == FileReport::Status::kFailed) {
      err << kConvertProgram << ": " << file.source << ": " << file.reason << "\n";
    }
    for (const ReportWarning& warning : file.warnings) {
      err << kConvertProgram << ": " << WhereText(file.source, warning.line) << warning.text
          << "\n";
    }
  }
}

bool WriteReport(const BatchReport& report, const std::string& target, FileStore& files,
                 std::ostream& out, std::ostream& err) {
  const std::string json = ReportJsonText(report);
  if (target == "-") {
    out << json;
    return true;
  }
  if (auto error = files.WriteAtomically(target, json)) {
    err << kConvertProgram << ": cannot write the report " << target << ": " << *error << "\n";
    return false;
  }
  return true;
}

bool WritePreview(const FileReport& report, const ProgramGeometry& geometry,
                  const std::string& directory, FileStore& files, std::ostream& err) {
  const std::string path = OutputPathFor(directory, report.output) + ".svg";
  const std::string svg = ToolpathSvg(geometry.source, geometry.output, geometry.check,
                                      geometry.part, report.source + " -> " + report.output);
  if (auto error = files.WriteAtomically(path, svg)) {
    err << kConvertProgram << ": cannot write the preview " << path << ": " << *error << "\n";
    return false;
  }
  return true;
}

}  // namespace quarnel
