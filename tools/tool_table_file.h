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
// nullopt for a foreign file: no signature, invalid UTF-8, an unknown escape or a lone final
// backslash, a row without exactly one unescaped TAB, other than eight rows, a CR or LF in a cell.
std::optional<ToolTable> ParseToolTableText(std::string_view bytes);

// Loads the file over table; a missing, unreadable or foreign file leaves table as it was.
// Returns whether the table was loaded.
bool LoadToolTable(FileStore& files, const std::string& path, ToolTable& table);
// Saves atomically; the reason when it failed (the previous file is then intact).
std::optional<std::string> SaveToolTable(FileStore& files, const std::string& path,
                                         const ToolTable& table);

}  // namespace quarnel
