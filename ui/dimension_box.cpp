#include "ui/dimension_box.h"

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

void DimensionBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  emit LostFocus();
}

}  // namespace quarnel
