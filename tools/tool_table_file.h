// "ToolTbl.Dat": the tool table as readable, diffable text.
//
//     QUARNEL-TOOLTABLE 1
//     <From text of row 1><TAB><To text of row 1>
//     ... eight rows in all ...
//
// Inside a cell a backslash is written "\\" and a tab "\t". Lines end in LF; a CR before the LF
// is accepted and the last LF may be missing. Anything else is a foreign file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/tool_table.h"

namespace quarnel {

class FileStore;

std::string ToolTableText(const ToolTable& table);

// The table that the text of a tool table file holds, or the first problem that makes it a
// foreign file: no signature, invalid UTF-8, an unknown escape or a lone final backslash, a row
// without exactly one unescaped TAB, a CR in a cell, other than eight rows.
struct ParsedToolTable {
  std::optional<ToolTable> table;
  std::string problem;  // for the user, with its line: "line 3: no tab between From and To"
  int line = 0;         // that line, 0 when the problem is not on one line
};
ParsedToolTable ParseToolTableText(std::string_view bytes);

struct ToolTableLoad {
  enum class Outcome { kLoaded, kMissing, kUnusable };
  Outcome outcome = Outcome::kMissing;
  std::string problem;  // kUnusable: why the file cannot be read or is foreign
  int line = 0;         // the line of that problem, 0 when it is not on one line

  bool Loaded() const { return outcome == Outcome::kLoaded; }
};

// Loads the file over table; a missing, unreadable or foreign file leaves table as it was.
ToolTableLoad LoadToolTable(FileStore& files, const std::string& path, ToolTable& table);

// Where an unusable tool table file was moved so that no save replaces it, or why it stays.
struct KeptToolTable {
  std::string path;   // "" when the file could not be moved
  std::string error;  // why, when it could not
};

// Moves the file at path aside to "path.unreadable", or "path.unreadable.1", ".2"... when that
// name is taken: a file kept before is never replaced.
KeptToolTable SetToolTableAside(FileStore& files, const std::string& path);
// Saves atomically; the reason when it failed (the previous file is then intact).
std::optional<std::string> SaveToolTable(FileStore& files, const std::string& path,
                                         const ToolTable& table);

}  // namespace quarnel
