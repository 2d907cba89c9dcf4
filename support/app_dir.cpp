#include "support/app_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "support/paths.h"

namespace quarnel {

namespace {

constexpr const char* kConfigFolder = "quarnel/";

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == kPathSeparator; }

std::string WithTrailingSeparator(std::string path) {
  if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
  return path;
}

// The user's configuration directory for Quarnel; "" when the environment names none.
std::string UserConfigDir(const std::string& xdgConfigHome, const std::string& home) {
  if (IsAbsolute(xdgConfigHome)) return WithTrailingSeparator(xdgConfigHome) + kConfigFolder;
  if (IsAbsolute(home)) return WithTrailingSeparator(home) + ".config/" + kConfigFolder;
  return {};
}

// Upper case of the ASCII letters only, whatever the locale.
std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool DirectoryExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

bool DirectoryWritable(const std::string& path) {
  return DirectoryExists(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

// A directory of the system's own programs: writable to root, but no place for one user's
// settings, and a package would own and replace them.
bool IsSystemProgramDirectory(const std::string& directory) {
  for (const char* prefix : {"/usr/", "/bin/", "/sbin/"}) {
    if (directory.starts_with(prefix)) return true;
  }
  return false;
}

}  // namespace

std::string ApplyDevelopmentPath(const std::string& appDir, const std::string& developmentDir,
                                 const std::function<bool(const std::string&)>& directoryExists) {
  if (AsciiUpper(appDir).find("VB") == std::string::npos) return appDir;
  if (developmentDir.empty() || !directoryExists(developmentDir)) return appDir;
  return WithTrailingSeparator(developmentDir);
}

std::string AppDirFrom(const AppDirInputs& inputs) {
  std::string appDir = DirectoryOf(inputs.exePath);
  if (appDir.empty() || IsSystemProgramDirectory(appDir) || !inputs.directoryWritable(appDir)) {
    // With neither a writable program directory nor a configuration directory, the program's
    // own directory is still where settings are read from; writes there are lost.
    const std::string configDir = UserConfigDir(inputs.xdgConfigHome, inputs.home);
    if (!configDir.empty()) appDir = configDir;
  }
  if (appDir.empty()) appDir = "./";
  return ApplyDevelopmentPath(appDir, inputs.developmentDir, inputs.directoryExists);
}

std::string LocateAppDirForThisProcess() {
  return AppDirFrom({.exePath = ExeName(),
                     .xdgConfigHome = EnvironmentValue("XDG_CONFIG_HOME"),
                     .home = EnvironmentValue("HOME"),
                     .directoryExists = DirectoryExists,
                     .directoryWritable = DirectoryWritable,
                     .developmentDir = ""});
}

std::string AppDirForThisProcess() {
  const std::string appDir = LocateAppDirForThisProcess();
  std::error_code ignored;
  std::filesystem::create_directories(appDir, ignored);
  return appDir;
}

}  // namespace quarnel
