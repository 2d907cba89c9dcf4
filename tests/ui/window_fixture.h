// The main window over a temporary program directory and shop folder, for the window tests.
#pragma once

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/settings_store.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace quarnel::testing {

// A program directory, a shop folder with sources and outputs, and a window over them whose
// messages are recorded and whose directory browser answers from a script.
struct WindowFixture {
  TempDir appDir;
  TempDir shop;
  SlowDiskStore files;
  IniStore settings{files, appDir.File("Quarnel.INI")};
  MessageLog messages;
  std::vector<std::string> browserStarts;
  std::string browserAnswer;
  int progressDelayMs = 500;
  std::unique_ptr<MainWindow> window;

  MainWindow& Start() {
    MainWindowAccess access;
    access.showMessage = messages.Function();
    access.chooseDirectory = [this](const std::string& start) {
      browserStarts.push_back(start);
      return browserAnswer;
    };
    access.roots = {"/"};
    access.progressDelayMs = progressDelayMs;
    window = std::make_unique<MainWindow>(appDir.Path() + "/", files, access);
    window->RestoreSettings();
    return *window;
  }
  void Show() {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  std::string Folder(const std::string& name) {
    std::filesystem::create_directories(shop.File(name));
    return shop.File(name);
  }
  std::string Setting(const char* section, const char* key) const {
    return settings.IniRead(section, key);
  }
  std::string IniText() const {
    return FileExists(appDir.File("Quarnel.INI")) ? ReadFileBytes(appDir.File("Quarnel.INI"))
                                                  : std::string();
  }

  template <typename Widget>
  Widget& Find(const char* name) {
    auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) qFatal("no widget %s", name);
    return *widget;
  }
  // The settings of a shop: its two folders, a part of 600 x 400 x 18 and the road's table.
  void WriteShopSettings(const std::string& source, const std::string& destination) {
    WriteFileBytes(appDir.File("Quarnel.INI"),
                   "[Settings]\nSourcePath=" + source + "/\nDestinationPath=" + destination +
                       "/\nX-Dimension=600\nY-Dimension=400\nZ-Dimension=18\n");
    WriteFileBytes(appDir.File("ToolTbl.Dat"), ReadFileBytes(UiTestDataPath("road-tools.dat")));
  }
  // A shop whose source folder "parts" holds count copies of road.nc (road100.nc, road101.nc
  // ...) and its settings; returns the destination folder, "machine".
  std::string ShopWithRoads(int count) {
    const std::string source = Folder("parts");
    const std::string destination = Folder("machine");
    for (int i = 0; i < count; ++i) {
      WriteFileBytes(source + "/road" + std::to_string(100 + i) + ".nc",
                     ReadFileBytes(UiTestDataPath("road.nc")));
    }
    WriteShopSettings(source, destination);
    return destination;
  }
  // Presses Process and waits until the window shows the batch's outcome.
  void ProcessAndWait() {
    QSignalSpy finished(window.get(), &MainWindow::BatchFinished);
    QTest::mouseClick(&Find<QPushButton>("processButton"), Qt::LeftButton);
    QVERIFY(finished.count() > 0 || finished.wait(60000));
  }
  QAbstractItemModel& Tools() { return *Find<QTableView>("toolGrid").model(); }
  QStringList Entries(const char* list) {
    QStringList names;
    auto& widget = Find<QListWidget>(list);
    for (int row = 0; row < widget.count(); ++row) names << widget.item(row)->text();
    return names;
  }
};

inline void CopyData(const std::string& name, const std::string& directory) {
  WriteFileBytes(directory + "/" + name, ReadFileBytes(UiTestDataPath(name)));
}

// Clicks an entry of a file list as the user does, with optional modifiers.
inline void ClickEntry(QListWidget& list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QRect rect = list.visualItemRect(list.item(row));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, rect.center());
}

}  // namespace quarnel::testing
