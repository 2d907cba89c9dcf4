#include "ui/messages.h"

namespace quarnel {

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const Message& message) {
  auto box =
      std::make_unique<QMessageBox>(message.icon, message.title, message.text, QMessageBox::Ok, parent);
  if (!message.details.isEmpty()) box->setDetailedText(message.details);
  return box;
}

void ShowModalMessage(QWidget* parent, const Message& message) {
  MakeMessageBox(parent, message)->exec();
}

}  // namespace quarnel
