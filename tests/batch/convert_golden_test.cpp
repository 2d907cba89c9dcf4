// Whole files through the conversion driver and through quarnel-convert, compared byte for
// byte with expected files written by hand (tests/data/golden/README.md).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/batch/conversion_batch.h"
#include "engine/translate/translator.h"
#include "support/file_store.h"
#include "test_support.h"
#include "tools/tool_table_file.h"

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::TestDataPath;
using testing::WriteFileBytes;

struct GoldenCase {
  std::string folder;
  std::vector<std::string> sources;
  std::string tools;  // "" for an empty table
  DimensionTexts dims;
};

std::string CaseFolder(const std::string& name) { return TestDataPath("golden/" + name); }

// "examples/..." comes from the examples folder, anything else from the case folder.
std::string ResolvePath(const std::string& folder, const std::string& path) {
  constexpr std::string_view kExamples = "examples/";
  if (path.rfind(kExamples, 0) == 0) {
    return std::string(QUARNEL_EXAMPLES) + "/" + path.substr(kExamples.size());
  }
  return folder + "/" + path;
}

GoldenCase ReadCase(const std::string& name) {
  GoldenCase golden;
  golden.folder = CaseFolder(name);
  std::map<std::string, std::string*> dims = {{"length", &golden.dims.length},
                                              {"height", &golden.dims.height},
                                              {"thickness", &golden.dims.thickness}};
  const std::string text = ReadFileBytes(golden.folder + "/case.txt");
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    const std::string key = line.substr(0, colon);
    const std::string value = line.substr(colon + 2);
    if (key == "sources") golden.sources.push_back(ResolvePath(golden.folder, value));
    if (key == "tools") golden.tools = ResolvePath(golden.folder, value);
    if (dims.count(key) != 0) *dims[key] = value;
  }
  return golden;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(TestDataPath("golden"))) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every expected file is written exactly, and nothing else is.
void ExpectOutputs(const GoldenCase& golden, const std::string& destination) {
  const std::string expectedFolder = golden.folder + "/expected";
  EXPECT_EQ(ListDirectory(destination), ListDirectory(expectedFolder));
  for (const std::string& name : ListDirectory(expectedFolder)) {
    const std::string written = destination + "/" + name;
    ASSERT_TRUE(testing::FileExists(written)) << name;
    EXPECT_EQ(ReadFileBytes(written), ReadFileBytes(expectedFolder + "/" + name)) << name;
  }
}

// The text with every occurrence of from replaced by to.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The report of a batch in the form of report.txt: per file its line accounting, the codes
// and letters ignored, the tools looked up, the warnings (file paths without the case's folder)
// and the verdict of the comparison with the source.
std::string ReportText(const BatchReport& report, const std::string& folder) {
  std::string text;
  const auto add = [&text](const std::string& line) { text += line + "\n"; };
  for (const FileReport& file : report.files) {
    const TranslationNotes& n = file.notes;
    EXPECT_EQ(n.translated + n.Dropped(), n.sourceLines) << file.source;
    add("file " + fs::path(file.source).filename().string());
    add("  lines " + std::to_string(n.sourceLines) + ": " + std::to_string(n.translated) +
        " translated, " + std::to_string(n.Dropped()) + " dropped (" + std::to_string(n.blank) +
        " blank, " + std::to_string(n.comment) + " comment, " + std::to_string(n.other) +
        " other)");
    for (const IgnoredNote& code : n.ignoredCodes) {
      add("  code " + code.what + ": " + std::to_string(code.count) + ", line " +
          std::to_string(code.firstLine));
    }
    for (const IgnoredNote& word : n.ignoredWords) {
      add("  word " + word.what + ": " + std::to_string(word.count) + ", line " +
          std::to_string(word.firstLine));
    }
    for (const ToolNote& tool : n.tools) {
      add("  tool " + std::to_string(static_cast<int>(tool.number)) + ": " +
          (tool.row == 0 ? std::string("no row") : "row " + std::to_string(tool.row)) +
          ", to " + std::to_string(tool.to) + ", call " + tool.call + ", line " +
          std::to_string(tool.firstLine));
    }
    for (const ReportWarning& warning : file.warnings) {
      add("  warning line " + std::to_string(warning.line) + ": " +
          Replaced(warning.text, folder + "/", ""));
    }
    add("  comparison: " + file.geometry.verdict);
  }
  return text;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, ConvertsThroughTheDriver) {
  const GoldenCase golden = ReadCase(GetParam());
  ASSERT_FALSE(golden.sources.empty());
  DiskFileStore files;
  ToolTable tools;
  if (!golden.tools.empty()) {
    ASSERT_TRUE(LoadToolTable(files, golden.tools, tools).Loaded());
  }
  DimensionTexts dims = golden.dims;
  ConversionDriver driver(files, tools);
  TempDir out;
  BatchOptions options;
  options.checkGeometry = true;
  const BatchReport report = driver.ConvertBatch(golden.sources, out.Path(), dims, nullptr, options);
  for (const FileFailure& failure : FailuresOf(report)) {
    ADD_FAILURE() << failure.file << ": " << failure.reason;
  }
  ExpectOutputs(golden, out.Path());
  EXPECT_EQ(ReportText(report, golden.folder), ReadFileBytes(golden.folder + "/report.txt"));
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

TEST_P(Golden, ConvertsThroughTheCommandLine) {
  const GoldenCase golden = ReadCase(GetParam());
  TempDir out;
  std::string command = Quoted(QUARNEL_CONVERT_EXE) + " --dest " + Quoted(out.Path()) +
                        " --length " + Quoted(golden.dims.length) + " --height " +
                        Quoted(golden.dims.height) + " --thickness " +
                        Quoted(golden.dims.thickness);
  if (!golden.tools.empty()) command += " --tools " + Quoted(golden.tools);
  for (const std::string& source : golden.sources) command += " " + Quoted(source);
  ASSERT_EQ(testing::RunCommand(command + " 2>/dev/null"), 0) << command;
  ExpectOutputs(golden, out.Path());
  // The report changes no byte of any output, and its JSON parses.
  TempDir again, report;
  const std::string withReport =
      command.replace(command.find(Quoted(out.Path())), Quoted(out.Path()).size(),
                      Quoted(again.Path())) +
      " -v --report " + Quoted(report.File("report.json")) + " 2>/dev/null";
  ASSERT_EQ(testing::RunCommand(withReport), 0) << withReport;
  ExpectOutputs(golden, again.Path());
  const auto json = nlohmann::json::parse(ReadFileBytes(report.File("report.json")));
  EXPECT_EQ(json["files"].size(), golden.sources.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) { return info.param; });

// A file that fails mid-way is not written, and the next file of the batch sees only the G200
// dimensions read before the failing line: its translation starts from the start state.
TEST(GoldenBatch, FailingFileLeavesOnlyItsDimensionsToTheNext) {
  TempDir source;
  TempDir out;
  WriteFileBytes(source.File("first.nc"), "G90G17G40\r\nG1 X5 F1000\r\n");
  WriteFileBytes(source.File("broken.nc"), "G91\r\nG200 X800 Y300 Z43\r\nG1 X1E39\r\nG90\r\n");
  WriteFileBytes(source.File("last.nc"), "G1 X6\r\n");
  WriteFileBytes(out.File("broken.nc"), "previous output");
  DiskFileStore files;
  ToolTable tools;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, tools);
  const std::vector<FileFailure> failures = FailuresOf(driver.ConvertBatch(
      {source.File("first.nc"), source.File("broken.nc"), source.File("last.nc")}, out.Path(),
      dims));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].file, source.File("broken.nc"));
  EXPECT_NE(failures[0].reason.find("line 3"), std::string::npos) << failures[0].reason;
  EXPECT_NE(failures[0].reason.find("X1E39 does not fit in a 32-bit number"), std::string::npos)
      << failures[0].reason;
  EXPECT_EQ(ReadFileBytes(out.File("broken.nc")), "previous output");
  EXPECT_EQ(ReadFileBytes(out.File("first.nc")),
            "G71X600Y400Z18T00D240N4L1\r\nG150(G-code from router)\r\n"
            "G1G90X5Y0Z0F1\r\nM2\r\n\r\n");
  EXPECT_EQ(ReadFileBytes(out.File("last.nc")),
            "G71X800Y300Z19T00D240N4L1\r\nG150(G-code from router)\r\n"
            "G1X6Y0Z0F0\r\nM2\r\n\r\n");
}

}  // namespace
}  // namespace quarnel
