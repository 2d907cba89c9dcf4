// The geometry pass over a converted file: its check, its machining time and its picture, made
// on whichever thread converted it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/batch/batch_options.h"
#include "engine/batch/conversion_report.h"
#include "engine/geometry/machining_time.h"
#include "engine/translate/dimension_texts.h"

namespace quarnel {

class ToolTable;

// A converted file's geometry, checked under the header of dims: what the batch keeps of it.
struct CheckedGeometry {
  DimensionTexts dims;  // the texts of the header it was checked under
  GeometryReport report;
  std::optional<MachiningTime> time;  // with BatchOptions::machiningTime
  std::string picture;                // BatchOptions::picture's, "" without one
};

// Checks the geometry of program (the output of source, complete with the header of dims),
// estimates its machining time and makes its picture as options ask. source is freed as soon as
// it is read, so that two checks at once hold less.
CheckedGeometry CheckConvertedGeometry(std::string source, std::string_view program,
                                       const DimensionTexts& dims, const ToolTable& tools,
                                       const std::string& sourcePath,
                                       const std::string& outputPath, const BatchOptions& options);

}  // namespace quarnel
