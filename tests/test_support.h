// Helpers shared by the tests: temporary folders and whole-file reading and writing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarnel::testing {

// A fresh folder under the system's temporary directory, removed with its content on
// destruction. Path() ends without a separator.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + "/" + name
  std::string File(std::string_view name) const;

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
bool FileExists(const std::string& path);
// Names of the entries of a directory (without "." and ".."), sorted.
std::vector<std::string> ListDirectory(const std::string& path);
// Runs a shell command and returns its exit status (-1 when it could not run).
int RunCommand(const std::string& command);
// The golden file tests/data/<relativePath>.
std::string TestDataPath(std::string_view relativePath);

}  // namespace quarnel::testing

namespace quarnel::testing {

// Runs body in a child process that, when the test runs as root, first drops to the
// unprivileged user 65534, so that file modes are enforced. Returns body's result, or -1 when
// the child could not run it. Skips nothing by itself: see CanDropPrivileges.
int RunUnprivileged(int (*body)(void* context), void* context);
// True when RunUnprivileged really runs without privileges (root that can setuid, or non-root).
bool CanDropPrivileges();

}  // namespace quarnel::testing
