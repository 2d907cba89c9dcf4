// The machine's rapid rate and tool-change time, which the machining time estimate takes:
// a small dialog over the settings file's [MachiningTime] section.
#pragma once

#include <QDialog>

#include "engine/geometry/machining_time.h"

class QDialogButtonBox;
class QLineEdit;

namespace quarnel {

class IniStore;

// The settings as stored, each left out or unusable one at its default.
MachiningTimeSettings ReadTimeSettings(const IniStore& settings);

class TimeSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // Shows the stored values; OK stores the ones typed. OK is only enabled while both are
  // accepted (a rate above 0 up to 1,000,000 mm/min, a change of 0 to 3600 s).
  explicit TimeSettingsDialog(IniStore& settings, QWidget* parent = nullptr);

  void accept() override;

 private:
  void UpdateOk();

  IniStore& settings_;
  QLineEdit* rapidRate_ = nullptr;
  QLineEdit* toolChange_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace quarnel
