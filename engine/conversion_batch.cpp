#include "engine/conversion_batch.h"

#include <memory>
#include <new>
#include <set>

#include "engine/input_checks.h"
#include "engine/program_header.h"
#include "support/file_store.h"
#include "support/paths.h"

namespace quarnel {

namespace {

std::string WriteFailure(const std::string& outputPath, const std::string& error) {
  return "cannot write " + outputPath + ": " + error;
}

constexpr std::string_view kGivenDimensions = "given";
constexpr std::string_view kCancelled = "not converted: the batch was cancelled";

std::unique_ptr<OutputSink> SinkFor(FileStore& files, bool inTurn, bool dryRun,
                                    OutputSink::Written written) {
  if (dryRun) return std::make_unique<NoOutputSink>(std::move(written));
  if (inTurn || !files.WritesAlongside()) {
    return std::make_unique<SyncOutputSink>(files, std::move(written));
  }
  return std::make_unique<BackgroundOutputSink>(files, std::move(written));
}

}  // namespace

std::string PathInList(const std::string& directory, const std::string& name) {
  const bool root = !directory.empty() && directory.back() == kPathSeparator;
  return root ? directory + name : directory + kPathSeparator + name;
}

std::vector<std::string> SelectedSourcePaths(const SourceSelection& selection) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < selection.names.size(); ++i) {
    if (i < selection.selected.size() && selection.selected[i]) {
      paths.push_back(PathInList(selection.directory, selection.names[i]));
    }
  }
  return paths;
}

std::string OutputPathFor(const std::string& destination, const std::string& sourcePath) {
  return destination + kPathSeparator + FileNameOf(sourcePath);
}

std::vector<FileFailure> FailuresOf(const BatchReport& report) {
  std::vector<FileFailure> failures;
  for (const FileReport& file : report.files) {
    if (file.status == FileReport::Status::kFailed) failures.push_back({file.source, file.reason});
  }
  return failures;
}

ConversionDriver::ConversionDriver(FileStore& files, const ToolTable& tools)
    : files_(files), tools_(tools), translator_(tools) {}

// Every outcome is recorded in file order: a failure waits for the write before it, and a
// source that might read the output in flight (it is that file, or does not exist yet and may
// be a link to it), or has its name, waits for that write first.
BatchReport ConversionDriver::ConvertBatch(const std::vector<std::string>& sources,
                                           const std::string& destination, DimensionTexts& dims,
                                           BatchObserver* observer, const BatchOptions& options) {
  const bool dryRun = options.dryRun;
  BatchReport report;
  for (const TableWarning& warning : CheckToolTable(tools_)) {
    report.toolTable.push_back({warning.row, warning.text});
  }
  report.files.resize(sources.size());
  dimensionsFrom_ = kGivenDimensions;
  std::set<std::string> written;  // output names of this batch
  const auto sink = SinkFor(files_, observer != nullptr, dryRun,
                            [&](const OutputFile& file, std::optional<std::string> error) {
                              FileReport& done = report.files[file.index];
                              if (error) {
                                done.reason = WriteFailure(file.path, *error);
                                return;
                              }
                              done.status = dryRun ? FileReport::Status::kChecked
                                                   : FileReport::Status::kWritten;
                              written.insert(file.name);
                            });
  std::size_t index = 0;
  for (; index < sources.size(); ++index) {
    const std::string& source = sources[index];
    if (observer) observer->FileStarting(source);
    current_.index = index;
    current_.source = source;
    current_.name = FileNameOf(source);
    current_.path = OutputPathFor(destination, source);
    FileReport& file = report.files[index];
    file.source = source;
    file.output = current_.path;
    if (MightReadInFlight(*sink, current_)) sink->Flush();
    std::optional<std::string> failure;
    if (written.count(current_.name) != 0) {
      failure = "another source of this batch was already written to " + current_.path;
    } else {
      failure = ConvertOne(current_, dims, file, options);
    }
    if (failure) {
      sink->Flush();
      file.reason = std::move(*failure);
    } else {
      sink->Write(current_);
    }
    if (observer) observer->FileDone(source, dims);
    if (observer && observer->Cancelled()) break;
  }
  sink->Flush();
  for (++index; index < sources.size(); ++index) {
    report.files[index].source = sources[index];
    report.files[index].output = OutputPathFor(destination, sources[index]);
    report.files[index].reason = kCancelled;
  }
  return report;
}

// Checks that need no content come first and change nothing; then the translation, whose G200
// lines rewrite dims even when a later line fails, and the header.
std::optional<std::string> ConversionDriver::ConvertOne(OutputFile& file, DimensionTexts& dims,
                                                        FileReport& report,
                                                        const BatchOptions& options) {
  if (file.name.empty()) return "the source path names no file";
  if (files_.SameFile(file.source, file.path)) {
    return "the output " + file.path + " would replace the source file itself";
  }
  try {
    const ReadOutcome read = files_.ReadRegularFile(file.source);
    if (!read.ok) return "cannot read the source: " + read.error;
    SourceTranslation translation = TranslateSource(read.bytes, translator_, file.program);
    report.notes = translator_.Notes();
    if (translation.partDimensions) {
      dims = std::move(*translation.partDimensions);
      dimensionsFrom_ = "G200 at line " + std::to_string(report.notes.partDimensionsLine) +
                        " of " + file.source;
    }
    if (translation.failure) return translation.failure;
    std::optional<std::string> failure = CompleteProgram(dims, file.program);
    report.bodyLines = file.program.Lines();
    if (failure) return failure;
    report.units = SelectedUnits(dims.height).code;
    report.dimensions = dims;
    report.dimensionsFrom = dimensionsFrom_;
    report.warnings = FileWarnings(report, tools_);
    if (options.checkGeometry) {
      const ProgramGeometry geometry = CheckProgramGeometry(read.bytes, file.program.Program());
      report.geometry = GeometryReportOf(geometry);
      if (options.converted) options.converted(report, geometry);
    }
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    // A file too large for the memory left (a huge or sparse source, or its translation) fails
    // alone, like any other failure; the batch and the program go on.
    file.program = ProgramBody();
    return "there is not enough memory to convert it";
  }
}

bool ConversionDriver::MightReadInFlight(const OutputSink& sink, const OutputFile& next) {
  const OutputFile* inFlight = sink.InFlight();
  if (inFlight == nullptr) return false;
  return inFlight->name == next.name || !files_.SameFile(next.source, next.source) ||
         files_.SameFile(next.source, inFlight->path);
}

}  // namespace quarnel
