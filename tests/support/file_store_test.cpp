#include "support/file_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "recording_calls.h"
#include "test_support.h"

namespace quarnel {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using testing::Fault;
using testing::FileExists;
using testing::RecordingCalls;
using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// Descriptor 0 is free while this lives, so the next file opened takes it, as in a program
// started with its standard input closed.
class StandardInputClosed {
 public:
  StandardInputClosed() : saved_(::dup(0)) { ::close(0); }
  ~StandardInputClosed() {
    ::dup2(saved_, 0);
    ::close(saved_);
  }
  StandardInputClosed(const StandardInputClosed&) = delete;
  StandardInputClosed& operator=(const StandardInputClosed&) = delete;

 private:
  int saved_;
};

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0);
  return info.st_mode;
}

TEST(DiskFileStore, WritesNewFileWithUmaskMode) {
  TempDir dir;
  DiskFileStore store;
  const mode_t mask = ::umask(022);
  EXPECT_EQ(store.WriteAtomically(dir.File("out.nc"), "G1\r\n"), std::nullopt);
  ::umask(mask);
  EXPECT_EQ(ReadFileBytes(dir.File("out.nc")), "G1\r\n");
  EXPECT_EQ(ModeOf(dir.File("out.nc")) & 07777, 0644u);
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"out.nc"});
}

TEST(DiskFileStore, MoveNeverReplacesWhatStandsAtTheTarget) {
  TempDir dir;
  DiskFileStore store;
  WriteFileBytes(dir.File("a"), "moved");
  WriteFileBytes(dir.File("taken"), "kept");
  EXPECT_EQ(store.MoveWithoutReplacing(dir.File("a"), dir.File("taken")).result,
            MoveOutcome::Result::kTargetExists);
  EXPECT_EQ(store.MoveWithoutReplacing(dir.File("a"), dir.File("b")).result,
            MoveOutcome::Result::kMoved);
  EXPECT_EQ(ListDirectory(dir.Path()), (std::vector<std::string>{"b", "taken"}));
  EXPECT_EQ(ReadFileBytes(dir.File("b")), "moved");
  EXPECT_EQ(ReadFileBytes(dir.File("taken")), "kept");
  const MoveOutcome missing = store.MoveWithoutReplacing(dir.File("a"), dir.File("c"));
  EXPECT_EQ(missing.result, MoveOutcome::Result::kFailed);
  EXPECT_FALSE(missing.error.empty());
}

TEST(DiskFileStore, ReplacementKeepsTheOldMode) {
  TempDir dir;
  DiskFileStore store;
  WriteFileBytes(dir.File("out.nc"), "old");
  ::chmod(dir.File("out.nc").c_str(), 0640);
  EXPECT_EQ(store.WriteAtomically(dir.File("out.nc"), "new"), std::nullopt);
  EXPECT_EQ(ReadFileBytes(dir.File("out.nc")), "new");
  EXPECT_EQ(ModeOf(dir.File("out.nc")) & 07777, 0640u);
}

// A FIFO stands for a device such as /dev/null, which a rename as root would replace by a file.
TEST(DiskFileStore, RefusesReadOnlyFileDirectoryAndSpecialFile) {
  TempDir dir;
  DiskFileStore store;
  WriteFileBytes(dir.File("locked.nc"), "keep");
  ::chmod(dir.File("locked.nc").c_str(), 0444);
  ::mkdir(dir.File("folder.nc").c_str(), 0755);
  ASSERT_EQ(::mkfifo(dir.File("fifo.nc").c_str(), 0644), 0);
  EXPECT_NE(store.WriteAtomically(dir.File("locked.nc"), "new"), std::nullopt);
  EXPECT_NE(store.WriteAtomically(dir.File("folder.nc"), "new"), std::nullopt);
  EXPECT_EQ(store.WriteAtomically(dir.File("fifo.nc"), "new"),
            "a device or other special file stands there");
  EXPECT_EQ(ReadFileBytes(dir.File("locked.nc")), "keep");
  EXPECT_TRUE(S_ISFIFO(ModeOf(dir.File("fifo.nc"))));
  EXPECT_EQ(ListDirectory(dir.Path()),
            (std::vector<std::string>{"fifo.nc", "folder.nc", "locked.nc"}));
}

TEST(DiskFileStore, ReplacesSymbolicLinkWithoutWritingThroughIt) {
  TempDir dir;
  DiskFileStore store;
  WriteFileBytes(dir.File("target.nc"), "untouched");
  ASSERT_EQ(::symlink(dir.File("target.nc").c_str(), dir.File("out.nc").c_str()), 0);
  EXPECT_EQ(store.WriteAtomically(dir.File("out.nc"), "new"), std::nullopt);
  EXPECT_TRUE(S_ISREG(ModeOf(dir.File("out.nc"))));
  EXPECT_EQ(ReadFileBytes(dir.File("out.nc")), "new");
  EXPECT_EQ(ReadFileBytes(dir.File("target.nc")), "untouched");
}

TEST(DiskFileStore, MissingDirectoryFailsAndLeavesNothing) {
  TempDir dir;
  DiskFileStore store;
  WriteFileBytes(dir.File("file"), "x");
  EXPECT_NE(store.WriteAtomically(dir.File("missing/out.nc"), "new"), std::nullopt);
  EXPECT_NE(store.WriteAtomically(dir.File("file/out.nc"), "new"), std::nullopt);
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"file"});
}

// A report written piece by piece: until Commit, whatever stood at the path stays, and a
// writer dropped without one leaves no temporary file behind.
TEST(AtomicFileWriter, PutsTheFileInPlaceOnlyOnCommit) {
  TempDir dir;
  WriteFileBytes(dir.File("r.json"), "previous");
  {
    AtomicFileWriter cutShort(dir.File("r.json"));
    ASSERT_EQ(cutShort.Open(), std::nullopt);
    EXPECT_EQ(cutShort.Append("half a rep"), std::nullopt);
  }
  EXPECT_EQ(ReadFileBytes(dir.File("r.json")), "previous");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"r.json"});
  AtomicFileWriter writer(dir.File("r.json"));
  ASSERT_EQ(writer.Open(), std::nullopt);
  EXPECT_EQ(writer.Append("new "), std::nullopt);
  EXPECT_EQ(writer.Append("report"), std::nullopt);
  EXPECT_EQ(ReadFileBytes(dir.File("r.json")), "previous");
  EXPECT_EQ(writer.Commit(), std::nullopt);
  EXPECT_EQ(ReadFileBytes(dir.File("r.json")), "new report");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"r.json"});
}

struct UnwritableCase {
  std::string directory;
};

TEST(DiskFileStore, UnwritableDirectoryFailsAndKeepsThePreviousFile) {
  if (!testing::CanDropPrivileges()) GTEST_SKIP() << "cannot run a step without privileges here";
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string locked = dir.File("locked");
  ::mkdir(locked.c_str(), 0755);
  WriteFileBytes(locked + "/out.nc", "previous");
  ::chmod((locked + "/out.nc").c_str(), 0666);
  UnwritableCase context{locked};
  const int result = testing::RunUnprivileged(
      [](void* raw) {
        DiskFileStore store;
        const auto& c = *static_cast<UnwritableCase*>(raw);
        return store.WriteAtomically(c.directory + "/out.nc", "new").has_value() ? 0 : 1;
      },
      &context);
  EXPECT_EQ(result, 0) << "the write must fail";
  EXPECT_EQ(ReadFileBytes(locked + "/out.nc"), "previous");
  EXPECT_EQ(ListDirectory(locked), std::vector<std::string>{"out.nc"});
}

TEST(DiskFileStore, ReadsOnlyRegularFiles) {
  TempDir dir;
  DiskFileStore store;
  WriteFileBytes(dir.File("part.nc"), std::string("G1\0X", 4));
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
  ::mkdir(dir.File("folder").c_str(), 0755);
  ReadOutcome regular = store.ReadRegularFile(dir.File("part.nc"));
  EXPECT_TRUE(regular.ok);
  EXPECT_EQ(regular.bytes, std::string("G1\0X", 4));
  for (const std::string& refused : {dir.File("fifo"), dir.File("folder"), std::string("/dev/null"),
                                     dir.File("missing")}) {
    ReadOutcome outcome = store.ReadRegularFile(refused);
    EXPECT_FALSE(outcome.ok) << refused;
    EXPECT_FALSE(outcome.error.empty()) << refused;
    EXPECT_EQ(outcome.missing, refused == dir.File("missing")) << refused;
  }
}

// A disk failing while a file is read fails the read with the reason and keeps none of it; an
// interrupted read goes on.
TEST(DiskFileStore, ReadFaultFailsTheReadAndAnInterruptedReadGoesOn) {
  TempDir dir;
  WriteFileBytes(dir.File("part.nc"), "G1X1\r\n");
  for (const int error : {EIO, EINTR}) {
    RecordingCalls calls(Fault{"read", error});
    const ReadOutcome read = DiskFileStore(calls).ReadRegularFile(dir.File("part.nc"));
    EXPECT_EQ(read.ok, error == EINTR) << error;
    EXPECT_EQ(read.bytes, error == EINTR ? "G1X1\r\n" : "") << error;
    EXPECT_EQ(read.error, error == EINTR ? "" : "Input/output error") << error;
    EXPECT_FALSE(read.missing) << error;
  }
}

TEST(DiskFileStore, SameFileResolvesLinks) {
  TempDir dir;
  DiskFileStore store;
  WriteFileBytes(dir.File("a.nc"), "x");
  WriteFileBytes(dir.File("b.nc"), "x");
  ::symlink(dir.File("a.nc").c_str(), dir.File("link.nc").c_str());
  ::link(dir.File("a.nc").c_str(), dir.File("hard.nc").c_str());
  EXPECT_TRUE(store.SameFile(dir.File("a.nc"), dir.File("link.nc")));
  EXPECT_TRUE(store.SameFile(dir.File("a.nc"), dir.File("hard.nc")));
  EXPECT_TRUE(store.SameFile(dir.File("a.nc"), dir.Path() + "//a.nc"));
  EXPECT_FALSE(store.SameFile(dir.File("a.nc"), dir.File("b.nc")));
  EXPECT_FALSE(store.SameFile(dir.File("a.nc"), dir.File("missing.nc")));
}

// Also with standard input closed, where the folder is descriptor 0.
TEST(DiskFileStore, SyncsTheFileBeforeTheRenameAndTheFolderAfterIt) {
  for (const bool inputClosed : {false, true}) {
    TempDir dir;
    WriteFileBytes(dir.File("out.nc"), "old");
    std::optional<StandardInputClosed> closed;
    if (inputClosed) closed.emplace();
    RecordingCalls calls;
    DiskFileStore store(calls);
    EXPECT_EQ(store.WriteAtomically(dir.File("out.nc"), "new"), std::nullopt);
    EXPECT_THAT(
        calls.Log(),
        ElementsAre("open folder", "lock folder", "create .out.nc.XXXXXX", "chmod .out.nc.XXXXXX",
                    "write .out.nc.XXXXXX", "sync .out.nc.XXXXXX", "close .out.nc.XXXXXX",
                    "rename .out.nc.XXXXXX out.nc", "sync folder", "close folder"))
        << inputClosed;
    EXPECT_EQ(store.ReadRegularFile(dir.File("out.nc")).bytes, "new") << inputClosed;
  }
}

struct WriteFaultCase {
  const char* entry;  // the call that fails, as RecordingCalls logs it
  int error;
  std::size_t afterBytes;
  const char* message;  // a part of the reason; "" when the write succeeds all the same
  bool newBytesStand;
  std::size_t writeLimit = static_cast<std::size_t>(-1);
};

std::vector<WriteFaultCase> WriteFaultCases(std::size_t size) {
  std::vector<WriteFaultCase> cases = {
      {"create", EACCES, 0, "Permission denied", false},
      {"chmod", EPERM, 0, "Operation not permitted", false},
      {"sync .out.nc", EIO, 0, "cannot sync it to disk: Input/output error", false},
      {"close .out.nc", EIO, 0, "Input/output error", false},
      {"rename", EXDEV, 0, "cannot put it in place: Invalid cross-device link", false},
      {"sync folder", EIO, 0, "the new file is in place, but its folder could not be synced", true},
      {"sync folder", EINVAL, 0, "", true},  // a file system that cannot sync folders
      {"open folder", EACCES, 0, "", true},  // no lock and no sync, but the file is written
      {"lock folder", ENOLCK, 0, "", true},
      {"write", EINTR, 3, "", true},
      {"", 0, 0, "", true, 1},  // every write short
  };
  for (std::size_t at = 0; at < size; ++at) {
    cases.push_back({"write", ENOSPC, at, "No space left on device", false});
    cases.push_back({"write", EIO, at, "Input/output error", false});
  }
  return cases;
}

// Each case also with standard input closed, where the temporary is descriptor 0 when the
// folder cannot be opened.
TEST(DiskFileStore, EveryFaultFailsOnlyItsWriteAndLeavesNoTemporary) {
  const std::string bytes = "G1X10Y20\r\n";
  for (const bool inputClosed : {false, true}) {
    for (const WriteFaultCase& c : WriteFaultCases(bytes.size())) {
      const std::string row = c.entry + (" " + std::to_string(c.error)) + " at " +
                              std::to_string(c.afterBytes) + (inputClosed ? ", no input" : "");
      TempDir dir;
      std::optional<StandardInputClosed> closed;
      if (inputClosed) closed.emplace();
      WriteFileBytes(dir.File("out.nc"), "old");
      RecordingCalls calls(Fault{c.entry, c.error, c.afterBytes});
      calls.writeLimit = c.writeLimit;
      DiskFileStore store(calls);
      const std::optional<std::string> error = store.WriteAtomically(dir.File("out.nc"), bytes);
      EXPECT_EQ(calls.Fired(), *c.entry != '\0') << row;
      if (*c.message == '\0') {
        EXPECT_EQ(error, std::nullopt) << row;
      } else {
        EXPECT_THAT(error.value_or(""), HasSubstr(c.message)) << row;
      }
      EXPECT_EQ(ReadFileBytes(dir.File("out.nc")), c.newBytesStand ? bytes : "old") << row;
      EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"out.nc"}) << row;
    }
  }
}

// Without hard links the move is a rename that must never replace: the kept-aside tool table
// goes to the next free name, and an earlier one is never lost.
TEST(DiskFileStore, MoveWithoutHardLinksNeverReplaces) {
  struct Case {
    const char* entry;  // the call that fails
    int error;
    bool taken;
    MoveOutcome::Result result;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {"link", EPERM, false, MoveOutcome::Result::kMoved, {"b"}},
      {"link", EPERM, true, MoveOutcome::Result::kTargetExists, {"a", "b"}},
      {"unlink a", EIO, false, MoveOutcome::Result::kFailed, {"a"}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    RecordingCalls calls(Fault{c.entry, c.error});
    DiskFileStore store(calls);
    WriteFileBytes(dir.File("a"), "moved");
    if (c.taken) WriteFileBytes(dir.File("b"), "kept");
    EXPECT_EQ(store.MoveWithoutReplacing(dir.File("a"), dir.File("b")).result, c.result) << c.entry;
    EXPECT_EQ(ListDirectory(dir.Path()), c.left) << c.entry;
    EXPECT_EQ(ReadFileBytes(dir.File(c.left.back())), c.taken ? "kept" : "moved") << c.entry;
    if (std::string_view(c.entry) == "link") {
      EXPECT_THAT(calls.Log(), Contains("rename-noreplace a b"));
    }
    if (c.result == MoveOutcome::Result::kMoved) {
      EXPECT_THAT(calls.Log(), Contains("sync folder"));
    }
  }
}

TEST(DiskFileStore, RemovesOnlyLeftoverTemporariesOfItsTargetsWhileNoWriteHoldsTheFolder) {
  TempDir dir;
  DiskFileStore store;
  const std::string longName(250, 'n');
  const std::string leftovers[] = {".out.nc.Ab12Cd", "." + longName.substr(0, 200) + ".zzzzzz"};
  std::vector<std::string> kept = {".other.nc.Ab12Cd", ".out.nc.Ab-2Cd", ".out.nc.Ab12C", "out.nc",
                                   "out.nc.Ab12Cd", ".part12"};
  for (const std::string& name : kept) WriteFileBytes(dir.File(name), "x");
  for (const std::string& name : leftovers) WriteFileBytes(dir.File(name), "x");
  ::symlink("out.nc", dir.File(".out.nc.Link12").c_str());
  ::mkdir(dir.File(".out.nc.Fold12").c_str(), 0755);
  kept.insert(kept.end(), {".out.nc.Fold12", ".out.nc.Link12"});
  WriteFileBytes(dir.File(".out.nc.Other1"), "x");
  if (::chown(dir.File(".out.nc.Other1").c_str(), ::geteuid() + 1, ::getegid()) == 0) {
    kept.push_back(".out.nc.Other1");  // another user's
  }
  const std::vector<std::string> targets = {dir.File("out.nc"), dir.File(longName),
                                            dir.File("part12")};
  const int writer = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(writer, LOCK_SH), 0);
  EXPECT_THAT(store.RemoveLeftoverTemporaries(targets), ElementsAre())
      << "a write holds the folder";
  ::close(writer);
  EXPECT_THAT(store.RemoveLeftoverTemporaries(targets),
              UnorderedElementsAre(dir.File(leftovers[0]), dir.File(leftovers[1])));
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(ListDirectory(dir.Path()), kept);
}

TEST(MemoryFileStore, FailingWriteKeepsTheOldContent) {
  MemoryFileStore store;
  store.files["/out"] = "old";
  store.failingWrites.insert("/out");
  EXPECT_NE(store.WriteAtomically("/out", "new"), std::nullopt);
  EXPECT_EQ(store.files["/out"], "old");
}

}  // namespace
}  // namespace quarnel
