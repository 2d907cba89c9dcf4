#include "support/file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
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
  FileDescriptor(SystemCalls& calls, int fd) : calls_(calls), fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) calls_.Close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  SystemCalls& calls_;
  int fd_;
};

// Reads everything from fd into bytes; 0 or the errno of the failing read.
int ReadAll(SystemCalls& calls, int fd, std::string& bytes, std::size_t sizeHint) {
  bytes.clear();
  bytes.resize(sizeHint + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2 + 4096);
    const ssize_t got = calls.Read(fd, bytes.data() + used, bytes.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  return 0;
}

// Writes all of bytes to fd, going on after a short write; 0 or the errno of the failing write.
int WriteAll(SystemCalls& calls, int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t done = calls.Write(fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return errno;
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
  return 0;
}

constexpr char kTemporaryAlphabet[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTemporarySuffixLength = 6;
constexpr std::size_t kLongestKeptName = 200;

// ".NAME." of the temporaries of the file name; NAME is shortened so that the temporary's name
// stays within NAME_MAX.
std::string TemporaryPrefixFor(std::string_view name) {
  std::string prefix(1, '.');
  prefix.append(name.substr(0, kLongestKeptName));
  prefix += '.';
  return prefix;
}

// A hidden sibling name ".NAME.XXXXXX".
std::string TemporaryPathFor(const std::string& path, std::mt19937_64& random) {
  std::string result = DirectoryOf(path) + TemporaryPrefixFor(FileNameOf(path));
  for (std::size_t i = 0; i < kTemporarySuffixLength; ++i) {
    result += kTemporaryAlphabet[random() % (sizeof(kTemporaryAlphabet) - 1)];
  }
  return result;
}

// The NAME of an entry shaped like a temporary ".NAME.XXXXXX" (NAME shortened), or "".
std::string_view NameOfTemporary(std::string_view entry) {
  constexpr std::size_t kSuffixStart =
      2 + kTemporarySuffixLength;  // ".XXXXXX" and the dot before NAME
  if (entry.size() <= kSuffixStart || entry.front() != '.' ||
      entry[entry.size() - kTemporarySuffixLength - 1] != '.' ||
      entry.find_first_not_of(kTemporaryAlphabet, entry.size() - kTemporarySuffixLength) !=
          std::string_view::npos) {
    return {};
  }
  return entry.substr(1, entry.size() - kSuffixStart);
}

// Creates the temporary file with O_EXCL; the kernel applies the umask to 0666. The name
// generator is per thread, since writes may run on a thread of their own.
int CreateTemporary(SystemCalls& calls, const std::string& path, std::string& temporaryPath,
                    int& error) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryPath = TemporaryPathFor(path, random);
    const int fd = calls.Open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      error = errno;
      return fd;
    }
  }
  error = EEXIST;
  return -1;
}

// Checks what stands at the target now: a read-only file is refused; a directory, a device, a
// FIFO or a socket cannot be replaced (a rename as root would put a file in place of /dev/null).
// Fills keepMode with the mode the new file must take over, if any.
std::optional<std::string> CheckTarget(const std::string& path, bool& keepMode, mode_t& mode) {
  struct stat info {};
  keepMode = false;
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return std::nullopt;
    return ErrorText(errno);
  }
  if (S_ISDIR(info.st_mode)) return "a directory stands at the output path";
  if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
    return "a device or other special file stands there";
  if (S_ISREG(info.st_mode)) {
    if ((info.st_mode & 0222) == 0) return "the existing file is read-only";
    keepMode = true;
    mode = info.st_mode & 07777;
  }
  return std::nullopt;
}

// Opens the folder of a write or a clean-up for reading and takes lockOperation on it; -1
// when it cannot be opened. Every write holds a shared lock on its folder while its temporary
// exists; the clean-up of leftovers takes it exclusively, so it never removes the temporary of a
// write in flight, in this process or another. A folder that cannot be opened for reading gets
// no lock and no sync; the temporary's creation then reports a folder that is missing.
int OpenFolder(SystemCalls& calls, const std::string& directory, int lockOperation, bool& locked) {
  const int fd = calls.Open(directory.empty() ? "." : directory.c_str(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  locked = fd >= 0 && calls.Flock(fd, lockOperation) == 0;
  return fd;
}

// Makes a rename in the folder durable; 0 or the errno of the sync. A file system that cannot
// sync folders (EINVAL) has nothing to make durable this way.
int SyncFolder(SystemCalls& calls, int folder) {
  if (folder < 0 || calls.Fsync(folder) == 0 || errno == EINVAL) return 0;
  return errno;
}

// Removes from folder the regular files of this user that are temporaries of names (shortened
// as the temporaries shorten them), unless a write holds the folder; adds their paths to
// removed.
void RemoveLeftoversIn(SystemCalls& calls, const std::string& folder,
                       const std::set<std::string, std::less<>>& names,
                       std::vector<std::string>& removed) {
  bool locked = false;
  const FileDescriptor lock(calls, OpenFolder(calls, folder, LOCK_EX | LOCK_NB, locked));
  if (!locked) return;
  DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = NameOfTemporary(entry->d_name);
    struct stat info {};
    if (name.empty() || names.count(name) == 0 ||
        ::fstatat(lock.Get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
      continue;
    }
    const std::string path = folder + entry->d_name;
    if (calls.Unlink(path.c_str()) == 0) removed.push_back(path);
  }
  ::closedir(listing);
}

}  // namespace

std::optional<std::string> FileStore::WriteRefusal(const std::string&) { return std::nullopt; }

ReadOutcome DiskFileStore::ReadRegularFile(const std::string& path) {
  ReadOutcome outcome;
  // O_NONBLOCK: opening a FIFO must not wait for a writer; the type is checked right after.
  FileDescriptor file(calls_,
                      calls_.Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
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
    outcome.error =
        S_ISDIR(info.st_mode) ? "it is a directory, not a file" : "it is not a regular file";
    return outcome;
  }
  if (const int error =
          ReadAll(calls_, file.Get(), outcome.bytes, static_cast<std::size_t>(info.st_size))) {
    outcome.bytes.clear();
    outcome.error = ErrorText(error);
    return outcome;
  }
  outcome.ok = true;
  return outcome;
}

std::optional<std::string> DiskFileStore::WriteAtomically(const std::string& path,
                                                          std::string_view bytes) {
  AtomicFileWriter writer(path, calls_);
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
  if (fd_ >= 0) calls_.Close(fd_);
  if (!temporaryPath_.empty()) calls_.Unlink(temporaryPath_.c_str());
  if (folder_ >= 0) calls_.Close(folder_);
}

std::optional<std::string> AtomicFileWriter::Fail(std::string reason) {
  if (fd_ >= 0) calls_.Close(fd_);
  fd_ = -1;
  if (!temporaryPath_.empty()) calls_.Unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
  error_ = std::move(reason);
  return error_;
}

std::optional<std::string> AtomicFileWriter::Open() {
  bool keepMode = false;
  mode_t mode = 0;
  if (auto refused = CheckTarget(path_, keepMode, mode)) return error_ = std::move(refused);
  bool locked = false;
  folder_ = OpenFolder(calls_, DirectoryOf(path_), LOCK_SH, locked);
  int error = 0;
  fd_ = CreateTemporary(calls_, path_, temporaryPath_, error);
  if (fd_ < 0) {
    temporaryPath_.clear();  // the last name tried may be another's file
    return Fail(ErrorText(error));
  }
  if (keepMode && calls_.Fchmod(fd_, mode) != 0) return Fail(ErrorText(errno));
  return std::nullopt;
}

std::optional<std::string> AtomicFileWriter::Append(std::string_view bytes) {
  if (error_) return error_;
  if (fd_ < 0) return Fail(ErrorText(EBADF));
  if (const int error = WriteAll(calls_, fd_, bytes)) return Fail(ErrorText(error));
  return std::nullopt;
}

std::optional<std::string> AtomicFileWriter::Commit() {
  if (error_) return error_;
  if (fd_ < 0) return Fail(ErrorText(EBADF));
  if (calls_.Fsync(fd_) != 0) return Fail("cannot sync it to disk: " + ErrorText(errno));
  const int closed = calls_.Close(fd_);
  fd_ = -1;
  if (closed != 0) return Fail(ErrorText(errno));
  if (calls_.Rename(temporaryPath_.c_str(), path_.c_str(), 0) != 0) {
    return Fail("cannot put it in place: " + ErrorText(errno));
  }
  temporaryPath_.clear();
  if (const int error = SyncFolder(calls_, folder_)) {
    return error_ =
               "the new file is in place, but its folder could not be synced to disk, so a "
               "power failure may bring back the previous one: " +
               ErrorText(error);
  }
  return std::nullopt;
}

std::vector<std::string> DiskFileStore::RemoveLeftoverTemporaries(
    const std::vector<std::string>& targets) {
  std::map<std::string, std::set<std::string, std::less<>>> namesByFolder;
  for (const std::string& target : targets) {
    namesByFolder[DirectoryOf(target)].insert(FileNameOf(target).substr(0, kLongestKeptName));
  }
  std::vector<std::string> removed;
  for (const auto& [folder, names] : namesByFolder)
    RemoveLeftoversIn(calls_, folder, names, removed);
  return removed;
}

bool DiskFileStore::SameFile(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// A hard link fails when the target exists, so no existing file can be lost; file systems
// without hard links get a rename that refuses to replace, where the kernel offers one. The
// folder is synced as a courtesy: should the move be lost, the file is back at its old name.
MoveOutcome DiskFileStore::MoveWithoutReplacing(const std::string& from, const std::string& to) {
  MoveOutcome outcome;
  int error = calls_.Link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  if (error == 0) {
    if (calls_.Unlink(from.c_str()) != 0) {
      error = errno;
      calls_.Unlink(to.c_str());
    }
  } else if (error != EEXIST) {
    error = calls_.Rename(from.c_str(), to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
  }
  if (error == 0) {
    outcome.result = MoveOutcome::Result::kMoved;
    bool locked = false;
    const FileDescriptor folder(calls_, OpenFolder(calls_, DirectoryOf(to), LOCK_SH, locked));
    SyncFolder(calls_, folder.Get());
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

MoveOutcome MemoryFileStore::MoveWithoutReplacing(const std::string& from, const std::string& to) {
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
