// The batch report as JSON, for scripts: the shape documented in the README.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/batch/conversion_report.h"
#include "support/file_store.h"

namespace quarnel {

// The tool table's part of the report: its rows' warnings, and the table file that could not be
// used, if any.
struct ToolTableReport {
  std::vector<ReportWarning> rows;  // line holds the row
  struct FileWarning {
    std::string file;
    int line = 0;  // 0 when the problem is not on one line
    std::string text;
  };
  std::optional<FileWarning> file;
};

// The report written record by record, each as its file finishes, so that its memory does not
// grow with the batch: {"files": [...], "tool_table": {"warnings": [...]}}, indented, ending in
// a line feed. To standard output, or to a file written like an output: a hidden temporary file
// that Finish puts in place, so that a run cut short leaves any previous report as it was.
// Texts that are not valid UTF-8 have their bad bytes replaced by U+FFFD; each path also comes
// in hex ("source_hex"), byte for byte.
class JsonReportWriter {
 public:
  // target "-" is out; any other is a file.
  JsonReportWriter(const std::string& target, std::ostream& out);
  // Opens the report; the reason when its file cannot be made.
  std::optional<std::string> Open();
  void Add(const FileReport& file);
  // Adds the tool table's part and puts the report in place; the reason when it failed.
  std::optional<std::string> Finish(const ToolTableReport& toolTable);

 private:
  void Put(std::string_view bytes);

  std::ostream& out_;
  std::optional<AtomicFileWriter> file_;  // none for standard output
  std::optional<std::string> error_;      // the first failed write to the file
  bool anyFile_ = false;
};

// The whole report of a batch at once.
std::string ReportJsonText(const BatchReport& report);

}  // namespace quarnel
