#include "recording_calls.h"

#include <fcntl.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>

#include "support/paths.h"

namespace quarnel::testing {

namespace {

// The name a log shows: the file name, with a temporary's random part as XXXXXX.
std::string LoggedName(const char* path) {
  std::string name = FileNameOf(path);
  if (name.size() > 8 && name.front() == '.') name.replace(name.size() - 6, 6, "XXXXXX");
  return name;
}

}  // namespace

std::vector<std::string> RecordingCalls::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

bool RecordingCalls::Fired() const {
  std::lock_guard lock(mutex_);
  return fired_;
}

bool RecordingCalls::Record(const std::string& entry) {
  std::lock_guard lock(mutex_);
  log_.push_back(entry);
  if (fired_ || fault_.entry.empty() || entry.rfind(fault_.entry, 0) != 0) return false;
  fired_ = true;
  errno = fault_.error;
  return true;
}

std::string RecordingCalls::NameOf(int fd) const {
  std::lock_guard lock(mutex_);
  const auto found = names_.find(fd);
  return found == names_.end() ? "?" : found->second;
}

int RecordingCalls::Open(const char* path, int flags, mode_t mode) {
  const bool folder = (flags & O_DIRECTORY) != 0;
  if (!folder && (flags & O_CREAT) == 0) return SystemCalls::Open(path, flags, mode);
  if (Record(folder ? "open folder" : "create " + LoggedName(path))) return -1;
  const int fd = SystemCalls::Open(path, flags, mode);
  std::lock_guard lock(mutex_);
  if (fd >= 0) names_[fd] = folder ? "folder" : LoggedName(path);
  bytesWritten_[fd] = 0;
  return fd;
}

ssize_t RecordingCalls::Read(int fd, void* bytes, std::size_t size) {
  return Record("read") ? -1 : SystemCalls::Read(fd, bytes, size);
}

ssize_t RecordingCalls::Write(int fd, const void* bytes, std::size_t size) {
  const std::string entry = "write " + NameOf(fd);
  {
    std::lock_guard lock(mutex_);
    log_.push_back(entry);
    if (!fired_ && !fault_.entry.empty() && entry.rfind(fault_.entry, 0) == 0) {
      if (bytesWritten_[fd] >= fault_.afterBytes) {
        fired_ = true;
        errno = fault_.error;
        return -1;
      }
      size = std::min(size, fault_.afterBytes - bytesWritten_[fd]);
    }
  }
  const ssize_t done = SystemCalls::Write(fd, bytes, std::min(size, writeLimit));
  std::lock_guard lock(mutex_);
  if (done > 0) bytesWritten_[fd] += static_cast<std::size_t>(done);
  return done;
}

int RecordingCalls::Fchmod(int fd, mode_t mode) {
  return Record("chmod " + NameOf(fd)) ? -1 : SystemCalls::Fchmod(fd, mode);
}

int RecordingCalls::Fsync(int fd) {
  return Record("sync " + NameOf(fd)) ? -1 : SystemCalls::Fsync(fd);
}

// A failing close still closes, as Linux does.
int RecordingCalls::Close(int fd) {
  const std::string name = NameOf(fd);
  const bool fails = Record("close " + name);
  const int saved = errno;
  const int result = SystemCalls::Close(fd);
  {
    std::lock_guard lock(mutex_);
    names_.erase(fd);
  }
  if (!fails) return result;
  errno = saved;
  return -1;
}

int RecordingCalls::Flock(int fd, int operation) {
  return Record("lock " + NameOf(fd)) ? -1 : SystemCalls::Flock(fd, operation);
}

int RecordingCalls::Rename(const char* from, const char* to, unsigned flags) {
  const std::string verb = flags == 0 ? "rename " : "rename-noreplace ";
  if (Record(verb + LoggedName(from) + " " + LoggedName(to))) return -1;
  return SystemCalls::Rename(from, to, flags);
}

int RecordingCalls::Link(const char* from, const char* to) {
  return Record("link " + LoggedName(from) + " " + LoggedName(to)) ? -1
                                                                   : SystemCalls::Link(from, to);
}

int RecordingCalls::Unlink(const char* path) {
  return Record("unlink " + LoggedName(path)) ? -1 : SystemCalls::Unlink(path);
}

}  // namespace quarnel::testing
