#include "engine/conversion_batch.h"

#include <memory>
#include <new>
#include <set>

#include "engine/program_header.h"
#include "support/file_store.h"
#include "support/paths.h"

namespace quarnel {

namespace {

std::string WriteFailure(const std::string& outputPath, const std::string& error) {
  return "cannot write " + outputPath + ": " + error;
}

std::unique_ptr<OutputSink> SinkFor(FileStore& files, bool inTurn, OutputSink::Written written) {
  if (inTurn || !files.WritesAlongside()) {
    return std::make_unique<SyncOutputSink>(files, std::move(written));
  }
  return std::make_unique<BackgroundOutputSink>(files, std::move(written));
}

}  // namespace

std::vector<std::string> SelectedSourcePaths(const SourceSelection& selection) {
  const std::string& directory = selection.directory;
  const bool root = !directory.empty() && directory.back() == kPathSeparator;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < selection.names.size(); ++i) {
    if (i < selection.selected.size() && selection.selected[i]) {
      paths.push_back(root ? directory + selection.names[i]
                           : directory + kPathSeparator + selection.names[i]);
    }
  }
  return paths;
}

std::string OutputPathFor(const std::string& destination, const std::string& sourcePath) {
  return destination + kPathSeparator + FileNameOf(sourcePath);
}

ConversionDriver::ConversionDriver(FileStore& files, const ToolTable& tools)
    : files_(files), translator_(tools) {}

// Every outcome is recorded in file order: a failure waits for the write before it, and a
// source that might read the output in flight (it is that file, or does not exist yet and may
// be a link to it), or has its name, waits for that write first.
std::vector<FileFailure> ConversionDriver::ConvertBatch(const std::vector<std::string>& sources,
                                                        const std::string& destination,
                                                        DimensionTexts& dims,
                                                        BatchObserver* observer) {
  std::set<std::string> written;  // output names of this batch
  std::vector<FileFailure> failures;
  const auto sink =
      SinkFor(files_, observer != nullptr, [&](const OutputFile& file, std::optional<std::string> error) {
        if (error) {
          failures.push_back({file.source, WriteFailure(file.path, *error)});
        } else {
          written.insert(file.name);
        }
      });
  for (const std::string& source : sources) {
    if (observer) observer->FileStarting(source);
    current_.source = source;
    current_.name = FileNameOf(source);
    current_.path = OutputPathFor(destination, source);
    if (MightReadInFlight(*sink, current_)) sink->Flush();
    std::optional<std::string> failure;
    if (written.count(current_.name) != 0) {
      failure = "another source of this batch was already written to " + current_.path;
    } else {
      failure = ConvertOne(current_, dims);
    }
    if (failure) {
      sink->Flush();
      failures.push_back({source, std::move(*failure)});
    } else {
      sink->Write(current_);
    }
    if (observer) observer->FileDone(source, dims);
  }
  sink->Flush();
  return failures;
}

// Checks that need no content come first and change nothing; then the translation, whose G200
// lines rewrite dims even when a later line fails, and the header.
std::optional<std::string> ConversionDriver::ConvertOne(OutputFile& file, DimensionTexts& dims) {
  if (file.name.empty()) return "the source path names no file";
  if (files_.SameFile(file.source, file.path)) {
    return "the output " + file.path + " would replace the source file itself";
  }
  try {
    const ReadOutcome read = files_.ReadRegularFile(file.source);
    if (!read.ok) return "cannot read the source: " + read.error;
    SourceTranslation translation = TranslateSource(read.bytes, translator_, file.program);
    if (translation.partDimensions) dims = std::move(*translation.partDimensions);
    if (translation.failure) return translation.failure;
    return CompleteProgram(dims, file.program);
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
