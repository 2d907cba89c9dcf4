#include "engine/batch/output_sink.h"

#include <utility>

#include "support/file_store.h"

namespace quarnel {

SyncOutputSink::SyncOutputSink(FileStore& files, Written written)
    : OutputSink(std::move(written)), files_(files) {}

void SyncOutputSink::Write(OutputFile& file) {
  written_(file, files_.WriteAtomically(file.path, file.program.Program()));
}

NoOutputSink::NoOutputSink(FileStore& files, Written written)
    : OutputSink(std::move(written)), files_(files) {}

void NoOutputSink::Write(OutputFile& file) { written_(file, files_.WriteRefusal(file.path)); }

BackgroundOutputSink::BackgroundOutputSink(FileStore& files, Written written)
    : OutputSink(std::move(written)), files_(files), thread_([this] { Run(); }) {}

BackgroundOutputSink::~BackgroundOutputSink() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void BackgroundOutputSink::Write(OutputFile& file) {
  Flush();
  std::swap(slot_, file);
  busy_ = true;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    started_ = true;
    finished_ = false;
  }
  changed_.notify_all();
}

void BackgroundOutputSink::Flush() {
  if (!busy_) return;
  std::optional<std::string> result;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return finished_; });
    started_ = false;
    finished_ = false;
    result = std::move(result_);
  }
  busy_ = false;
  written_(slot_, std::move(result));
}

// A write started before the sink is destroyed is still carried out. The thread reads slot_
// only between started_ and finished_, while the batch leaves it alone.
void BackgroundOutputSink::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return (started_ && !finished_) || stopping_; });
    if (!started_ || finished_) return;
    lock.unlock();
    std::optional<std::string> result = files_.WriteAtomically(slot_.path, slot_.program.Program());
    lock.lock();
    result_ = std::move(result);
    finished_ = true;
    changed_.notify_all();
  }
}

}  // namespace quarnel
