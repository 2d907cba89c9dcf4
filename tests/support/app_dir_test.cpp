#include "support/app_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "support/paths.h"
#include "test_support.h"

namespace quarnel {
namespace {

using testing::TempDir;

// A file system of its own: the directories that exist and those of them that are writable.
struct FakeDirectories {
  std::set<std::string> existing, writable;
};

AppDirInputs InputsFor(const FakeDirectories& dirs, std::string exePath, std::string xdg,
                       std::string home, std::string developmentDir = "") {
  return {.exePath = std::move(exePath),
          .xdgConfigHome = std::move(xdg),
          .home = std::move(home),
          .directoryExists = [dirs](const std::string& d) { return dirs.existing.count(d) != 0; },
          .directoryWritable = [dirs](const std::string& d) { return dirs.writable.count(d) != 0; },
          .developmentDir = std::move(developmentDir)};
}

TEST(AppDirFrom, ExecutableDirectoryWhenWritableElseTheUserConfigDirectory) {
  const FakeDirectories dirs{{"/opt/quarnel/", "/usr/bin/", "/usr/local/bin/", "/home/u/"},
                             {"/opt/quarnel/", "/usr/bin/", "/usr/local/bin/"}};  // as for root
  const struct {
    const char* exe;
    const char* xdg;
    const char* home;
    const char* expected;
  } cases[] = {
      {"/opt/quarnel/quarnel", "/home/u/.cfg", "/home/u", "/opt/quarnel/"},
      {"/usr/bin/quarnel", "/home/u/.cfg", "/home/u", "/home/u/.cfg/quarnel/"},
      {"/usr/bin/quarnel", "/home/u/.cfg/", "/home/u", "/home/u/.cfg/quarnel/"},
      {"/usr/bin/quarnel", "", "/home/u", "/home/u/.config/quarnel/"},
      {"/usr/bin/quarnel", "relative/cfg", "/home/u/", "/home/u/.config/quarnel/"},
      {"/usr/bin/quarnel", "", "/", "/.config/quarnel/"},
      {"/usr/local/bin/quarnel", "", "/root", "/root/.config/quarnel/"},
      {"/usr/bin/quarnel", "", "", "/usr/bin/"},  // nowhere better: reads still work
      {"/usr/bin/quarnel", "", "home", "/usr/bin/"},
      {"", "", "/home/u", "/home/u/.config/quarnel/"},
      {"", "", "", "./"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AppDirFrom(InputsFor(dirs, c.exe, c.xdg, c.home)), c.expected) << c.exe << " " << c.xdg;
  }
}

TEST(AppDirFrom, DevelopmentDirectoryOnlyWhenItExists) {
  const std::string dev = "/home/u/dev/Vindral";
  const FakeDirectories withDev{{dev}, {"/home/u/Vbconv/", "/srv/v/b/", "/opt/xvBy/"}};
  const FakeDirectories withoutDev{{}, withDev.writable};
  const struct {
    const FakeDirectories& dirs;
    const char* exe;
    const char* home;
    std::string developmentDir;
    const char* expected;
  } cases[] = {
      {withDev, "/home/u/Vbconv/quarnel", "/home/u", dev, "/home/u/dev/Vindral/"},
      {withDev, "/opt/xvBy/quarnel", "/home/u", dev, "/home/u/dev/Vindral/"},
      {withDev, "/srv/v/b/quarnel", "/home/u", dev, "/srv/v/b/"},
      {withDev, "/usr/bin/quarnel", "/home/vbrown", dev, "/home/u/dev/Vindral/"},
      {withDev, "/usr/bin/quarnel", "/home/ann", dev, "/home/ann/.config/quarnel/"},
      {withDev, "/home/u/Vbconv/quarnel", "/home/u", "", "/home/u/Vbconv/"},
      {withoutDev, "/home/u/Vbconv/quarnel", "/home/u", dev, "/home/u/Vbconv/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AppDirFrom(InputsFor(c.dirs, c.exe, "", c.home, c.developmentDir)), c.expected)
        << c.exe << " " << c.home;
  }
}

TEST(AppDirFrom, RealDirectoriesOfTheTestsOwn) {
  TempDir root;
  const std::string program = root.File("Vbconv") + "/";
  const std::string dev = root.File("vbprojects/Vindral");
  std::filesystem::create_directories(program);
  const auto exists = [](const std::string& d) { return std::filesystem::is_directory(d); };
  const auto writable = [](const std::string& d) { return ::access(d.c_str(), W_OK) == 0; };
  const AppDirInputs inputs{program + "quarnel", "", "", exists, writable, dev};
  EXPECT_EQ(AppDirFrom(inputs), program);
  std::filesystem::create_directories(dev);
  EXPECT_EQ(AppDirFrom(inputs), dev + "/");
}

TEST(AppDirForThisProcess, IsTheTestsOwnDirectoryWhenWritable) {
  const std::string exeDir = DirectoryOf(ExeName());
  if (::access(exeDir.c_str(), W_OK) != 0) GTEST_SKIP() << "the build directory is read-only";
  EXPECT_EQ(LocateAppDirForThisProcess(), exeDir);
  EXPECT_EQ(IniPathFor(exeDir), exeDir + "Quarnel.INI");
  EXPECT_EQ(ToolTablePathFor(exeDir), exeDir + "ToolTbl.Dat");
}

// Run without privileges, so that the build directory is not writable and the configuration
// directory is chosen: it is created on the spot, with its parents.
constexpr int kExeDirWritable = 77;

int CreatesConfigDirectory(void* raw) {
  const std::string& config = *static_cast<std::string*>(raw);
  if (::access(DirectoryOf(ExeName()).c_str(), W_OK) == 0) return kExeDirWritable;
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  const std::string expected = config + "/quarnel/";
  if (LocateAppDirForThisProcess() != expected || std::filesystem::exists(expected)) return 1;
  if (AppDirForThisProcess() != expected || !std::filesystem::is_directory(expected)) return 2;
  return ::access(expected.c_str(), W_OK) == 0 ? 0 : 3;
}

TEST(AppDirForThisProcess, CreatesTheConfigDirectoryWhenTheProgramDirectoryIsReadOnly) {
  if (!testing::CanDropPrivileges()) GTEST_SKIP() << "cannot run a step without privileges here";
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0777);
  std::string config = dir.File("nested/config");
  const int result = testing::RunUnprivileged(CreatesConfigDirectory, &config);
  if (result == kExeDirWritable) GTEST_SKIP() << "the build directory is writable to everyone";
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace quarnel
