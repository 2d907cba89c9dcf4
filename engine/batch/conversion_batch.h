// Turns source files into output programs, one batch at a time: each source read whole and
// translated from the start state, the header put in front of its body, and the whole program
// written atomically under the source's file name in the destination.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/batch/conversion_report.h"
#include "engine/geometry/part_check.h"
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

// Makes a picture of a converted file from its source path, output path, geometry and estimated
// machining time (when it was estimated).
using PictureMaker = std::function<std::string(
    const std::string& source, const std::string& output, const ProgramGeometry& geometry,
    const std::optional<MachiningTime>& time)>;

struct BatchOptions {
  unsigned jobs = 1;           // threads translating files ahead of the batch; 0 for one a core
  bool dryRun = false;         // convert and report; write nothing, but fail each file whose
                               // output a real run would be refused (FileStore::WriteRefusal)
  bool checkGeometry = false;  // compare each output's toolpath with its source's
  // Estimates each converted file's machining time (FileReport::time) with these settings.
  std::optional<MachiningTimeSettings> machiningTime;
  // With checkGeometry, made from each converted file's source path, output path and geometry
  // on the thread that checks it (a translating thread or the batch's, several at once), and
  // handed to converted: a preview, say.
  PictureMaker picture;
  // With checkGeometry, called in batch order with each converted file's report and picture
  // before it is written.
  std::function<void(const FileReport& report, const std::string& picture)> converted;
  // Called with each file's report in batch order, as soon as its outcome is known (written,
  // checked, failed, or not converted after a cancel).
  std::function<void(const FileReport& report)> finished;
  // False: the batch's report keeps no file reports (each is handed to finished and dropped),
  // so that its memory does not grow with the batch.
  bool keepFiles = true;
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
