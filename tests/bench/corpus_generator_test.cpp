#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "bench/router_program.h"
#include "engine/batch/conversion_batch.h"
#include "engine/translate/translator.h"
#include "support/file_store.h"
#include "support/text.h"

namespace quarnel {
namespace {

using bench::FileSeed;
using bench::RouterProgramGenerator;

std::string Program(std::uint64_t seed, int lines) { return RouterProgramGenerator(seed, lines).Generate(); }

TEST(RouterProgramGenerator, SameSeedGivesSameBytes) {
  EXPECT_EQ(Program(7, 5000), Program(7, 5000));
  EXPECT_NE(Program(7, 5000), Program(8, 5000));
  EXPECT_NE(FileSeed(1, 1), FileSeed(1, 2));
  EXPECT_NE(FileSeed(1, 2), FileSeed(2, 1));
}

TEST(RouterProgramGenerator, WritesExactlyTheLinesAskedForWithCrLf) {
  for (const int lines : {1, 2, 3, 17, 30000}) {
    const std::string text = Program(FileSeed(1, 1), lines);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), lines) << lines;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), lines) << lines;
    EXPECT_EQ(text.find("\r\n\n"), std::string::npos) << lines;
    EXPECT_EQ(text.find("\r\r"), std::string::npos) << lines;
    EXPECT_TRUE(text.ends_with("M30\r\n")) << lines;
  }
}

TEST(RouterProgramGenerator, LinesAverageAbout27Bytes) {
  for (int index = 1; index <= 3; ++index) {
    const std::string text = Program(FileSeed(1, index), 30000);
    const double average = static_cast<double>(text.size()) / 30000;
    EXPECT_GT(average, 25.5) << index;
    EXPECT_LT(average, 28.5) << index;
  }
}

struct Construct {
  const char* name;
  const char* pattern;  // matched against each line (without CR LF)
};

TEST(RouterProgramGenerator, HoldsEveryConstructOfRouterPrograms) {
  const std::vector<Construct> constructs = {
      {"header codes", R"(^G90 ?G17 ?G40.*)"},
      {"rapid with depth and tool", R"(^G0 ?X[0-9.]+ ?Y[0-9.]+ ?P-[0-9.]+ ?T[0-9]+.*)"},
      {"linear", R"(^G1 ?[XY].*)"},
      {"arc by radius", R"(^G[23] .*R[0-9.]+.*)"},
      {"arc by centre", R"(^G[23] .*I-?[0-9.]+ ?J-?[0-9.]+.*)"},
      {"negative radius", R"(^G10?[23] .*R-[0-9.]+.*)"},
      {"G101", R"(^G101.*)"}, {"G102", R"(^G102.*)"}, {"G103", R"(^G103.*)"},
      {"quoted spindle list", R"(^G100 .*T"[0-9]+( [0-9]+)+")"},
      {"bare spindle", R"(^G100 .*T[0-9]$)"},
      {"engaged tool", R"(^G100 ?(X.*)?T(5[1-9]|[6-9][0-9]|[12][0-9][0-9])$)"},
      {"G207", R"(^G207$)"},
      {"G280 with U", R"(^G280 .*U[0-9.]+.*T[0-9]+$)"},
      {"tool change", R"(^T[0-9]+ ?M6$)"},
      {"comment", R"(^\(.*\)$)"},
      {"blank line", R"(^$)"},
      {"numbered line", R"(^N[0-9]+ ?G.*)"},
      {"M-only line", R"(^M[0-9]+( S[0-9]+)?$)"},
      {"compact words", R"(^G[0-9]+X[0-9.]+Y.*)"},
      {"leading point", R"(.*[XYIJRP]-?\.[0-9].*)"},
      {"G200 part size", R"(^G200 ?X[0-9]+ ?Y[0-9]+ ?Z42$)"},
  };
  // G200 stands in about a third of the programs; three programs hold at least one.
  std::vector<std::string> lines;
  for (int index = 1; index <= 3; ++index) {
    const std::string text = Program(FileSeed(1, index), 30000);
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find("\r\n", at);
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
  }
  for (const Construct& construct : constructs) {
    const std::regex pattern(construct.pattern);
    bool found = false;
    for (const std::string& line : lines) {
      if ((found = std::regex_match(line, pattern))) break;
    }
    EXPECT_TRUE(found) << construct.name;
  }
}

TEST(RouterProgramGenerator, CorpusConvertsAsOneBatchWithoutFailures) {
  MemoryFileStore files;
  std::vector<std::string> sources;
  for (int index = 1; index <= 3; ++index) {
    sources.push_back("/corpus/part" + std::to_string(index) + ".nc");
    files.files[sources.back()] = Program(FileSeed(1, index), 30000);
  }
  ToolTable tools;
  tools.SetCell(1, 1, "1");
  tools.SetCell(1, 2, "101");
  DimensionTexts dims{"600", "400", "18"};
  ConversionDriver driver(files, tools);
  const std::vector<FileFailure> failures = FailuresOf(driver.ConvertBatch(sources, "/out", dims));
  for (const FileFailure& failure : failures) ADD_FAILURE() << failure.file << ": " << failure.reason;
  for (int index = 1; index <= 3; ++index) {
    const std::string& output = files.files["/out/part" + std::to_string(index) + ".nc"];
    EXPECT_GT(std::count(output.begin(), output.end(), '\r'), 20000) << index;  // most lines are translated
  }
}

}  // namespace
}  // namespace quarnel
