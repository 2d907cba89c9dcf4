#include "ui/entry_validator.h"

#include <QToolTip>
#include <QWidget>

namespace quarnel {

EntryValidator::EntryValidator(Rule rule, QObject* parent)
    : QValidator(parent), rule_(std::move(rule)) {}

QValidator::State EntryValidator::validate(QString& input, int&) const {
  const auto problem = rule_(input.toStdString());
  if (!problem) return Acceptable;
  lastProblem_ = QString::fromStdString(*problem);
  return Invalid;
}

void ShowEntryRefusal(QWidget& widget, const QString& message) {
  QToolTip::showText(widget.mapToGlobal(QPoint(0, widget.height())), message, &widget);
}

}  // namespace quarnel
