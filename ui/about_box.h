// AboutBox: the About box shown once at start-up, with the system information button.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "ui/messages.h"

class QLabel;
class QPushButton;

namespace quarnel {

// How the About box finds and starts the system information program; tests give their own.
struct SystemInfoAccess {
  std::string searchPath;  // colon-separated directories; the PATH of this process by default
  std::function<bool(const std::string& program)> start;  // starts it detached; false on failure
  MessageFunction showMessage = ShowModalMessage;

  SystemInfoAccess();
};

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr, SystemInfoAccess systemInfo = {});

  // Starts the first known system information program, or says that none is available.
  void StartSysInfo();

 private:
  void BuildLabels();
  void BuildButtons();

  SystemInfoAccess systemInfo_;
  QPushButton* okButton_ = nullptr;
  QPushButton* systemInfoButton_ = nullptr;
};

// "Version " and the program's major, minor and revision numbers.
QString VersionText();

}  // namespace quarnel
