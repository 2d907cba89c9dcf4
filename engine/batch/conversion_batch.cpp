#include "engine/batch/conversion_batch.h"

#include <map>
#include <memory>
#include <new>
#include <set>
#include <thread>

#include "engine/batch/converted_geometry.h"
#include "engine/batch/input_checks.h"
#include "engine/batch/output_sink.h"
#include "engine/batch/translation_pool.h"
#include "engine/translate/program_header.h"
#include "engine/translate/translator.h"
#include "support/file_store.h"
#include "support/paths.h"

namespace quarnel {

namespace {

std::string WriteFailure(const std::string& outputPath, const std::string& error) {
  return "cannot write " + outputPath + ": " + error;
}

constexpr std::string_view kCancelled = "not converted: the batch was cancelled";

// The number of threads for a batch: jobs, or one a core for 0; one where the file store does
// not allow several threads at once.
unsigned ThreadsFor(unsigned jobs, std::size_t files, const FileStore& store) {
  if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
  if (files < 2 || !store.WritesAlongside()) return 1;
  return jobs;
}

std::unique_ptr<OutputSink> SinkFor(FileStore& files, bool inTurn, bool dryRun,
                                    OutputSink::Written written) {
  if (dryRun) return std::make_unique<NoOutputSink>(files, std::move(written));
  if (inTurn || !files.WritesAlongside()) {
    return std::make_unique<SyncOutputSink>(files, std::move(written));
  }
  return std::make_unique<BackgroundOutputSink>(files, std::move(written));
}

// The reports of a batch's files from their start until their outcome is known, handed on in
// batch order (outcomes come in that order): to BatchOptions::finished, and into the batch's
// report unless BatchOptions::keepFiles is false.
class OpenReports {
 public:
  OpenReports(BatchReport& report, const BatchOptions& options)
      : report_(report), options_(options) {}
  FileReport& Begin(std::size_t index, const std::string& source, const std::string& output) {
    FileReport& file = open_[index];
    file.source = source;
    file.output = output;
    return file;
  }
  FileReport& At(std::size_t index) { return open_.at(index); }
  void Finish(std::size_t index) {
    const auto found = open_.find(index);
    if (options_.finished) options_.finished(found->second);
    if (options_.keepFiles) report_.files.push_back(std::move(found->second));
    open_.erase(found);
  }

 private:
  BatchReport& report_;
  const BatchOptions& options_;
  std::map<std::size_t, FileReport> open_;  // a map: references stay valid as others finish
};

// False for a program the pool completed ahead under other dimension texts than the batch gives
// it (those the file's G200 sets, or those it starts with): the files before it did not leave
// the texts the pool expected.
bool CompletedForBatch(const TranslatedFile& file, const DimensionTexts& dims) {
  return !file.completedUnder || *file.completedUnder == file.partDimensions.value_or(dims);
}

}  // namespace

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

struct ConversionDriver::Reused {
  explicit Reused(const ToolTable& tools) : translator(tools) {}
  Translator translator;
  ProgramBody program;  // a finished program's memory, for the next batch's first file
};

// One batch, from its first file to its last.
class ConversionDriver::Run {
 public:
  Run(FileStore& files, const ToolTable& tools, Reused& reused, BatchObserver* observer,
      const BatchOptions& options)
      : files_(files), tools_(tools), translator_(reused.translator), observer_(observer),
        options_(options) {
    current_.program = std::move(reused.program);
  }
  ProgramBody TakeProgram() { return std::move(current_.program); }

  BatchReport Convert(const std::vector<std::string>& sources, const std::string& destination,
                      DimensionTexts& dims);

 private:
  std::optional<std::string> CheckPaths(const OutputFile& file);
  TranslatedFile Translate(std::optional<TranslatedFile> ahead);
  std::optional<std::string> Finish(TranslatedFile& translated, DimensionTexts& dims,
                                    FileReport& report);
  bool MightReadInFlight(const OutputSink& sink, const OutputFile& next);

  FileStore& files_;
  const ToolTable& tools_;
  Translator& translator_;
  BatchObserver* const observer_;
  const BatchOptions& options_;
  std::string dimensionsFrom_ = std::string(kGivenDimensions);  // where the texts last came from
  OutputFile current_;  // the file being converted; its program is reused from file to file
};

ConversionDriver::ConversionDriver(FileStore& files, const ToolTable& tools)
    : files_(files), tools_(tools), reused_(std::make_unique<Reused>(tools)) {}

ConversionDriver::~ConversionDriver() = default;

BatchReport ConversionDriver::ConvertBatch(const std::vector<std::string>& sources,
                                           const std::string& destination, DimensionTexts& dims,
                                           BatchObserver* observer, const BatchOptions& options) {
  Run run(files_, tools_, *reused_, observer, options);
  BatchReport report = run.Convert(sources, destination, dims);
  reused_->program = run.TakeProgram();
  return report;
}

// Every outcome is recorded in file order: a failure waits for the write before it, and a
// source that might read the output in flight (it is that file, or does not exist yet and may
// be a link to it), or has its name, waits for that write first. With several jobs, files are
// translated ahead on threads of their own; their dimension texts, headers, checks and writes
// still come here, in order, exactly as when each file is translated in turn.
BatchReport ConversionDriver::Run::Convert(const std::vector<std::string>& sources,
                                           const std::string& destination, DimensionTexts& dims) {
  BatchObserver* const observer = observer_;
  const BatchOptions& options = options_;
  const bool dryRun = options.dryRun;
  BatchReport report;
  report.toolTable = ToolTableWarnings(tools_);
  OpenReports reports(report, options);
  std::vector<std::string> outputs;
  for (const std::string& source : sources) outputs.push_back(OutputPathFor(destination, source));
  std::set<std::string> written;  // output names of this batch
  const auto sink = SinkFor(files_, observer != nullptr, dryRun,
                            [&](const OutputFile& file, std::optional<std::string> error) {
                              FileReport& done = reports.At(file.index);
                              if (error) {
                                done.reason = WriteFailure(file.path, *error);
                              } else {
                                done.status = dryRun ? FileReport::Status::kChecked
                                                     : FileReport::Status::kWritten;
                                written.insert(file.name);
                              }
                              reports.Finish(file.index);
                            });
  const unsigned threads = ThreadsFor(options.jobs, sources.size(), files_);
  std::optional<TranslationPool> pool;
  if (threads > 1) {
    std::optional<AheadGeometry> geometry;
    if (options.checkGeometry) geometry.emplace(AheadGeometry{dims, options});
    pool.emplace(files_, tools_, sources, outputs, threads, std::move(geometry));
  }
  std::size_t index = 0;
  for (; index < sources.size(); ++index) {
    const std::string& source = sources[index];
    if (observer) observer->FileStarting(source);
    current_.index = index;
    current_.source = source;
    current_.name = FileNameOf(source);
    current_.path = outputs[index];
    FileReport& file = reports.Begin(index, source, current_.path);
    std::optional<TranslatedFile> ahead;
    bool inTurn = false;  // a file the pool left to be translated once the outputs before it are
    if (pool) {
      ahead = pool->Take(index);
      inTurn = !ahead;
      if (ahead && !CompletedForBatch(*ahead, dims)) {
        pool->GiveBack(std::move(ahead->program));
        ahead.reset();  // translated again here, from the source read again
      }
    }
    if (MightReadInFlight(*sink, current_)) sink->Flush();
    std::optional<std::string> failure;
    if (written.count(current_.name) != 0) {
      failure = "another source of this batch was already written to " + current_.path;
    } else if (!(failure = CheckPaths(current_))) {
      if (inTurn) sink->Flush();
      TranslatedFile translated = Translate(std::move(ahead));
      failure = Finish(translated, dims, file);
      if (pool) pool->GiveBack(std::move(translated.program));
    }
    if (failure) {
      sink->Flush();
      file.reason = std::move(*failure);
      reports.Finish(index);
    } else {
      sink->Write(current_);
    }
    if (observer) observer->FileDone(source, dims);
    if (observer && observer->Cancelled()) break;
  }
  sink->Flush();
  for (++index; index < sources.size(); ++index) {
    reports.Begin(index, sources[index], outputs[index]).reason = kCancelled;
    reports.Finish(index);
  }
  return report;
}

// The checks that need no content; they change nothing.
std::optional<std::string> ConversionDriver::Run::CheckPaths(const OutputFile& file) {
  if (file.name.empty()) return "the source path names no file";
  if (files_.SameFile(file.source, file.path)) {
    return "the output " + file.path + " would replace the source file itself";
  }
  return std::nullopt;
}

// The current file's translation, done ahead or else here and now. The program it filled
// becomes current_'s; the one current_ held is handed back in the translation.
TranslatedFile ConversionDriver::Run::Translate(std::optional<TranslatedFile> ahead) {
  if (!ahead) {
    ahead = TranslateFile(files_, translator_, current_.source, options_.checkGeometry,
                          std::move(current_.program));
    current_.program = ProgramBody();
  }
  std::swap(current_.program, ahead->program);
  return std::move(*ahead);
}

// Applies a translation in batch order: its G200 rewrites dims even when a later line of it
// failed; then the header, the warnings and the geometry.
std::optional<std::string> ConversionDriver::Run::Finish(TranslatedFile& translated,
                                                         DimensionTexts& dims,
                                                         FileReport& report) {
  const BatchOptions& options = options_;
  report.notes = std::move(translated.notes);
  if (translated.partDimensions) {
    dims = std::move(*translated.partDimensions);
    dimensionsFrom_ = "G200 at line " + std::to_string(report.notes.partDimensionsLine) + " of " +
                      current_.source;
  }
  if (translated.failure) return translated.failure;
  try {
    std::optional<std::string> failure;
    if (!translated.completedUnder) failure = CompleteProgram(dims, current_.program);
    report.bodyLines = current_.program.Lines();
    if (failure) return failure;
    report.units = SelectedUnits(dims.height).code;
    report.dimensions = dims;
    report.dimensionsFrom = dimensionsFrom_;
    report.warnings = FileWarnings(report, tools_);
    if (options.checkGeometry) {
      CheckedGeometry checked =
          translated.geometry && translated.geometry->dims == dims
              ? std::move(*translated.geometry)
              : CheckConvertedGeometry(std::move(translated.source), current_.program.Program(),
                                       dims, tools_, current_.source, current_.path, options);
      report.geometry = std::move(checked.report);
      report.time = std::move(checked.time);
      if (options.converted) options.converted(report, checked.picture);
    } else if (options.machiningTime) {
      report.time = EstimateMachiningTime(InterpretOutput(current_.program.Program()),
                                          *options.machiningTime);
    }
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    current_.program = ProgramBody();
    return "there is not enough memory to convert it";
  }
}

bool ConversionDriver::Run::MightReadInFlight(const OutputSink& sink, const OutputFile& next) {
  const OutputFile* inFlight = sink.InFlight();
  if (inFlight == nullptr) return false;
  return inFlight->name == next.name || !Exists(files_, next.source) ||
         files_.SameFile(next.source, inFlight->path);
}

}  // namespace quarnel
