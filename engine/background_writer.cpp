#include "engine/background_writer.h"

#include <utility>

#include "support/file_store.h"

namespace quarnel {

BackgroundWriter::BackgroundWriter(FileStore& files) : files_(files), thread_([this] { Run(); }) {}

BackgroundWriter::~BackgroundWriter() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void BackgroundWriter::Start(std::string path, std::string_view bytes) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    path_ = std::move(path);
    bytes_ = bytes;
    started_ = true;
    finished_ = false;
  }
  changed_.notify_all();
}

std::optional<std::string> BackgroundWriter::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return finished_; });
  started_ = false;
  finished_ = false;
  return std::move(result_);
}

// A write started before the writer is destroyed is still carried out.
void BackgroundWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return (started_ && !finished_) || stopping_; });
    if (!started_ || finished_) return;
    const std::string path = path_;
    const std::string_view bytes = bytes_;
    lock.unlock();
    std::optional<std::string> result = files_.WriteAtomically(path, bytes);
    lock.lock();
    result_ = std::move(result);
    finished_ = true;
    changed_.notify_all();
  }
}

}  // namespace quarnel
