// A batch as the window runs it: a progress dialog with Cancel once it takes a while, the busy
// pointer around each file, and the one message after a batch with failures.
#pragma once

#include <QProgressDialog>
#include <functional>
#include <string>
#include <vector>

#include "engine/batch/conversion_batch.h"
#include "ui/busy_pointer.h"
#include "ui/messages.h"

namespace quarnel {

class BatchProgress final : public BatchObserver {
 public:
  // Called after each file with the dimension texts as it left them.
  using Done = std::function<void(const DimensionTexts& dims)>;

  // The dialog shows once the batch has taken delayMs milliseconds; files is their number.
  BatchProgress(QWidget* parent, int files, int delayMs, Done done);
  ~BatchProgress() override;

  void FileStarting(const std::string& source) override;
  void FileDone(const std::string& source, const DimensionTexts& dims) override;
  // Cancel stops the batch after the file in progress.
  bool Cancelled() override { return dialog_.wasCanceled(); }

 private:
  QProgressDialog dialog_;
  BusyPointer busy_;
  Done done_;
  int started_ = 0;
};

// The one message after a batch with failures: how many files were not converted, and each
// file with its reason in the details, which scroll however many files failed.
Message BatchFailureMessage(const std::vector<FileFailure>& failures);

}  // namespace quarnel
