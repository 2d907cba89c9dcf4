#include "engine/driver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

#include "engine/line_translator.h"
#include "support/file_store.h"
#include "support/text.h"
#include "test_support.h"

namespace quarnel {
namespace {

using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::TestDataPath;
using testing::WriteFileBytes;

// Stands in for the translator: copies every source line to the body, and fails on a line
// that reads "FAIL".
class EchoTranslator final : public LineTranslator {
 public:
  int filesBegun = 0;
  void BeginFile() override { ++filesBegun; }
  std::optional<std::string> TranslateLine(LineScanner& scanner, std::string& out) override {
    if (scanner.Line() == "FAIL") return "FAIL does not fit";
    EmitLine(out, scanner.Line());
    return std::nullopt;
  }
};

struct HeaderCase {
  const char* expected;
  const char* source;
  DimensionTexts dims;
};

TEST(ConversionDriver, WritesHeaderBodyAndEndLikeTheGoldenFiles) {
  const std::vector<HeaderCase> cases = {
      {"mm_body25", "body25.nc", {"600", "400", "18"}},
      {"inch_body25", "body25.nc", {"24", "16", "0.75"}},
      {"mm_empty", "empty_body.nc", {"600", "400", "18"}},
      {"height_60", "empty_body.nc", {"600", "60", "18"}},
      {"height_60_001", "empty_body.nc", {"600", "60.001", "18"}},
      {"mm_decimals", "empty_body.nc", {"600.5", "400", "18.123456"}},
      {"inch_decimals", "empty_body.nc", {"23.625", "15.5", "0.5"}},
      {"empty_boxes", "empty_body.nc", {"", "", ""}},
      {"height_with_unit", "empty_body.nc", {"600", "400 mm", "18"}},
      {"group_separator", "empty_body.nc", {"1,200", "400", "18"}},
      {"inch_half_way", "empty_body.nc", {"0.0625", "24", ".75"}},
      {"padded_mm", "empty_body.nc", {" 600 ", "400", " 18"}},
  };
  for (const auto& c : cases) {
    TempDir out;
    DiskFileStore files;
    // The empty-body source holds M30, which the echo would copy: it runs without a translator.
    EchoTranslator echo;
    NullTranslator none;
    const bool emptyBody = std::string(c.source) == "empty_body.nc";
    DimensionTexts dims = c.dims;
    ConversionDriver driver(files, emptyBody ? static_cast<LineTranslator&>(none) : echo, dims);
    driver.SetDestination(out.Path());
    const auto failure = driver.Process(TestDataPath(std::string("driver/") + c.source));
    EXPECT_FALSE(failure.has_value()) << c.expected << ": " << (failure ? failure->reason : "");
    const std::string expected =
        ReadFileBytes(TestDataPath(std::string("driver/") + c.expected + ".expected"));
    EXPECT_EQ(ReadFileBytes(out.File(c.source)), expected) << c.expected;
  }
}

// The header goes in front of the body however long the dimension texts make it.
TEST(ConversionDriver, PutsHeadersOfAnyLengthInFront) {
  for (const std::size_t length : {0, 1, 150, 300, 5000}) {
    MemoryFileStore files;
    files.files["/src/a.nc"] = "L1\nL2\n";
    EchoTranslator translator;
    const std::string text(length, 'A');
    DimensionTexts dims{text, "400", "18"};
    ConversionDriver driver(files, translator, dims);
    driver.SetDestination("/out");
    for (int round = 0; round < 2; ++round) {  // the second file reuses the buffer
      ASSERT_FALSE(driver.Process("/src/a.nc")) << length;
      EXPECT_EQ(files.files["/out/a.nc"], "G71X" + text +
                                              "Y400Z18T00D240N5L2\r\nG150(G-code from router)\r\n"
                                              "L1\r\nL2\r\nM2\r\n\r\n")
          << length;
    }
  }
}

TEST(ConversionDriver, UnitCodeFollowsTheHeightOnly) {
  MemoryFileStore files;
  files.files["/src/a.nc"] = "";
  NullTranslator translator;
  DimensionTexts dims{"600", "30", "18"};
  ConversionDriver driver(files, translator, dims);
  driver.SetDestination("/out");
  EXPECT_EQ(driver.UnitCode(), "");
  ASSERT_FALSE(driver.Process("/src/a.nc"));
  EXPECT_EQ(driver.UnitCode(), "G70");
  dims.height = "400";
  ASSERT_FALSE(driver.Process("/src/a.nc"));
  EXPECT_EQ(driver.UnitCode(), "G71");
}

TEST(ConversionDriver, BatchConvertsSelectedEntriesInListOrder) {
  SourceSelection selection{"/cnc", {"e0", "e1", "e2", "e3", "e4", "e5", "e6", "e7"}, {}};
  selection.selected = {false, true, false, false, true, false, false, true};
  EXPECT_EQ(SelectedSourcePaths(selection),
            (std::vector<std::string>{"/cnc/e1", "/cnc/e4", "/cnc/e7"}));
  selection.directory = "/";
  EXPECT_EQ(SelectedSourcePaths(selection).front(), "/e1");
  EXPECT_EQ(S1("/cnc"), "/");
  EXPECT_EQ(S1("/"), "");
  EXPECT_TRUE(SelectedSourcePaths({"/cnc", {"a"}, {false}}).empty());
}

TEST(ConversionDriver, OutputPathAlwaysInsertsTheSeparator) {
  MemoryFileStore files;
  NullTranslator translator;
  DimensionTexts dims;
  ConversionDriver driver(files, translator, dims);
  driver.SetDestination("/out");
  EXPECT_EQ(driver.OutputPathFor("/cnc/part1.nc"), "/out/part1.nc");
  driver.SetDestination("/");
  EXPECT_EQ(driver.OutputPathFor("/cnc/part1.nc"), "//part1.nc");
}

TEST(ConversionDriver, BodyLengthLimitOfTheHeader) {
  MemoryFileStore files;
  std::string longest, tooLong;
  for (int i = 0; i < 32764; ++i) longest += "L\n";
  tooLong = longest + "L\n";
  files.files["/src/longest.nc"] = longest;
  files.files["/src/toolong.nc"] = tooLong;
  EchoTranslator translator;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, translator, dims);
  driver.SetDestination("/out");
  const auto failures = driver.ConvertBatch({"/src/longest.nc", "/src/toolong.nc"});
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].file, "/src/toolong.nc");
  EXPECT_NE(failures[0].reason.find("32765"), std::string::npos) << failures[0].reason;
  EXPECT_EQ(files.files.count("/out/toolong.nc"), 0u);
  EXPECT_EQ(files.files["/out/longest.nc"].substr(0, 29), "G71X600Y400Z18T00D240N32767L3");
}

TEST(ConversionDriver, FailuresWriteNothingAndTheBatchGoesOn) {
  MemoryFileStore files;
  files.files["/src/good1.nc"] = "A\n";
  files.files["/src/bad.nc"] = "A\nFAIL\nB\n";
  files.files["/src/good2.nc"] = "C\n";
  files.files["/out/bad.nc"] = "previous output";
  files.files["/other/good1.nc"] = "same name again";
  files.failingWrites.insert("/out/locked.nc");
  files.files["/src/locked.nc"] = "D\n";
  EchoTranslator translator;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, translator, dims);
  driver.SetDestination("/out");
  const auto failures = driver.ConvertBatch({"/src/good1.nc", "/src/missing.nc", "/src/bad.nc",
                                             "/other/good1.nc", "/src/locked.nc", "/src/good2.nc"});
  ASSERT_EQ(failures.size(), 4u);
  EXPECT_EQ(failures[0].file, "/src/missing.nc");
  EXPECT_EQ(failures[1].file, "/src/bad.nc");
  EXPECT_EQ(failures[1].reason, "line 2: FAIL does not fit");
  EXPECT_EQ(failures[2].file, "/other/good1.nc");
  EXPECT_EQ(failures[3].file, "/src/locked.nc");
  EXPECT_EQ(files.files["/out/bad.nc"], "previous output");
  EXPECT_NE(files.files["/out/good1.nc"].find("\r\nA\r\n"), std::string::npos);
  EXPECT_NE(files.files["/out/good2.nc"].find("\r\nC\r\n"), std::string::npos);
  EXPECT_EQ(files.files.count("/out/locked.nc"), 0u);
  EXPECT_EQ(translator.filesBegun, 4);  // the name and open checks run before the scan
}

TEST(ConversionDriver, RefusesToReplaceItsOwnSource) {
  TempDir dir;
  DiskFileStore files;
  WriteFileBytes(dir.File("part.nc"), "A\n");
  ::symlink(dir.File("part.nc").c_str(), (dir.Path() + "/out-link").c_str());
  ::mkdir(dir.File("out").c_str(), 0755);
  ::symlink(dir.File("part.nc").c_str(), dir.File("out/part.nc").c_str());
  EchoTranslator translator;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, translator, dims);
  for (const std::string& destination : {dir.Path(), dir.File("out")}) {
    driver.SetDestination(destination);
    auto failure = driver.Process(dir.File("part.nc"));
    ASSERT_TRUE(failure.has_value()) << destination;
    EXPECT_NE(failure->reason.find("source"), std::string::npos);
  }
  EXPECT_EQ(ReadFileBytes(dir.File("part.nc")), "A\n");
  EXPECT_EQ(translator.filesBegun, 0);
}

// What a batch reports and leaves in its destination, with the folder paths taken out.
struct BatchResult {
  std::vector<std::string> failures;
  std::map<std::string, std::string> outputs;
  bool operator==(const BatchResult&) const = default;
};

// One batch on disk: good files, a failing line, a write that fails (a folder stands at the
// output path), a second source of an already written name, a source that is a link to an
// output of the same batch (not there yet when the batch starts), a source of the name of a
// failed write, and a missing source. With a hook every output is written right after its
// translation; without, outputs are written on a thread of their own.
BatchResult RunDiskBatch(bool withHook) {
  TempDir dir;
  const std::string src = dir.File("src"), other = dir.File("other"), out = dir.File("out");
  for (const std::string& folder : {src, other, out}) ::mkdir(folder.c_str(), 0755);
  WriteFileBytes(src + "/a.nc", "A\n");
  WriteFileBytes(src + "/b.nc", "B\nFAIL\nB\n");
  WriteFileBytes(src + "/c.nc", "C\n");
  WriteFileBytes(src + "/d.nc", "D\n");
  ::mkdir((out + "/d.nc").c_str(), 0755);
  WriteFileBytes(other + "/a.nc", "A again\n");
  ::symlink((out + "/c.nc").c_str(), (src + "/link.nc").c_str());
  WriteFileBytes(other + "/d.nc", "D again\n");
  DiskFileStore files;
  EchoTranslator translator;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, translator, dims);
  driver.SetDestination(out);
  const std::vector<std::string> sources = {src + "/a.nc",    src + "/b.nc",    src + "/c.nc",
                                            src + "/link.nc", src + "/d.nc",    other + "/a.nc",
                                            other + "/d.nc",  src + "/none.nc"};
  const auto failures =
      withHook ? driver.ConvertBatch(sources, {}, [](const std::string&) {}) : driver.ConvertBatch(sources);
  BatchResult result;
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
  const BatchResult inTurn = RunDiskBatch(true);
  const BatchResult alongside = RunDiskBatch(false);
  EXPECT_EQ(alongside, inTurn);
  ASSERT_EQ(inTurn.failures.size(), 5u);
  EXPECT_EQ(inTurn.failures[0], "DIR/src/b.nc: line 2: FAIL does not fit");
  EXPECT_EQ(inTurn.failures[1], "DIR/src/d.nc: cannot write DIR/out/d.nc: a directory stands at the output path");
  EXPECT_EQ(inTurn.failures[2], "DIR/other/a.nc: another source of this batch was already written to DIR/out/a.nc");
  EXPECT_EQ(inTurn.failures[3], "DIR/other/d.nc: cannot write DIR/out/d.nc: a directory stands at the output path");
  EXPECT_EQ(inTurn.failures[4].substr(0, 40), "DIR/src/none.nc: cannot read the source:");
  // The link was read after the output it names had been written.
  EXPECT_EQ(inTurn.outputs.at("link.nc"),
            "G71X600Y400Z18T00D240N8L5\r\nG150(G-code from router)\r\n"
            "G71X600Y400Z18T00D240N4L1\r\nG150(G-code from router)\r\nC\r\nM2\r\n\r\n"
            "M2\r\n\r\n");
}

TEST(ConversionDriver, DimensionProblemsFailTheFile) {
  const std::vector<DimensionTexts> bad = {
      {"1E308", "10", "1"},              // inch conversion overflows
      {std::string(400, '9'), "400", "1"},  // beyond a double in millimetres
      {"600", "400", "18\r\nG0"},        // a line break would add a line
  };
  for (const auto& texts : bad) {
    MemoryFileStore files;
    files.files["/src/a.nc"] = "";
    NullTranslator translator;
    DimensionTexts dims = texts;
    ConversionDriver driver(files, translator, dims);
    driver.SetDestination("/out");
    EXPECT_TRUE(driver.Process("/src/a.nc").has_value()) << texts.length;
    EXPECT_EQ(files.files.count("/out/a.nc"), 0u);
  }
}

TEST(ConversionDriver, DimensionsAreReadAtTheEndOfEveryFile) {
  MemoryFileStore files;
  files.files["/src/a.nc"] = "";
  files.files["/src/b.nc"] = "";
  NullTranslator translator;
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, translator, dims);
  driver.SetDestination("/out");
  driver.ConvertBatch({"/src/a.nc", "/src/b.nc"}, {}, [&](const std::string&) { dims.length = "700"; });
  EXPECT_EQ(files.files["/out/a.nc"].substr(0, 7), "G71X600");
  EXPECT_EQ(files.files["/out/b.nc"].substr(0, 7), "G71X700");
}

}  // namespace
}  // namespace quarnel
