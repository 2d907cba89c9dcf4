// Helpers for the window tests: recorded message boxes, the window system's close request, and
// driving modal dialogs without a user.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <string>
#include <vector>

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

// Sends widget a close request as the window system sends it for the close box, and hides it
// when the request is accepted. Returns whether it was accepted.
bool SendWindowSystemClose(QWidget& widget);

// Once a modal widget is shown, runs action on it; gives up after a few seconds so that a test
// never hangs on a dialog.
void WhenModalShown(std::function<void(QWidget& modal)> action);

// The source tests/ui/data/<name>.
std::string UiTestDataPath(const std::string& name);

}  // namespace quarnel::testing
