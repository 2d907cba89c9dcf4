#include "engine/batch/converted_geometry.h"

#include "engine/geometry/part_check.h"

namespace quarnel {

CheckedGeometry CheckConvertedGeometry(std::string source, std::string_view program,
                                       const DimensionTexts& dims, const ToolTable& tools,
                                       const std::string& sourcePath,
                                       const std::string& outputPath, const BatchOptions& options) {
  const ProgramGeometry geometry = CheckProgramGeometry(source, program, {tools, &dims});
  std::string().swap(source);
  CheckedGeometry checked{dims, GeometryReportOf(geometry), {}, {}};
  if (options.machiningTime) {
    checked.time = EstimateMachiningTime(geometry.output, *options.machiningTime);
  }
  if (options.picture) {
    checked.picture = options.picture(sourcePath, outputPath, geometry, checked.time);
  }
  return checked;
}

}  // namespace quarnel
