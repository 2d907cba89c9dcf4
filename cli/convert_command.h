// quarnel-convert: converts router G-code files as one batch from the command line.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/report_json.h"
#include "engine/geometry/machining_time.h"
#include "engine/translate/dimension_texts.h"
#include "tools/tool_table.h"

namespace quarnel {

// Exit statuses of quarnel-convert.
inline constexpr int kExitAllWritten = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

struct ConvertOptions {
  std::string destination;
  std::optional<std::string> length, height, thickness;  // left out: taken from the settings
  std::optional<std::string> toolsFile;                  // left out: the program's own table
  std::vector<std::string> sources;
  std::optional<std::string> reportFile;  // the batch report as JSON; "-" for standard output
  bool dryRun = false;   // convert and report, write nothing
  bool verbose = false;  // one summary line per file
  bool strict = false;   // a warning counts as a failure
  std::optional<std::string> previewDir;    // DIR/NAME.svg for each converted file
  std::optional<std::string> verifyOutput;  // compare this output with the one SOURCE
  unsigned jobs = 0;                        // translating threads; 0 for one a core
  // The machining time estimate's settings, as typed; left out: taken from the settings.
  std::optional<std::string> rapidRate;       // mm/min
  std::optional<std::string> toolChangeTime;  // seconds
};

// The machining time settings of a run: the options given, the others from section
// [MachiningTime] of the settings file of the program's directory (a missing or unusable value
// there at its default). The usage problem when an option given is not accepted.
std::optional<std::string> TimeSettingsOf(const ConvertOptions& options,
                                          MachiningTimeSettings& settings);

// Fills what the command line left out from the settings file and tool table file of the
// program's directory, as the window would start with. Returns a warning when that tool table
// file exists but cannot be used (the table then stays empty).
std::optional<ToolTableReport::FileWarning> FillDefaultsFromAppDir(const ConvertOptions& options,
                                                                   DimensionTexts& dims,
                                                                   ToolTable& tools);

// Runs the command with argv; messages go to out and err. Returns the exit status.
int RunConvertCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace quarnel
