#include "ui/messages.h"

namespace quarnel {

void ShowModalMessage(QWidget* parent, const QString& title, const QString& text,
                      QMessageBox::Icon icon) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace quarnel
