// Where Quarnel keeps its settings file and tool table.
#pragma once

#include <string>

namespace quarnel {

inline constexpr const char* kIniFileName = "Quarnel.INI";
inline constexpr const char* kToolTableFileName = "ToolTbl.Dat";

// The program's directory for this process, ending in "/": the executable's directory when it
// is writable, else the user's configuration directory (see app_dir.cpp for the rules).
std::string AppDirForThisProcess();
inline std::string IniPathFor(const std::string& appDir) { return appDir + kIniFileName; }
inline std::string ToolTablePathFor(const std::string& appDir) { return appDir + kToolTableFileName; }

}  // namespace quarnel
