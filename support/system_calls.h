// The system calls that read and write files, behind one class, so that tests can record their order and
// make any one of them fail while the real file store runs its real code path.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace quarnel {

// Each member calls the system call of its name and returns what it returns, with errno set.
class SystemCalls {
 public:
  virtual ~SystemCalls() = default;

  virtual int Open(const char* path, int flags, mode_t mode);
  virtual ssize_t Read(int fd, void* bytes, std::size_t size);
  virtual ssize_t Write(int fd, const void* bytes, std::size_t size);
  virtual int Fchmod(int fd, mode_t mode);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int Flock(int fd, int operation);
  // renameat2 relative to the working directory; flags 0 or RENAME_NOREPLACE.
  virtual int Rename(const char* from, const char* to, unsigned flags);
  virtual int Link(const char* from, const char* to);
  virtual int Unlink(const char* path);
};

// The calls a real file store makes unless it is given others: the running system's, or those
// a test put in their place to run a whole command over a recording or failing layer.
SystemCalls& CurrentSystemCalls();
// Puts calls in place of the running system's (nullptr: the system's again). Only file stores
// made afterwards use them.
void UseSystemCallsForTesting(SystemCalls* calls);

}  // namespace quarnel
