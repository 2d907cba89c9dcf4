// The batch report as JSON, for scripts: the shape documented in the README.
#pragma once

#include <string>

#include "engine/batch/conversion_report.h"

namespace quarnel {

// {"files": [...], "tool_table": {"warnings": [...]}}, indented, ending in a line feed. Texts
// that are not valid UTF-8 (paths and dimension texts are bytes) have their bad bytes replaced
// by U+FFFD.
std::string ReportJsonText(const BatchReport& report);

}  // namespace quarnel
