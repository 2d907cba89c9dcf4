// The tool table file: any sixteen valid UTF-8 cell texts without line breaks come back
// exactly after save and load, and arbitrary bytes never crash the loader or half-load.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "support/file_store.h"
#include "tools/tool_table_file.h"

namespace {

using namespace quarnel;

void Require(bool condition) {
  if (!condition) std::abort();
}

// True for well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size() + (extra == 0)) return false;
    unsigned codePoint = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    static constexpr unsigned kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[extra] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      return false;
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    ToolTable table;
    for (int row = 1; row <= ToolTable::kRows; ++row) {
      for (int col = 1; col <= 2; ++col) {
        std::string text = input.ConsumeRandomLengthString(16);
        if (text.find_first_of("\r\n") != std::string::npos || !IsValidUtf8(text)) return 0;
        table.SetCell(row, col, std::move(text));
      }
    }
    MemoryFileStore files;
    Require(!SaveToolTable(files, "/ToolTbl.Dat", table));
    ToolTable loaded;
    Require(LoadToolTable(files, "/ToolTbl.Dat", loaded));
    Require(loaded == table);
    return 0;
  }
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  ToolTable before;
  before.SetCell(1, 1, "keep");
  ToolTable table = before;
  MemoryFileStore files;
  files.files["/ToolTbl.Dat"] = bytes;
  const bool loaded = LoadToolTable(files, "/ToolTbl.Dat", table);
  Require(loaded == ParseToolTableText(bytes).has_value());
  if (!loaded) Require(table == before);
  return 0;
}
