#include "ui/time_settings_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "support/decimal_text.h"
#include "support/setting_keys.h"
#include "support/settings_store.h"
#include "ui/form_style.h"

namespace quarnel {

namespace {

constexpr int kSettingDecimals = 3;

QString SettingText(double value) {
  return QString::fromStdString(DecimalText(value, kSettingDecimals));
}

}  // namespace

MachiningTimeSettings ReadTimeSettings(const IniStore& settings) {
  return MachiningTimeSettingsFrom(
      settings.IniRead(setting::kMachiningTime, setting::kRapidRate),
      settings.IniRead(setting::kMachiningTime, setting::kToolChangeTime));
}

TimeSettingsDialog::TimeSettingsDialog(IniStore& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setObjectName(QStringLiteral("timeSettingsDialog"));
  setWindowTitle(kAppTitle + QStringLiteral(" - machining time"));
  const MachiningTimeSettings stored = ReadTimeSettings(settings_);
  rapidRate_ = new QLineEdit(SettingText(stored.rapidRate), this);
  rapidRate_->setObjectName(QStringLiteral("rapidRate"));
  rapidRate_->setToolTip(QStringLiteral("How fast the machine positions, every axis at once "
                                        "(default %1 mm/min)")
                             .arg(SettingText(kDefaultRapidRate)));
  toolChange_ = new QLineEdit(SettingText(stored.toolChangeSeconds), this);
  toolChange_->setObjectName(QStringLiteral("toolChangeTime"));
  toolChange_->setToolTip(QStringLiteral("From the spindle stopping to running again with the "
                                         "next tool (default %1 s)")
                              .arg(SettingText(kDefaultToolChangeSeconds)));
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* note = new QLabel(QStringLiteral("The estimated machining time of the report and the "
                                         "preview takes these; acceleration and the machine's "
                                         "own cycle motions are left out."),
                          this);
  note->setWordWrap(true);
  auto* layout = new QFormLayout(this);
  layout->addRow(QStringLiteral("Rapid rate (mm/min)"), rapidRate_);
  layout->addRow(QStringLiteral("Tool change (s)"), toolChange_);
  layout->addRow(note);
  layout->addRow(buttons_);
  connect(rapidRate_, &QLineEdit::textChanged, this, &TimeSettingsDialog::UpdateOk);
  connect(toolChange_, &QLineEdit::textChanged, this, &TimeSettingsDialog::UpdateOk);
  connect(buttons_, &QDialogButtonBox::accepted, this, &TimeSettingsDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &TimeSettingsDialog::reject);
}

void TimeSettingsDialog::UpdateOk() {
  const bool usable = RapidRateFromText(rapidRate_->text().toStdString()) &&
                      ToolChangeSecondsFromText(toolChange_->text().toStdString());
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(usable);
}

void TimeSettingsDialog::accept() {
  const std::string rate = rapidRate_->text().trimmed().toStdString();
  const std::string change = toolChange_->text().trimmed().toStdString();
  if (!RapidRateFromText(rate) || !ToolChangeSecondsFromText(change)) return;
  settings_.IniWrite(setting::kMachiningTime, setting::kRapidRate, rate);
  settings_.IniWrite(setting::kMachiningTime, setting::kToolChangeTime, change);
  QDialog::accept();
}

}  // namespace quarnel
