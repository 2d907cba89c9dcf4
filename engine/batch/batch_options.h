// What a batch is asked to do besides converting: threads, a dry run, the geometry check, the
// machining time, pictures, and the callbacks of a front end.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/batch/conversion_report.h"
#include "engine/geometry/machining_time.h"
#include "engine/geometry/part_check.h"

namespace quarnel {

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

}  // namespace quarnel
