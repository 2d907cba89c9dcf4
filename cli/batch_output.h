// What quarnel-convert prints and writes beside the outputs: one line per failure and per
// warning, a summary line per file, the toolpath pictures.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/batch/conversion_report.h"
#include "engine/geometry/part_check.h"

namespace quarnel {

class FileStore;

inline constexpr const char* kConvertProgram = "quarnel-convert";

// "quarnel-convert: MESSAGE" on err, the message shown with EscapedForDisplay: a name holding
// control characters or bytes that are not UTF-8 cannot disturb the terminal.
void Say(std::ostream& err, std::string_view message);

// The tool table's row warnings on err: "TABLE: row N: TEXT".
void PrintToolTableWarnings(const std::vector<ReportWarning>& warnings,
                            const std::string& toolTableName, std::ostream& err);

// A finished file's messages on err: its summary (verbose), its failure and its warnings.
void PrintFileMessages(const FileReport& file, bool verbose, std::ostream& err);

// The preview of a converted file: DIRECTORY/NAME.svg, NAME its output's file name.
std::string PreviewPathFor(const std::string& directory, const std::string& source);

// The preview of a conversion from source to output: both toolpaths over the part and the
// machining time, as SVG.
std::string PreviewSvg(const std::string& source, const std::string& output,
                       const ProgramGeometry& geometry, const std::optional<MachiningTime>& time);

// Writes the preview svg of a converted file atomically; false when it failed.
bool WritePreview(const FileReport& report, const std::string& svg, const std::string& directory,
                  FileStore& files, std::ostream& err);

}  // namespace quarnel
