// What quarnel-convert prints and writes after a batch: one line per failure and per warning,
// a summary line per file, the JSON report, the toolpath pictures.
#pragma once

#include <ostream>
#include <string>

#include "engine/batch/conversion_report.h"
#include "engine/geometry/part_check.h"

namespace quarnel {

class FileStore;

inline constexpr const char* kConvertProgram = "quarnel-convert";

// The messages of a batch on err, in batch order: the tool table's warnings, then per file its
// summary (verbose), its failure and its warnings.
void PrintMessages(const BatchReport& report, const std::string& toolTableName, bool verbose,
                   std::ostream& err);

// Writes the JSON report to out ("-") or atomically to the file target; false when it failed.
bool WriteReport(const BatchReport& report, const std::string& target, FileStore& files,
                 std::ostream& out, std::ostream& err);

// Writes DIRECTORY/NAME.svg for a converted file (NAME its output's file name); false when it
// failed.
bool WritePreview(const FileReport& report, const ProgramGeometry& geometry,
                  const std::string& directory, FileStore& files, std::ostream& err);

}  // namespace quarnel
