// Arbitrary bytes as source files, with fuzzed tool table cells and dimension texts, through
// the scanner, the translator and the driver. Every file must end either as a complete output
// whose header counts match its body, or as a clean failure, with a reason, that left any
// previous output of its name as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/driver.h"
#include "engine/translator.h"
#include "support/file_store.h"

namespace {

using namespace quarnel;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Splits text at CR LF; every line end must be CR LF and nothing may follow the last one.
std::vector<std::string_view> OutputLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    Require(end != std::string_view::npos);
    const std::string_view line = text.substr(0, end);
    Require(line.find_first_of("\r\n") == std::string_view::npos);
    lines.push_back(line);
    text.remove_prefix(end + 2);
  }
  return lines;
}

// The header ends in N<n + 3>L<n>, with n empty for an empty body.
void CheckComplete(const std::string& output) {
  const auto lines = OutputLines(output);
  Require(lines.size() >= 4);
  const std::size_t body = lines.size() - 4;
  Require(lines[1] == "G150(G-code from router)");
  Require(lines[lines.size() - 2] == "M2");
  Require(lines.back().empty());
  const std::string tail = "T00D240N" + std::to_string(body + 3) + "L" + (body ? std::to_string(body) : "");
  Require(lines[0].size() >= tail.size() && lines[0].substr(lines[0].size() - tail.size()) == tail);
  Require(lines[0].substr(0, 3) == "G71" || lines[0].substr(0, 3) == "G70");
}

// A cell text as the window or the table loader can leave it: never a CR or LF (both refuse
// them, since the "From" text of a row reaches the output).
std::string CellText(FuzzedDataProvider& input) {
  std::string text = input.ConsumeRandomLengthString(8);
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return text;
}

}  // namespace

// The first source comes first, so that a plain G-code seed is a whole source file; the cells,
// the dimension texts (which may hold line breaks: the driver must refuse them) and the
// second source follow.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  MemoryFileStore files;
  files.files["/src/a.nc"] = input.ConsumeRandomLengthString(size);
  ToolTable tools;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    for (int col = 1; col <= 2; ++col) tools.SetCell(row, col, CellText(input));
  }
  DimensionTexts dims{input.ConsumeRandomLengthString(12), input.ConsumeRandomLengthString(12),
                      input.ConsumeRandomLengthString(12)};
  files.files["/src/b.nc"] = input.ConsumeRemainingBytesAsString();

  constexpr std::string_view kPrevious = "previous output\r\n";
  files.files["/out/a.nc"] = kPrevious;  // a failure must leave it as it was

  TranslatorState state;
  Translator translator(state, tools, dims);
  ConversionDriver driver(files, translator, dims);
  driver.SetDestination("/out");
  const auto failures = driver.ConvertBatch({"/src/a.nc", "/src/b.nc"});
  Require(failures.size() <= 2);
  for (const std::string name : {"a.nc", "b.nc"}) {
    const auto failure = std::find_if(failures.begin(), failures.end(),
                                      [&](const FileFailure& f) { return f.file == "/src/" + name; });
    const auto output = files.files.find("/out/" + name);
    if (failure == failures.end()) {
      Require(output != files.files.end());
      CheckComplete(output->second);
    } else {
      Require(!failure->reason.empty());
      Require(name == "a.nc" ? output->second == kPrevious : output == files.files.end());
    }
  }
  return 0;
}
