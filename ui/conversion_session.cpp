#include "ui/conversion_session.h"

#include <QStringList>

#include "ui/form_style.h"

namespace quarnel {

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
