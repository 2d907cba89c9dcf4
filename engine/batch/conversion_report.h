// The report of each file of a batch and of the whole batch, as front ends show them. Reports
// only inform: nothing in them changes a byte of any output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/geometry/arc_geometry.h"
#include "engine/geometry/geometry_check.h"
#include "engine/geometry/machining_time.h"
#include "engine/translate/dimension_texts.h"
#include "engine/translate/translation_notes.h"

namespace quarnel {

class ToolTable;
struct ProgramGeometry;

// FileReport::dimensionsFrom of dimension texts that no G200 of the batch set.
inline constexpr std::string_view kGivenDimensions = "given";

struct ReportWarning {
  int line = 0;  // 0 where no line applies
  std::string text;
};

// How the output's toolpath compares with its source's, when it was checked.
struct GeometryReport {
  bool checked = false;
  std::size_t moves = 0;            // compared moves that match
  std::size_t differenceCount = 0;  // every difference found
  std::vector<Difference> differences;  // the first of them
  std::vector<std::string> notes;   // moves left to the machine, leaving the part
  std::string verdict;              // VerdictText of the comparison
  Extents extents;                  // of the output's cutting moves
};

// The report of one file of a batch.
struct FileReport {
  enum class Status { kWritten, kFailed, kChecked };

  std::string source;  // the source path as given
  std::string output;  // the output path
  Status status = Status::kFailed;
  std::string reason;  // why it failed
  TranslationNotes notes;
  std::size_t bodyLines = 0;
  std::string units;            // "G71" or "G70", "" when no header was built
  DimensionTexts dimensions;    // the texts the header used
  std::string dimensionsFrom;   // "the batch" or "G200 at line N"
  std::vector<ReportWarning> warnings;
  GeometryReport geometry;
  std::optional<MachiningTime> time;  // the output's, when the batch estimated it
};

struct BatchReport {
  std::vector<FileReport> files;
  std::vector<ReportWarning> toolTable;  // line holds the row

  bool AnyFailure() const;
  bool AnyFileWarning() const;
  bool AnyWarning() const { return !toolTable.empty() || AnyFileWarning(); }
};

// The warnings of a translated file: an empty body although the source holds lines, bytes
// that are not text, dimension texts that are not plain numbers, an inch header over a
// toolpath that reaches more than 100, tool numbers that match no row of a table that is not
// empty; lines that move the router and that the translator drops (each kind with its count
// and first line); incremental drilling that starts where the output last moved, not where the
// router went; a units code of the source against the header's units; a G200 without X, Y or
// Z; dimensions that a G200 of an earlier file of the batch set; number words read only in
// part.
std::vector<ReportWarning> FileWarnings(const FileReport& report, const ToolTable& tools);

// The warnings of the tool table's rows (CheckToolTable), line holding the row.
std::vector<ReportWarning> ToolTableWarnings(const ToolTable& tools);

// The geometry part of a report, from a conversion's geometry.
GeometryReport GeometryReportOf(const ProgramGeometry& geometry);

// The whole report of a file as text for a person, one fact a line, with line numbers. Names
// and texts from the files are shown with EscapedForDisplay.
std::string FileReportText(const FileReport& report);

// "written", "failed" or "checked".
const char* StatusName(FileReport::Status status);

}  // namespace quarnel
