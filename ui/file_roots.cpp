#include "ui/file_roots.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace quarnel {

namespace {

constexpr std::string_view kRemovableParents[] = {"/media/", "/mnt/", "/run/media/"};

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// Undoes the "\ooo" escapes with which the kernel writes blanks and other bytes in mount points.
std::string UnescapeMountField(std::string_view field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
        IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
      text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                (field[i + 3] - '0'));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

// The second blank-separated field of a mounts line: the mount point.
std::string_view MountPointField(std::string_view line) {
  const std::size_t start = line.find(' ');
  if (start == std::string_view::npos) return {};
  const std::size_t end = line.find(' ', start + 1);
  return line.substr(start + 1,
                     end == std::string_view::npos ? std::string_view::npos : end - start - 1);
}

bool IsRemovableMountPoint(std::string_view mountPoint) {
  return std::any_of(
      std::begin(kRemovableParents), std::end(kRemovableParents), [&](std::string_view parent) {
        return mountPoint.size() > parent.size() && mountPoint.substr(0, parent.size()) == parent;
      });
}

bool IsSameOrBelow(const std::string& path, const std::string& root) {
  if (path.compare(0, root.size(), root) != 0) return false;
  return path.size() == root.size() || root.back() == '/' || path[root.size()] == '/';
}

}  // namespace

std::vector<std::string> RootsFromMounts(std::string_view mountsText) {
  std::vector<std::string> mounted;
  while (!mountsText.empty()) {
    const std::size_t end = std::min(mountsText.find('\n'), mountsText.size());
    std::string mountPoint = UnescapeMountField(MountPointField(mountsText.substr(0, end)));
    if (IsRemovableMountPoint(mountPoint)) mounted.push_back(std::move(mountPoint));
    mountsText.remove_prefix(std::min(end + 1, mountsText.size()));
  }
  std::sort(mounted.begin(), mounted.end());
  mounted.erase(std::unique(mounted.begin(), mounted.end()), mounted.end());
  mounted.insert(mounted.begin(), "/");
  return mounted;
}

std::vector<std::string> FileSystemRoots() {
  std::ifstream in("/proc/self/mounts", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return RootsFromMounts(text);
}

std::string RootOf(const std::string& path, const std::vector<std::string>& roots) {
  std::string best;
  for (const std::string& root : roots) {
    if (!root.empty() && root.size() > best.size() && IsSameOrBelow(path, root)) best = root;
  }
  return best;
}

bool CanOpenDirectory(const std::string& directory) {
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  return !error;
}

}  // namespace quarnel
