// Arbitrary bytes as source files, with fuzzed tool table cells and dimension texts, through
// the scanner, the translator and the driver. Every file must end either as a complete output
// whose header counts match its body, or as a clean failure, with a reason, that left any
// previous output of its name as it was. Writing the outputs alongside the translation must
// give the same results as writing each in turn.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/conversion_batch.h"
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
  const std::string tail =
      "T00D240N" + std::to_string(body + 3) + "L" + (body ? std::to_string(body) : "");
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

// Files in memory behind a lock, so that the driver may also write on a thread of its own.
class FuzzStore final : public FileStore {
 public:
  explicit FuzzStore(bool alongside) : alongside_(alongside) {}
  MemoryFileStore memory;

  ReadOutcome ReadRegularFile(const std::string& path) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    return memory.ReadRegularFile(path);
  }
  std::optional<std::string> WriteAtomically(const std::string& path,
                                             std::string_view bytes) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    return memory.WriteAtomically(path, bytes);
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    return memory.SameFile(a, b);
  }
  MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    return memory.MoveWithoutReplacing(from, to);
  }
  bool WritesAlongside() const override { return alongside_; }

 private:
  bool alongside_;
  std::mutex mutex_;
};

constexpr std::string_view kPrevious = "previous output\r\n";

struct Inputs {
  std::map<std::string, std::string> sources;
  ToolTable tools;
  DimensionTexts dims;
};

struct Outcome {
  std::vector<std::pair<std::string, std::string>> failures;  // source, reason
  std::map<std::string, std::string> files;
  bool operator==(const Outcome&) const = default;
};

// Converts the sources as one batch, in their order, over a previous output of "a.nc".
Outcome Convert(const Inputs& inputs, const std::vector<std::string>& batch, bool alongside) {
  FuzzStore store(alongside);
  store.memory.files = inputs.sources;
  store.memory.files["/out/a.nc"] = kPrevious;
  DimensionTexts dims = inputs.dims;  // G200 rewrites them
  ConversionDriver driver(store, inputs.tools);
  Outcome outcome;
  for (FileFailure& failure : FailuresOf(driver.ConvertBatch(batch, "/out", dims))) {
    outcome.failures.emplace_back(std::move(failure.file), std::move(failure.reason));
  }
  outcome.files = std::move(store.memory.files);
  return outcome;
}

bool Failed(const Outcome& outcome, const std::string& source) {
  return std::any_of(outcome.failures.begin(), outcome.failures.end(),
                     [&](const auto& failure) { return failure.first == source; });
}

}  // namespace

// The first source comes first, so that a plain G-code seed is a whole source file; the cells,
// the dimension texts (which may hold line breaks: the driver must refuse them), a choice and
// the second source follow. A third source has the first one's name.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Inputs inputs;
  inputs.sources["/src/a.nc"] = input.ConsumeRandomLengthString(size);
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    for (int col = 1; col <= 2; ++col) inputs.tools.SetCell(row, col, CellText(input));
  }
  inputs.dims = {input.ConsumeRandomLengthString(12), input.ConsumeRandomLengthString(12),
                 input.ConsumeRandomLengthString(12)};
  std::vector<std::string> batch = {"/src/a.nc", "/src/b.nc"};
  if (input.ConsumeBool()) batch.push_back("/other/a.nc");
  inputs.sources["/src/b.nc"] = input.ConsumeRemainingBytesAsString();
  inputs.sources["/other/a.nc"] = inputs.sources["/src/b.nc"];

  const Outcome outcome = Convert(inputs, batch, false);
  Require(outcome.failures.size() <= batch.size());
  for (const auto& failure : outcome.failures) Require(!failure.second.empty());
  for (const std::string name : {"a.nc", "b.nc"}) {
    const bool anyWritten = std::any_of(batch.begin(), batch.end(), [&](const std::string& source) {
      return source.ends_with("/" + name) && !Failed(outcome, source);
    });
    const auto output = outcome.files.find("/out/" + name);
    if (anyWritten) {
      Require(output != outcome.files.end());
      CheckComplete(output->second);
    } else if (name == "a.nc") {
      Require(output->second == kPrevious);
    } else {
      Require(output == outcome.files.end());
    }
  }
  // Writing each output on a thread of its own while the next file is translated changes
  // nothing: the same failures in the same order, and the same files.
  Require(Convert(inputs, batch, true) == outcome);
  return 0;
}
