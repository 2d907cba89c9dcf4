#include "cli/batch_output.h"

#include "engine/batch/conversion_batch.h"
#include "engine/geometry/toolpath_svg.h"
#include "support/file_store.h"
#include "support/text.h"
#include "support/utf8.h"

namespace quarnel {

namespace {

// "FILE: " and, where a line applies, "line N: ".
std::string WhereText(const std::string& file, int line, const char* lineWord = "line") {
  std::string where = file + ": ";
  if (line != 0) where += std::string(lineWord) + " " + std::to_string(line) + ": ";
  return where;
}

// "written: 120 source lines (100 translated, 20 dropped), 98 output lines, 1 warning,
// estimated machining time 4 min 07 s"; the time where it was estimated, with the moves it
// could not time.
std::string SummaryText(const FileReport& file) {
  const TranslationNotes& notes = file.notes;
  std::string text = std::string(StatusName(file.status)) + ": " +
                     Counted(notes.sourceLines, "source line") + " (" +
                     std::to_string(notes.translated) + " translated, " +
                     std::to_string(notes.Dropped()) + " dropped), " +
                     Counted(file.bodyLines, "output line") + ", " +
                     Counted(file.warnings.size(), "warning");
  if (file.time) {
    text += ", estimated machining time " + DurationText(file.time->TotalSeconds());
    if (file.time->untimedMoves > 0) {
      text += " (" + Counted(file.time->untimedMoves, "move") + " without a feed not timed)";
    }
  }
  return text;
}

// A message as one line of stderr.
std::string MessageLine(std::string_view message) {
  std::string line(kConvertProgram);
  line += ": ";
  line += EscapedForDisplay(message);
  line += '\n';
  return line;
}

}  // namespace

void Say(std::ostream& err, std::string_view message) { err << MessageLine(message); }

void PrintToolTableWarnings(const std::vector<ReportWarning>& warnings,
                            const std::string& toolTableName, std::ostream& err) {
  for (const ReportWarning& warning : warnings) {
    Say(err, WhereText(toolTableName, warning.line, "row") + warning.text);
  }
}

// A file's lines go out in one write: stderr is unbuffered, and a large batch can warn tens of
// thousands of times.
void PrintFileMessages(const FileReport& file, bool verbose, std::ostream& err) {
  std::string text;
  if (verbose) text += MessageLine(file.source + ": " + SummaryText(file));
  if (file.status == FileReport::Status::kFailed) {
    text += MessageLine(file.source + ": " + file.reason);
  }
  for (const ReportWarning& warning : file.warnings) {
    text += MessageLine(WhereText(file.source, warning.line) + warning.text);
  }
  err << text;
}

std::string PreviewPathFor(const std::string& directory, const std::string& source) {
  return OutputPathFor(directory, source) + ".svg";
}

std::string PreviewSvg(const std::string& source, const std::string& output,
                       const ProgramGeometry& geometry, const std::optional<MachiningTime>& time) {
  return ToolpathSvg(geometry.source, geometry.output, geometry.check, geometry.part,
                     EscapedForDisplay(source + " -> " + output), time);
}

bool WritePreview(const FileReport& report, const std::string& svg, const std::string& directory,
                  FileStore& files, std::ostream& err) {
  const std::string path = PreviewPathFor(directory, report.output);
  if (auto error = files.WriteAtomically(path, svg)) {
    Say(err, "cannot write the preview " + path + ": " + *error);
    return false;
  }
  return true;
}

}  // namespace quarnel
