// Every window on the screen that holds the main window, in the place it was left, closed by
// Escape where it is a window to look at, and every control with a tooltip.
#include "ui/window_place.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QtTest>

#include "test_support.h"
#include "ui/about_box.h"
#include "ui/directory_browser.h"
#include "ui/file_list.h"
#include "ui/preview_window.h"
#include "ui/report_window.h"
#include "window_fixture.h"

using namespace quarnel;
using quarnel::testing::ReadFileBytes;
using quarnel::testing::UiTestDataPath;
using quarnel::testing::WindowFixture;
using quarnel::testing::WriteFileBytes;

namespace {

QRect ScreenRoom() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// The controls of window that take input or show a path, by name, without a tooltip.
QStringList ControlsWithoutTooltip(const QWidget& window) {
  QStringList missing;
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    const bool control = qobject_cast<const QAbstractButton*>(widget) ||
                         qobject_cast<const QComboBox*>(widget) ||
                         qobject_cast<const QLineEdit*>(widget) ||
                         qobject_cast<const QAbstractItemView*>(widget) ||
                         name.endsWith(QStringLiteral("PathLabel")) || name == "pathLabel";
    if (control && !name.isEmpty() && !name.startsWith(QStringLiteral("qt_")) &&
        widget->toolTip().isEmpty()) {
      missing << name;
    }
  }
  return missing;
}

// A main window with a road output in its destination folder and one batch's report.
void StartWithAnOutput(WindowFixture& fixture) {
  const std::string parts = fixture.Folder("parts");
  const std::string machine = fixture.Folder("machine");
  WriteFileBytes(parts + "/road.nc", ReadFileBytes(UiTestDataPath("road.nc")));
  WriteFileBytes(machine + "/road.nc", ReadFileBytes(UiTestDataPath("road.expected")));
  fixture.WriteShopSettings(parts, machine);
  fixture.Start();
  fixture.Show();
  fixture.Find<FileList>("destinationList").Select({"road.nc"});
}

// The one window of type Window that the main window has open.
template <typename Window>
Window* Open(WindowFixture& fixture) {
  for (Window* window : fixture.window->findChildren<Window*>()) {
    if (window->isVisible()) return window;
  }
  return nullptr;
}

}  // namespace

class WindowPlaceTest : public QObject {
  Q_OBJECT

 private slots:
  void FitsAFrameInside_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("fitted");
    const QRect room(0, 0, 1600, 1000);
    QTest::newRow("inside") << QRect(100, 100, 760, 520) << QRect(100, 100, 760, 520);
    QTest::newRow("below the bottom") << QRect(100, 600, 760, 520) << QRect(100, 480, 760, 520);
    QTest::newRow("left of the screen") << QRect(-50, 10, 200, 100) << QRect(0, 10, 200, 100);
    QTest::newRow("larger") << QRect(900, 300, 2000, 1200) << QRect(0, 0, 1600, 1000);
    QTest::newRow("another screen") << QRect(1700, 50, 300, 200) << QRect(1300, 50, 300, 200);
  }
  void FitsAFrameInside() {
    QFETCH(QRect, frame);
    QFETCH(QRect, fitted);
    QCOMPARE(FitInside(frame, QRect(0, 0, 1600, 1000)), fitted);
  }

  void AMainWindowLeftOffTheScreenComesBackOnIt() {
    WindowFixture fixture;
    fixture.settings.IniWrite("Window", "Top", "30000");
    fixture.settings.IniWrite("Window", "Left", "-3000");
    fixture.Start();
    QVERIFY(ScreenRoom().contains(fixture.window->frameGeometry()));
  }

  // The preview (1280 x 800) and the report open wholly on the screen; each is closed with
  // Escape and opens again where it was left.
  void ReportAndPreviewStayOnTheScreenWhereTheyWereLeft() {
    WindowFixture fixture;
    StartWithAnOutput(fixture);
    const auto openPreview = [&] {
      fixture.window->PreviewSelectedOutput();
      return Open<PreviewWindow>(fixture);
    };
    const auto openReport = [&] {
      fixture.window->ShowLastReport();
      return Open<ReportWindow>(fixture);
    };
    for (const auto& open : {std::function<QWidget*()>(openPreview), std::function<QWidget*()>(openReport)}) {
      QWidget* window = open();
      QVERIFY(QTest::qWaitForWindowActive(window));
      QTRY_VERIFY(ScreenRoom().contains(window->frameGeometry()));
      if (qobject_cast<ReportWindow*>(window)) {  // first opened a little below the main window
        QCOMPARE(window->pos().y(), fixture.window->pos().y() + 40);
      }
      window->move(60, 45);
      window->resize(720, 500);
      window->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(window));
      const char* section = qobject_cast<ReportWindow*>(window) ? "ReportWindow" : "PreviewWindow";
      QCOMPARE(fixture.Setting(section, "Left"), std::string());  // written when it closes
      QTest::keyClick(window, Qt::Key_Escape);
      QTRY_VERIFY(Open<PreviewWindow>(fixture) == nullptr && Open<ReportWindow>(fixture) == nullptr);
      window = open();
      QCOMPARE(QRect(window->pos(), window->size()), QRect(60, 45, 720, 500));
      window->close();
    }
    QCOMPARE(fixture.Setting("PreviewWindow", "Left"), std::string("900"));
    QCOMPARE(fixture.Setting("ReportWindow", "Height"), std::string("7500"));
  }

  void EveryControlHasATooltip() {
    WindowFixture fixture;
    StartWithAnOutput(fixture);
    QCOMPARE(ControlsWithoutTooltip(*fixture.window), QStringList());
    fixture.window->PreviewSelectedOutput();
    QCOMPARE(ControlsWithoutTooltip(*Open<PreviewWindow>(fixture)), QStringList());
    fixture.window->ShowLastReport();
    QCOMPARE(ControlsWithoutTooltip(*Open<ReportWindow>(fixture)), QStringList());
    DirBrowserMemory memory;
    DirectoryBrowser browser(fixture.settings, {"/"}, memory);
    QCOMPARE(ControlsWithoutTooltip(browser), QStringList());
    AboutBox about;
    QCOMPARE(ControlsWithoutTooltip(about), QStringList());
  }
};

QTEST_MAIN(WindowPlaceTest)
#include "window_place_test.moc"
