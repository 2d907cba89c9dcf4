// What happened to every line of a conversion: the notes the translator takes while it reads a
// file, and the report of each file and of the batch that front ends show. Reports only
// inform: nothing in them changes a byte of any output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/arc_geometry.h"
#include "engine/dimension_texts.h"
#include "engine/geometry_check.h"

namespace quarnel {

class ToolTable;
struct ProgramGeometry;

// A G value the translator does not act on ("G20", "G410", "G1.5"), or a letter no word reads.
struct IgnoredNote {
  std::string what;
  std::size_t count = 0;  // lines holding it
  int firstLine = 0;
};

// A source tool number that a tool call looked up.
struct ToolNote {
  float number = 0;          // the source tool number
  int row = 0;               // the last matching row of the table, 0 for none
  std::int16_t to = 0;       // the substituted number
  std::string call;          // the tool call text written, "" for none
  int firstLine = 0;
};

// What the translator notes while it translates one file.
struct TranslationNotes {
  std::size_t sourceLines = 0;
  std::size_t translated = 0;  // lines that start with an upper-case G and hold no "("
  std::size_t blank = 0;       // empty, or only blanks and tabs
  std::size_t comment = 0;     // holds a "(" (and is not blank)
  std::size_t other = 0;       // any other first character
  std::vector<IgnoredNote> ignoredCodes;
  std::vector<IgnoredNote> ignoredWords;
  std::vector<ToolNote> tools;
  int partDimensionsLine = 0;  // the line of the last G200, 0 for none
  int firstNonTextLine = 0;    // the first line holding a control byte other than tab, 0 for none
  float largestCoordinate = 0;  // the largest |X|, |Y| or depth of the moves written

  std::size_t Dropped() const { return blank + comment + other; }
};

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
  std::vector<std::string> notes;   // motion left out on purpose, leaving the part
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
// empty.
std::vector<ReportWarning> FileWarnings(const FileReport& report, const ToolTable& tools);

// The geometry part of a report, from a conversion's geometry.
GeometryReport GeometryReportOf(const ProgramGeometry& geometry);

// The whole report of a file as text for a person, one fact a line, with line numbers.
std::string FileReportText(const FileReport& report);

// "written", "failed" or "checked".
const char* StatusName(FileReport::Status status);

// The translator's name for a G value: "G20", "G1.5", "G-1".
std::string GCodeText(double value);

}  // namespace quarnel
