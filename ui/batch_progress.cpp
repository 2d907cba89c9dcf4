#include "ui/batch_progress.h"

#include <QProgressBar>
#include <QStringList>

#include "support/paths.h"
#include "ui/file_list.h"
#include "ui/form_style.h"

namespace quarnel {

namespace {

constexpr int kShowDelayMs = 100;  // from a file's start to the dialog showing it

}  // namespace

BatchProgress::BatchProgress(QWidget* parent, int files, int delayMs)
    : dialog_(QString(), QStringLiteral("Cancel"), 0, files, parent), bar_(new QProgressBar) {
  bar_->setRange(0, files);
  dialog_.setObjectName(QStringLiteral("batchProgress"));
  dialog_.setWindowTitle(kAppTitle);
  dialog_.setWindowModality(Qt::WindowModal);
  dialog_.setMinimumDuration(delayMs);
  dialog_.setMinimumWidth(400);
  dialog_.setBar(bar_);
  dialog_.setValue(0);  // shows the dialog delayMs from now, unless the batch is done by then
  showTimer_.setSingleShot(true);
  showTimer_.setInterval(kShowDelayMs);
  QObject::connect(&showTimer_, &QTimer::timeout, &dialog_, [this] { ShowFileInProgress(); });
}

BatchProgress::~BatchProgress() { dialog_.reset(); }

void BatchProgress::FileStarting(int index, const std::string& source) {
  busy_.Push();
  index_ = index;
  source_ = source;
  if (!showTimer_.isActive()) showTimer_.start();
}

void BatchProgress::ShowFileInProgress() {
  dialog_.setLabelText(QStringLiteral("File %1 of %2: %3")
                           .arg(index_ + 1)
                           .arg(dialog_.maximum())
                           .arg(ShownName(FileNameOf(source_))));
  bar_->setValue(index_);  // the dialog's own setValue would run the event loop here
}

Message BatchFailureMessage(const std::vector<FileFailure>& failures) {
  QStringList lines;
  for (const FileFailure& failure : failures) {
    lines << ShownName(failure.file) + QStringLiteral(": ") + ShownName(failure.reason);
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
