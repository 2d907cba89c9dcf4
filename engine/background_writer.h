// Writes output programs on a thread of its own, one at a time, so that the next source file is
// translated while the last output is written, synced and renamed into place.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace quarnel {

class FileStore;

class BackgroundWriter {
 public:
  // files must allow writes alongside its other operations (FileStore::WritesAlongside).
  explicit BackgroundWriter(FileStore& files);
  // Finishes the write in progress, if any, and ends the thread.
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // Starts FileStore::WriteAtomically(path, bytes); bytes must stay unchanged until Finish.
  // The write started before must have been finished.
  void Start(std::string path, std::string_view bytes);
  // Waits for the write started last and returns its result.
  std::optional<std::string> Finish();

 private:
  void Run();

  FileStore& files_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool started_ = false;   // a write waits for the thread or runs on it
  bool finished_ = false;  // ... and has finished, with result_
  bool stopping_ = false;
  std::string path_;
  std::string_view bytes_;
  std::optional<std::string> result_;
  std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace quarnel
