#include "ui/batch_progress.h"

#include <QStringList>

#include "support/paths.h"
#include "ui/form_style.h"

namespace quarnel {

BatchProgress::BatchProgress(QWidget* parent, int files, int delayMs, Done done)
    : dialog_(QString(), QStringLiteral("Cancel"), 0, files, parent), done_(std::move(done)) {
  dialog_.setObjectName(QStringLiteral("batchProgress"));
  dialog_.setWindowTitle(kAppTitle);
  dialog_.setWindowModality(Qt::WindowModal);
  dialog_.setMinimumDuration(delayMs);
  dialog_.setMinimumWidth(400);
}

BatchProgress::~BatchProgress() { dialog_.reset(); }

void BatchProgress::FileStarting(const std::string& source) {
  busy_.Push();
  dialog_.setLabelText(QStringLiteral("File %1 of %2: %3")
                           .arg(started_ + 1)
                           .arg(dialog_.maximum())
                           .arg(QString::fromStdString(FileNameOf(source))));
  dialog_.setValue(started_++);
}

void BatchProgress::FileDone(const std::string&, const DimensionTexts& dims) {
  done_(dims);
  busy_.Pop();
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
