// A layer under the real file store that logs every system call it makes and can fail one of
// them, so that tests see the order of write, sync, rename and folder sync, and every fault of
// a disk, through the store's real code path.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/system_calls.h"

namespace quarnel::testing {

// One call to fail: the first whose log entry starts with entry ("write .b.nc", "sync folder").
struct Fault {
  std::string entry;
  int error = 0;               // the errno it fails with; EINTR is retried by the store
  std::size_t afterBytes = 0;  // a write: bytes the file takes (a short write) before it fails
};

class RecordingCalls final : public SystemCalls {
 public:
  RecordingCalls() = default;
  explicit RecordingCalls(Fault fault) : fault_(std::move(fault)) {}

  // Log entries: "open folder", "lock folder", "create .out.nc.XXXXXX", "chmod .out.nc.XXXXXX",
  // "write .out.nc.XXXXXX", "sync .out.nc.XXXXXX", "close .out.nc.XXXXXX",
  // "rename .out.nc.XXXXXX out.nc", "rename-noreplace a b", "link a b", "unlink a",
  // "sync folder", "close folder"; names without their folder, temporaries' last six
  // characters as XXXXXX. Opens for reading are not logged; their reads are, as "read".
  std::vector<std::string> Log() const;
  bool Fired() const;
  // Hands each write at most this many bytes (short writes that do not fail).
  std::size_t writeLimit = static_cast<std::size_t>(-1);

  int Open(const char* path, int flags, mode_t mode) override;
  ssize_t Read(int fd, void* bytes, std::size_t size) override;
  ssize_t Write(int fd, const void* bytes, std::size_t size) override;
  int Fchmod(int fd, mode_t mode) override;
  int Fsync(int fd) override;
  int Close(int fd) override;
  int Flock(int fd, int operation) override;
  int Rename(const char* from, const char* to, unsigned flags) override;
  int Link(const char* from, const char* to) override;
  int Unlink(const char* path) override;

 private:
  // Logs entry; true when the fault strikes it (errno is then set).
  bool Record(const std::string& entry);
  std::string NameOf(int fd) const;

  mutable std::mutex mutex_;
  Fault fault_;
  bool fired_ = false;
  std::vector<std::string> log_;
  std::map<int, std::string> names_;  // open descriptors: "folder" or a file name
  std::map<int, std::size_t> bytesWritten_;
};

}  // namespace quarnel::testing
