#include "support/system_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace quarnel {

int SystemCalls::Open(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}

ssize_t SystemCalls::Read(int fd, void* bytes, std::size_t size) { return ::read(fd, bytes, size); }

ssize_t SystemCalls::Write(int fd, const void* bytes, std::size_t size) {
  return ::write(fd, bytes, size);
}

int SystemCalls::Fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }

int SystemCalls::Fsync(int fd) { return ::fsync(fd); }

int SystemCalls::Close(int fd) { return ::close(fd); }

int SystemCalls::Flock(int fd, int operation) { return ::flock(fd, operation); }

int SystemCalls::Rename(const char* from, const char* to, unsigned flags) {
  return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
}

int SystemCalls::Link(const char* from, const char* to) { return ::link(from, to); }

int SystemCalls::Unlink(const char* path) { return ::unlink(path); }

namespace {

SystemCalls theSystem;
std::atomic<SystemCalls*> current{&theSystem};

}  // namespace

SystemCalls& CurrentSystemCalls() { return *current.load(); }

void UseSystemCallsForTesting(SystemCalls* calls) {
  current.store(calls != nullptr ? calls : &theSystem);
}

}  // namespace quarnel
