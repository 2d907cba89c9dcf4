// A batch as the window shows it: a progress dialog with Cancel once it takes a while, the busy
// pointer around each file, and the one message after a batch with failures.
#pragma once

#include <QProgressDialog>
#include <QTimer>
#include <string>
#include <vector>

class QProgressBar;

#include "engine/batch/conversion_batch.h"
#include "ui/busy_pointer.h"
#include "ui/messages.h"

namespace quarnel {

class BatchProgress {
 public:
  // The dialog shows once the batch has taken delayMs milliseconds; files is their number.
  BatchProgress(QWidget* parent, int files, int delayMs);
  ~BatchProgress();

  // index counts from 0. The dialog shows the file in progress at most every 100 ms: a batch of
  // small files would otherwise repaint it for each.
  void FileStarting(int index, const std::string& source);
  void FileDone() { busy_.Pop(); }
  // Its Cancel button: the canceled() signal.
  QProgressDialog& Dialog() { return dialog_; }

 private:
  void ShowFileInProgress();

  QProgressDialog dialog_;
  QProgressBar* bar_;  // the dialog's
  BusyPointer busy_;
  QTimer showTimer_;  // running while the file in progress is not shown yet
  int index_ = 0;
  std::string source_;
};

// The one message after a batch with failures: how many files were not converted, and each
// file with its reason in the details, which scroll however many files failed.
Message BatchFailureMessage(const std::vector<FileFailure>& failures);

}  // namespace quarnel
