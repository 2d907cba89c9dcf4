// Turns source files into output programs, one batch at a time: each source read whole and
// translated from the start state, the header put in front of its body, and the whole program
// written atomically under the source's file name in the destination.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/batch/batch_options.h"
#include "engine/batch/conversion_report.h"
#include "engine/translate/dimension_texts.h"

namespace quarnel {

class FileStore;
class ToolTable;

// One file of a batch that was not written, and why.
struct FileFailure {
  std::string file;    // the source path as given
  std::string reason;  // a sentence for the user, with the line number where there is one
};

// Where the output of a source goes: destination, "/", the source's file name.
std::string OutputPathFor(const std::string& destination, const std::string& sourcePath);

// The files that were not written, in batch order.
std::vector<FileFailure> FailuresOf(const BatchReport& report);

// Follows a batch file by file, for a front end that shows its progress.
class BatchObserver {
 public:
  virtual ~BatchObserver() = default;
  virtual void FileStarting(const std::string& source) = 0;
  // The file's output is written or the file failed; dims are the texts as it left them.
  virtual void FileDone(const std::string& source, const DimensionTexts& dims) = 0;
  // Asked after each file: true stops the batch there; the files not begun are not converted.
  virtual bool Cancelled() { return false; }
};

class ConversionDriver {
 public:
  // tools is read as it stands at every lookup.
  ConversionDriver(FileStore& files, const ToolTable& tools);
  ~ConversionDriver();
  ConversionDriver(const ConversionDriver&) = delete;
  ConversionDriver& operator=(const ConversionDriver&) = delete;

  // Converts the sources in order as one batch into destination. dims are the dimension texts
  // the batch starts with; a G200 line rewrites them for the rest of the batch, and they end as
  // the last file left them. An output name is written at most once per batch. With an
  // observer each output is written before its FileDone; without one, outputs may be written
  // alongside the next translation. Returns the report of every file, in batch order.
  BatchReport ConvertBatch(const std::vector<std::string>& sources, const std::string& destination,
                           DimensionTexts& dims, BatchObserver* observer = nullptr,
                           const BatchOptions& options = {});

 private:
  class Run;
  struct Reused;  // what each batch leaves for the next: the translator, a program's memory

  FileStore& files_;
  const ToolTable& tools_;
  std::unique_ptr<Reused> reused_;
};

}  // namespace quarnel
