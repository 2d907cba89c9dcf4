// Files translated on several threads give exactly what one at a time gives: the bytes of every
// output, which files fail and why, the order of the report, the dimension texts that G200
// lines leave, the duplicate-name rule, the sources that read an earlier output, and the
// geometry checked beside the translations (under the header the batch gives each file).
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "engine/batch/conversion_batch.h"
#include "support/file_store.h"
#include "test_support.h"
#include "tools/tool_table.h"

namespace quarnel {
namespace {

using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// What a batch reports and leaves, with the folder paths taken out.
struct Outcome {
  std::vector<std::string> files;  // per file: status, reason, body lines, warnings, dimensions
  std::map<std::string, std::string> outputs;
  std::vector<std::string> pictures;
  DimensionTexts dims;
  bool operator==(const Outcome&) const = default;
};

class Counting final : public BatchObserver {
 public:
  void FileStarting(const std::string& source) override { started.push_back(source); }
  void FileDone(const std::string&, const DimensionTexts& dims) override {
    lengths.push_back(dims.length);
  }
  std::vector<std::string> started, lengths;
};

Outcome RunBatch(unsigned jobs, bool observed) {
  TempDir dir;
  const std::string src = dir.File("src"), other = dir.File("other"), out = dir.File("out");
  for (const std::string& folder : {src, other, out}) ::mkdir(folder.c_str(), 0755);
  std::vector<std::string> sources;
  const auto add = [&](const std::string& path, const std::string& text) {
    WriteFileBytes(path, text);
    sources.push_back(path);
  };
  for (int i = 0; i < 12; ++i) {
    add(src + "/p" + std::to_string(10 + i) + ".nc",
        "G90 G17\nG0 X" + std::to_string(i) + " T1\nG1 X" + std::to_string(i + 1) + " F2000\n");
    if (i == 2) add(src + "/size.nc", "G200 X700 Y500 Z42\nG1 X5\n");
    if (i == 4) add(src + "/bad.nc", "G200 X30 Y20 Z24.5\nG1 X1E39\n");  // inches from here on
    // A name already written: its G200 is never applied, though it is translated ahead.
    if (i == 6) add(other + "/p10.nc", "G200 X900 Y700 Z44\nG1 X9\n");
    if (i == 7) {
      // Links to outputs an older run left, six and four files before them. Read ahead with two
      // jobs, the second is still being written; the first would be, were the window wider.
      for (const auto& [link, output] :
           {std::pair{"/older.nc", "/p14.nc"}, {"/recent.nc", "/p16.nc"}}) {
        WriteFileBytes(out + output, "G1 X99\n");
        ::symlink((out + output).c_str(), (src + link).c_str());
        sources.push_back(src + link);
      }
      ::symlink((out + "/p17.nc").c_str(), (src + "/link.nc").c_str());  // a new output, 3 back
      sources.push_back(src + "/link.nc");
      sources.push_back(src + "/missing.nc");
      ::mkdir((src + "/folder.nc").c_str(), 0755);
      sources.push_back(src + "/folder.nc");
    }
    if (i == 9) add(src + "/again.nc", "G200 X800 Y600 Z43\n");
  }
  DiskFileStore files;
  ToolTable tools;
  tools.SetCell(1, 1, "1");
  tools.SetCell(1, 2, "101");
  Outcome outcome;
  outcome.dims = {"600", "400", "18"};
  ConversionDriver driver(files, tools);
  Counting counting;
  BatchOptions options;
  options.jobs = jobs;
  options.checkGeometry = true;
  options.picture = [](const std::string&, const std::string& output, const ProgramGeometry& g,
                       const std::optional<MachiningTime>&) {
    return output.substr(output.rfind('/')) + " " + std::to_string(g.output.header.length);
  };
  options.converted = [&](const FileReport&, const std::string& picture) {
    outcome.pictures.push_back(picture);
  };
  const BatchReport report =
      driver.ConvertBatch(sources, out, outcome.dims, observed ? &counting : nullptr, options);
  if (observed) {
    EXPECT_EQ(counting.started, sources);
    EXPECT_EQ(counting.lengths.size(), sources.size());
  }
  for (const FileReport& file : report.files) {
    std::string text = StatusName(file.status) + std::string(" ") + file.reason + " " +
                       std::to_string(file.bodyLines) + " " + file.units + " " +
                       file.dimensions.length + " " + file.dimensionsFrom + " " +
                       std::to_string(file.warnings.size()) + " " + file.geometry.verdict;
    for (std::size_t at; (at = text.find(dir.Path())) != std::string::npos;) {
      text.replace(at, dir.Path().size(), "DIR");
    }
    outcome.files.push_back(text);
  }
  for (const std::string& name : ListDirectory(out)) {
    outcome.outputs[name] = ReadFileBytes(out + "/" + name);
  }
  return outcome;
}

TEST(ParallelBatch, SeveralJobsGiveWhatOneAtATimeGives) {
  const Outcome inTurn = RunBatch(1, true);
  ASSERT_EQ(inTurn.files.size(), 21u);
  EXPECT_EQ(inTurn.dims.length, "800");
  EXPECT_NE(inTurn.files[6].find("failed line 2: X1E39 does not fit"), std::string::npos);
  EXPECT_EQ(inTurn.files[9].substr(0, 52), "failed another source of this batch was already writ");
  EXPECT_EQ(inTurn.files[10], "written  2 G70 30 G200 at line 1 of DIR/src/bad.nc 1 matches: 2 moves");
  EXPECT_EQ(inTurn.pictures[3], "/size.nc 700.000000");
  // The link was read after the output it names was written: it holds p17's converted moves.
  EXPECT_NE(inTurn.outputs.at("link.nc").find("\r\nG1G90X8Y0Z5F0.002\r\n"), std::string::npos);
  for (const unsigned jobs : {1u, 2u, 3u, 8u}) {
    EXPECT_EQ(RunBatch(jobs, false), inTurn) << jobs << " jobs, written alongside";
    EXPECT_EQ(RunBatch(jobs, true), inTurn) << jobs << " jobs, written in turn";
  }
}

// With several jobs and nothing that upsets the texts the files before leave, every file's
// geometry is checked on a translating thread, none again on the batch's.
TEST(ParallelBatch, GeometryIsCheckedBesideTheTranslations) {
  TempDir dir;
  std::vector<std::string> sources;
  for (int i = 0; i < 6; ++i) {
    sources.push_back(dir.File("p" + std::to_string(i) + ".nc"));
    WriteFileBytes(sources.back(), i == 2 ? "G200 X700 Y500 Z42\nG1 X5\n" : "G1 X1 F2000\n");
  }
  ::mkdir(dir.File("out").c_str(), 0755);
  DiskFileStore files;
  ToolTable tools;
  ConversionDriver driver(files, tools);
  BatchOptions options;
  options.jobs = 2;
  options.checkGeometry = true;
  std::atomic<int> onBatchThread = 0;
  options.picture = [&, batch = std::this_thread::get_id()](auto&, auto&, auto&, auto&) {
    if (std::this_thread::get_id() == batch) ++onBatchThread;
    return std::string();
  };
  DimensionTexts dims{"600", "400", "18"};
  const BatchReport report = driver.ConvertBatch(sources, dir.File("out"), dims, nullptr, options);
  ASSERT_EQ(report.files.size(), 6u);
  EXPECT_EQ(report.files[5].geometry.verdict, "matches: 1 move");
  EXPECT_EQ(onBatchThread, 0);
}

}  // namespace
}  // namespace quarnel
