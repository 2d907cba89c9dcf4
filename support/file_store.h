// Whole-file reading and atomic whole-file writing, behind an interface so that the driver,
// the settings store and the tool table file can run against memory in tests and fuzzing.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/system_calls.h"

namespace quarnel {

struct ReadOutcome {
  bool ok = false;
  std::string bytes;  // the whole file when ok
  std::string error;  // why it could not be read when !ok ("not a regular file", "No such file...")
  bool missing = false;  // nothing stands at the path
};

struct MoveOutcome {
  enum class Result { kMoved, kTargetExists, kFailed };
  Result result = Result::kFailed;
  std::string error;  // why, when kFailed
};

class FileStore {
 public:
  virtual ~FileStore() = default;

  // Reads a regular file whole. Anything else (directory, FIFO, device) is refused without
  // reading from it, so nothing can hang.
  virtual ReadOutcome ReadRegularFile(const std::string& path) = 0;

  // Replaces the file at path by bytes, all or nothing: on failure the returned text says why
  // and whatever stood at path before is unchanged, unless the text says the new file is in
  // place (only its durability failed). A read-only existing file, a directory and a special
  // file (a device, a FIFO) are refused.
  virtual std::optional<std::string> WriteAtomically(const std::string& path,
                                                     std::string_view bytes) = 0;

  // True when both paths exist and name the same file after resolving links.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;

  // Renames from to to, unless something already stands at to.
  virtual MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) = 0;

  // True when one thread may run WriteAtomically while another runs the other operations.
  virtual bool WritesAlongside() const { return false; }

  // Why WriteAtomically would refuse path before writing anything (a read-only existing file, a
  // directory at the path, a directory that is missing or cannot be written), in its words;
  // nullopt when nothing stands in the way. A write may still fail later (a full disk).
  virtual std::optional<std::string> WriteRefusal(const std::string& path);

  // Removes the temporaries that writes of these target paths left behind when their process
  // was killed, in each target's folder while no write is in flight there; returns their paths.
  virtual std::vector<std::string> RemoveLeftoverTemporaries(
      const std::vector<std::string>& /*targets*/) {
    return {};
  }
};

// Whether anything stands at path (a path is the same file as itself exactly when it exists).
inline bool Exists(FileStore& files, const std::string& path) { return files.SameFile(path, path); }

// The real file system, through calls (the running system's, or a test's). Writes go to a
// hidden temporary file ".NAME.XXXXXX" beside the target, which is written, fsync'ed and
// renamed over it, and then the folder is fsync'ed; the new file takes the mode of the file it
// replaces, or 0666 less the umask. A symbolic link at the target is replaced, not followed.
// Should the folder's sync fail, the write fails with a reason that says the new file is in
// place. While a temporary exists its write holds a shared flock on the folder (waiting for a
// clean-up to finish); the clean-up of leftovers takes it exclusively or skips the folder, and
// removes only regular files of this user named like the temporaries of the targets given.
class DiskFileStore final : public FileStore {
 public:
  explicit DiskFileStore(SystemCalls& calls = CurrentSystemCalls()) : calls_(calls) {}
  ReadOutcome ReadRegularFile(const std::string& path) override;
  std::optional<std::string> WriteAtomically(const std::string& path,
                                             std::string_view bytes) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) override;
  bool WritesAlongside() const override { return true; }
  std::optional<std::string> WriteRefusal(const std::string& path) override;
  std::vector<std::string> RemoveLeftoverTemporaries(
      const std::vector<std::string>& targets) override;

 private:
  SystemCalls& calls_;
};

// Why no file can be made in directory ("" for the current one): the system's words for a
// missing one or one that cannot be written, or "not a directory"; nullopt when one can.
std::optional<std::string> DirectoryWriteProblem(const std::string& directory);

// A file written in pieces and put in place whole, as DiskFileStore::WriteAtomically writes:
// the pieces go to a hidden temporary file beside path, which Commit syncs and renames over
// path. A writer destroyed without a Commit removes its temporary file, so that whatever stood
// at path stays as it was.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path, SystemCalls& calls = CurrentSystemCalls())
      : calls_(calls), path_(std::move(path)) {}
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Creates the temporary file; the reason when it cannot, or when WriteAtomically would refuse.
  std::optional<std::string> Open();
  // Appends bytes; after a failure every later call gives its reason again.
  std::optional<std::string> Append(std::string_view bytes);
  // Syncs, closes and renames the file into place, then syncs the directory; the reason when it
  // failed (the temporary file is then removed, unless only the directory's sync failed).
  std::optional<std::string> Commit();

 private:
  std::optional<std::string> Fail(std::string reason);

  SystemCalls& calls_;
  std::string path_;
  std::string temporaryPath_;
  int folder_ = -1;  // the target's folder, locked (shared) while the temporary exists
  int fd_ = -1;
  std::optional<std::string> error_;
};

// Files held in memory, for tests and fuzz targets. Paths are plain keys.
class MemoryFileStore final : public FileStore {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> failingWrites;  // writes to these paths fail, leaving files unchanged

  ReadOutcome ReadRegularFile(const std::string& path) override;
  std::optional<std::string> WriteAtomically(const std::string& path,
                                             std::string_view bytes) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) override;
};

}  // namespace quarnel
