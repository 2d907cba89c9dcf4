#include "ui/dimension_box.h"

#include <QFocusEvent>
#include <QLabel>
#include <limits>

#include "engine/batch/input_checks.h"
#include "engine/translate/program_header.h"
#include "ui/entry_rules.h"
#include "ui/entry_validator.h"
#include "ui/form_style.h"

namespace quarnel {

namespace {

constexpr int kUnitsMargin = 3;  // pixels between the units text and the box's right edge

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Millimetres (G71): the height is above 60", "Inches (G70): the height is 60 or less".
QString UnitsNote(const Units& units) {
  const QString limit = QString::number(kInchHeightLimit);
  QString note = FromView(units.name);
  note[0] = note[0].toUpper();
  note += QStringLiteral(" (%1): the height is ").arg(FromView(units.code));
  if (units.code == kMillimetreUnits.code) return note + QStringLiteral("above ") + limit;
  return note + limit + QStringLiteral(" or less");
}

}  // namespace

DimensionBox::DimensionBox(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(std::numeric_limits<int>::max());
  auto* validator = new EntryValidator(DimensionTextProblem, this);
  setValidator(validator);
  connect(this, &QLineEdit::inputRejected, this, [this, validator] {
    ShowEntryRefusal(*this, validator->LastProblem());
    emit EntryRefused(validator->LastProblem());
  });
  connect(this, &QLineEdit::textChanged, this, &DimensionBox::ShowChecks);
  ShowChecks();
}

void DimensionBox::ShowSelectedUnits() {
  if (units_ != nullptr) return;
  units_ = new QLabel(this);
  units_->setObjectName(QStringLiteral("units"));
  units_->setAttribute(Qt::WA_TransparentForMouseEvents);
  units_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QPalette grey;
  grey.setColor(QPalette::WindowText, Qt::darkGray);
  units_->setPalette(grey);
  ShowChecks();
}

void DimensionBox::SetPurpose(QString purpose) {
  purpose_ = std::move(purpose);
  ShowChecks();
}

// Only a move of the focus to another control counts; the window losing activation (another
// program, a popup, the window closing) does not.
void DimensionBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) emit LostFocus();
}

void DimensionBox::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  PlaceUnits();
}

void DimensionBox::ShowChecks() {
  const std::string text = this->text().toStdString();
  const std::optional<std::string> warning = DimensionTextWarning(text);
  QStringList notes;
  if (warning) notes << QString::fromStdString(*warning);
  QPalette marked;  // sets only what it names: the other colours stay the inherited ones
  if (warning) marked.setColor(QPalette::Base, kWarningOrange);
  setPalette(marked);
  if (units_ != nullptr) {
    const Units units = SelectedUnits(text);
    units_->setText(units.code == kMillimetreUnits.code ? QStringLiteral("mm") : QStringLiteral("in"));
    notes << UnitsNote(units);
    units_->setToolTip(notes.join(QLatin1Char('\n')));
    PlaceUnits();
  }
  if (!purpose_.isEmpty()) notes << purpose_;
  setToolTip(notes.join(QLatin1Char('\n')));
}

// The units text sits inside the box at its right edge; the typed text stops short of it.
void DimensionBox::PlaceUnits() {
  if (units_ == nullptr) return;
  const int width = units_->sizeHint().width();
  units_->setGeometry(this->width() - width - kUnitsMargin, 0, width, height());
  setTextMargins(0, 0, width + kUnitsMargin, 0);
}

}  // namespace quarnel
