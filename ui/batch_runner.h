// A batch on a worker thread. The window hands it copies of everything the batch reads (the
// sources, the dimension texts, the tool table as it stands) and hears of each file through
// queued calls, so that it stays responsive and nothing it shows is read under the batch.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <string>
#include <vector>

#include "engine/batch/conversion_batch.h"
#include "tools/tool_table.h"

class QThread;

namespace quarnel {

class FileStore;

struct BatchJob {
  std::vector<std::string> sources;
  std::string destination;
  DimensionTexts dims;
  ToolTable tools;
  BatchOptions options;
};

class BatchRunner : public QObject {
  Q_OBJECT

 public:
  // files must allow use from the worker thread while the window uses it too.
  explicit BatchRunner(FileStore& files, QObject* parent = nullptr);
  // Cancels a batch still running and waits for its file in progress.
  ~BatchRunner() override;

  // Starts job on a thread of its own; false, doing nothing, while a batch runs.
  bool Start(BatchJob job);
  bool Running() const { return thread_ != nullptr; }
  // Stops the batch after the file in progress; the files not begun are not converted.
  void Cancel() { cancelled_ = true; }

 signals:
  // Each on the thread that started the batch, in the order the batch took the files.
  void FileStarting(int index, const std::string& source);
  void FileDone(const DimensionTexts& dims);  // the dimension texts as the file left them
  void Finished(const BatchReport& report);
  // The batch ended without a report (it ran out of memory, say); Finished follows.
  void Broke(const QString& reason);

 private:
  void Run(BatchJob& job);  // on the worker thread
  void Finish(const BatchReport& report, const QString& broke);

  FileStore& files_;
  QThread* thread_ = nullptr;
  std::atomic<bool> cancelled_ = false;
};

}  // namespace quarnel
