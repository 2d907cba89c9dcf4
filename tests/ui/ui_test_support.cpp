#include "ui_test_support.h"

#include <QtTest/qtestspontaneevent.h>

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <chrono>
#include <memory>
#include <thread>

namespace quarnel::testing {

MessageFunction MessageLog::Function() {
  return [this](QWidget*, const Message& message) { entries_.push_back(message); };
}

ReadOutcome SlowDiskStore::ReadRegularFile(const std::string& path) {
  if (path.ends_with(".nc")) std::this_thread::sleep_for(std::chrono::milliseconds(readDelayMs));
  return disk_.ReadRegularFile(path);
}

bool SendWindowSystemClose(QWidget& widget) {
  QCloseEvent event;
  QSpontaneKeyEvent::setSpontaneous(&event);
  // Delivered straight to the widget: sendEvent would clear the spontaneous flag.
  static_cast<QObject&>(widget).event(&event);
  if (event.isAccepted()) widget.hide();
  return event.isAccepted();
}

void WhenModalShown(std::function<void(QWidget& modal)> action) {
  constexpr int kPollMilliseconds = 20;
  constexpr int kGiveUpAfterPolls = 250;
  auto polls = std::make_shared<int>(0);
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, polls, action = std::move(action)] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->deleteLater();
      timer->stop();
      action(*modal);
    } else if (++*polls > kGiveUpAfterPolls) {
      timer->deleteLater();
      timer->stop();
    }
  });
  timer->start(kPollMilliseconds);
}

std::string UiTestDataPath(const std::string& name) {
  return std::string(QUARNEL_UI_TEST_DATA) + "/" + name;
}

}  // namespace quarnel::testing
