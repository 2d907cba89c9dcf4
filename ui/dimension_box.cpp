#include "ui/dimension_box.h"

#include <QFocusEvent>
#include <limits>

#include "ui/entry_rules.h"
#include "ui/entry_validator.h"

namespace quarnel {

DimensionBox::DimensionBox(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(std::numeric_limits<int>::max());
  auto* validator = new EntryValidator(DimensionTextProblem, this);
  setValidator(validator);
  connect(this, &QLineEdit::inputRejected, this, [this, validator] {
    ShowEntryRefusal(*this, validator->LastProblem());
    emit EntryRefused(validator->LastProblem());
  });
}

// Only a move of the focus to another control counts; the window losing activation (another
// program, a popup, the window closing) does not.
void DimensionBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) emit LostFocus();
}

}  // namespace quarnel
