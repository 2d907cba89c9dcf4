// Arbitrary bytes as a batch of source files, with fuzzed tool table cells and dimension texts,
// through the scanner, the translator and the driver, in memory and written in turn. Every file
// must end either as a complete output whose header counts match its body, or as a clean
// failure with a reason, and nothing but the outputs of the written files may change.
// In one input in eight, every file must also convert as it would alone: each source converted
// by itself, from the dimension texts the files before it left, gives the same bytes or the
// same reason, and leaves the same texts, as in the batch. A batch split in two (the first part
// ended by a cancel, the second starting from the texts the first left) gives the same, file
// for file, save that each part writes an output name only once. In one input in 32 the batch
// is also converted with its outputs written on a thread of their own, and in another one in 32
// with its files translated ahead on three threads as well; neither changes anything.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/batch/conversion_batch.h"
#include "support/file_store.h"
#include "support/paths.h"
#include "tools/tool_table.h"

namespace {

using namespace quarnel;

void Require(bool condition) {
  if (!condition) std::abort();
}

// A complete output: CR LF lines only, the header, the comment line, the body, "M2" and an
// empty last line. The header starts with the units and ends in N<n + 3>L<n> for its n body
// lines, with n empty for an empty body.
void CheckComplete(std::string_view output) {
  std::size_t lines = 0;
  for (std::size_t at = output.find("\r\n"); at != output.npos; at = output.find("\r\n", at + 2)) {
    ++lines;
  }
  Require(std::count(output.begin(), output.end(), '\r') == static_cast<std::ptrdiff_t>(lines));
  Require(std::count(output.begin(), output.end(), '\n') == static_cast<std::ptrdiff_t>(lines));
  Require(lines >= 4 && output.ends_with("\r\nM2\r\n\r\n"));
  const std::string_view header = output.substr(0, output.find("\r\n"));
  Require(output.substr(header.size() + 2).starts_with("G150(G-code from router)\r\n"));
  const std::size_t body = lines - 4;
  const std::string tail =
      "T00D240N" + std::to_string(body + 3) + "L" + (body ? std::to_string(body) : "");
  Require(header.ends_with(tail));
  Require(header.starts_with("G71") || header.starts_with("G70"));
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
  explicit FuzzStore(const MemoryFileStore& start) : memory(start) {}
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
  bool WritesAlongside() const override { return true; }

 private:
  std::mutex mutex_;
};

constexpr std::string_view kDestination = "/out";
constexpr std::string_view kPrevious = "previous output\r\n";
constexpr std::size_t kOrderCheckShare = 8;  // one input in this many is checked against alone
constexpr std::size_t kThreadedShare = 32;  // one in this many written alongside, one on jobs

// The sources a batch may name after a and b: a second name for a's output, a third output
// name, the previous output in the destination itself, a missing file and a path that names
// no file.
constexpr std::string_view kSourcePaths[] = {
    "/src/a.nc", "/src/b.nc", "/other/a.nc", "/src/c.nc", "/out/a.nc", "/src/gone.nc", "/src/"};

using Texts = std::array<std::string, 3>;

Texts TextsOf(const DimensionTexts& dims) { return {dims.length, dims.height, dims.thickness}; }
DimensionTexts DimsOf(const Texts& texts) { return {texts[0], texts[1], texts[2]}; }

struct Inputs {
  MemoryFileStore start;  // sources, the previous output, failing writes
  ToolTable tools;
  Texts dims;
  std::vector<std::string> batch;
  std::size_t split = 0;  // the second part starts with this file
  bool orderChecks = false;
  unsigned threadedJobs = 0;  // also converted on threads with this many jobs; 0 for not
};

// What one file of a batch came to.
struct FileOutcome {
  std::string reason;  // empty when written
  std::string output;  // the bytes written
  Texts dimsAfter;     // the texts as the file left them
  bool operator==(const FileOutcome&) const = default;
};

struct Run {
  std::vector<FileOutcome> files;
  std::vector<std::string> writtenPaths;
};

// Records the texts each file leaves, and cancels the batch once stopAfter files are done.
class Recorder final : public BatchObserver {
 public:
  explicit Recorder(std::size_t stopAfter) : stopAfter_(stopAfter) {}
  void FileStarting(const std::string&) override {}
  void FileDone(const std::string&, const DimensionTexts& dims) override {
    dimsAfter.push_back(TextsOf(dims));
  }
  bool Cancelled() override { return dimsAfter.size() >= stopAfter_; }

  std::vector<Texts> dimsAfter;

 private:
  std::size_t stopAfter_;
};

// One driver and store for every batch of an input, as a front end keeps them from batch to
// batch; each batch starts from the starting files.
class Converter {
 public:
  explicit Converter(const Inputs& inputs)
      : inputs(inputs), store_(inputs.start), driver_(store_, inputs.tools) {}

  // Converts sources as one batch from dims, written in turn. Files after the first stopAfter
  // are cancelled, and must fail.
  Run InTurn(const std::vector<std::string>& sources, const Texts& dims,
             std::size_t stopAfter = std::numeric_limits<std::size_t>::max()) {
    Recorder recorder(stopAfter);
    DimensionTexts texts = DimsOf(dims);
    const BatchReport report =
        driver_.ConvertBatch(sources, std::string(kDestination), texts, &recorder);
    Require(report.files.size() == sources.size());
    Require(recorder.dimsAfter.size() == std::min(stopAfter, sources.size()));
    Require(TextsOf(texts) == (recorder.dimsAfter.empty() ? dims : recorder.dimsAfter.back()));
    Run run;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      const FileReport& file = report.files[i];
      Require(file.source == sources[i]);
      Require((file.status == FileReport::Status::kWritten) == file.reason.empty());
      Require(file.status != FileReport::Status::kChecked);
      FileOutcome outcome{file.reason, "", {}};
      if (file.reason.empty()) {
        outcome.output = store_.files.at(file.output);
        CheckComplete(outcome.output);
        run.writtenPaths.push_back(file.output);
      }
      if (i < recorder.dimsAfter.size()) outcome.dimsAfter = recorder.dimsAfter[i];
      run.files.push_back(std::move(outcome));
    }
    RequireOnlyOutputsWritten(run);
    Restore(run);
    return run;
  }

  const Inputs& inputs;

 private:
  bool Written(const Run& run, const std::string& path) const {
    return std::find(run.writtenPaths.begin(), run.writtenPaths.end(), path) !=
           run.writtenPaths.end();
  }

  // Every starting file is as it was unless a file of the batch was written over it, and the
  // only files added are outputs of the batch.
  void RequireOnlyOutputsWritten(const Run& run) const {
    std::size_t added = run.writtenPaths.size();
    for (const auto& [path, bytes] : inputs.start.files) {
      if (Written(run, path)) {
        --added;
      } else {
        Require(store_.files.at(path) == bytes);
      }
    }
    Require(store_.files.size() == inputs.start.files.size() + added);
  }

  void Restore(const Run& run) {
    for (const std::string& path : run.writtenPaths) {
      const auto start = inputs.start.files.find(path);
      if (start == inputs.start.files.end()) {
        store_.files.erase(path);
      } else {
        store_.files[path] = start->second;
      }
    }
  }

  MemoryFileStore store_;
  ConversionDriver driver_;
};

// What a batch must give: each file what it gives alone from the texts the files before it
// left, except a file whose output name the batch already wrote, which fails unread.
class AloneModel {
 public:
  // whole is the batch of the inputs: its first file was converted as if alone.
  AloneModel(Converter& converter, const Run& whole) : converter_(converter) {
    const Inputs& inputs = converter.inputs;
    alone_.emplace(std::make_pair(inputs.batch.front(), inputs.dims), whole.files.front());
  }

  std::vector<FileOutcome> Expected(const std::vector<std::string>& sources, Texts dims) {
    std::vector<FileOutcome> outcomes;
    std::vector<std::string> written;
    for (const std::string& source : sources) {
      const std::string name = FileNameOf(source);
      if (std::find(written.begin(), written.end(), name) != written.end()) {
        outcomes.push_back({"another source of this batch was already written to " +
                                OutputPathFor(std::string(kDestination), source),
                            "", dims});
        continue;
      }
      outcomes.push_back(Alone(source, dims));
      dims = outcomes.back().dimsAfter;
      if (outcomes.back().reason.empty()) written.push_back(name);
    }
    return outcomes;
  }

 private:
  const FileOutcome& Alone(const std::string& source, const Texts& dims) {
    const auto key = std::make_pair(source, dims);
    auto found = alone_.find(key);
    if (found == alone_.end())
      found = alone_.emplace(key, converter_.InTurn({source}, dims).files[0]).first;
    return found->second;
  }

  Converter& converter_;
  std::map<std::pair<std::string, Texts>, FileOutcome> alone_;
};

// Every file as it gives alone, and the batch split in two: the first part ended by a cancel
// after its last file, the second converted as a batch of its own from the texts the first left.
void RequireOrderIndependence(const Inputs& inputs, Converter& converter, const Run& whole) {
  const std::vector<std::string>& batch = inputs.batch;
  AloneModel model(converter, whole);
  Require(whole.files == model.Expected(batch, inputs.dims));
  if (inputs.split == 0 || inputs.split >= batch.size()) return;
  const std::vector<std::string> first(batch.begin(), batch.begin() + inputs.split);
  const std::vector<std::string> second(batch.begin() + inputs.split, batch.end());
  Run cancelled = converter.InTurn(batch, inputs.dims, first.size());
  for (std::size_t i = first.size(); i < batch.size(); ++i) {
    Require(!cancelled.files[i].reason.empty());
  }
  cancelled.files.resize(first.size());
  Require(cancelled.files == model.Expected(first, inputs.dims));
  const Texts& middle = cancelled.files.back().dimsAfter;
  Require(converter.InTurn(second, middle).files == model.Expected(second, middle));
}

// The batch written alongside the translation, and with several jobs translated ahead too: the
// same reasons and the same files.
void RequireSameOnThreads(const Inputs& inputs, const Run& inTurn) {
  FuzzStore store(inputs.start);
  ConversionDriver driver(store, inputs.tools);
  DimensionTexts dims = DimsOf(inputs.dims);
  BatchOptions options;
  options.jobs = inputs.threadedJobs;
  const BatchReport report =
      driver.ConvertBatch(inputs.batch, std::string(kDestination), dims, nullptr, options);
  Require(report.files.size() == inTurn.files.size());
  auto expected = inputs.start.files;
  for (std::size_t i = 0; i < report.files.size(); ++i) {
    const FileOutcome& file = inTurn.files[i];
    Require(report.files[i].reason == file.reason);
    if (file.reason.empty()) expected[report.files[i].output] = file.output;
  }
  Require(TextsOf(dims) == inTurn.files.back().dimsAfter);
  Require(store.memory.files == expected);
}

// The layout: the first source text (so that a plain G-code seed is a whole source file), the
// cells of the first rows of the table, the three dimension texts (which may hold line breaks:
// the driver must refuse them), then the second and third source texts. The input's last bytes
// give the number of rows filled and the batch's shape: after a, nothing, b, or b and one or
// two more sources; the split point; failing writes over a's and b's outputs. A hash of the
// whole input picks the inputs that get the costly checks, evenly over every kind of input (a
// plain G-code file leaves no bytes for a choice).
Inputs ReadInputs(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Inputs inputs;
  auto& files = inputs.start.files;
  files["/src/a.nc"] = input.ConsumeRandomLengthString(size);
  const int rows = input.ConsumeIntegralInRange(0, ToolTable::kRows);
  for (int row = 1; row <= rows; ++row) {
    for (int col = 1; col <= 2; ++col) inputs.tools.SetCell(row, col, CellText(input));
  }
  for (std::string& text : inputs.dims) text = input.ConsumeRandomLengthString(12);
  const auto shape = input.ConsumeIntegral<std::uint8_t>();
  inputs.batch = {"/src/a.nc"};
  if ((shape & 3) != 0) inputs.batch.emplace_back("/src/b.nc");
  for (int more = (shape & 3) - 1; more > 0; --more) {
    inputs.batch.emplace_back(input.PickValueInArray(kSourcePaths));
  }
  inputs.split = input.ConsumeIntegralInRange<std::size_t>(0, inputs.batch.size());
  if ((shape & 4) != 0) inputs.start.failingWrites.insert("/out/b.nc");
  if ((shape & 8) != 0) inputs.start.failingWrites.insert("/out/a.nc");
  files["/src/b.nc"] = input.ConsumeRandomLengthString(size);
  files["/src/c.nc"] = input.ConsumeRemainingBytesAsString();
  files["/other/a.nc"] = files["/src/c.nc"];
  files["/out/a.nc"] = kPrevious;
  const std::size_t hash =
      std::hash<std::string_view>{}({reinterpret_cast<const char*>(data), size});
  inputs.orderChecks = hash % kOrderCheckShare == 0;
  const std::size_t threaded = hash / kOrderCheckShare % kThreadedShare;
  inputs.threadedJobs = threaded == 0 ? 1 : threaded == 1 ? 3 : 0;
  return inputs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Inputs inputs = ReadInputs(data, size);
  Converter converter(inputs);
  const Run whole = converter.InTurn(inputs.batch, inputs.dims);
  if (inputs.orderChecks) RequireOrderIndependence(inputs, converter, whole);
  if (inputs.threadedJobs != 0) RequireSameOnThreads(inputs, whole);
  return 0;
}
