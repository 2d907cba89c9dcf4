// Where the finished output programs of a batch go: written at once, or on a thread of their
// own while the next source is translated. Either way every write's outcome reaches the batch
// in file order.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/translate/program_body.h"

namespace quarnel {

class FileStore;

// One output program and where it goes.
struct OutputFile {
  std::size_t index = 0;  // the file's place in its batch
  std::string source;   // the source path as given
  std::string name;     // the output's file name
  std::string path;     // destination, "/", name
  ProgramBody program;  // the whole program once complete
};

class OutputSink {
 public:
  // Receives each write's outcome: nullopt when the file was written, else why not.
  using Written = std::function<void(const OutputFile& file, std::optional<std::string> error)>;

  explicit OutputSink(Written written) : written_(std::move(written)) {}
  virtual ~OutputSink() = default;
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Takes the file to write, atomically; file is left holding a spare program to fill next.
  // Its outcome has been reported by the time a later Write or Flush returns.
  virtual void Write(OutputFile& file) = 0;
  // Returns once every write handed over has been reported.
  virtual void Flush() {}
  // The file being written, while a write is in flight.
  virtual const OutputFile* InFlight() const { return nullptr; }

 protected:
  Written written_;
};

// Writes each file before Write returns.
class SyncOutputSink final : public OutputSink {
 public:
  SyncOutputSink(FileStore& files, Written written);
  void Write(OutputFile& file) override;

 private:
  FileStore& files_;
};

// Writes nothing: a dry run, which reports each file as checked, or as failed when a real write
// would be refused (FileStore::WriteRefusal), in the words of that refusal.
class NoOutputSink final : public OutputSink {
 public:
  NoOutputSink(FileStore& files, Written written);
  void Write(OutputFile& file) override;

 private:
  FileStore& files_;
};

// Writes each file on a thread of its own, one at a time, so that the next source is translated
// meanwhile. files must allow writes alongside its other operations (FileStore::WritesAlongside).
class BackgroundOutputSink final : public OutputSink {
 public:
  BackgroundOutputSink(FileStore& files, Written written);
  // Finishes the write in flight and ends the thread.
  ~BackgroundOutputSink() override;
  void Write(OutputFile& file) override;
  void Flush() override;
  const OutputFile* InFlight() const override { return busy_ ? &slot_ : nullptr; }

 private:
  void Run();

  FileStore& files_;
  OutputFile slot_;  // the file in flight, or a spare
  bool busy_ = false;  // slot_ was handed over and not yet reported
  std::mutex mutex_;
  std::condition_variable changed_;
  bool started_ = false;   // the thread has a write to do or is doing it
  bool finished_ = false;  // ... and has done it, with result_
  bool stopping_ = false;
  std::optional<std::string> result_;
  std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace quarnel
