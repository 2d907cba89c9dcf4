// quarnel-convert takes left-out dimensions and the left-out tool table from the program's
// directory: a copy of the executable is run from a folder of the test's own.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "test_support.h"

namespace {

using quarnel::testing::ListDirectory;
using quarnel::testing::ReadFileBytes;
using quarnel::testing::RunCommand;
using quarnel::testing::TempDir;
using quarnel::testing::WriteFileBytes;

constexpr const char* kSettings = "[Settings]\nX-Dimension=600\nY-Dimension=400\nZ-Dimension=18\n";
constexpr const char* kToolTable = "QUARNEL-TOOLTABLE 1\n1\t101\n\t\n\t\n\t\n\t\n\t\n\t\n\t\n";
const std::string kRoad = std::string(QUARNEL_EXAMPLES) + "/road.nc";

constexpr const char* kRoadConverted =
    "G71X600Y400Z18T00D240N6L3\r\n"
    "G150(G-code from router)\r\n"
    "G88G90G54P5T01a1S0G40X100Y50Z-5C0V0\r\n"
    "G1G90X300Y50Z-5F3\r\n"
    "G2G90G17X350Y100Z-5U50F3\r\n"
    "M2\r\n"
    "\r\n";

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// Copies the built executable into directory and returns the copy's path.
std::string CopyConverterInto(const std::string& directory) {
  const std::string exe = directory + "/quarnel-convert";
  WriteFileBytes(exe, ReadFileBytes(QUARNEL_CONVERT_EXE));
  ::chmod(exe.c_str(), 0755);
  return exe;
}

// A program folder holding the converter, its settings and its tool table, and an output folder.
struct PreparedProgram {
  TempDir program, out;
  std::string exe = CopyConverterInto(program.Path());

  PreparedProgram() {
    WriteFileBytes(program.File("Quarnel.INI"), kSettings);
    WriteFileBytes(program.File("ToolTbl.Dat"), kToolTable);
  }
  int Run(const std::string& options) const {
    return RunCommand(Quoted(exe) + " --dest " + Quoted(out.Path()) + " " + options + " " +
                      Quoted(kRoad));
  }
  std::string Output() const { return ReadFileBytes(out.File("road.nc")); }
};

TEST(ConvertWithSettings, TakesDimensionsAndToolTableFromTheProgramDirectory) {
  const PreparedProgram prepared;
  ASSERT_EQ(prepared.Run(""), 0);
  EXPECT_EQ(prepared.Output(), kRoadConverted);
  EXPECT_EQ(ListDirectory(prepared.program.Path()),
            (std::vector<std::string>{"Quarnel.INI", "ToolTbl.Dat", "quarnel-convert"}));
}

TEST(ConvertWithSettings, OptionsGivenOverrideTheSettings) {
  const PreparedProgram prepared;
  WriteFileBytes(prepared.program.File("other-tools.dat"),
                 "QUARNEL-TOOLTABLE 1\n1\t102\n\t\n\t\n\t\n\t\n\t\n\t\n\t\n");
  ASSERT_EQ(prepared.Run("--length 700 --tools " + Quoted(prepared.program.File("other-tools.dat"))), 0);
  std::string expected = kRoadConverted;
  expected.replace(expected.find("X600"), 4, "X700");
  expected.replace(expected.find("T01a1"), 5, "T01a2");
  EXPECT_EQ(prepared.Output(), expected);
}

// The machining time's settings of the window, an option given over each: the block to
// 100,50,-5 takes 1.119 s at 6000 mm/min.
TEST(ConvertWithSettings, TakesTheTimeSettingsOfTheWindow) {
  const PreparedProgram prepared;
  WriteFileBytes(prepared.program.File("Quarnel.INI"),
                 std::string(kSettings) + "[MachiningTime]\nRapidRate=6000\nToolChangeTime=5\n");
  const std::string report = prepared.out.File("report.json");
  ASSERT_EQ(prepared.Run("--tool-change-time 2 --report " + Quoted(report)), 0);
  const auto time = nlohmann::json::parse(ReadFileBytes(report))["files"][0]["time"];
  EXPECT_EQ(time["rapid_seconds"], 1.119);
  EXPECT_EQ(time["tool_change_seconds"], 2);
}

// The file is left as it is (only the window moves it aside), and the user is warned.
TEST(ConvertWithSettings, ForeignToolTableFileMeansAnEmptyTableAndAWarning) {
  const PreparedProgram prepared;
  WriteFileBytes(prepared.program.File("ToolTbl.Dat"), "1\t101\n");
  ASSERT_EQ(prepared.Run("2>" + Quoted(prepared.out.File("stderr.txt"))), 0);
  std::string expected = kRoadConverted;
  expected.replace(expected.find("T01a1"), 5, "T011");
  EXPECT_EQ(prepared.Output(), expected);
  EXPECT_EQ(ReadFileBytes(prepared.out.File("stderr.txt")),
            "quarnel-convert: warning: the tool table " + prepared.program.File("ToolTbl.Dat") +
                " cannot be used (line 1: not a tool table file); converting with an empty "
                "table\n");
  EXPECT_EQ(ReadFileBytes(prepared.program.File("ToolTbl.Dat")), "1\t101\n");
  // --strict fails on it, and the report names the file and the line.
  const std::string report = prepared.out.File("r.json");
  ASSERT_EQ(prepared.Run("--strict --report " + Quoted(report) + " 2>/dev/null"), 1);
  const auto warning = nlohmann::json::parse(ReadFileBytes(report))["tool_table"]["warnings"][0];
  EXPECT_EQ(warning["file"], prepared.program.File("ToolTbl.Dat"));
  EXPECT_EQ(warning["line"], 1);
}

// The program folder is read-only to the user who runs it: the settings come from the user's
// configuration directory instead.
struct UnprivilegedRun {
  std::string exe, home, out;
};

int RunWithHome(void* raw) {
  const auto& run = *static_cast<UnprivilegedRun*>(raw);
  ::setenv("HOME", run.home.c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  const char* argv[] = {run.exe.c_str(), "--dest", run.out.c_str(), kRoad.c_str(), nullptr};
  execv(run.exe.c_str(), const_cast<char* const*>(argv));
  return 99;
}

TEST(ConvertWithSettings, ReadOnlyProgramDirectoryUsesTheConfigDirectory) {
  if (!quarnel::testing::CanDropPrivileges()) GTEST_SKIP() << "cannot run a step without privileges here";
  TempDir root;
  ::chmod(root.Path().c_str(), 0777);
  ::mkdir(root.File("program").c_str(), 0755);
  ::mkdir(root.File("out").c_str(), 0755);
  const std::string config = root.File("home/.config/quarnel");
  ASSERT_EQ(RunCommand("mkdir -p " + Quoted(config)), 0);
  WriteFileBytes(config + "/Quarnel.INI", kSettings);
  WriteFileBytes(config + "/ToolTbl.Dat", kToolTable);
  ASSERT_EQ(RunCommand("chmod -R a+rX " + Quoted(root.Path())), 0);
  ::chmod(root.File("out").c_str(), 0777);
  UnprivilegedRun run{CopyConverterInto(root.File("program")), root.File("home"), root.File("out")};
  if (::geteuid() != 0 && ::access(root.File("program").c_str(), W_OK) == 0) {
    GTEST_SKIP() << "the program folder stays writable to this user";
  }
  ASSERT_EQ(quarnel::testing::RunUnprivileged(RunWithHome, &run), 0);
  EXPECT_EQ(ReadFileBytes(root.File("out/road.nc")), kRoadConverted);
}

}  // namespace
