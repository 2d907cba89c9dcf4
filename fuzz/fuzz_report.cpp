// Arbitrary bytes as a source file, with fuzzed tool table cells and dimension texts, through a
// dry run with the report and the toolpath check on. The report must account for every line (translated + dropped =
// source lines), its JSON must parse back with one entry per file, and every warning and file
// report text must be built without fault.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/report_json.h"
#include "engine/batch/conversion_batch.h"
#include "support/file_store.h"
#include "tools/tool_table.h"

namespace {

using namespace quarnel;

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

// The source comes first, so that a plain G-code seed is a whole source file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  MemoryFileStore files;
  files.files["/src/a.nc"] = input.ConsumeRandomLengthString(size);
  ToolTable tools;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    for (int col = 1; col <= 2; ++col) tools.SetCell(row, col, input.ConsumeRandomLengthString(8));
  }
  DimensionTexts dims{input.ConsumeRandomLengthString(12), input.ConsumeRandomLengthString(12),
                      input.ConsumeRandomLengthString(12)};
  files.files["/src/b.nc"] = input.ConsumeRemainingBytesAsString();
  ConversionDriver driver(files, tools);
  BatchOptions options;
  options.dryRun = true;
  options.checkGeometry = true;
  const BatchReport report =
      driver.ConvertBatch({"/src/a.nc", "/src/b.nc"}, "/out", dims, nullptr, options);
  Require(report.files.size() == 2);
  for (const FileReport& file : report.files) {
    Require(file.notes.translated + file.notes.Dropped() == file.notes.sourceLines);
    Require((file.status == FileReport::Status::kFailed) != file.reason.empty());
    Require(!FileReportText(file).empty());
    // Every converted file had its toolpath compared with its source's.
    Require(file.geometry.checked == (file.status == FileReport::Status::kChecked));
  }
  Require(files.files.count("/out/a.nc") == 0 && files.files.count("/out/b.nc") == 0);
  const auto json = nlohmann::json::parse(ReportJsonText(report));
  Require(json["files"].size() == 2);
  return 0;
}
