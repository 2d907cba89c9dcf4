// Where Quarnel keeps its settings file and tool table.
#pragma once

#include <functional>
#include <string>

namespace quarnel {

inline constexpr const char* kIniFileName = "Quarnel.INI";
inline constexpr const char* kToolTableFileName = "ToolTbl.Dat";

// Everything the choice of the program's directory depends on.
struct AppDirInputs {
  std::string exePath;        // the running executable's full path ("" when unknown)
  std::string xdgConfigHome;  // $XDG_CONFIG_HOME, "" when unset
  std::string home;           // $HOME, "" when unset
  std::function<bool(const std::string&)> directoryExists;
  std::function<bool(const std::string&)> directoryWritable;
  std::string developmentDir;  // "" where there is none (Linux)
};

// The program's directory, ending in "/": the executable's directory when it is writable and not
// a directory of the system's programs (/usr/..., /bin/, /sbin/: an installed package, writable
// to root), else $XDG_CONFIG_HOME/quarnel/ (when set and absolute), else $HOME/.config/quarnel/;
// then the development-path rule. Touches nothing but the two tests it is given.
std::string AppDirFrom(const AppDirInputs& inputs);

// The development-path rule: appDir with "VB" anywhere in its upper-cased text becomes
// developmentDir (ending in "/"), but only when developmentDir is given and exists.
std::string ApplyDevelopmentPath(const std::string& appDir, const std::string& developmentDir,
                                 const std::function<bool(const std::string&)>& directoryExists);

// AppDirFrom for this process, from its executable, its environment and the real file system.
// Creates nothing: for a program that only reads its settings.
std::string LocateAppDirForThisProcess();
// As LocateAppDirForThisProcess, and creates the directory (with its parents) when it does not
// exist yet, so that the first settings or tool table write has a place to go. Creation
// failures are ignored: the writes are then lost, as any failed settings write is.
std::string AppDirForThisProcess();

inline std::string IniPathFor(const std::string& appDir) { return appDir + kIniFileName; }
inline std::string ToolTablePathFor(const std::string& appDir) { return appDir + kToolTableFileName; }

}  // namespace quarnel
