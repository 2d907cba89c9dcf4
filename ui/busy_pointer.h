// The application's busy pointer around each file of a batch; whatever is still shown when the
// batch ends, normally or not, is taken back.
#pragma once

#include <QApplication>

namespace quarnel {

class BusyPointer {
 public:
  BusyPointer() = default;
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
  ~BusyPointer() {
    while (shown_ > 0) Pop();
  }

  void Push() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++shown_;
  }
  void Pop() {
    if (shown_ == 0) return;
    QApplication::restoreOverrideCursor();
    --shown_;
  }

 private:
  int shown_ = 0;
};

}  // namespace quarnel
