// Message boxes behind a function, so that tests can record them instead of waiting for a user.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace quarnel {

// Shows text under title with icon and an OK button, and returns when it is dismissed.
using MessageFunction = std::function<void(QWidget* parent, const QString& title,
                                           const QString& text, QMessageBox::Icon icon)>;

// The real thing: a modal QMessageBox.
void ShowModalMessage(QWidget* parent, const QString& title, const QString& text,
                      QMessageBox::Icon icon);

}  // namespace quarnel
