#include "ui/batch_runner.h"

#include <QThread>
#include <exception>
#include <memory>

namespace quarnel {

namespace {

// Hands each file's progress to the runner's thread; reads the runner's cancel flag.
class QueuedObserver final : public BatchObserver {
 public:
  QueuedObserver(BatchRunner& runner, const std::atomic<bool>& cancelled)
      : runner_(runner), cancelled_(cancelled) {}

  void FileStarting(const std::string& source) override {
    QMetaObject::invokeMethod(
        &runner_, [runner = &runner_, index = started_++, source] {
          emit runner->FileStarting(index, source);
        },
        Qt::QueuedConnection);
  }
  void FileDone(const std::string&, const DimensionTexts& dims) override {
    QMetaObject::invokeMethod(
        &runner_, [runner = &runner_, dims] { emit runner->FileDone(dims); },
        Qt::QueuedConnection);
  }
  bool Cancelled() override { return cancelled_; }

 private:
  BatchRunner& runner_;
  const std::atomic<bool>& cancelled_;
  int started_ = 0;
};

}  // namespace

BatchRunner::BatchRunner(FileStore& files, QObject* parent) : QObject(parent), files_(files) {}

BatchRunner::~BatchRunner() {
  if (thread_ == nullptr) return;
  cancelled_ = true;
  thread_->wait();
  delete thread_;
}

bool BatchRunner::Start(BatchJob job) {
  if (Running()) return false;
  cancelled_ = false;
  thread_ = QThread::create([this, job = std::move(job)]() mutable { Run(job); });
  thread_->start();
  return true;
}

// Nothing may end the program from here: whatever escapes the batch ends it with a reason.
void BatchRunner::Run(BatchJob& job) {
  auto report = std::make_shared<BatchReport>();
  QString broke;
  try {
    QueuedObserver observer(*this, cancelled_);
    ConversionDriver driver(files_, job.tools);
    *report = driver.ConvertBatch(job.sources, job.destination, job.dims, &observer, job.options);
  } catch (const std::exception& error) {
    broke = QString::fromLocal8Bit(error.what());
  }
  QMetaObject::invokeMethod(
      this, [this, report, broke] { Finish(*report, broke); }, Qt::QueuedConnection);
}

void BatchRunner::Finish(const BatchReport& report, const QString& broke) {
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  if (!broke.isEmpty()) emit Broke(broke);
  emit Finished(report);
}

}  // namespace quarnel
