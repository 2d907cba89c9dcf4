// window_batch_benchmark: times the main window's Process on a folder of sources, offscreen.
//
//     window_batch_benchmark --sources DIR --dest DIR --length L --height H --thickness T
//                            --tools FILE [--record FILE]
//
// Opens the real main window over a temporary program directory whose settings name the two
// folders and the dimensions and whose tool table is FILE, selects every file of the source
// list, presses Process once the window is painted and idle, and waits until the batch is
// finished and the window idle again. Prints the wall time from the press to then (monotonic
// clock) and the peak resident memory; --record writes them as measure_run does ("WALL_S
// USER_S SYS_S MAXRSS_KIB STATUS"), CPU time counted from the press. Exit status: 0 when every
// file was converted and listed, 1 otherwise, 2 on a usage error. The window's messages go to
// standard error instead of message boxes.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "support/app_dir.h"
#include "support/file_store.h"
#include "support/setting_keys.h"
#include "support/settings_store.h"
#include "ui/main_window.h"

namespace {

using quarnel::MainWindow;

constexpr const char* kUsage =
    "usage: window_batch_benchmark --sources DIR --dest DIR --length L --height H --thickness T "
    "--tools FILE [--record FILE]\n";

// The options as given, by name without the dashes; empty when an option has no value or is
// not one of ours.
std::map<std::string, std::string> ReadOptions(int argc, char** argv) {
  static const char* const kNames[] = {"sources", "dest",  "length", "height",
                                       "thickness", "tools", "record"};
  std::map<std::string, std::string> options;
  for (int k = 1; k < argc; k += 2) {
    const std::string arg = argv[k];
    bool known = false;
    for (const char* name : kNames) known = known || arg == std::string("--") + name;
    if (!known || k + 1 >= argc) return {};
    options[arg.substr(2)] = argv[k + 1];
  }
  return options;
}

// The program directory of the run: the folders, the dimensions and the tool table.
bool PrepareAppDir(const std::string& appDir, std::map<std::string, std::string>& options) {
  quarnel::DiskFileStore files;
  std::ifstream tools(options["tools"], std::ios::binary);
  std::ofstream copy(quarnel::ToolTablePathFor(appDir), std::ios::binary);
  if (!tools || !(copy << tools.rdbuf()) || !copy.flush()) return false;
  quarnel::IniStore settings(files, quarnel::IniPathFor(appDir));
  namespace key = quarnel::setting;
  settings.IniWrite(key::kSettings, key::kSourcePath, options["sources"] + "/");
  settings.IniWrite(key::kSettings, key::kDestinationPath, options["dest"] + "/");
  settings.IniWrite(key::kSettings, key::kLength, options["length"]);
  settings.IniWrite(key::kSettings, key::kHeight, options["height"]);
  settings.IniWrite(key::kSettings, key::kThickness, options["thickness"]);
  return true;
}

double CpuSeconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6;
}

struct Cost {
  double wall = 0;
  double user = 0;
  double sys = 0;
  long maxRssKib = 0;
  long maxRssBeforeKib = 0;  // the window's own, before the press
};

// Runs the event loop for a while: the window shown and painted, nothing left to do.
void Settle() {
  QEventLoop loop;
  QTimer::singleShot(200, &loop, &QEventLoop::quit);
  loop.exec();
}

// Presses Process and returns once the batch has finished and the events it left are handled.
Cost ProcessAndWait(MainWindow& window) {
  rusage before{};
  ::getrusage(RUSAGE_SELF, &before);
  QEventLoop idle;
  QObject::connect(&window, &MainWindow::BatchFinished, &idle,
                   [&idle] { QTimer::singleShot(0, &idle, &QEventLoop::quit); });
  QElapsedTimer clock;
  clock.start();
  window.findChild<QPushButton*>(QStringLiteral("processButton"))->click();
  if (window.BatchRunning()) idle.exec();
  Cost cost;
  cost.wall = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  rusage after{};
  ::getrusage(RUSAGE_SELF, &after);
  cost.user = CpuSeconds(after.ru_utime) - CpuSeconds(before.ru_utime);
  cost.sys = CpuSeconds(after.ru_stime) - CpuSeconds(before.ru_stime);
  cost.maxRssKib = after.ru_maxrss;
  cost.maxRssBeforeKib = before.ru_maxrss;
  return cost;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> options = ReadOptions(argc, argv);
  for (const char* required : {"sources", "dest", "length", "height", "thickness", "tools"}) {
    if (options[required].empty()) {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir appDir;
  const std::string appPath = appDir.path().toStdString() + "/";
  if (!appDir.isValid() || !PrepareAppDir(appPath, options)) {
    std::cerr << "window_batch_benchmark: cannot prepare a program directory\n";
    return 2;
  }
  quarnel::DiskFileStore files;
  int messages = 0;
  quarnel::MainWindowAccess access;
  access.showMessage = [&messages](QWidget*, const quarnel::Message& message) {
    ++messages;
    std::cerr << message.text.toStdString() << '\n' << message.details.toStdString() << '\n';
  };
  MainWindow window(appPath, files, access);
  window.RestoreSettings();
  window.show();
  Settle();
  auto* sources = window.findChild<QListWidget*>(QStringLiteral("sourceList"));
  sources->selectAll();
  Settle();
  const int count = sources->count();
  const Cost cost = ProcessAndWait(window);
  const int shown = window.findChild<QListWidget*>(QStringLiteral("destinationList"))->count();
  std::printf("window batch: %d files, %.3f s, cpu %.3f s, peak %.1f MB (%.1f MB before the "
              "press); destination list: %d\n",
              count, cost.wall, cost.user + cost.sys, cost.maxRssKib * 1024 / 1e6,
              cost.maxRssBeforeKib * 1024 / 1e6, shown);
  const int status = messages == 0 && shown >= count ? 0 : 1;
  if (!options["record"].empty()) {
    std::ofstream record(options["record"], std::ios::trunc);
    char line[160];
    std::snprintf(line, sizeof line, "%.6f %.6f %.6f %ld %d\n", cost.wall, cost.user, cost.sys,
                  cost.maxRssKib, status);
    record << line;
  }
  return status;
}
