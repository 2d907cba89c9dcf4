#include "cli/convert_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "test_support.h"

namespace quarnel {
namespace {

using testing::FileExists;
using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::TestDataPath;
using testing::WriteFileBytes;

struct CommandResult {
  int status;
  std::string out;
  std::string err;
};

CommandResult Convert(std::vector<std::string> args) {
  args.insert(args.begin(), "quarnel-convert");
  std::vector<const char*> argv;
  for (const auto& arg : args) argv.push_back(arg.c_str());
  std::ostringstream out, err;
  const int status = RunConvertCommand(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

TEST(ConvertCommand, UsageErrorsExitTwo) {
  TempDir dir;
  WriteFileBytes(dir.File("a.nc"), "G90\n");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {dir.File("a.nc")},
      {"--dest", dir.Path()},
      {"--dest", dir.Path(), "--unknown", dir.File("a.nc")},
      {"--dest", dir.Path(), "--length", "600\n", dir.File("a.nc")},
      {"--dest", dir.Path(), "--thickness", "1\r8", dir.File("a.nc")},
      {"--dest", dir.Path(), "--tools", dir.File("missing.dat"), dir.File("a.nc")},
      {"--dest", dir.Path(), "--tools", dir.File("a.nc"), dir.File("a.nc")},
  };
  for (const auto& args : cases) {
    const CommandResult run = Convert(args);
    EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_FALSE(run.err.empty());
  }
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"a.nc"});
}

TEST(ConvertCommand, HelpDocumentsEveryOptionAndTheExitStatus) {
  const CommandResult run = Convert({"--help"});
  EXPECT_EQ(run.status, kExitAllWritten);
  for (const char* word : {"--dest", "--length", "--height", "--thickness", "--tools", "SOURCE",
                           "Exit status", "Quarnel.INI", "ToolTbl.Dat"}) {
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
  }
}

TEST(ConvertCommand, VersionPrintsOneLineAndConvertsNothing) {
  TempDir dir;
  WriteFileBytes(dir.File("a.nc"), "G90\n");
  ::mkdir(dir.File("out").c_str(), 0755);
  const std::vector<std::vector<std::string>> cases = {
      {"--version"},
      {"--dest", dir.File("out"), "--version", "--height", "400", dir.File("a.nc")},
  };
  for (const auto& args : cases) {
    const CommandResult run = Convert(args);
    EXPECT_EQ(run.status, kExitAllWritten) << run.err;
    EXPECT_THAT(run.out, ::testing::MatchesRegex("quarnel-convert [0-9]+\\.[0-9]+\\.[0-9]+\n"));
  }
  EXPECT_TRUE(ListDirectory(dir.File("out")).empty());
}

TEST(ConvertCommand, SourceWithoutTranslatableLinesGivesFourLines) {
  TempDir dir;
  WriteFileBytes(dir.File("part.nc"), "(comment)\r\nM30\r\n");
  ::mkdir(dir.File("out").c_str(), 0755);
  const CommandResult run = Convert({"--dest", dir.File("out"), "--length", "600", "--height", "400",
                           "--thickness", "18", dir.File("part.nc")});
  EXPECT_EQ(run.status, kExitAllWritten) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.File("out/part.nc")),
            "G71X600Y400Z18T00D240N3L\r\nG150(G-code from router)\r\nM2\r\n\r\n");
}

TEST(ConvertCommand, HeaderExamplesHoldByteForByte) {
  struct Case {
    const char* expected;
    std::vector<std::string> dims;
  };
  const std::vector<Case> cases = {
      {"mm_empty", {"600", "400", "18"}},         {"height_60", {"600", "60", "18"}},
      {"height_60_001", {"600", "60.001", "18"}}, {"mm_decimals", {"600.5", "400", "18.123456"}},
      {"inch_decimals", {"23.625", "15.5", "0.5"}}, {"empty_boxes", {"", "", ""}},
      {"height_with_unit", {"600", "400 mm", "18"}},
  };
  for (const auto& c : cases) {
    TempDir out;
    const CommandResult run = Convert({"--dest", out.Path(), "--length", c.dims[0], "--height", c.dims[1],
                             "--thickness", c.dims[2], TestDataPath("driver/empty_body.nc")});
    EXPECT_EQ(run.status, kExitAllWritten) << c.expected << run.err;
    EXPECT_EQ(ReadFileBytes(out.File("empty_body.nc")),
              ReadFileBytes(TestDataPath(std::string("driver/") + c.expected + ".expected")))
        << c.expected;
  }
}

TEST(ConvertCommand, FailedFilesAreNamedAndTheRestConverted) {
  TempDir dir;
  WriteFileBytes(dir.File("good.nc"), "G90\n");
  ::mkdir(dir.File("other").c_str(), 0755);
  WriteFileBytes(dir.File("other/good.nc"), "G91\n");
  ::mkdir(dir.File("out").c_str(), 0755);
  const CommandResult run = Convert({"--dest", dir.File("out"), "--height", "400", dir.File("good.nc"),
                           dir.File("missing.nc"), dir.File("other/good.nc")});
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_NE(run.err.find(dir.File("missing.nc") + ": "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(dir.File("other/good.nc") + ": "), std::string::npos) << run.err;
  EXPECT_EQ(ListDirectory(dir.File("out")), std::vector<std::string>{"good.nc"});
}

// Warnings inform: every option gives the same files; only --strict turns them into exit 1,
// and --dry-run writes nothing.
TEST(ConvertCommand, ReportOptionsChangeNoOutput) {
  TempDir dir;
  WriteFileBytes(dir.File("part.nc"), "G1 X5\nM30\n");
  const struct {
    std::vector<std::string> options;
    int status;
    bool writes;
    const char* err;  // the messages, with DIR for the folder
  } cases[] = {
      {{}, kExitAllWritten, true,
       "quarnel-convert: DIR/part.nc: the part length \"1,200\" is not a plain number: reads as 1\n"},
      {{"--strict"}, kExitSomeFailed, true, nullptr},
      {{"-v"}, kExitAllWritten, true,
       "quarnel-convert: DIR/part.nc: written: 2 source lines (1 translated, 1 dropped), 1 output "
       "lines, 1 warning\n"
       "quarnel-convert: DIR/part.nc: the part length \"1,200\" is not a plain number: reads as 1\n"},
      {{"--dry-run", "-v"}, kExitAllWritten, false,
       "quarnel-convert: DIR/part.nc: checked: 2 source lines (1 translated, 1 dropped), 1 output "
       "lines, 1 warning\n"
       "quarnel-convert: DIR/part.nc: the part length \"1,200\" is not a plain number: reads as 1\n"},
  };
  for (const auto& c : cases) {
    TempDir out;
    std::vector<std::string> args = {"--dest", out.Path(), "--length", "1,200", "--height", "400",
                                     "--thickness", "18", "--tools", TestDataPath("golden/shop-tools.dat")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(dir.File("part.nc"));
    CommandResult run = Convert(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(FileExists(out.File("part.nc")), c.writes);
    if (c.writes) {
      EXPECT_EQ(ReadFileBytes(out.File("part.nc")),
                "G71X1,200Y400Z18T00D240N4L1\r\nG150(G-code from router)\r\nG1X5Y0Z0F0\r\nM2\r\n\r\n");
    }
    const std::string table = "quarnel-convert: " + TestDataPath("golden/shop-tools.dat") +
                              ": row 7: \"To\" 3: the tool call takes in the \"From\" of row 3\n";
    ASSERT_TRUE(run.err.starts_with(table)) << run.err;
    std::string messages = run.err.substr(table.size());
    for (std::size_t at; (at = messages.find(dir.Path())) != std::string::npos;) {
      messages.replace(at, dir.Path().size(), "DIR");
    }
    if (c.err != nullptr) {
      EXPECT_EQ(messages, c.err);
    }
  }
}

// The JSON report on standard output, in the shape scripts rely on.
TEST(ConvertCommand, ReportJsonHasTheDocumentedShape) {
  TempDir dir;
  WriteFileBytes(dir.File("part.nc"), "(HEAD)\n\nG21 G0 X5 T9 M6\nG1 X6\nN10\n");
  const CommandResult run = Convert({"--dest", dir.File("out"), "--height", "400", "--length", "600",
                                     "--thickness", "18", "--tools", TestDataPath("golden/shop-tools.dat"),
                                     "--dry-run", "--report", "-", dir.File("part.nc")});
  ASSERT_EQ(run.status, kExitAllWritten) << run.err;
  const auto json = nlohmann::json::parse(run.out);
  const auto& file = json["files"][0];
  EXPECT_EQ(file["status"], "checked");
  EXPECT_EQ(file["lines"], nlohmann::json::parse(R"({"source": 5, "translated": 2, "dropped": 3,
      "blank": 1, "comment": 1, "other": 1})"));
  EXPECT_EQ(file["body_lines"], 2);
  EXPECT_EQ(file["units"], "G71");
  EXPECT_EQ(file["dimensions"]["from"], "given");
  EXPECT_EQ(file["ignored_codes"][0], nlohmann::json::parse(R"({"code": "G21", "count": 1, "first_line": 3})"));
  EXPECT_EQ(file["ignored_words"][0], nlohmann::json::parse(R"({"letter": "M", "count": 1, "first_line": 3})"));
  EXPECT_EQ(file["tools"][0], nlohmann::json::parse(
                                  R"({"number": 9, "row": null, "to": 9, "call": "T019", "first_line": 4})"));
  EXPECT_EQ(file["warnings"][0]["line"], 4);
  EXPECT_EQ(json["tool_table"]["warnings"][0]["row"], 7);
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"part.nc"});
}

// --verify reads an output edited by hand and compares it with the source, with the tool table
// and the dimensions a conversion would take.
TEST(ConvertCommand, VerifyComparesAnExistingOutputWithItsSource) {
  TempDir dir;
  const std::string road = std::string(QUARNEL_EXAMPLES) + "/road.nc";
  const std::string tools = std::string(QUARNEL_EXAMPLES) + "/road-tools.dat";
  std::string output = ReadFileBytes(TestDataPath("golden/road/expected/road.nc"));
  WriteFileBytes(dir.File("same.nc"), output);
  output.replace(output.find("X350Y100"), 8, "X350Y101");
  WriteFileBytes(dir.File("edited.nc"), output);
  const std::vector<std::string> asConverted = {"--tools", tools, "--length", "600", "--height",
                                                "400", "--thickness", "18", road};
  const auto verify = [&](const std::string& output) {
    std::vector<std::string> args = {"--verify", dir.File(output)};
    args.insert(args.end(), asConverted.begin(), asConverted.end());
    return args;
  };
  const struct {
    std::vector<std::string> args;
    int status;
    const char* out;  // the start of what standard output holds
  } cases[] = {
      {verify("same.nc"), kExitAllWritten, "matches: 3 moves\n"},
      {verify("edited.nc"), kExitSomeFailed,
       "differs: 1 difference, first at source line 4, output line 5\n"},
      {{"--verify", dir.File("same.nc"), "--tools", tools, "--length", "700", "--height", "400",
        "--thickness", "18", road},
       kExitSomeFailed, "differs: 1 difference, first at output line 1\n"},
      {{"--verify", dir.File("same.nc"), road}, kExitSomeFailed, "differs"},  // no tools given
      {{"--verify", dir.File("missing.nc"), road}, kExitUsage, ""},
      {{"--verify", dir.File("same.nc"), road, road}, kExitUsage, ""},
      {{"--verify", dir.File("same.nc"), "--dest", dir.Path(), road}, kExitUsage, ""},
  };
  for (const auto& c : cases) {
    const CommandResult run = Convert(c.args);
    EXPECT_EQ(run.status, c.status) << ::testing::PrintToString(c.args) << run.err;
    EXPECT_TRUE(run.out.starts_with(c.out)) << run.out;
  }
  const CommandResult edited = Convert(verify("edited.nc"));
  EXPECT_NE(edited.err.find("source line 4, output line 5: Y 101 in the output, 100 in the source"),
            std::string::npos)
      << edited.err;
  EXPECT_EQ(ListDirectory(dir.Path()), (std::vector<std::string>{"edited.nc", "same.nc"}));
}

// Notes are listed always: the first ten, or with -v every one.
TEST(ConvertCommand, VerifyListsTheNotes) {
  TempDir dir;
  const std::string large = std::string(QUARNEL_EXAMPLES) + "/large_program.nc";
  const std::vector<std::string> dims = {"--length", "2800", "--height", "2070", "--thickness",
                                         "18", "--tools", dir.File("tools.dat")};
  WriteFileBytes(dir.File("tools.dat"), ReadFileBytes(TestDataPath("golden/shop-tools.dat")));
  std::vector<std::string> convert = {"--dest", dir.Path(), large};
  convert.insert(convert.end(), dims.begin(), dims.end());
  ASSERT_EQ(Convert(convert).status, kExitAllWritten);
  std::vector<std::string> verify = {"--verify", dir.File("large_program.nc"), large};
  verify.insert(verify.end(), dims.begin(), dims.end());
  const CommandResult some = Convert(verify);
  EXPECT_EQ(std::count(some.out.begin(), some.out.end(), '\n'), 12) << some.out;
  EXPECT_NE(some.out.find("\nand 158 more notes (-v lists every note)\n"), std::string::npos);
  verify.push_back("-v");
  const CommandResult every = Convert(verify);
  EXPECT_EQ(std::count(every.out.begin(), every.out.end(), '\n'), 169) << every.out;
  EXPECT_NE(every.out.find("note: source line 100: tool 81's G85 block stands for this motion\n"),
            std::string::npos);
}

// --preview draws each converted file; the report carries the comparison and the extents.
TEST(ConvertCommand, PreviewAndReportCarryTheGeometry) {
  TempDir out, pictures;
  const CommandResult run =
      Convert({"--dest", out.Path(), "--length", "600", "--height", "400", "--thickness", "18",
               "--preview", pictures.Path(), "--report", "-",
               std::string(QUARNEL_EXAMPLES) + "/road.nc"});
  ASSERT_EQ(run.status, kExitAllWritten) << run.err;
  EXPECT_EQ(ListDirectory(pictures.Path()), std::vector<std::string>{"road.nc.svg"});
  EXPECT_TRUE(ReadFileBytes(pictures.File("road.nc.svg")).starts_with("<?xml"));
  const auto file = nlohmann::json::parse(run.out)["files"][0];
  EXPECT_EQ(file["geometry"]["moves"], 3);
  EXPECT_EQ(file["geometry"]["differences"].size(), 0u);
  EXPECT_EQ(file["extents"], nlohmann::json::parse(R"({"x": [100, 350], "y": [50, 100],
      "depth": [-5, -5]})"));
}

TEST(ConvertCommand, MissingDestinationFailsAndLeavesNothing) {
  TempDir dir;
  WriteFileBytes(dir.File("part.nc"), "G90\n");
  const CommandResult run = Convert({"--dest", dir.File("missing"), "--height", "400", dir.File("part.nc")});
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_NE(run.err.find("part.nc"), std::string::npos);
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"part.nc"});
}

TEST(ConvertCommand, RefusesToWriteOverItsOwnSource) {
  TempDir dir;
  WriteFileBytes(dir.File("part.nc"), "G90\r\n");
  const CommandResult run = Convert({"--dest", dir.Path(), "--height", "400", dir.File("part.nc")});
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_NE(run.err.find("source"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.File("part.nc")), "G90\r\n");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"part.nc"});
}

// The executable itself, run without privileges against a destination it may not write.
struct ReadOnlyRun {
  std::string exe, destination, source;
};

TEST(ConvertCommandExecutable, ReadOnlyDestinationExitsOneAndLeavesNothing) {
  if (!testing::CanDropPrivileges()) GTEST_SKIP() << "cannot run a step without privileges here";
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string exe = dir.File("quarnel-convert");
  WriteFileBytes(exe, ReadFileBytes(QUARNEL_CONVERT_EXE));
  ::chmod(exe.c_str(), 0755);
  WriteFileBytes(dir.File("part.nc"), "G90\n");
  ::chmod(dir.File("part.nc").c_str(), 0644);
  ::mkdir(dir.File("locked").c_str(), 0555);
  ReadOnlyRun context{exe, dir.File("locked"), dir.File("part.nc")};
  const int status = testing::RunUnprivileged(
      [](void* raw) {
        const auto& c = *static_cast<ReadOnlyRun*>(raw);
        const char* argv[] = {c.exe.c_str(), "--dest",   c.destination.c_str(), "--height", "400",
                              "--length",    "1",        "--thickness",         "1",
                              c.source.c_str(), nullptr};
        execv(c.exe.c_str(), const_cast<char* const*>(argv));
        return 99;
      },
      &context);
  EXPECT_EQ(status, kExitSomeFailed);
  EXPECT_TRUE(ListDirectory(dir.File("locked")).empty());
}

}  // namespace
}  // namespace quarnel
