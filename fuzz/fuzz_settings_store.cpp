// The settings store: arbitrary file content, then writes, then reads. A write is read back
// (trimmed of spaces, "END.-" reading as absent) and leaves every other key as it read before;
// a value with a line break is not written; a failed write leaves the file as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "support/file_store.h"
#include "support/settings_store.h"

namespace {

using namespace quarnel;

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr const char* kNames[] = {"Settings",    "settings", "Window", "DirDialogBox",
                                  "X-Dimension", "Top",      "top",    "Left",
                                  "LastDir",     "Head1",    "a",      "B"};

std::string Name(FuzzedDataProvider& input) { return input.PickValueInArray(kNames); }

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lowerA = std::tolower(static_cast<unsigned char>(a[i]));
    if (lowerA != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// The settings file's content, or nullopt when there is none.
std::optional<std::string> FileText(const MemoryFileStore& files) {
  const auto file = files.files.find("/Quarnel.INI");
  if (file == files.files.end()) return std::nullopt;
  return file->second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  MemoryFileStore files;
  if (input.ConsumeBool()) files.files["/Quarnel.INI"] = input.ConsumeRandomLengthString(size);
  IniStore store(files, "/Quarnel.INI");
  while (input.remaining_bytes() > 0) {
    const std::string section = Name(input), key = Name(input);
    const std::string value = input.ConsumeRandomLengthString(40);
    const std::string otherSection = Name(input), otherKey = Name(input);
    const bool writeFails = input.ConsumeIntegralInRange(0, 7) == 0;
    if (writeFails) {
      files.failingWrites.insert("/Quarnel.INI");
    } else {
      files.failingWrites.clear();
    }
    const std::optional<std::string> fileBefore = FileText(files);
    const std::string otherBefore = store.IniRead(otherSection, otherKey);
    const std::string before = store.IniRead(section, key);
    store.IniWrite(section, key, value);
    const std::string after = store.IniRead(section, key);
    if (writeFails) {  // a failed write is lost and leaves the file as it was
      Require(FileText(files) == fileBefore);
      Require(after == before);
    } else if (value.find_first_of("\r\n") != std::string::npos) {
      Require(after == before);
    } else {
      const std::string expected = Trimmed(value) == "END.-" ? "" : Trimmed(value);
      Require(after == expected);
    }
    if (!SameName(section, otherSection) || !SameName(key, otherKey)) {
      Require(store.IniRead(otherSection, otherKey) == otherBefore);
    }
  }
  return 0;
}
