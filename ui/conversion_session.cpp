#include "ui/conversion_session.h"

#include <QStringList>

#include "ui/form_style.h"

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

Message BatchFailureMessage(const std::vector<FileFailure>& failures) {
  QStringList lines;
  for (const FileFailure& failure : failures) {
    lines << QString::fromStdString(failure.file + ": " + failure.reason);
  }
  Message message{kAppTitle, {}, QMessageBox::Warning, lines.join(QLatin1Char('\n'))};
  if (failures.size() == 1) {
    message.text = QStringLiteral("This file was not converted:\n\n") + lines.front();
  } else {
    message.text = QStringLiteral("%1 files were not converted. Show Details lists each of them "
                                  "with the reason.")
                       .arg(failures.size());
  }
  return message;
}

}  // namespace quarnel
