#include "ui/app.h"

#include <QApplication>
#include <cstdlib>

#include "support/file_store.h"
#include "ui/about_box.h"
#include "ui/form_style.h"
#include "ui/main_window.h"
#include "ui/program_icon.h"

namespace quarnel {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool HasDisplay() {
  return IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

int RunQuarnel(QApplication& app, const std::string& appDir) {
  QApplication::setApplicationName(kAppTitle);
  QApplication::setWindowIcon(ProgramIcon());
  {
    AboutBox about;
    about.exec();
  }
  QApplication::processEvents();
  DiskFileStore files;
  MainWindow window(appDir, files);
  window.RestoreSettings();
  window.show();
  return app.exec();
}

}  // namespace quarnel
