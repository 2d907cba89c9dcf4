#include "support/settings_store.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/file_store.h"
#include "recording_calls.h"
#include "support/ini_text.h"
#include "test_support.h"

namespace quarnel {
namespace {

using testing::Fault;
using testing::ListDirectory;
using testing::RecordingCalls;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr const char* kPath = "/app/Quarnel.INI";

TEST(IniValueIn, ReadsTheFirstMatchingKeyOfTheFirstMatchingSection) {
  const std::string hundred(100, 'p');
  const struct {
    std::string text, section, key, expected;
  } cases[] = {
      {"[Settings]\nSourcePath=   /cnc/parts/   \n", "Settings", "SourcePath", "/cnc/parts/"},
      {"[S]\nk=\t/cnc/\t\n", "S", "k", "\t/cnc/\t"},  // only spaces are trimmed
      {"[S]\nk=" + hundred + "\n", "S", "k", hundred},
      {"[window]\ntop=1200\n", "Window", "Top", "1200"},
      {"  [ Window ]  \n\t Top \t= 1200\n", "Window", "Top", "1200"},
      {"[Window]\nTop=1200\n", " window ", "\tTOP", "1200"},
      {"[S]\nk=END.-\n", "S", "k", ""},
      {"[S]\nk=  END.-  \n", "S", "k", ""},
      {"[S]\nk=END.-x\n", "S", "k", "END.-x"},
      {"[S]\nk=\n", "S", "k", ""},
      {"[S]\nk=    \n", "S", "k", ""},
      {"[S]\nk=a=b\n", "S", "k", "a=b"},
      {"[Window]\r\nTop=1200\r\nLeft=300\r\n", "Window", "Top", "1200"},
      {"[Window]\rTop=1200\rLeft=300", "Window", "Left", "300"},
      {"\xEF\xBB\xBF[Window]\nTop=1200\n", "Window", "Top", "1200"},
      {"[A] ; the first\nk=1\n", "A", "k", "1"},
      {"[A]\nk=1\n[a]\nk=2\n", "A", "k", "1"},
      {"[A]\nx=1\n[a]\nk=2\n", "A", "k", ""},  // only the first matching section counts
      {"[A]\nk=1\nK=2\n", "A", "k", "1"},
      {"[A]\n;k=1\n  #k=2\nk=3\n", "A", "k", "3"},
      {"[A]\nno equals sign\nk=1", "A", "k", "1"},
      {"k=1\n[A]\n", "A", "k", ""},
      {"[B]\nk=1\n[A]\n", "A", "k", ""},
      {"[A\nk=1\n", "A", "k", ""},  // no closing bracket: not a section
      {"", "A", "k", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IniValueIn(c.text, c.section, c.key), c.expected) << c.text;
  }
}

TEST(IniTextWith, ChangesOneLineAndKeepsTheRest) {
  const struct {
    const char* text;
    const char* section;
    const char* key;
    const char* value;
    const char* expected;
  } cases[] = {
      {"", "Settings", "Head1", "True", "[Settings]\nHead1=True\n"},
      {"", " Settings ", "\tHead1 ", "True", "[Settings]\nHead1=True\n"},
      {"[window]\ntop = 1\nleft=2\n", "Window", "Top", "1500", "[window]\ntop =1500\nleft=2\n"},
      {"[A]\na=1\n; about B\n\n[B]\nb=2\n", "A", "c", "3",
       "[A]\na=1\nc=3\n; about B\n\n[B]\nb=2\n"},
      {"[A]\n; note\n\n[B]\n", "A", "k", "v", "[A]\n; note\nk=v\n\n[B]\n"},
      {"[A]\n\n\n", "A", "k", "v", "[A]\nk=v\n\n\n"},
      {"[A]\na=1\n", "B", "b", "2", "[A]\na=1\n\n[B]\nb=2\n"},
      {"[A]\na=1\n\n", "B", "b", "2", "[A]\na=1\n\n[B]\nb=2\n"},
      {"; only a comment", "B", "b", "2", "; only a comment\n\n[B]\nb=2\n"},
      {"[A]\r\na=1\r\n; c\r\n", "A", "a", "2", "[A]\na=2\n; c\n"},
      {"[A]\na=1", "A", "b", "2", "[A]\na=1\nb=2\n"},
      {"\xEF\xBB\xBF[A]\n", "A", "a", "1", "\xEF\xBB\xBF[A]\na=1\n"},
      {"[A]\nk=1\n[a]\nk=2\n", "a", "K", "3", "[A]\nk=3\n[a]\nk=2\n"},
      {"[A]\nk=1\n", "A", "k", "  spaced  ", "[A]\nk=  spaced  \n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IniTextWith(c.text, c.section, c.key, c.value), c.expected) << c.text;
  }
}

TEST(IniTextWith, RefusesWhatWouldNotReadBack) {
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"S", "k", "two\nlines"}, {"S", "k", "two\rlines"}, {"S", "k", "end\r\n"},
      {"S", "a=b", "v"},        {"S", ";k", "v"},         {"S", "#k", "v"},
      {"S", "[k", "v]"},        {"a]b", "k", "v"},        {"a\nb", "k", "v"},
      {"S", "k\n", "v"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IniTextWith("[S]\nk=1\n", c.section, c.key, c.value), std::nullopt)
        << c.section << " " << c.key << " " << c.value;
  }
}

TEST(IniStore, FirstStartWithoutFileReadsEmptyAndTheFirstWriteCreatesIt) {
  MemoryFileStore files;
  IniStore store(files, kPath);
  for (const char* key : {"Top", "Left"}) EXPECT_EQ(store.IniRead("Window", key), "");
  EXPECT_EQ(store.IniRead("Settings", "SourcePath"), "");
  EXPECT_TRUE(files.files.empty());  // reading creates nothing

  store.IniWrite("Settings", "X-Dimension", "600");
  EXPECT_EQ(files.files.at(kPath), "[Settings]\nX-Dimension=600\n");
  EXPECT_EQ(store.IniRead("settings", "x-dimension"), "600");
}

TEST(IniStore, PaddedValueReadsBackWithoutItsSpaces) {
  MemoryFileStore files;
  IniStore store(files, kPath);
  store.IniWrite("Settings", "SourcePath", "  /cnc/parts/  ");
  EXPECT_EQ(store.IniRead("Settings", "SourcePath"), "/cnc/parts/");
}

TEST(IniStore, LongPathReadsBackWhole) {
  MemoryFileStore files;
  IniStore store(files, kPath);
  const std::string path = "/" + std::string(120, 'd') + "/";
  store.IniWrite("Settings", "DestinationPath", path);
  EXPECT_EQ(store.IniRead("Settings", "DestinationPath"), path);
}

TEST(IniStore, KeepsUnrelatedContentAcrossWrites) {
  MemoryFileStore files;
  files.files[kPath] =
      "; Quarnel settings\r\n"
      "\r\n"
      "[Window]\r\n"
      "Top=1200\r\n"
      "Left=300\r\n"
      "\r\n"
      "# the shop's own notes\r\n"
      "[settings]\r\n"
      "x-dimension = 600\r\n"
      "SourcePath=/cnc/parts/\r\n"
      "a line that means nothing\r\n"
      "\r\n"
      "[Other]\r\n"
      "kept=yes\r\n";
  IniStore store(files, kPath);
  store.IniWrite("Settings", "X-Dimension", "720");
  store.IniWrite("Settings", "Head1", "False");
  store.IniWrite("Window", "Left", "450");
  store.IniWrite("DirDialogBox", "LastDir", "/cnc/");
  EXPECT_EQ(files.files.at(kPath),
            "; Quarnel settings\n"
            "\n"
            "[Window]\n"
            "Top=1200\n"
            "Left=450\n"
            "\n"
            "# the shop's own notes\n"
            "[settings]\n"
            "x-dimension =720\n"
            "SourcePath=/cnc/parts/\n"
            "Head1=False\n"
            "a line that means nothing\n"
            "\n"
            "[Other]\n"
            "kept=yes\n"
            "\n"
            "[DirDialogBox]\n"
            "LastDir=/cnc/\n");
  EXPECT_EQ(store.IniRead("Other", "kept"), "yes");
  EXPECT_EQ(store.IniRead("Window", "Top"), "1200");
}

TEST(IniStore, ValueWithLineBreakIsNotWritten) {
  MemoryFileStore files;
  IniStore store(files, kPath);
  store.IniWrite("Settings", "X-Dimension", "600\n[Window]");
  EXPECT_TRUE(files.files.empty());
  files.files[kPath] = "[Settings]\nX-Dimension=600\n";
  store.IniWrite("Settings", "X-Dimension", "7\r\n20");
  EXPECT_EQ(files.files.at(kPath), "[Settings]\nX-Dimension=600\n");
}

TEST(IniStore, FailedWriteIsLostAndLeavesTheOldFile) {
  MemoryFileStore files;
  files.files[kPath] = "[Settings]\nX-Dimension=600\n";
  files.failingWrites.insert(kPath);
  IniStore store(files, kPath);
  store.IniWrite("Settings", "X-Dimension", "720");
  store.IniWrite("Window", "Top", "15");
  EXPECT_EQ(files.files.at(kPath), "[Settings]\nX-Dimension=600\n");
  EXPECT_EQ(store.IniRead("Settings", "X-Dimension"), "600");
}

// A store whose one file exists but cannot be read.
class UnreadableFileStore final : public FileStore {
 public:
  ReadOutcome ReadRegularFile(const std::string&) override {
    return {false, "", std::strerror(EACCES)};
  }
  std::optional<std::string> WriteAtomically(const std::string&, std::string_view) override {
    ++writes;
    return std::nullopt;
  }
  bool SameFile(const std::string& a, const std::string& b) override { return a == b; }
  MoveOutcome MoveWithoutReplacing(const std::string&, const std::string&) override { return {}; }
  int writes = 0;
};

TEST(IniStore, UnreadableFileIsNotReplacedByOneKey) {
  UnreadableFileStore files;
  IniStore store(files, kPath);
  EXPECT_EQ(store.IniRead("Settings", "X-Dimension"), "");
  store.IniWrite("Settings", "X-Dimension", "720");
  EXPECT_EQ(files.writes, 0);
}

TEST(IniStoreOnDisk, WritesAtomicallyAndReadsCrLfFiles) {
  TempDir dir;
  DiskFileStore files;
  IniStore store(files, dir.File("Quarnel.INI"));
  WriteFileBytes(dir.File("Quarnel.INI"), "[WINDOW]\r\nTOP=1200\r\n");
  EXPECT_EQ(store.IniRead("Window", "Top"), "1200");
  store.IniWrite("Window", "Left", "300");
  EXPECT_EQ(ReadFileBytes(dir.File("Quarnel.INI")), "[WINDOW]\nTOP=1200\nLeft=300\n");
  EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"Quarnel.INI"});
}

TEST(IniStoreOnDisk, WriteIntoMissingDirectoryIsLostQuietly) {
  TempDir dir;
  DiskFileStore files;
  IniStore store(files, dir.File("gone/Quarnel.INI"));
  store.IniWrite("Settings", "X-Dimension", "600");
  EXPECT_EQ(store.IniRead("Settings", "X-Dimension"), "");
  EXPECT_TRUE(ListDirectory(dir.Path()).empty());
}

TEST(IniStoreOnDisk, EachFailingStepOfTheWriteKeepsTheWholeOldFile) {
  for (const Fault& fault : {Fault{"create", EACCES}, Fault{"write", ENOSPC, 12},
                             Fault{"sync .Quarnel.INI", EIO}, Fault{"rename", EIO}}) {
    TempDir dir;
    WriteFileBytes(dir.File("Quarnel.INI"), "[Settings]\nX-Dimension=600\n");
    RecordingCalls calls(fault);
    DiskFileStore files(calls);
    IniStore(files, dir.File("Quarnel.INI")).IniWrite("Settings", "X-Dimension", "720");
    EXPECT_TRUE(calls.Fired()) << fault.entry;
    EXPECT_EQ(ReadFileBytes(dir.File("Quarnel.INI")), "[Settings]\nX-Dimension=600\n")
        << fault.entry;
    EXPECT_EQ(ListDirectory(dir.Path()), std::vector<std::string>{"Quarnel.INI"}) << fault.entry;
  }
}

}  // namespace
}  // namespace quarnel
