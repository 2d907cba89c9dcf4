#include "support/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

namespace quarnel {
namespace {

TEST(FileNameOf, SplitsAtLastSlash) {
  const struct {
    const char* path;
    const char* directory;
    const char* fileName;
  } cases[] = {
      {"/cnc/part1.nc", "/cnc/", "part1.nc"}, {"part1.nc", "", "part1.nc"},
      {"/cnc/", "/cnc/", ""},                 {"/tools/app", "/tools/", "app"},
      {"app", "", "app"},                     {"", "", ""},
      {"/", "/", ""},                         {"a\\b/c\\d", "a\\b/", "c\\d"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectoryOf(c.path), c.directory) << c.path;
    EXPECT_EQ(FileNameOf(c.path), c.fileName) << c.path;
  }
}

TEST(ExeName, NamesThisTestProgram) {
  const std::string exe = ExeName();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.front(), '/');
  EXPECT_EQ(FileNameOf(exe), "paths_test");
  struct stat info {};
  EXPECT_EQ(::stat(exe.c_str(), &info), 0);
}

}  // namespace
}  // namespace quarnel
