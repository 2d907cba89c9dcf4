// A part dimension box: free text without line breaks, reporting when it loses the focus. A text
// that is not a plain number is marked, with what it reads as in the tooltip; the height box
// also shows which units its text selects.
#pragma once

#include <QLineEdit>

class QLabel;

namespace quarnel {

class DimensionBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit DimensionBox(QWidget* parent = nullptr);

  // Makes this the height box: a short trailing text ("mm" or "in", objectName "units") and the
  // tooltip say which units its text selects.
  void ShowSelectedUnits();
  // What the box is for: the last line of its tooltip, below its warnings.
  void SetPurpose(QString purpose);

 signals:
  // The focus moved from this box to another control of its window.
  void LostFocus();
  // An entry was refused (a line break); message says why.
  void EntryRefused(const QString& message);

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowChecks();
  void PlaceUnits();

  QLabel* units_ = nullptr;
  QString purpose_;
};

}  // namespace quarnel
