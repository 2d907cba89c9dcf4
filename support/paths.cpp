// Splitting paths at "/" and finding the running program's own file.

#include "support/paths.h"

#include <unistd.h>


namespace quarnel {

namespace {

// Length of the directory part: up to and including the last separator, 0 when none.
std::size_t DirectoryLength(std::string_view path) {
  const std::size_t last = path.rfind(kPathSeparator);
  return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

std::string FileNameOf(std::string_view path) {
  return std::string(path.substr(DirectoryLength(path)));
}

std::string DirectoryOf(std::string_view path) {
  return std::string(path.substr(0, DirectoryLength(path)));
}

// Reads the /proc/self/exe link, growing the buffer until the target fits.
std::string ExeName() {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

}  // namespace quarnel
