// A part dimension box: free text without line breaks, reporting when it loses the focus.
#pragma once

#include <QLineEdit>

namespace quarnel {

class DimensionBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit DimensionBox(QWidget* parent = nullptr);

 signals:
  // The focus moved from this box to another control of its window.
  void LostFocus();
  // An entry was refused; message says why.
  void EntryRefused(const QString& message);

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace quarnel
