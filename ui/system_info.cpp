#include "ui/system_info.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

namespace quarnel {

namespace {

std::vector<std::string> SplitSearchPath(std::string_view searchPath) {
  std::vector<std::string> directories;
  std::size_t start = 0;
  while (start <= searchPath.size()) {
    const std::size_t end = std::min(searchPath.find(':', start), searchPath.size());
    if (end > start) directories.emplace_back(searchPath.substr(start, end - start));
    start = end + 1;
  }
  return directories;
}

bool IsExecutableFile(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(path, ignored) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> FindSystemInfoTool(std::string_view searchPath) {
  const std::vector<std::string> directories = SplitSearchPath(searchPath);
  for (const char* tool : kSystemInfoTools) {
    for (const std::string& directory : directories) {
      std::string candidate = directory + (directory.back() == '/' ? "" : "/") + tool;
      if (IsExecutableFile(candidate)) return candidate;
    }
  }
  return std::nullopt;
}

}  // namespace quarnel
