#include "ui/window_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <string>

#include "support/setting_keys.h"
#include "support/settings_store.h"
#include "ui/setting_values.h"

namespace quarnel {

namespace {

// The window system's frame around window; before a window is shown it has none yet, and the
// anchor's frame is the best guess.
QMargins FrameOf(const QWidget& window, const QWidget* anchor) {
  const QWidget& framed = window.isVisible() || anchor == nullptr ? window : *anchor;
  const QRect frame = framed.frameGeometry();
  const QRect inside = framed.geometry();
  return {inside.left() - frame.left(), inside.top() - frame.top(),
          frame.right() - inside.right(), frame.bottom() - inside.bottom()};
}

// Writes the window's place when it closes; fits it on the screen when it is shown.
class PlaceKeeper : public QObject {
 public:
  PlaceKeeper(QWidget& window, IniStore& settings, std::string_view section,
              const QWidget* anchor)
      : QObject(&window), window_(window), settings_(settings), section_(section),
        anchor_(anchor) {
    window.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_) return false;
    if (event->type() == QEvent::Show) {
      // Once the window system has framed it.
      QTimer::singleShot(0, &window_, [this] { KeepOnScreen(window_, anchor_); });
    } else if (event->type() == QEvent::Close) {
      Save();
    }
    return false;
  }

 private:
  void Save() {
    settings_.IniWrite(section_, setting::kTop, TwipsTextFromPixels(window_.pos().y()));
    settings_.IniWrite(section_, setting::kLeft, TwipsTextFromPixels(window_.pos().x()));
    settings_.IniWrite(section_, setting::kWindowWidth, TwipsTextFromPixels(window_.width()));
    settings_.IniWrite(section_, setting::kWindowHeight, TwipsTextFromPixels(window_.height()));
  }

  QWidget& window_;
  IniStore& settings_;
  std::string section_;
  const QWidget* anchor_;
};

}  // namespace

QRect FitInside(QRect frame, const QRect& available) {
  frame.setSize(frame.size().boundedTo(available.size()));
  frame.moveLeft(std::clamp(frame.left(), available.left(), available.right() - frame.width() + 1));
  frame.moveTop(std::clamp(frame.top(), available.top(), available.bottom() - frame.height() + 1));
  return frame;
}

QRect ScreenRoomAt(QPoint point) {
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

void KeepOnScreen(QWidget& window, const QWidget* anchor) {
  const QMargins frame = FrameOf(window, anchor);
  const QRect wanted(window.pos(), window.size().grownBy(frame));
  const QPoint centre = (anchor != nullptr ? anchor->frameGeometry() : wanted).center();
  const QRect room = ScreenRoomAt(centre);
  if (room.isEmpty()) return;
  const QRect fitted = FitInside(wanted, room);
  if (fitted.size() != wanted.size()) window.resize(fitted.size().shrunkBy(frame));
  if (fitted.topLeft() != wanted.topLeft()) window.move(fitted.topLeft());
}

void RememberPlace(QWidget& window, IniStore& settings, std::string_view section,
                   const QWidget* anchor) {
  const auto read = [&](std::string_view key, int otherwise) {
    const std::string text = settings.IniRead(section, key);
    if (text.empty()) return otherwise;
    return PixelsFromTwipsText(text).value_or(otherwise);
  };
  QPoint position = window.pos();
  if (anchor != nullptr) position = anchor->frameGeometry().topLeft() + QPoint(40, 40);
  window.move(read(setting::kLeft, position.x()), read(setting::kTop, position.y()));
  window.resize(read(setting::kWindowWidth, window.width()),
                read(setting::kWindowHeight, window.height()));
  KeepOnScreen(window, anchor);
  new PlaceKeeper(window, settings, section, anchor);
}

}  // namespace quarnel
