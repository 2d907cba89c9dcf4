#include "ui/conversion_session.h"

namespace quarnel {

ConversionSession::ConversionSession(FileStore& files, const ToolTable& tools)
    : translator_(state_, tools, dims_), driver_(files, translator_, dims_) {}

std::vector<FileFailure> ConversionSession::RunBatch(const std::vector<std::string>& sourcePaths,
                                                     const std::string& destination,
                                                     const DimensionTexts& dims,
                                                     const std::function<void()>& before,
                                                     const AfterFile& after) {
  dims_ = dims;
  driver_.SetDestination(destination);
  return driver_.ConvertBatch(
      sourcePaths, [&](const std::string&) { before(); },
      [&](const std::string&) { after(dims_); });
}

std::string FailureReportText(const std::vector<FileFailure>& failures) {
  std::string text =
      failures.size() == 1 ? "This file was not converted:\n" : "These files were not converted:\n";
  for (const FileFailure& failure : failures) text += "\n" + failure.file + ": " + failure.reason;
  return text;
}

}  // namespace quarnel
