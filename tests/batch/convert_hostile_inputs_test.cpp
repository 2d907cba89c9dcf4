// Hostile and odd inputs, and faults of the file system, through the conversion driver and
// through quarnel-convert itself. Each bad file fails with a reason and nothing is lost: the
// destination holds exactly what it held before for that name, no temporary file is left, the
// source is unchanged and the rest of the batch is converted.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/batch/conversion_batch.h"
#include "engine/translate/translator.h"
#include "support/file_store.h"
#include "support/settings_store.h"
#include "test_support.h"
#include "tools/tool_table_file.h"

namespace quarnel {
namespace {

using testing::ReadFileBytes;
using testing::RunCommand;
using testing::TempDir;
using testing::TestDataPath;
using testing::WriteFileBytes;

// The road example and its output, derived by hand for length 600, height 400, thickness 18
// and a table mapping 1 to 101. The translator state goes on from file to file; G207 in front
// ends any motion an earlier file left, writes nothing, and the road sets everything else it
// uses, so its output is the same wherever it stands in a batch.
std::string RoadSource() {
  return "G207" + ReadFileBytes(std::string(QUARNEL_EXAMPLES) + "/road.nc");
}
std::string RoadOutput() { return ReadFileBytes(TestDataPath("golden/road/expected/road.nc")); }
constexpr std::string_view kEmptyBodyOutput =
    "G71X600Y400Z18T00D240N3L\r\nG150(G-code from router)\r\nM2\r\n\r\n";
constexpr std::string_view kPreviousOutput = "previous output\r\n";
// Row 1 maps 1 to 101; row 2 maps 7 to a "To" number beyond 16 bits.
constexpr std::string_view kToolTable =
    "QUARNEL-TOOLTABLE 1\n1\t101\n7\t99999\n\t\n\t\n\t\n\t\n\t\n\t\n";

// The bytes of a string literal, NUL bytes included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::string Repeated(std::string_view text, std::size_t times) {
  std::string result;
  result.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) result += text;
  return result;
}

// What a folder holds, entry by entry: a file's bytes, a link's target, or the kind of entry.
using Snapshot = std::map<std::string, std::string>;

std::string LinkTarget(const std::string& path) {
  char target[4096] = {};
  const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
  return std::string(target, static_cast<std::size_t>(std::max<ssize_t>(0, length)));
}

Snapshot SnapshotOf(const std::string& directory) {
  Snapshot snapshot;
  for (const std::string& name : testing::ListDirectory(directory)) {
    const std::string path = directory + "/" + name;
    struct stat info {};
    ::lstat(path.c_str(), &info);
    std::string& entry = snapshot[name];
    if (S_ISLNK(info.st_mode)) {
      entry = "link to " + LinkTarget(path);
    } else if (S_ISREG(info.st_mode)) {
      entry = ReadFileBytes(path) + " mode " + std::to_string(info.st_mode & 07777);
    } else {
      entry = S_ISDIR(info.st_mode) ? "directory" : "special file";
    }
  }
  return snapshot;
}

Snapshot With(Snapshot snapshot, const std::string& name, std::string_view bytes) {
  snapshot[name] = std::string(bytes) + " mode " + std::to_string(0644);
  return snapshot;
}

// A source folder, a destination folder and a folder elsewhere, with the usual umask.
class Folders {
 public:
  Folders() {
    ::umask(022);
    ::chmod(root_.Path().c_str(), 0755);
    for (const char* name : {"src", "out", "elsewhere"}) ::mkdir(root_.File(name).c_str(), 0755);
  }
  std::string Src(std::string_view name = "") const { return Join("src", name); }
  std::string Out(std::string_view name = "") const { return Join("out", name); }
  std::string Elsewhere(std::string_view name = "") const { return Join("elsewhere", name); }
  const TempDir& Root() const { return root_; }

 private:
  std::string Join(std::string_view folder, std::string_view name) const {
    return name.empty() ? root_.File(folder) : root_.File(folder) + "/" + std::string(name);
  }
  TempDir root_;
};

// One batch through the real translator and the disk, with the dimensions and table above.
struct BatchRun {
  std::vector<FileFailure> failures;
  std::string FailureOf(const std::string& path) const {
    for (const FileFailure& failure : failures) {
      if (failure.file == path) return failure.reason;
    }
    return "";
  }
};

// Runs a function of the test just before each file of a batch.
class BeforeEachFile final : public BatchObserver {
 public:
  explicit BeforeEachFile(std::function<void(const std::string& path)> before)
      : before_(std::move(before)) {}
  void FileStarting(const std::string& source) override { before_(source); }
  void FileDone(const std::string&, const DimensionTexts&) override {}

 private:
  std::function<void(const std::string& path)> before_;
};

BatchRun ConvertOnDisk(const std::string& destination, const std::vector<std::string>& sources,
                       const std::function<void(const std::string& path)>& before = {}) {
  DiskFileStore files;
  ToolTable tools = ParseToolTableText(kToolTable).table.value();
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, tools);
  BeforeEachFile observer(before);
  return {FailuresOf(driver.ConvertBatch(sources, destination, dims, before ? &observer : nullptr))};
}

// A source that fails: how to make it, and what its reason says.
struct RefusedCase {
  const char* what;
  const char* reason;  // a part of the failure's reason
  // Makes the bad source (and whatever it needs in the destination); returns its path.
  std::function<std::string(const Folders&)> make;
  std::function<void(const std::string& path)> beforeFile = {};  // runs just before each file
};

std::string Source(const Folders& at, std::string_view bytes) {
  WriteFileBytes(at.Src("bad.nc"), bytes);
  return at.Src("bad.nc");
}

std::vector<RefusedCase> RefusedCases() {
  return {
      {"a directory", "directory",
       [](const Folders& at) {
         ::mkdir(at.Src("bad.nc").c_str(), 0755);
         return at.Src("bad.nc");
       }},
      {"a FIFO", "not a regular file",
       [](const Folders& at) {
         ::mkfifo(at.Src("bad.nc").c_str(), 0644);
         return at.Src("bad.nc");
       }},
      {"a device that never ends", "not a regular file",
       [](const Folders& at) {
         ::symlink("/dev/zero", at.Src("bad.nc").c_str());
         return at.Src("bad.nc");
       }},
      {"a source that vanishes after listing", "No such file",
       [](const Folders& at) { return Source(at, "G1X1\r\n"); },
       [](const std::string& path) {
         if (path.ends_with("/bad.nc")) ::unlink(path.c_str());
       }},
      {"X beyond the float range", "line 2: X1E39 does not fit",
       [](const Folders& at) { return Source(at, "G90\r\nG1X1E39\r\nG1X2\r\n"); }},
      {"X below the float range", "line 1: X-1E39 does not fit",
       [](const Folders& at) { return Source(at, "G1X-1E39\r\n"); }},
      {"a tool number beyond 16 bits", "line 1: T40000 does not fit in a tool number",
       [](const Folders& at) { return Source(at, "G0X1T40000\r\n"); }},
      {"a \"To\" cell beyond 16 bits", "line 2: tool table row 2 \"To\" 99999 does not fit",
       [](const Folders& at) { return Source(at, "G0X1T7\r\nG1X2\r\n"); }},
      {"a body over 32,764 lines", "32765 lines",
       [](const Folders& at) { return Source(at, Repeated("G1X1\r\n", 32765)); }},
      {"a read-only output file", "read-only",
       [](const Folders& at) {
         ::chmod(at.Out("bad.nc").c_str(), 0444);
         return Source(at, "G1X1\r\n");
       }},
      {"an output link to the source", "would replace the source file itself",
       [](const Folders& at) {
         ::unlink(at.Out("bad.nc").c_str());
         ::symlink(at.Src("bad.nc").c_str(), at.Out("bad.nc").c_str());
         return Source(at, "G1X1\r\n");
       }},
      {"an output name already written in the batch", "already written",
       [](const Folders& at) {
         ::mkdir(at.Src("other").c_str(), 0755);
         WriteFileBytes(at.Src("other/good_a.nc"), RoadSource());
         return at.Src("other/good_a.nc");
       }},
  };
}

TEST(HostileSource, FailsWithItsReasonAndLosesNothing) {
  for (const RefusedCase& c : RefusedCases()) {
    SCOPED_TRACE(c.what);
    Folders at;
    WriteFileBytes(at.Src("good_a.nc"), RoadSource());
    WriteFileBytes(at.Src("good_b.nc"), RoadSource());
    WriteFileBytes(at.Out("bad.nc"), kPreviousOutput);
    const std::string bad = c.make(at);
    const Snapshot sourcesBefore = SnapshotOf(at.Src());
    const Snapshot outputsBefore = SnapshotOf(at.Out());
    const BatchRun run =
        ConvertOnDisk(at.Out(), {at.Src("good_a.nc"), bad, at.Src("good_b.nc")}, c.beforeFile);
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_EQ(run.failures[0].file, bad);
    EXPECT_NE(run.failures[0].reason.find(c.reason), std::string::npos) << run.failures[0].reason;
    Snapshot expectedOutputs = With(outputsBefore, "good_a.nc", RoadOutput());
    expectedOutputs = With(expectedOutputs, "good_b.nc", RoadOutput());
    EXPECT_EQ(SnapshotOf(at.Out()), expectedOutputs);  // also: no hidden temporary file
    if (!c.beforeFile) {
      EXPECT_EQ(SnapshotOf(at.Src()), sourcesBefore);
    }
  }
}

// Odd sources that are converted: the expected outputs follow from the line and number rules.
TEST(OddSource, ConvertsLikeItsPlainForm) {
  std::string road = RoadSource();  // CR LF line ends
  auto withLineEnds = [&](std::string_view end) {
    std::string text;
    for (std::size_t at = 0, next; (next = road.find("\r\n", at)) != std::string::npos;
         at = next + 2) {
      text += road.substr(at, next - at);
      text += end;
    }
    return text;
  };
  struct Case {
    const char* what;
    std::string source;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"an empty file", "", std::string(kEmptyBodyOutput)},
      {"a binary file",
       Bytes("\x7f"
             "ELF\x02\x01\x01\0\0\0\xff\xfe\r\n\x89PNG\r\n\x1a\n\0G"),
       std::string(kEmptyBodyOutput)},
      {"CR line ends only", withLineEnds("\r"), RoadOutput()},
      {"LF line ends only", withLineEnds("\n"), RoadOutput()},
      {"mixed line ends and blank lines",
       "G207G90G17G40\nG0X100Y50P-5T1\r\r\nG1X300F3000\r\n\rG2X350Y100R50\n\n(END)\rM30",
       RoadOutput()},
      {"a byte-order mark", "\xEF\xBB\xBF" + road, RoadOutput()},
      // A NUL neither ends the line nor the file: the G words after it still count, and a line
      // that starts with one is not translated.
      {"NUL bytes",
       Bytes("G207G90\0G17G40\r\n\0G1X999\r\nG0X100Y50P-5T1\r\nG1X300F3000\0\r\nG2X350Y100R50\r\n"),
       RoadOutput()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Folders at;
    WriteFileBytes(at.Src("odd.nc"), c.source);
    WriteFileBytes(at.Src("good.nc"), road);
    const BatchRun run = ConvertOnDisk(at.Out(), {at.Src("odd.nc"), at.Src("good.nc")});
    EXPECT_TRUE(run.failures.empty()) << (run.failures.empty() ? "" : run.failures[0].reason);
    EXPECT_EQ(ReadFileBytes(at.Out("odd.nc")), c.expected);
    EXPECT_EQ(ReadFileBytes(at.Out("good.nc")), RoadOutput());
    EXPECT_EQ(ReadFileBytes(at.Src("odd.nc")), c.source);
  }
}

// A destination that cannot take any file fails every file and creates nothing anywhere.
TEST(HostileDestination, EveryFileFailsAndNothingIsCreated) {
  struct Case {
    const char* what;
    const char* reason;
    std::function<std::string(const Folders&)> make;  // returns the destination
  };
  const std::vector<Case> cases = {
      {"a missing destination", "No such file",
       [](const Folders& at) { return at.Out("missing"); }},
      {"a destination that is a file", "Not a directory",
       [](const Folders& at) {
         WriteFileBytes(at.Out("file"), "not a folder");
         return at.Out("file");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Folders at;
    WriteFileBytes(at.Src("a.nc"), RoadSource());
    WriteFileBytes(at.Src("b.nc"), RoadSource());
    const std::string destination = c.make(at);
    const Snapshot sourcesBefore = SnapshotOf(at.Src()), outputsBefore = SnapshotOf(at.Out());
    const BatchRun run = ConvertOnDisk(destination, {at.Src("a.nc"), at.Src("b.nc")});
    ASSERT_EQ(run.failures.size(), 2u);
    for (const FileFailure& failure : run.failures) {
      EXPECT_NE(failure.reason.find(c.reason), std::string::npos) << failure.reason;
    }
    EXPECT_EQ(SnapshotOf(at.Out()), outputsBefore);
    EXPECT_EQ(SnapshotOf(at.Src()), sourcesBefore);
  }
}

struct LockedFolder {
  std::string destination, source;
};

TEST(HostileDestination, ReadOnlyFolderKeepsItsPreviousOutput) {
  if (!testing::CanDropPrivileges()) GTEST_SKIP() << "cannot run a step without privileges here";
  Folders at;
  WriteFileBytes(at.Src("a.nc"), RoadSource());
  WriteFileBytes(at.Out("a.nc"), kPreviousOutput);
  ::chmod(at.Out().c_str(), 0555);
  const Snapshot before = SnapshotOf(at.Out());
  LockedFolder context{at.Out(), at.Src("a.nc")};
  const int failed = testing::RunUnprivileged(
      [](void* raw) {
        const auto& c = *static_cast<LockedFolder*>(raw);
        const BatchRun run = ConvertOnDisk(c.destination, {c.source});
        const bool denied = run.failures.size() == 1 &&
                            run.failures[0].reason.find("Permission denied") != std::string::npos;
        return denied ? 1 : 0;
      },
      &context);
  EXPECT_EQ(failed, 1) << "the write must fail with the system's reason";
  EXPECT_EQ(SnapshotOf(at.Out()), before);
}

// Mounts a small tmpfs on a folder for a test; unmounted again in all cases.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const std::string& mountPoint) : mountPoint_(mountPoint) {
    mounted_ = ::geteuid() == 0 && RunCommand("mount -t tmpfs -o size=64k,mode=0755 tmpfs '" +
                                              mountPoint_ + "' 2>/dev/null") == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) RunCommand("umount '" + mountPoint_ + "'");
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;
  bool Mounted() const { return mounted_; }

 private:
  std::string mountPoint_;
  bool mounted_ = false;
};

// Fills the file system holding path until a write fails.
void FillUp(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  const std::string block(512, 'x');
  while (::write(fd, block.data(), block.size()) > 0) {
  }
  ::close(fd);
}

TEST(FullFileSystem, FailedOutputLeavesNoTemporaryFileAndTheNextFileFits) {
  Folders at;
  SmallFileSystem disk(at.Out());
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and mount)";
  WriteFileBytes(at.Src("good_a.nc"), RoadSource());
  WriteFileBytes(at.Src("good_b.nc"), RoadSource());
  // About 100 KB of output, more than the 64 KB the file system holds.
  WriteFileBytes(at.Src("big.nc"), Repeated("G1X1.2345Y2.3456\r\n", 4000));
  WriteFileBytes(at.Out("big.nc"), kPreviousOutput);
  const Snapshot outputsBefore = SnapshotOf(at.Out());
  const BatchRun run =
      ConvertOnDisk(at.Out(), {at.Src("good_a.nc"), at.Src("big.nc"), at.Src("good_b.nc")});
  ASSERT_EQ(run.failures.size(), 1u);
  EXPECT_NE(run.FailureOf(at.Src("big.nc")).find("No space left"), std::string::npos)
      << run.FailureOf(at.Src("big.nc"));
  Snapshot expected = With(outputsBefore, "good_a.nc", RoadOutput());
  EXPECT_EQ(SnapshotOf(at.Out()), With(expected, "good_b.nc", RoadOutput()));
}

TEST(FullFileSystem, SettingsAndToolTableKeepTheirPreviousFiles) {
  Folders at;
  SmallFileSystem disk(at.Out());
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and mount)";
  DiskFileStore files;
  IniStore settings(files, at.Out("Quarnel.INI"));
  settings.IniWrite("Settings", "X-Dimension", "600");
  ToolTable table = *ParseToolTableText(kToolTable).table;
  ASSERT_FALSE(SaveToolTable(files, at.Out("ToolTbl.Dat"), table).has_value());
  const std::string iniBefore = ReadFileBytes(at.Out("Quarnel.INI"));
  const std::string tableBefore = ReadFileBytes(at.Out("ToolTbl.Dat"));
  FillUp(at.Out("filler"));
  settings.IniWrite("Settings", "X-Dimension", std::string(5000, '7'));
  table.SetCell(3, 1, std::string(5000, '3'));
  EXPECT_TRUE(SaveToolTable(files, at.Out("ToolTbl.Dat"), table).has_value());
  EXPECT_EQ(ReadFileBytes(at.Out("Quarnel.INI")), iniBefore);
  EXPECT_EQ(ReadFileBytes(at.Out("ToolTbl.Dat")), tableBefore);
  EXPECT_EQ(settings.IniRead("Settings", "X-Dimension"), "600");
  EXPECT_EQ(testing::ListDirectory(at.Out()),
            (std::vector<std::string>{"Quarnel.INI", "ToolTbl.Dat", "filler"}));
}

struct LockedSettings {
  std::string folder;
};

TEST(UnwritableProgramFolder, SettingsAndToolTableKeepTheirPreviousFiles) {
  if (!testing::CanDropPrivileges()) GTEST_SKIP() << "cannot run a step without privileges here";
  Folders at;
  DiskFileStore files;
  IniStore(files, at.Out("Quarnel.INI")).IniWrite("Settings", "X-Dimension", "600");
  ASSERT_FALSE(
      SaveToolTable(files, at.Out("ToolTbl.Dat"), *ParseToolTableText(kToolTable).table).has_value());
  ::chmod(at.Out("Quarnel.INI").c_str(), 0666);  // the files are writable, the folder is not
  ::chmod(at.Out("ToolTbl.Dat").c_str(), 0666);
  ::chmod(at.Out().c_str(), 0555);
  const Snapshot before = SnapshotOf(at.Out());
  LockedSettings context{at.Out()};
  const int status = testing::RunUnprivileged(
      [](void* raw) {
        const auto& folder = static_cast<LockedSettings*>(raw)->folder;
        DiskFileStore disk;
        IniStore(disk, folder + "/Quarnel.INI").IniWrite("Settings", "X-Dimension", "700");
        return SaveToolTable(disk, folder + "/ToolTbl.Dat", ToolTable()).has_value() ? 0 : 1;
      },
      &context);
  EXPECT_EQ(status, 0) << "saving the table must fail";
  EXPECT_EQ(SnapshotOf(at.Out()), before);
}

// quarnel-convert run as a child process, with its messages and its peak memory. The time
// limit only turns a hang into a failure; speed is measured by the benchmark, not by tests.
struct ChildRun {
  int status = -1;  // exit status, -1 when killed
  std::string err;
  long peakKilobytes = 0;
  double seconds = 0;
};

ChildRun RunConverter(const TempDir& scratch, const std::vector<std::string>& args,
                      unsigned timeLimitSeconds = 60) {
  const std::string errPath = scratch.File("stderr.txt");
  std::vector<const char*> argv = {QUARNEL_CONVERT_EXE};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(err, STDERR_FILENO);
    ::alarm(timeLimitSeconds);  // kept across exec: a hang ends in SIGALRM
    ::execv(argv[0], const_cast<char* const*>(argv.data()));
    ::_exit(127);
  }
  ChildRun run;
  int status = 0;
  struct rusage usage {};
  if (::wait4(child, &status, 0, &usage) == child && WIFEXITED(status))
    run.status = WEXITSTATUS(status);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  run.peakKilobytes = usage.ru_maxrss;
  run.err = ReadFileBytes(errPath);
  return run;
}

// Every bad case of one batch, mixed with good files: the good ones are converted, each bad one
// is named with its reason, and the run exits 1.
TEST(ConvertExecutable, MixedBatchConvertsTheGoodFilesAndNamesEveryBadOne) {
  Folders at;
  TempDir scratch;
  const std::string road = RoadSource();
  WriteFileBytes(at.Elsewhere("tools.dat"), kToolTable);
  WriteFileBytes(at.Elsewhere("target.nc"), "never written through a link\r\n");
  struct Bad {
    std::string name, reason;
  };
  // In batch order; a good file follows each of the first seven. The translator state goes on
  // from file to file, so the "To" cell case, which leaves tool 7 and a rapid move owed, is
  // followed by a good file that sets its own tool.
  const std::vector<Bad> bad = {
      {"directory.nc", "it is a directory, not a file"},
      {"fifo.nc", "it is not a regular file"},
      {"device.nc", "it is not a regular file"},
      {"vanished.nc", "cannot read the source: No such file or directory"},
      {"to_cell.nc", "line 2: tool table row 2 \"To\" 99999 does not fit in a tool number"},
      {"x_big.nc", "line 1: X1E39 does not fit in a 32-bit number"},
      {"tool.nc", "line 1: T40000 does not fit in a tool number (-32768..32767)"},
      {"long_body.nc", "the translated program has 32765 lines"},
      {"x_small.nc", "line 1: X-1E39 does not fit in a 32-bit number"},
      {"read_only.nc", "the existing file is read-only"},
      {"self.nc", "would replace the source file itself"},
      {"other/good_1.nc", "another source of this batch was already written to"},
  };
  ::mkdir(at.Src("directory.nc").c_str(), 0755);
  ::mkfifo(at.Src("fifo.nc").c_str(), 0644);
  ::symlink("/dev/zero", at.Src("device.nc").c_str());
  WriteFileBytes(at.Src("x_big.nc"), "G1X1E39\r\n");
  WriteFileBytes(at.Src("x_small.nc"), "G1X-1E39\r\n");
  WriteFileBytes(at.Src("tool.nc"), "G0X1T40000\r\n");
  WriteFileBytes(at.Src("to_cell.nc"), "G0X1T7\r\nG1X2\r\n");
  WriteFileBytes(at.Src("long_body.nc"), Repeated("G1X1\r\n", 32765));
  WriteFileBytes(at.Src("read_only.nc"), road);
  WriteFileBytes(at.Src("self.nc"), road);
  ::mkdir(at.Src("other").c_str(), 0755);
  WriteFileBytes(at.Src("other/good_1.nc"), "G1X5\r\n");
  for (const Bad& b : bad) {
    if (b.name.find('/') == std::string::npos) WriteFileBytes(at.Out(b.name), kPreviousOutput);
  }
  ::chmod(at.Out("read_only.nc").c_str(), 0444);
  ::unlink(at.Out("self.nc").c_str());
  ::symlink(at.Src("self.nc").c_str(), at.Out("self.nc").c_str());

  const std::vector<std::pair<std::string, std::string>> good = {
      {"empty.nc", std::string(kEmptyBodyOutput)},
      {"binary.nc", std::string(kEmptyBodyOutput)},
      {"bom.nc", RoadOutput()},
      {"cr_only.nc", RoadOutput()},
      {"good_1.nc", RoadOutput()},
      {"linked.nc", RoadOutput()},  // its output path is a link elsewhere: replaced
      {"good_2.nc", RoadOutput()},
  };
  WriteFileBytes(at.Src("good_1.nc"), road);
  WriteFileBytes(at.Src("empty.nc"), "");
  WriteFileBytes(at.Src("binary.nc"), Bytes("\0\x01\xff\xfe\x80GARBAGE\x1b"));
  WriteFileBytes(at.Src("bom.nc"), "\xEF\xBB\xBF" + road);
  std::string crOnly = road;
  std::erase(crOnly, '\n');
  WriteFileBytes(at.Src("cr_only.nc"), crOnly);
  WriteFileBytes(at.Src("linked.nc"), road);
  ::symlink(at.Elsewhere("target.nc").c_str(), at.Out("linked.nc").c_str());
  WriteFileBytes(at.Src("good_2.nc"), road);

  std::vector<std::string> args = {
      "--dest", at.Out(),      "--length", "600",     "--height",
      "400",    "--thickness", "18",       "--tools", at.Elsewhere("tools.dat")};
  auto goodName = good.begin();
  for (const Bad& b : bad) {
    args.push_back(at.Src(b.name));
    if (goodName != good.end()) args.push_back(at.Src((goodName++)->first));
  }
  const Snapshot sourcesBefore = SnapshotOf(at.Src());
  const Snapshot outputsBefore = SnapshotOf(at.Out());
  const Snapshot elsewhereBefore = SnapshotOf(at.Elsewhere());

  const ChildRun run = RunConverter(scratch, args);

  EXPECT_EQ(run.status, 1) << run.err;
  for (const Bad& b : bad) {
    const std::string line = "quarnel-convert: " + at.Src(b.name) + ": ";
    const std::size_t start = run.err.find(line);
    ASSERT_NE(start, std::string::npos) << b.name << " is not named in\n" << run.err;
    const std::string message = run.err.substr(start, run.err.find('\n', start) - start);
    EXPECT_NE(message.find(b.reason), std::string::npos) << message;
  }
  // Besides one line per bad file, three warnings: the table's "To" 99999, and the binary
  // file's bytes and empty body.
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), static_cast<long>(bad.size()) + 3)
      << run.err;
  Snapshot expectedOutputs = outputsBefore;
  for (const auto& [name, output] : good) expectedOutputs = With(expectedOutputs, name, output);
  EXPECT_EQ(SnapshotOf(at.Out()), expectedOutputs);
  EXPECT_EQ(SnapshotOf(at.Src()), sourcesBefore);
  EXPECT_EQ(SnapshotOf(at.Elsewhere()), elsewhereBefore);
}

// A 100 MB line of G0 G1 pairs asks for 26 million body lines: it must fail without taking
// memory in proportion to that output, and the next file must still be converted.
TEST(ConvertExecutable, HugeSingleLineFailsInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr std::size_t kLineBytes = 10u << 20;  // the sanitizers make each step slower
#else
  constexpr std::size_t kLineBytes = 100u << 20;
#endif
  Folders at;
  TempDir scratch;
  WriteFileBytes(at.Src("huge.nc"), Repeated("G0G1", kLineBytes / 4));
  WriteFileBytes(at.Src("good.nc"), RoadSource());
  WriteFileBytes(at.Elsewhere("tools.dat"), kToolTable);
  const ChildRun run = RunConverter(
      scratch, {"--dest", at.Out(), "--length", "600", "--height", "400", "--thickness", "18",
                "--tools", at.Elsewhere("tools.dat"), at.Src("huge.nc"), at.Src("good.nc")});
  EXPECT_EQ(run.status, 1) << run.err;
  // One positioning block per G0 G1 pair, and the line's own G1 line.
  EXPECT_NE(run.err.find(at.Src("huge.nc") + ": the translated program has " +
                         std::to_string(kLineBytes / 4 + 1) + " lines"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(testing::ListDirectory(at.Out()), std::vector<std::string>{"good.nc"});
  EXPECT_EQ(ReadFileBytes(at.Out("good.nc")), RoadOutput());
  // The file is read whole; anything near the 26 million lines of output would be far more.
  EXPECT_LT(run.peakKilobytes, static_cast<long>(3 * kLineBytes / 1024 + 64 * 1024));
  std::printf("%zu MB line: %.1f s, peak %ld MB\n", kLineBytes >> 20, run.seconds,
              run.peakKilobytes / 1024);
}

// A source far larger than memory (a sparse file of 8 TiB) fails alone instead of ending the
// program, and the next file is converted.
TEST(ConvertExecutable, SourceLargerThanMemoryFailsAlone) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer ends the program on a failed allocation instead of throwing";
#endif
  if (ReadFileBytes("/proc/sys/vm/overcommit_memory").starts_with("1")) {
    GTEST_SKIP() << "the kernel grants allocations of any size here";
  }
  Folders at;
  TempDir scratch;
  const int fd = ::open(at.Src("sparse.nc").c_str(), O_WRONLY | O_CREAT, 0644);
  const bool sparse = fd >= 0 && ::ftruncate(fd, off_t{8} << 40) == 0;
  if (fd >= 0) ::close(fd);
  if (!sparse) GTEST_SKIP() << "this file system cannot hold a sparse file of 8 TiB";
  WriteFileBytes(at.Src("good.nc"), RoadSource());
  const ChildRun run =
      RunConverter(scratch, {"--dest", at.Out(), "--length", "600", "--height", "400",
                             "--thickness", "18", "--tools", TestDataPath("golden/shop-tools.dat"),
                             at.Src("sparse.nc"), at.Src("good.nc")});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(run.err.ends_with("\nquarnel-convert: " + at.Src("sparse.nc") +
                                 ": there is not enough memory to convert it\n"))
      << run.err;
  EXPECT_EQ(testing::ListDirectory(at.Out()), std::vector<std::string>{"good.nc"});
  EXPECT_EQ(ReadFileBytes(at.Out("good.nc")), RoadOutput());
}

// A tool table file with a line break in a cell is foreign: a usage error, nothing converted.
TEST(ConvertExecutable, ToolTableWithALineBreakInACellIsAUsageError) {
  Folders at;
  TempDir scratch;
  WriteFileBytes(at.Src("a.nc"), RoadSource());
  WriteFileBytes(at.Elsewhere("tools.dat"),
                 "QUARNEL-TOOLTABLE 1\n1\r\t101\n\t\n\t\n\t\n\t\n\t\n\t\n\t\n");
  const ChildRun run = RunConverter(scratch, {"--dest", at.Out(), "--height", "400", "--tools",
                                              at.Elsewhere("tools.dat"), at.Src("a.nc")});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("tools.dat: line 2: a carriage return inside a cell"), std::string::npos)
      << run.err;
  EXPECT_TRUE(testing::ListDirectory(at.Out()).empty());
}

}  // namespace
}  // namespace quarnel
