// Helpers for the window tests: recorded message boxes, the window system's close request, and
// driving modal dialogs without a user.
#pragma once

#include <QMessageBox>
#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "support/file_store.h"
#include "ui/messages.h"

class QWidget;

namespace quarnel::testing {

// Collects the message boxes that a window would show, instead of showing them.
class MessageLog {
 public:
  using Entry = Message;

  MessageFunction Function();
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

// The real file system, where reading a program (a name ending in ".nc") takes readDelayMs
// longer: a batch that takes a while, on any machine.
class SlowDiskStore final : public FileStore {
 public:
  std::atomic<int> readDelayMs = 0;

  ReadOutcome ReadRegularFile(const std::string& path) override;
  std::optional<std::string> WriteAtomically(const std::string& path,
                                             std::string_view bytes) override {
    return disk_.WriteAtomically(path, bytes);
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return disk_.SameFile(a, b);
  }
  MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) override {
    return disk_.MoveWithoutReplacing(from, to);
  }
  bool WritesAlongside() const override { return true; }

 private:
  DiskFileStore disk_;
};

// Sends widget a close request as the window system sends it for the close box, and hides it
// when the request is accepted. Returns whether it was accepted.
bool SendWindowSystemClose(QWidget& widget);

// Once a modal widget is shown, runs action on it; gives up after a few seconds so that a test
// never hangs on a dialog.
void WhenModalShown(std::function<void(QWidget& modal)> action);

// The source tests/ui/data/<name>.
std::string UiTestDataPath(const std::string& name);

}  // namespace quarnel::testing
