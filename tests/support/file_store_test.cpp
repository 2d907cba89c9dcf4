#include "support/file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "test_support.h"

namespace quarnel {
namespace {

using testing::FileExists;
using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

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

TEST(DiskFileStore, RefusesReadOnlyFileAndDirectory) {
  TempDir dir;
  DiskFileStore store;
  WriteFileBytes(dir.File("locked.nc"), "keep");
  ::chmod(dir.File("locked.nc").c_str(), 0444);
  ::mkdir(dir.File("folder.nc").c_str(), 0755);
  EXPECT_NE(store.WriteAtomically(dir.File("locked.nc"), "new"), std::nullopt);
  EXPECT_NE(store.WriteAtomically(dir.File("folder.nc"), "new"), std::nullopt);
  EXPECT_EQ(ReadFileBytes(dir.File("locked.nc")), "keep");
  EXPECT_EQ(ListDirectory(dir.Path()), (std::vector<std::string>{"folder.nc", "locked.nc"}));
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

TEST(MemoryFileStore, FailingWriteKeepsTheOldContent) {
  MemoryFileStore store;
  store.files["/out"] = "old";
  store.failingWrites.insert("/out");
  EXPECT_NE(store.WriteAtomically("/out", "new"), std::nullopt);
  EXPECT_EQ(store.files["/out"], "old");
}

}  // namespace
}  // namespace quarnel
