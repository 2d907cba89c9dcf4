#include "engine/batch/conversion_batch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

#include "support/file_store.h"
#include "test_support.h"
#include "tools/tool_table.h"

namespace quarnel {
namespace {

using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// The output of a source holding one line "G1 Xn" in millimetres 600 x 400 x 18.
std::string OneMove(const char* x) {
  return std::string("G71X600Y400Z18T00D240N4L1\r\nG150(G-code from router)\r\nG1X") + x +
         "Y0Z0F0\r\nM2\r\n\r\n";
}

TEST(OutputPathFor, AlwaysInsertsTheSeparator) {
  EXPECT_EQ(OutputPathFor("/out", "/cnc/part1.nc"), "/out/part1.nc");
  EXPECT_EQ(OutputPathFor("/", "/cnc/part1.nc"), "//part1.nc");
}

TEST(ConversionDriver, FailuresWriteNothingAndTheBatchGoesOn) {
  MemoryFileStore files;
  files.files["/src/good1.nc"] = "G1 X1\n";
  files.files["/src/bad.nc"] = "G1 X2\nG1 X1E39\nG1 X3\n";
  files.files["/src/good2.nc"] = "G1 X4\n";
  files.files["/out/bad.nc"] = "previous output";
  files.files["/other/good1.nc"] = "same name again";
  files.failingWrites.insert("/out/locked.nc");
  files.files["/src/locked.nc"] = "G1 X5\n";
  ToolTable tools;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, tools);
  const auto failures = FailuresOf(driver.ConvertBatch({"/src/good1.nc", "/src/missing.nc", "/src/bad.nc",
                                             "/other/good1.nc", "/src/locked.nc", "/src/good2.nc"},
                                            "/out", dims));
  ASSERT_EQ(failures.size(), 4u);
  EXPECT_EQ(failures[0].file, "/src/missing.nc");
  EXPECT_EQ(failures[1].file, "/src/bad.nc");
  EXPECT_EQ(failures[1].reason, "line 2: X1E39 does not fit in a 32-bit number");
  EXPECT_EQ(failures[2].file, "/other/good1.nc");
  EXPECT_EQ(failures[3].file, "/src/locked.nc");
  EXPECT_EQ(files.files["/out/bad.nc"], "previous output");
  EXPECT_EQ(files.files["/out/good1.nc"], OneMove("1"));
  EXPECT_EQ(files.files["/out/good2.nc"], OneMove("4"));
  EXPECT_EQ(files.files.count("/out/locked.nc"), 0u);
}

// G200 rewrites the dimension texts for its own header and the rest of the batch, also when a
// later line of its file fails.
TEST(ConversionDriver, DimensionsFromG200CarryToLaterFiles) {
  MemoryFileStore files;
  files.files["/src/a.nc"] = "G200 X700 Y500 Z42\nG1 X1E39\n";
  files.files["/src/b.nc"] = "G1 X1\n";
  ToolTable tools;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, tools);
  EXPECT_EQ(FailuresOf(driver.ConvertBatch({"/src/a.nc", "/src/b.nc"}, "/out", dims)).size(), 1u);
  EXPECT_EQ(files.files["/out/b.nc"].substr(0, 14), "G71X700Y500Z18");
  EXPECT_EQ(dims.length, "700");
}

// 100 mm at F3000 take 2 s, whether or not the geometry is checked too; not asked, no time.
TEST(ConversionDriver, EstimatesTheMachiningTimeWhenAsked) {
  MemoryFileStore files;
  files.files["/src/a.nc"] = "G1 X100 F3000\n";
  ToolTable tools;
  for (const bool geometry : {false, true}) {
    BatchOptions options;
    options.checkGeometry = geometry;
    DimensionTexts dims{"600", "400", "18"};
    ConversionDriver driver(files, tools);
    EXPECT_FALSE(driver.ConvertBatch({"/src/a.nc"}, "/out", dims, nullptr, options).files[0].time);
    options.machiningTime = MachiningTimeSettings{};
    const BatchReport report = driver.ConvertBatch({"/src/a.nc"}, "/out", dims, nullptr, options);
    ASSERT_TRUE(report.files[0].time) << geometry;
    EXPECT_DOUBLE_EQ(report.files[0].time->cuttingSeconds, 2) << geometry;
    EXPECT_NE(FileReportText(report.files[0]).find("Machining time (estimate): 2 s: cutting 2 s"),
              std::string::npos);
  }
}

TEST(ConversionDriver, RefusesToReplaceItsOwnSource) {
  TempDir dir;
  DiskFileStore files;
  WriteFileBytes(dir.File("part.nc"), "G1 X1\n");
  ::mkdir(dir.File("out").c_str(), 0755);
  ::symlink(dir.File("part.nc").c_str(), dir.File("out/part.nc").c_str());
  ToolTable tools;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, tools);
  for (const std::string& destination : {dir.Path(), dir.File("out")}) {
    const auto failures = FailuresOf(driver.ConvertBatch({dir.File("part.nc")}, destination, dims));
    ASSERT_EQ(failures.size(), 1u) << destination;
    EXPECT_NE(failures[0].reason.find("would replace the source file itself"), std::string::npos);
  }
  EXPECT_EQ(ReadFileBytes(dir.File("part.nc")), "G1 X1\n");
}

// A cancelled batch stops after the file in progress, which keeps its own outcome; the rest are
// reported as not converted.
TEST(ConversionDriver, CancelStopsAfterTheFileInProgress) {
  class CancelAfterSecond final : public BatchObserver {
   public:
    void FileStarting(const std::string&) override {}
    void FileDone(const std::string&, const DimensionTexts&) override { ++done; }
    bool Cancelled() override { return done == 2; }
    int done = 0;
  } observer;
  MemoryFileStore files;
  files.files["/src/a.nc"] = "G1 X1\n";
  files.files["/src/b.nc"] = "G1 X1E39\n";
  files.files["/src/c.nc"] = "G1 X3\n";
  ToolTable tools;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, tools);
  const BatchReport report =
      driver.ConvertBatch({"/src/a.nc", "/src/b.nc", "/src/c.nc"}, "/out", dims, &observer);
  EXPECT_EQ(report.files[0].status, FileReport::Status::kWritten);
  EXPECT_EQ(report.files[1].reason, "line 1: X1E39 does not fit in a 32-bit number");
  EXPECT_EQ(report.files[2].status, FileReport::Status::kFailed);
  EXPECT_EQ(report.files[2].reason, "not converted: the batch was cancelled");
  EXPECT_EQ(files.files.count("/out/c.nc"), 0u);
}

// What a batch reports and leaves in its destination, with the folder paths taken out.
struct DiskBatch {
  std::vector<std::string> failures;
  std::map<std::string, std::string> outputs;
  bool operator==(const DiskBatch&) const = default;
};

class SilentObserver final : public BatchObserver {
 public:
  void FileStarting(const std::string&) override {}
  void FileDone(const std::string&, const DimensionTexts&) override {}
};

// One batch on disk: good files, a failing line, a write that fails (a folder stands at the
// output path), a second source of an already written name, a source that is a link to an
// output of the same batch (not there yet when the batch starts), a source of the name of a
// failed write, and a missing source. With an observer every output is written right after
// its translation; without, outputs are written on a thread of their own.
DiskBatch RunDiskBatch(bool observed) {
  TempDir dir;
  const std::string src = dir.File("src"), other = dir.File("other"), out = dir.File("out");
  for (const std::string& folder : {src, other, out}) ::mkdir(folder.c_str(), 0755);
  WriteFileBytes(src + "/a.nc", "G1 X1\n");
  WriteFileBytes(src + "/b.nc", "G1 X2\nG1 X1E39\n");
  WriteFileBytes(src + "/c.nc", "G1 X3\n");
  WriteFileBytes(src + "/d.nc", "G1 X4\n");
  ::mkdir((out + "/d.nc").c_str(), 0755);
  WriteFileBytes(other + "/a.nc", "G1 X5\n");
  ::symlink((out + "/c.nc").c_str(), (src + "/link.nc").c_str());
  WriteFileBytes(other + "/d.nc", "G1 X6\n");
  DiskFileStore files;
  ToolTable tools;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, tools);
  const std::vector<std::string> sources = {src + "/a.nc",    src + "/b.nc",    src + "/c.nc",
                                            src + "/link.nc", src + "/d.nc",    other + "/a.nc",
                                            other + "/d.nc",  src + "/none.nc"};
  SilentObserver observer;
  const auto failures = FailuresOf(driver.ConvertBatch(sources, out, dims, observed ? &observer : nullptr));
  DiskBatch result;
  for (const FileFailure& failure : failures) {
    std::string text = failure.file + ": " + failure.reason;
    for (std::size_t at; (at = text.find(dir.Path())) != std::string::npos;) {
      text.replace(at, dir.Path().size(), "DIR");
    }
    result.failures.push_back(text);
  }
  for (const std::string& name : ListDirectory(out)) {
    result.outputs[name] = name == "d.nc" ? "(folder)" : ReadFileBytes(out + "/" + name);
  }
  return result;
}

TEST(ConversionDriver, WritingAlongsideTheNextFileChangesNoResult) {
  const DiskBatch inTurn = RunDiskBatch(true);
  const DiskBatch alongside = RunDiskBatch(false);
  EXPECT_EQ(alongside, inTurn);
  ASSERT_EQ(inTurn.failures.size(), 5u);
  EXPECT_EQ(inTurn.failures[0], "DIR/src/b.nc: line 2: X1E39 does not fit in a 32-bit number");
  EXPECT_EQ(inTurn.failures[1], "DIR/src/d.nc: cannot write DIR/out/d.nc: a directory stands at the output path");
  EXPECT_EQ(inTurn.failures[2], "DIR/other/a.nc: another source of this batch was already written to DIR/out/a.nc");
  EXPECT_EQ(inTurn.failures[3], "DIR/other/d.nc: cannot write DIR/out/d.nc: a directory stands at the output path");
  EXPECT_EQ(inTurn.failures[4].substr(0, 40), "DIR/src/none.nc: cannot read the source:");
  // The link was read after the output it names had been written: its G1 line is translated.
  EXPECT_NE(inTurn.outputs.at("link.nc").find("N4L1\r\nG150(G-code from router)\r\nG1X3Y0Z0F0\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace quarnel
