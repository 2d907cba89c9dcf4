#include "support/file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "support/paths.h"

namespace quarnel {

namespace {

std::string ErrorText(int error) { return std::strerror(error); }

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Reads everything from fd into bytes; 0 or the errno of the failing read.
int ReadAll(int fd, std::string& bytes, std::size_t sizeHint) {
  bytes.clear();
  bytes.resize(sizeHint + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2 + 4096);
    const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  return 0;
}

// Writes all of bytes to fd; 0 or the errno of the failing write.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return errno;
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
  return 0;
}

// A hidden sibling name ".NAME.XXXXXX"; NAME is shortened so the name stays within NAME_MAX.
std::string TemporaryPathFor(const std::string& path, std::mt19937_64& random) {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name = FileNameOf(path).substr(0, 200);
  std::string result = DirectoryOf(path) + "." + name + ".";
  for (int i = 0; i < 6; ++i) result += kAlphabet[random() % (sizeof(kAlphabet) - 1)];
  return result;
}

// Creates the temporary file with O_EXCL; the kernel applies the umask to 0666. The name
// generator is per thread, since writes may run on a thread of their own.
int CreateTemporary(const std::string& path, std::string& temporaryPath, int& error) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryPath = TemporaryPathFor(path, random);
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      error = errno;
      return fd;
    }
  }
  error = EEXIST;
  return -1;
}

// Checks what stands at the target now: a read-only file is refused, a directory cannot be
// replaced. Fills keepMode with the mode the new file must take over, if any.
std::optional<std::string> CheckTarget(const std::string& path, bool& keepMode, mode_t& mode) {
  struct stat info {};
  keepMode = false;
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return std::nullopt;
    return ErrorText(errno);
  }
  if (S_ISDIR(info.st_mode)) return "a directory stands at the output path";
  if (S_ISREG(info.st_mode)) {
    if ((info.st_mode & 0222) == 0) return "the existing file is read-only";
    keepMode = true;
    mode = info.st_mode & 07777;
  }
  return std::nullopt;
}

// Makes the rename durable; failure here is not worth failing the write for.
void SyncDirectoryOf(const std::string& path) {
  std::string directory = DirectoryOf(path);
  if (directory.empty()) directory = ".";
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::string> FileStore::WriteRefusal(const std::string&) { return std::nullopt; }

ReadOutcome DiskFileStore::ReadRegularFile(const std::string& path) {
  ReadOutcome outcome;
  // O_NONBLOCK: opening a FIFO must not wait for a writer; the type is checked right after.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.Get() < 0) {
    outcome.missing = errno == ENOENT;
    outcome.error = ErrorText(errno);
    return outcome;
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) {
    outcome.error = ErrorText(errno);
    return outcome;
  }
  if (!S_ISREG(info.st_mode)) {
    outcome.error = S_ISDIR(info.st_mode) ? "it is a directory, not a file" : "it is not a regular file";
    return outcome;
  }
  if (const int error = ReadAll(file.Get(), outcome.bytes, static_cast<std::size_t>(info.st_size))) {
    outcome.bytes.clear();
    outcome.error = ErrorText(error);
    return outcome;
  }
  outcome.ok = true;
  return outcome;
}

std::optional<std::string> DiskFileStore::WriteAtomically(const std::string& path,
                                                          std::string_view bytes) {
  AtomicFileWriter writer(path);
  if (auto error = writer.Open()) return error;
  if (auto error = writer.Append(bytes)) return error;
  return writer.Commit();
}

std::optional<std::string> DiskFileStore::WriteRefusal(const std::string& path) {
  bool keepMode = false;
  mode_t mode = 0;
  if (auto refused = CheckTarget(path, keepMode, mode)) return refused;
  return DirectoryWriteProblem(DirectoryOf(path));
}

std::optional<std::string> DirectoryWriteProblem(const std::string& directory) {
  const std::string path = directory.empty() ? "." : directory;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return ErrorText(errno);
  if (!S_ISDIR(info.st_mode)) return ErrorText(ENOTDIR);
  if (::access(path.c_str(), W_OK | X_OK) != 0) return ErrorText(errno);
  return std::nullopt;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

std::optional<std::string> AtomicFileWriter::Fail(int error) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
  error_ = ErrorText(error);
  return error_;
}

std::optional<std::string> AtomicFileWriter::Open() {
  bool keepMode = false;
  mode_t mode = 0;
  if (auto refused = CheckTarget(path_, keepMode, mode)) return error_ = std::move(refused);
  int error = 0;
  fd_ = CreateTemporary(path_, temporaryPath_, error);
  if (fd_ < 0) {
    temporaryPath_.clear();  // the last name tried may be another's file
    return Fail(error);
  }
  if (keepMode && ::fchmod(fd_, mode) != 0) return Fail(errno);
  return std::nullopt;
}

std::optional<std::string> AtomicFileWriter::Append(std::string_view bytes) {
  if (error_) return error_;
  if (fd_ < 0) return Fail(EBADF);
  if (const int error = WriteAll(fd_, bytes)) return Fail(error);
  return std::nullopt;
}

std::optional<std::string> AtomicFileWriter::Commit() {
  if (error_) return error_;
  if (fd_ < 0) return Fail(EBADF);
  if (::fsync(fd_) != 0) return Fail(errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) return Fail(errno);
  if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) return Fail(errno);
  temporaryPath_.clear();
  SyncDirectoryOf(path_);
  return std::nullopt;
}

bool DiskFileStore::SameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// A hard link fails when the target exists, so no existing file can be lost; file systems
// without hard links get a rename that refuses to replace, where the kernel offers one.
MoveOutcome DiskFileStore::MoveWithoutReplacing(const std::string& from, const std::string& to) {
  MoveOutcome outcome;
  int error = ::link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  if (error == 0) {
    if (::unlink(from.c_str()) != 0) {
      error = errno;
      ::unlink(to.c_str());
    }
  } else if (error != EEXIST &&
             ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    error = 0;
  }
  if (error == 0) {
    outcome.result = MoveOutcome::Result::kMoved;
    SyncDirectoryOf(to);
  } else if (error == EEXIST) {
    outcome.result = MoveOutcome::Result::kTargetExists;
  } else {
    outcome.error = ErrorText(error);
  }
  return outcome;
}

ReadOutcome MemoryFileStore::ReadRegularFile(const std::string& path) {
  ReadOutcome outcome;
  const auto found = files.find(path);
  if (found == files.end()) {
    outcome.missing = true;
    outcome.error = ErrorText(ENOENT);
    return outcome;
  }
  outcome.ok = true;
  outcome.bytes = found->second;
  return outcome;
}

std::optional<std::string> MemoryFileStore::WriteAtomically(const std::string& path,
                                                            std::string_view bytes) {
  if (failingWrites.count(path) != 0) return ErrorText(EIO);
  files[path] = std::string(bytes);
  return std::nullopt;
}

bool MemoryFileStore::SameFile(const std::string& a, const std::string& b) {
  return a == b && files.count(a) != 0;
}

MoveOutcome MemoryFileStore::MoveWithoutReplacing(const std::string& from,
                                                  const std::string& to) {
  MoveOutcome outcome;
  const auto found = files.find(from);
  if (files.count(to) != 0) {
    outcome.result = MoveOutcome::Result::kTargetExists;
  } else if (found == files.end() || failingWrites.count(to) != 0) {
    outcome.error = ErrorText(found == files.end() ? ENOENT : EIO);
  } else {
    files[to] = std::move(found->second);
    files.erase(from);
    outcome.result = MoveOutcome::Result::kMoved;
  }
  return outcome;
}

}  // namespace quarnel
