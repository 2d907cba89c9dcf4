#include "cli/convert_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
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
      {"--dest", dir.Path(), "--rapid-rate", "0", dir.File("a.nc")},
      {"--dest", dir.Path(), "-v", "--rapid-rate", "2E4", dir.File("a.nc")},
      {"--dest", dir.Path(), "--tool-change-time", "-1", dir.File("a.nc")},
      {"--verify", dir.File("a.nc"), "--tool-change-time", "3601", dir.File("a.nc")},
  };
  for (const auto& args : cases) {
    const CommandResult run = Convert(args);
    EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, ::testing::StartsWith("quarnel-convert: "));
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
       "line, 1 warning, estimated machining time 0 s (1 move without a feed not timed)\n"
       "quarnel-convert: DIR/part.nc: the part length \"1,200\" is not a plain number: reads as 1\n"},
      {{"--dry-run", "-v"}, kExitAllWritten, false,
       "quarnel-convert: DIR/part.nc: checked: 2 source lines (1 translated, 1 dropped), 1 output "
       "line, 1 warning, estimated machining time 0 s (1 move without a feed not timed)\n"
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
  TempDir dir, out;
  WriteFileBytes(dir.File("part.nc"), "(HEAD)\n\nG21 G0 X5 T9 M6\nG1 X6\nN10\n");
  const CommandResult run = Convert({"--dest", out.Path(), "--height", "400", "--length", "600",
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
  EXPECT_TRUE(file["tools"][0]["number"].is_number_integer());
  EXPECT_EQ(file["warnings"][0]["line"], 4);
  EXPECT_EQ(json["tool_table"]["warnings"][0]["row"], 7);
  EXPECT_EQ(file["geometry"]["moves"], 2);
  EXPECT_TRUE(ListDirectory(out.Path()).empty());
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
      {{"--verify", dir.File("edited.nc"), "--report", dir.File("r.json"), "--tools", tools,
        "--length", "600", "--height", "400", "--thickness", "18", road},
       kExitSomeFailed, "differs: 1 difference"},
      {{"--verify", dir.File("missing.nc"), road}, kExitUsage, ""},
      {{"--verify", dir.File("same.nc"), road, road}, kExitUsage, ""},
      {{"--verify", dir.File("same.nc"), "--dest", dir.Path(), road}, kExitUsage, ""},
      {{"--verify", dir.File("same.nc"), "--dry-run", road}, kExitUsage, ""},
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
  EXPECT_EQ(ListDirectory(dir.Path()),
            (std::vector<std::string>{"edited.nc", "r.json", "same.nc"}));
}

// --verify with --preview draws the verified pair, named after the output, with its verdict and
// its time; -v says the time.
TEST(ConvertCommand, VerifyDrawsThePairAndTimesIt) {
  TempDir dir, pictures;
  const std::string road = std::string(QUARNEL_EXAMPLES) + "/road.nc";
  WriteFileBytes(dir.File("same.nc"), ReadFileBytes(TestDataPath("golden/road/expected/road.nc")));
  const CommandResult run = Convert(
      {"--verify", dir.File("same.nc"), "--preview", pictures.Path(), "-v", "--rapid-rate", "6000",
       "--tool-change-time", "5", "--tools", std::string(QUARNEL_EXAMPLES) + "/road-tools.dat",
       "--length", "600", "--height", "400", "--thickness", "18", road});
  EXPECT_EQ(run.status, kExitAllWritten) << run.err;
  EXPECT_NE(run.err.find("same.nc: estimated machining time 12 s: cutting 6 s, rapid 1 s"),
            std::string::npos) << run.err;
  EXPECT_EQ(ListDirectory(pictures.Path()), std::vector<std::string>{"same.nc.svg"});
  const std::string svg = ReadFileBytes(pictures.File("same.nc.svg"));
  EXPECT_NE(svg.find(">matches: 3 moves</text>"), std::string::npos);
  EXPECT_NE(svg.find(">estimated machining time 12 s"), std::string::npos);
  // The picture may not be a file the run reads.
  const CommandResult overlap =
      Convert({"--verify", dir.File("same.nc"), "--preview", dir.Path(), dir.File("same.nc.svg")});
  EXPECT_EQ(overlap.status, kExitUsage);
  EXPECT_NE(overlap.err.find("the preview " + dir.File("same.nc.svg") + " is also the source"),
            std::string::npos) << overlap.err;
}

// With --report -, standard output holds the JSON alone: the source's lines as the translator
// takes them, the output's header, and each difference with its two lines.
TEST(ConvertCommand, VerifyReportOnStandardOutput) {
  TempDir dir;
  const std::string road = std::string(QUARNEL_EXAMPLES) + "/road.nc";
  std::string output = ReadFileBytes(TestDataPath("golden/road/expected/road.nc"));
  output.replace(output.find("X350Y100"), 8, "X350Y101");
  WriteFileBytes(dir.File("edited.nc"), output);
  const CommandResult run =
      Convert({"--verify", dir.File("edited.nc"), "--report", "-", "--tools",
               std::string(QUARNEL_EXAMPLES) + "/road-tools.dat", "--length", "600", "--height",
               "400", "--thickness", "18", road});
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_NE(run.err.find("differs: 1 difference"), std::string::npos) << run.err;
  const auto file = nlohmann::json::parse(run.out)["files"][0];
  const auto& lines = file["lines"];
  EXPECT_EQ(lines["source"], 6);
  EXPECT_EQ(lines["translated"].get<int>() + lines["dropped"].get<int>(), 6);
  EXPECT_EQ(file["body_lines"], 3);  // of the output read, not of a translation
  EXPECT_EQ(file["units"], "G71");
  EXPECT_EQ(file["dimensions"]["height"], "400");
  EXPECT_EQ(file["geometry"]["differences"][0]["source_line"], 4);
  EXPECT_EQ(file["geometry"]["differences"][0]["output_line"], 5);
  EXPECT_EQ(file["tools"][0]["call"], "T01a1");  // looked up in the table --tools gives
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

// --preview draws each converted file; the report carries the comparison, the extents and the
// machining time: at 6000 mm/min the block to 100,50,-5 takes 1.119 s, the tool change 5 s,
// the 200 mm feed and the quarter circle of radius 50 at F3 (50 mm/s) 4 s and 1.571 s.
TEST(ConvertCommand, PreviewAndReportCarryTheGeometryAndTheTime) {
  TempDir out, pictures;
  const CommandResult run =
      Convert({"--dest", out.Path(), "--length", "600", "--height", "400", "--thickness", "18",
               "--preview", pictures.Path(), "--report", "-", "--rapid-rate", "6000",
               "--tool-change-time", "5", std::string(QUARNEL_EXAMPLES) + "/road.nc"});
  ASSERT_EQ(run.status, kExitAllWritten) << run.err;
  EXPECT_EQ(ListDirectory(pictures.Path()), std::vector<std::string>{"road.nc.svg"});
  const std::string svg = ReadFileBytes(pictures.File("road.nc.svg"));
  EXPECT_TRUE(svg.starts_with("<?xml"));
  EXPECT_NE(svg.find(">estimated machining time 12 s: cutting 6 s"), std::string::npos);
  const auto file = nlohmann::json::parse(run.out)["files"][0];
  EXPECT_EQ(file["time"], nlohmann::json::parse(R"({"total_seconds": 11.69,
      "cutting_seconds": 5.571, "rapid_seconds": 1.119, "drilling_seconds": 0,
      "tool_change_seconds": 5, "tool_changes": 1, "cut_length": 278.5398, "length_units": "mm",
      "untimed_moves": 0, "first_untimed_line": null})"));
  EXPECT_EQ(file["geometry"]["moves"], 3);
  EXPECT_EQ(file["geometry"]["differences"].size(), 0u);
  EXPECT_EQ(file["extents"], nlohmann::json::parse(R"({"x": [100, 350], "y": [50, 100],
      "depth": [-5, -5]})"));
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

// Every file under path (links as their target), by its path relative to path.
std::map<std::string, std::string> Snapshot(const std::string& path) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(path)) {
    const std::string name = entry.path().lexically_relative(path);
    if (entry.is_symlink()) {
      files[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      files[name] = ReadFileBytes(entry.path());
    } else {
      files[name] = "(folder)";
    }
  }
  return files;
}

// The report and the previews never take a file that the run reads or writes otherwise, nor
// each other's place, through a link or a hard link: a usage error before anything is read or
// written.
TEST(ConvertCommand, ReportAndPreviewsNeverTakeTheRunsFiles) {
  TempDir dir;
  for (const char* folder : {"out", "pictures", "sub"}) ::mkdir(dir.File(folder).c_str(), 0755);
  const std::string road = ReadFileBytes(std::string(QUARNEL_EXAMPLES) + "/road.nc");
  for (const char* name : {"r.nc", "r.nc.svg", "sub/r.nc", "sub/done.nc", "out/done.nc"}) {
    WriteFileBytes(dir.File(name), road);
  }
  ASSERT_EQ(::symlink(dir.File("r.nc").c_str(), dir.File("link.json").c_str()), 0);
  ASSERT_EQ(::link(dir.File("r.nc").c_str(), dir.File("hard.json").c_str()), 0);
  WriteFileBytes(dir.File("tools.dat"), ReadFileBytes(TestDataPath("golden/shop-tools.dat")));
  const std::string r = dir.File("r.nc"), out = dir.File("out");
  const std::vector<std::string> convert = {"--dest", out, "--height", "400", "--tools",
                                            dir.File("tools.dat")};
  const std::vector<std::vector<std::string>> cases = {
      {"--report", r, r},                            // the source
      {"--report", dir.File("link.json"), r},        // the source through a symbolic link
      {"--report", dir.File("hard.json"), r},        // ... through a hard link
      {"--report", dir.File("out/r.nc"), r},         // the output, not written yet
      {"--report", dir.File("sub/../tools.dat"), r},  // the tool table
      {"--preview", dir.Path(), dir.File("r.nc.svg"), r},  // r.nc's preview is the source r.nc.svg
      {"--preview", out, r, dir.File("r.nc.svg")},   // ... the output of r.nc.svg
      {"--preview", dir.File("pictures"), r, dir.File("sub/r.nc")},  // two previews, one name
      {"--preview", dir.File("pictures"), "--report", dir.File("pictures/r.nc.svg"), r},
      {dir.File("sub/done.nc"), dir.File("out/done.nc")},  // an output over a later source
      {dir.File("out/done.nc"), dir.File("sub/done.nc")},  // ... over one read before
  };
  const auto before = Snapshot(dir.Path());
  for (auto args : cases) {
    args.insert(args.begin(), convert.begin(), convert.end());
    const CommandResult run = Convert(args);
    EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, ::testing::HasSubstr("nothing was read or written"));
  }
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--verify", dir.File("out/done.nc"), "--report", dir.File("out/done.nc"), r},
           {"--verify", dir.File("out/done.nc"), "--report", dir.File("hard.json"), r}}) {
    EXPECT_EQ(Convert(args).status, kExitUsage) << ::testing::PrintToString(args);
  }
  EXPECT_EQ(Snapshot(dir.Path()), before);
}

// Every folder the run writes in is checked before the first file, a dry run's too.
TEST(ConvertCommand, MissingFoldersAreUsageErrorsBeforeAnyFile) {
  TempDir dir;
  ::mkdir(dir.File("out").c_str(), 0755);
  WriteFileBytes(dir.File("part.nc"), "G1 X5\n");
  WriteFileBytes(dir.File("file"), "not a folder");
  const std::string out = dir.File("out"), missing = dir.File("missing");
  const std::vector<std::vector<std::string>> cases = {
      {"--dest", missing},
      {"--dest", dir.File("file")},
      {"--dest", missing, "--dry-run"},
      {"--dest", out, "--report", missing + "/r.json"},
      {"--dest", out, "--report", dir.File("file/r.json")},
      {"--dest", out, "--preview", missing},
      {"--dest", out, "--preview", dir.File("file")},
      {"--verify", dir.File("part.nc"), "--report", missing + "/r.json"},
  };
  const auto before = Snapshot(dir.Path());
  for (auto args : cases) {
    args.insert(args.end(), {"--height", "400", dir.File("part.nc")});
    const CommandResult run = Convert(args);
    EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_THAT(run.err, ::testing::HasSubstr("cannot write in"));
  }
  EXPECT_EQ(Snapshot(dir.Path()), before);
}

// A dry run fails each file that the real run fails for its output, in the same words.
TEST(ConvertCommand, DryRunFailsWhatTheRealRunFails) {
  TempDir dir, out;
  ::mkdir(dir.File("sub").c_str(), 0755);
  for (const char* name : {"a.nc", "sub/a.nc", "locked.nc", "folder.nc"}) {
    WriteFileBytes(dir.File(name), "G1 X5\n");
  }
  WriteFileBytes(out.File("locked.nc"), "kept");
  ::chmod(out.File("locked.nc").c_str(), 0444);
  ::mkdir(out.File("folder.nc").c_str(), 0755);
  const std::vector<std::string> args = {"--dest", out.Path(), "--height", "400", "--report", "-",
                                         dir.File("a.nc"), dir.File("sub/a.nc"),
                                         dir.File("locked.nc"), dir.File("folder.nc")};
  std::vector<std::string> dryArgs = args;
  dryArgs.insert(dryArgs.begin(), "--dry-run");
  const CommandResult dry = Convert(dryArgs);
  const CommandResult real = Convert(args);
  EXPECT_EQ(dry.status, kExitSomeFailed);
  EXPECT_EQ(real.status, kExitSomeFailed);
  EXPECT_EQ(dry.err, real.err);
  const auto dryFiles = nlohmann::json::parse(dry.out)["files"];
  const auto realFiles = nlohmann::json::parse(real.out)["files"];
  ASSERT_EQ(realFiles.size(), 4u);
  for (std::size_t i = 0; i < realFiles.size(); ++i) {
    EXPECT_EQ(realFiles[i]["source"], args[6 + i]);
    EXPECT_EQ(realFiles[i]["status"], i == 0 ? "written" : "failed") << i;
    EXPECT_EQ(dryFiles[i]["status"], i == 0 ? "checked" : "failed") << i;
    EXPECT_EQ(dryFiles[i]["reason"], realFiles[i]["reason"]) << i;
  }
  EXPECT_EQ(ReadFileBytes(out.File("locked.nc")), "kept");
}

// --strict fails a batch with any warning, the tool table's alone or a file's alone.
TEST(ConvertCommand, StrictFailsOnAnyWarningAndOnlyThen) {
  TempDir dir, out;
  WriteFileBytes(dir.File("part.nc"), "G1 X5\n");
  std::string clean = "QUARNEL-TOOLTABLE 1\n1\t101\n";
  for (int row = 2; row <= 8; ++row) clean += "\t\n";
  WriteFileBytes(dir.File("clean.dat"), clean);
  const struct {
    const char* length;
    std::string tools;
    int status;
  } cases[] = {
      {"600", TestDataPath("golden/shop-tools.dat"), kExitSomeFailed},
      {"1,200", dir.File("clean.dat"), kExitSomeFailed},
      {"600", dir.File("clean.dat"), kExitAllWritten},
  };
  for (const auto& c : cases) {
    const CommandResult run = Convert({"--dest", out.Path(), "--length", c.length, "--height", "400",
                                       "--thickness", "18", "--tools", c.tools, "--strict",
                                       dir.File("part.nc")});
    EXPECT_EQ(run.status, c.status) << c.length << " " << c.tools << run.err;
  }
}

// A report or preview that cannot be written at the end fails the run.
TEST(ConvertCommand, UnwritableReportOrPreviewFailsTheRun) {
  TempDir dir, out;
  const std::string road = std::string(QUARNEL_EXAMPLES) + "/road.nc";
  ::mkdir(dir.File("road.nc.svg").c_str(), 0755);
  EXPECT_EQ(Convert({"--dest", out.Path(), "--height", "400", "--preview", dir.Path(), road}).status,
            kExitSomeFailed);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--dest", out.Path(), "--height", "400", "--report", "-", road},
        {"--verify", out.File("road.nc"), "--report", "-", road}}) {
    std::vector<const char*> argv = {"quarnel-convert"};
    for (const auto& arg : args) argv.push_back(arg.c_str());
    std::ostream closed(nullptr);  // standard output that takes nothing
    std::ostringstream err;
    EXPECT_EQ(RunConvertCommand(static_cast<int>(argv.size()), argv.data(), closed, err),
              kExitSomeFailed) << ::testing::PrintToString(args);
    EXPECT_THAT(err.str(), ::testing::HasSubstr("cannot write the report -"));
  }
}

// A name reaches the terminal with its control characters and bad bytes escaped; the report
// keeps its bytes.
TEST(ConvertCommand, NamesAreEscapedOnTheTerminalAndExactInTheReport) {
  TempDir dir, out;
  const std::string name = dir.File("a\x1b[2J\xe9.nc");
  WriteFileBytes(name, "G1 X5\n");
  const CommandResult run = Convert({"--dest", out.Path(), "-v", "--height", "400", "--length",
                                     "", "--thickness", "18", "--report", "-", name});
  EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
  EXPECT_THAT(run.err, ::testing::HasSubstr("a\\x1b[2J\\xe9.nc: written"));
  std::string bytes;
  const std::string hex = nlohmann::json::parse(run.out)["files"][0]["source_hex"];
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  EXPECT_EQ(bytes, name);
}

// The executable itself, run without privileges, against a folder it may not write in.
struct UnprivilegedRun {
  std::string exe;
  std::vector<std::string> args;
};

TEST(ConvertCommandExecutable, ReadOnlyFoldersAreUsageErrorsBeforeAnyFile) {
  if (!testing::CanDropPrivileges()) GTEST_SKIP() << "cannot run a step without privileges here";
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string exe = dir.File("quarnel-convert");
  WriteFileBytes(exe, ReadFileBytes(QUARNEL_CONVERT_EXE));
  ::chmod(exe.c_str(), 0755);
  WriteFileBytes(dir.File("part.nc"), "G90\n");
  ::chmod(dir.File("part.nc").c_str(), 0644);
  ::mkdir(dir.File("locked").c_str(), 0555);
  ::mkdir(dir.File("open").c_str(), 0755);
  ::chmod(dir.File("open").c_str(), 0777);
  const std::string locked = dir.File("locked"), open = dir.File("open");
  const struct {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"--dest", locked}, kExitUsage},
      {{"--dest", open, "--report", locked + "/r.json"}, kExitUsage},
      {{"--dest", open, "--preview", locked}, kExitUsage},
      {{"--dest", open, "--dry-run"}, kExitAllWritten},  // the open folder is open
  };
  for (const auto& [args, expected] : cases) {
    UnprivilegedRun run{exe, args};
    for (const char* arg : {"--height", "400", "--length", "1", "--thickness", "1"}) {
      run.args.push_back(arg);
    }
    run.args.push_back(dir.File("part.nc"));
    const int status = testing::RunUnprivileged(
        [](void* raw) {
          const auto& c = *static_cast<UnprivilegedRun*>(raw);
          std::vector<const char*> argv = {c.exe.c_str()};
          for (const std::string& arg : c.args) argv.push_back(arg.c_str());
          argv.push_back(nullptr);
          execv(c.exe.c_str(), const_cast<char* const*>(argv.data()));
          return 99;
        },
        &run);
    EXPECT_EQ(status, expected) << ::testing::PrintToString(args);
  }
  EXPECT_TRUE(ListDirectory(locked).empty());
  EXPECT_TRUE(ListDirectory(open).empty());
}

}  // namespace
}  // namespace quarnel
