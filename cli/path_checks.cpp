#include "cli/path_checks.h"

#include <sys/stat.h>

#include <map>
#include <tuple>

#include "support/file_store.h"
#include "support/paths.h"

namespace quarnel {

namespace {

// Where a path leads: the file it names after links (device and inode, no name), or, where
// nothing stands yet, its directory's file and its own name; the bare text when not even the
// directory is there.
struct Place {
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;

  bool operator==(const Place& other) const = default;
  bool operator<(const Place& other) const {
    return std::tie(device, inode, name) < std::tie(other.device, other.inode, other.name);
  }
};

Place PlaceOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return {info.st_dev, info.st_ino, ""};
  const std::string directory = DirectoryOf(path);
  if (::stat(directory.empty() ? "." : directory.c_str(), &info) == 0) {
    return {info.st_dev, info.st_ino, FileNameOf(path)};
  }
  return {0, 0, path};
}

}  // namespace

std::optional<std::string> OverlapProblem(const RunPaths& paths) {
  std::map<Place, const RunPath*> taken;
  for (const RunPath& kept : paths.kept) taken.emplace(PlaceOf(kept.path), &kept);
  for (const RunPath& written : paths.written) {
    const auto [at, isNew] = taken.emplace(PlaceOf(written.path), &written);
    if (!isNew) {
      return written.what + " is also " + at->second->what + ": nothing was read or written";
    }
  }
  return std::nullopt;
}

std::optional<std::string> OutputOverSourceProblem(const std::vector<std::string>& sources,
                                                   const std::vector<std::string>& outputs) {
  std::map<Place, const std::string*> sourceAt;
  for (const std::string& source : sources) sourceAt.emplace(PlaceOf(source), &source);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const Place output = PlaceOf(outputs[i]);
    const auto found = sourceAt.find(output);
    if (found == sourceAt.end() || output == PlaceOf(sources[i])) continue;
    return "the output " + outputs[i] + " of " + sources[i] + " is also the source " +
           *found->second + ": nothing was read or written";
  }
  return std::nullopt;
}

std::optional<std::string> FolderProblem(const std::string& directory, const std::string& role) {
  const std::optional<std::string> problem = DirectoryWriteProblem(directory);
  if (!problem) return std::nullopt;
  std::string shown = directory.empty() ? "." : directory;
  if (shown.size() > 1 && shown.back() == kPathSeparator) shown.pop_back();
  return "cannot write in " + role + " " + shown + ": " + *problem;
}

}  // namespace quarnel
