// quarnel-convert over a failing disk: each step of writing an output, a preview or the report
// fails in turn, under the real file store. The fault fails only the file it touches, with its
// reason on stderr and exit status 1; that file keeps its earlier bytes, every other file is
// written, and no temporary is left. A report that cannot be made at all refuses the run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "cli/convert_command.h"
#include "recording_calls.h"
#include "support/file_store.h"
#include "test_support.h"

namespace quarnel {
namespace {

using testing::Fault;
using ::testing::HasSubstr;
using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::RecordingCalls;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr const char* kEarlier = "earlier";

// A batch of three sources over a destination, a preview folder and a report that hold
// earlier files of every name the run writes.
struct Workshop {
  TempDir dir;
  std::vector<std::string> written = {"out/a.nc",      "out/b.nc",      "out/c.nc", "prev/a.nc.svg",
                                      "prev/b.nc.svg", "prev/c.nc.svg", "r.json"};
  Workshop() {
    for (const char* folder : {"src", "out", "prev"}) ::mkdir(dir.File(folder).c_str(), 0755);
    for (const char* name : {"a", "b", "c"}) {
      WriteFileBytes(dir.File(std::string("src/") + name + ".nc"),
                     "G0X1Y2\r\nG1X30Y40Z-5F2000\r\n");
    }
    for (const std::string& path : written) WriteFileBytes(dir.File(path), kEarlier);
  }
  int Run(std::string& err, const char* option = "--strict") {
    const std::vector<std::string> args = {"quarnel-convert",
                                           option,
                                           "--dest",
                                           dir.File("out"),
                                           "--preview",
                                           dir.File("prev"),
                                           "--report",
                                           dir.File("r.json"),
                                           "--length",
                                           "600",
                                           "--height",
                                           "400",
                                           "--thickness",
                                           "18",
                                           dir.File("src/a.nc"),
                                           dir.File("src/b.nc"),
                                           dir.File("src/c.nc")};
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out, errors;
    const int status = RunConvertCommand(static_cast<int>(argv.size()), argv.data(), out, errors);
    err = errors.str();
    return status;
  }
};

TEST(ConvertOverFailingDisk, EachFaultFailsOnlyTheFileItTouches) {
  struct Case {
    const char* entry;  // the call that fails, as RecordingCalls logs it
    int error;
    std::size_t afterBytes;
    const char* file;     // the file it touches; nullptr: the run is refused and writes nothing
    const char* message;  // its line on stderr, after "quarnel-convert: "; DIR is the folder
    bool newBytesStand;
  };
  const Case cases[] = {
      {"create .b.nc.XXXXXX", ENOSPC, 0, "out/b.nc",
       "DIR/src/b.nc: cannot write DIR/out/b.nc: No space left on device", false},
      {"write .b.nc.XXXXXX", EIO, 20, "out/b.nc",
       "DIR/src/b.nc: cannot write DIR/out/b.nc: Input/output error", false},
      {"sync .b.nc.XXXXXX", EIO, 0, "out/b.nc",
       "DIR/src/b.nc: cannot write DIR/out/b.nc: cannot sync it to disk: Input/output error",
       false},
      {"rename .b.nc.XXXXXX", EIO, 0, "out/b.nc",
       "DIR/src/b.nc: cannot write DIR/out/b.nc: cannot put it in place: Input/output error",
       false},
      {"sync folder", EIO, 0, "prev/a.nc.svg",
       "cannot write the preview DIR/prev/a.nc.svg: the new file is in place, but its folder "
       "could not be synced to disk, so a power failure may bring back the previous one: "
       "Input/output error",
       true},
      {"create .b.nc.svg", EACCES, 0, "prev/b.nc.svg",
       "cannot write the preview DIR/prev/b.nc.svg: Permission denied", false},
      {"write .b.nc.svg", ENOSPC, 100, "prev/b.nc.svg",
       "cannot write the preview DIR/prev/b.nc.svg: No space left on device", false},
      {"sync .b.nc.svg", EIO, 0, "prev/b.nc.svg",
       "cannot write the preview DIR/prev/b.nc.svg: cannot sync it to disk: Input/output error",
       false},
      {"create .r.json", EACCES, 0, nullptr,
       "cannot write the report DIR/r.json: Permission denied", false},
      {"write .r.json", ENOSPC, 30, "r.json",
       "cannot write the report DIR/r.json: No space left on device", false},
      {"rename .r.json", EXDEV, 0, "r.json",
       "cannot write the report DIR/r.json: cannot put it in place: Invalid cross-device link",
       false},
  };
  for (const Case& c : cases) {
    Workshop shop;
    RecordingCalls calls(Fault{c.entry, c.error, c.afterBytes});
    UseSystemCallsForTesting(&calls);
    std::string err;
    const int status = shop.Run(err);
    UseSystemCallsForTesting(nullptr);
    std::string message = c.message;
    for (std::size_t at; (at = message.find("DIR")) != std::string::npos;) {
      message.replace(at, 3, shop.dir.Path());
    }
    EXPECT_EQ(status, c.file == nullptr ? kExitUsage : kExitSomeFailed) << c.entry;
    EXPECT_THAT(err, HasSubstr("quarnel-convert: " + message + "\n")) << c.entry;
    for (const std::string& path : shop.written) {
      const bool kept = c.file == nullptr || (path == c.file && !c.newBytesStand);
      EXPECT_EQ(ReadFileBytes(shop.dir.File(path)) == kEarlier, kept) << c.entry << ": " << path;
    }
    for (const char* folder : {"out", "prev"}) {
      EXPECT_EQ(ListDirectory(shop.dir.File(folder)).size(), 3u) << c.entry << ": " << folder;
    }
    EXPECT_EQ(ListDirectory(shop.dir.Path()).size(), 4u) << c.entry;
  }
}

// A run killed while writing leaves its temporaries; the next run removes those of the files
// it writes, and says so with -v, but no other hidden file.
TEST(ConvertOverFailingDisk, LaterRunRemovesTheTemporariesOfAKilledRun) {
  Workshop shop;
  const std::vector<std::string> leftovers = {"out/.b.nc.Xy12Zw", "prev/.a.nc.svg.abcdef",
                                              ".r.json.QQQQQQ"};
  for (const std::string& path : leftovers) WriteFileBytes(shop.dir.File(path), "half");
  WriteFileBytes(shop.dir.File("out/.d.nc.Xy12Zw"), "another file's");
  std::string err;
  ASSERT_EQ(shop.Run(err, "-v"), kExitAllWritten) << err;
  for (const std::string& path : leftovers) {
    EXPECT_THAT(err, HasSubstr("quarnel-convert: removed " + shop.dir.File(path) +
                               ", left by a run that was stopped\n"));
  }
  EXPECT_EQ(ListDirectory(shop.dir.File("out")),
            (std::vector<std::string>{".d.nc.Xy12Zw", "a.nc", "b.nc", "c.nc"}));
  EXPECT_EQ(ListDirectory(shop.dir.File("prev")).size(), 3u);
  EXPECT_EQ(ListDirectory(shop.dir.Path()).size(), 4u);
}

}  // namespace
}  // namespace quarnel
