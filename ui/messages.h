// Message boxes behind a function, so that tests can record them instead of waiting for a user.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace quarnel {

struct Message {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString details;  // a long list, shown on demand in a scrollable area; "" for none
};

// Shows the message with an OK button and returns when it is dismissed.
using MessageFunction = std::function<void(QWidget* parent, const Message& message)>;

// The box ShowModalMessage shows: the text, and the details behind a "Show Details..." button.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const Message& message);

// The real thing: a modal QMessageBox.
void ShowModalMessage(QWidget* parent, const Message& message);

}  // namespace quarnel
