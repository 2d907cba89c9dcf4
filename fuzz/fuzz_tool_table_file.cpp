// The tool table file: any sixteen valid UTF-8 cell texts without line breaks come back
// exactly after save and load, other cell texts are refused and keep the previous file, and
// arbitrary bytes never crash the loader or half-load.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "support/file_store.h"
#include "tools/tool_table_file.h"

namespace {

using namespace quarnel;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Bytes that follow a lead byte of UTF-8: 0 to 3, or -1 for a byte that cannot lead.
int ContinuationCount(unsigned char lead) {
  if (lead < 0x80) return 0;
  if ((lead >> 5) == 0x6) return 1;
  if ((lead >> 4) == 0xE) return 2;
  if ((lead >> 3) == 0x1E) return 3;
  return -1;
}

// True for well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(std::string_view text) {
  static constexpr unsigned kSmallest[] = {0, 0x80, 0x800, 0x10000};
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = ContinuationCount(lead);
    if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return false;
    unsigned codePoint = extra == 0 ? lead : lead & (0x3Fu >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < kSmallest[extra] || codePoint > 0x10FFFF || surrogate) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

}  // namespace

// Either sixteen cell texts saved over a previous file and loaded back, or arbitrary bytes as
// the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string path = "/ToolTbl.Dat";
  MemoryFileStore files;
  if (input.ConsumeBool()) {
    ToolTable table;
    bool storable = true;  // a cell with a line break or invalid UTF-8 must not be saved
    for (int row = 1; row <= ToolTable::kRows; ++row) {
      for (int col = 1; col <= 2; ++col) {
        std::string text = input.ConsumeRandomLengthString(16);
        storable = storable && text.find_first_of("\r\n") == std::string::npos && IsValidUtf8(text);
        table.SetCell(row, col, std::move(text));
      }
    }
    files.files[path] = "previous";
    Require(SaveToolTable(files, path, table).has_value() == !storable);
    if (!storable) {
      Require(files.files[path] == "previous");
      return 0;
    }
    ToolTable loaded;
    Require(LoadToolTable(files, path, loaded).Loaded());
    Require(loaded == table);
    return 0;
  }
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  ToolTable before;
  before.SetCell(1, 1, "keep");
  ToolTable table = before;
  files.files[path] = bytes;
  const ToolTableLoad load = LoadToolTable(files, path, table);
  const ParsedToolTable parsed = ParseToolTableText(bytes);
  Require(load.Loaded() == parsed.table.has_value());
  Require(parsed.table.has_value() == parsed.problem.empty());
  const bool loaded = load.Loaded();
  if (!loaded) {
    Require(table == before);
    return 0;
  }
  // What was loaded saves and loads back unchanged.
  Require(!SaveToolTable(files, path, table).has_value());
  ToolTable again;
  Require(LoadToolTable(files, path, again).Loaded() && again == table);
  return 0;
}
