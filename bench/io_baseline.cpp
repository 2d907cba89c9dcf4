// The file input and output of a conversion and nothing else, as the yardstick of the
// benchmark: io_baseline --dest DIR SOURCE... reads each source whole and writes the same
// bytes to DIR/<file name>, through the same file store as quarnel-convert (hidden temporary
// file, fsync, rename, directory sync) and with the same checks around it.
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/file_store.h"
#include "support/paths.h"

namespace {

// Copies one source to destination/<name>; the reason when it fails.
std::optional<std::string> CopyOne(quarnel::FileStore& files, const std::string& destination,
                                   const std::string& source, std::set<std::string>& written) {
  const std::string name = quarnel::FileNameOf(source);
  const std::string output = destination + quarnel::kPathSeparator + name;
  if (name.empty() || written.count(name) != 0) return "output name missing or already written";
  if (files.SameFile(source, output)) return "the output would replace the source";
  quarnel::ReadOutcome read = files.ReadRegularFile(source);
  if (!read.ok) return "cannot read: " + read.error;
  if (auto error = files.WriteAtomically(output, read.bytes)) return "cannot write: " + *error;
  written.insert(name);
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2 || args[0] != "--dest") {
    std::cerr << "usage: io_baseline --dest DIR SOURCE...\n";
    return 2;
  }
  quarnel::DiskFileStore files;
  std::set<std::string> written;
  int failures = 0;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (auto reason = CopyOne(files, args[1], args[i], written)) {
      std::cerr << "io_baseline: " << args[i] << ": " << *reason << "\n";
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
