// MainWindow: layout, start-up restoring, handlers, a whole batch through the window, and closing.
#include "ui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>
#include <QtTest>
#include <filesystem>

#include <sys/stat.h>

#include "support/file_store.h"
#include "support/settings_store.h"
#include "test_support.h"
#include "tools/tool_table.h"
#include "ui/batch_progress.h"
#include "ui/file_list.h"
#include "ui/preview_window.h"
#include "ui_test_support.h"
#include "window_fixture.h"

using namespace quarnel;
using quarnel::testing::FileExists;
using quarnel::testing::MessageLog;
using quarnel::testing::ReadFileBytes;
using quarnel::testing::TempDir;
using quarnel::testing::UiTestDataPath;
using quarnel::testing::WriteFileBytes;
using quarnel::testing::WindowFixture;
using quarnel::testing::CopyData;
using quarnel::testing::ClickEntry;

Q_DECLARE_METATYPE(CloseReason)

namespace {

namespace fs = std::filesystem;

// Makes directory the process's current directory until the end of the scope.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& directory) : previous_(fs::current_path()) {
    fs::current_path(directory);
  }
  ~CurrentDirectory() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

// Cancels a batch's progress dialog as soon as it is shown.
class CancelProgressWhenShown : public QObject {
 public:
  bool shown = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* dialog = qobject_cast<QProgressDialog*>(watched)) {
        shown = true;
        dialog->cancel();
      }
    }
    return false;
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void HasAFixedSizeAndNoMaximizeButton() {
    WindowFixture fixture;
    MainWindow& window = fixture.Start();
    QCOMPARE(window.windowTitle(), QStringLiteral("Ostrevan"));
    QCOMPARE(window.size(), QSize(707, 427));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!window.windowIcon().isNull());
  }

  void PlacesEveryControl_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("sourceFrame") << "sourceFrame" << QRect(8, 8, 233, 409);
    QTest::newRow("sourcePathLabel") << "sourcePathLabel" << QRect(8, 16, 185, 17);
    QTest::newRow("sourceBrowseButton") << "sourceBrowseButton" << QRect(192, 16, 33, 17);
    QTest::newRow("sourceList") << "sourceList" << QRect(48, 48, 121, 344);
    QTest::newRow("processButton") << "processButton" << QRect(64, 24, 81, 33);
    QTest::newRow("toolGrid") << "toolGrid" << QRect(24, 40, 129, 145);
    QTest::newRow("headOneOption at least") << "headOneOption" << QRect(24, 16, 57, 17);
    QTest::newRow("heightBox") << "heightBox" << QRect(72, 48, 89, 19);
    QTest::newRow("destinationFrame") << "destinationFrame" << QRect(464, 8, 233, 409);
    QTest::newRow("destinationList") << "destinationList" << QRect(48, 56, 129, 331);
  }
  void PlacesEveryControl() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    WindowFixture fixture;
    fixture.Start();
    const QRect actual = fixture.Find<QWidget>(name.toLatin1().constData()).geometry();
    QCOMPARE(actual.topLeft(), geometry.topLeft());
    QCOMPARE(actual.height(), geometry.height());
    QVERIFY(actual.width() >=
            geometry.width());  // captions may need more room in the platform's font
    if (!name.startsWith("head")) QCOMPARE(actual.width(), geometry.width());
  }

  void ShowsTheDesignedControls() {
    WindowFixture fixture;
    fixture.Start();
    QVERIFY(!fixture.Find<QPushButton>("processButton").isEnabled());
    QCOMPARE(fixture.Find<QPushButton>("processButton").text(), QStringLiteral("Process"));
    QCOMPARE(fixture.Find<QGroupBox>("toolFrame").title(),
             QStringLiteral("Router Tool Substitution"));
    QCOMPARE(fixture.Find<QListWidget>("sourceList").selectionMode(),
             QAbstractItemView::ExtendedSelection);
    QCOMPARE(fixture.Find<QListWidget>("destinationList").selectionMode(),
             QAbstractItemView::SingleSelection);
    QCOMPARE(fixture.Find<QListWidget>("sourceList").palette().color(QPalette::Base),
             QColor(128, 255, 255));
    QCOMPARE(fixture.Find<QListWidget>("destinationList").palette().color(QPalette::Base),
             QColor(128, 255, 255));
    QCOMPARE(fixture.Find<QPushButton>("sourceBrowseButton").font().pointSizeF(), 12.0);
    QCOMPARE(fixture.Find<QLabel>("destinationPathLabel").frameShape(), QFrame::Box);
  }

  void TabGoesHeightBeforeLength() {
    WindowFixture fixture;
    WriteFileBytes(fixture.Folder("parts") + "/a.nc", "");
    fixture.settings.IniWrite("Settings", "SourcePath", fixture.shop.File("parts"));
    fixture.Start();
    fixture.Show();
    ClickEntry(fixture.Find<QListWidget>("sourceList"), 0);  // BtnProc takes the focus only when enabled
    fixture.Find<QPushButton>("sourceBrowseButton").setFocus();
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int step = 0; step < 12; ++step) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    const QStringList expected = {"sourceBrowseButton", "sourceList", "sourceFilter",
                                  "destinationBrowseButton", "destinationList", "destinationFilter",
                                  "processButton", "heightBox", "lengthBox", "thicknessBox",
                                  "toolGrid", "headTwoOption", "sourceBrowseButton"};
    QCOMPARE(order, expected);
  }

  void FirstStartShowsTheDefaults() {
    WindowFixture fixture;
    const std::string current = fixture.Folder("current");
    WriteFileBytes(current + "/b.nc", "");
    WriteFileBytes(current + "/a", "");
    WriteFileBytes(current + "/.hidden", "");
    fs::create_directory(current + "/folder");
    CurrentDirectory inCurrent(current);
    fixture.Start();
    QCOMPARE(fixture.window->pos(), QPoint(0, 0));
    QCOMPARE(fixture.Find<QLabel>("sourcePathLabel").text(), QString());
    QCOMPARE(fixture.Find<QLabel>("destinationPathLabel").text(), QString());
    for (const char* box : {"lengthBox", "heightBox", "thicknessBox"})
      QCOMPARE(fixture.Find<QLineEdit>(box).text(), QString());
    QVERIFY(fixture.Find<QRadioButton>("headTwoOption").isChecked());
    QCOMPARE(fixture.Entries("sourceList"), QStringList({"a", "b.nc"}));
    QCOMPARE(fixture.Entries("destinationList"), QStringList({"a", "b.nc"}));
    for (int row = 1; row <= 8; ++row) {
      QCOMPARE(fixture.window->Tools().GridCell(row, 1), std::string_view());
      QCOMPARE(fixture.window->Tools().GridCell(row, 2), std::string_view());
    }
    QVERIFY(!FileExists(fixture.appDir.File("Quarnel.INI")));
  }

  void RestoresEverySetting() {
    WindowFixture fixture;
    const std::string source = fixture.Folder("parts") + "/";
    const std::string destination = fixture.Folder("machine") + "/";
    WriteFileBytes(source + "side.nc", "");
    WriteFileBytes(destination + "old.nc", "");
    WriteFileBytes(fixture.appDir.File("Quarnel.INI"),
                   "[Window]\nTop=1500\nLeft=1200\n[Settings]\nSourcePath=" + source +
                       "\nDestinationPath=" + destination +
                       "\nX-Dimension=600\nY-Dimension=400 mm\nZ-Dimension=18\nHead1=1\n");
    WriteFileBytes(fixture.appDir.File("ToolTbl.Dat"),
                   ReadFileBytes(UiTestDataPath("road-tools.dat")));
    fixture.Start();
    QCOMPARE(fixture.window->pos(), QPoint(80, 100));
    QCOMPARE(fixture.Find<QLabel>("sourcePathLabel").text().toStdString(), source);
    QCOMPARE(fixture.Find<QLabel>("destinationPathLabel").text().toStdString(), destination);
    QCOMPARE(fixture.Entries("sourceList"), QStringList{"side.nc"});
    QCOMPARE(fixture.Entries("destinationList"), QStringList{"old.nc"});
    QCOMPARE(fixture.Find<QLineEdit>("lengthBox").text(), QStringLiteral("600"));
    QCOMPARE(fixture.Find<QLineEdit>("heightBox").text(), QStringLiteral("400 mm"));
    QCOMPARE(fixture.Find<QLineEdit>("thicknessBox").text(), QStringLiteral("18"));
    QVERIFY(fixture.Find<QRadioButton>("headOneOption").isChecked());
    QCOMPARE(fixture.Setting("Settings", "Head1"), std::string("True"));
    QCOMPARE(fixture.Tools().index(0, 1).data().toString(), QStringLiteral("101"));
    QCOMPARE(fixture.window->Tools().GridCell(1, 2), std::string_view("101"));
  }

  void AStoredDirectoryThatIsGoneShowsOnlyItsText() {
    WindowFixture fixture;
    const std::string current = fixture.Folder("current");
    CurrentDirectory inCurrent(current);
    const std::string gone = fixture.shop.File("gone/");
    fixture.settings.IniWrite("Settings", "SourcePath", gone);
    fixture.Start();
    QCOMPARE(fixture.Find<QLabel>("sourcePathLabel").text().toStdString(), gone);
    QCOMPARE(fixture.Find<FileList>("sourceList").Directory(), fs::current_path().string());
  }

  void HeadSettingSelectsHeadOne_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("head1");
    QTest::newRow("true") << "true" << true;
    QTest::newRow("FALSE") << "FALSE" << false;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("minus one") << "-1" << true;
    QTest::newRow("yes") << "yes" << false;
  }
  void HeadSettingSelectsHeadOne() {
    QFETCH(QString, stored);
    QFETCH(bool, head1);
    WindowFixture fixture;
    fixture.settings.IniWrite("Settings", "Head1", stored.toStdString());
    fixture.Start();
    QCOMPARE(fixture.Find<QRadioButton>("headOneOption").isChecked(), head1);
    QCOMPARE(fixture.Find<QRadioButton>("headTwoOption").isChecked(), !head1);
    // Tab enters the options at the selected one only.
    QCOMPARE(bool(fixture.Find<QRadioButton>("headOneOption").focusPolicy() & Qt::TabFocus), head1);
    QCOMPARE(bool(fixture.Find<QRadioButton>("headTwoOption").focusPolicy() & Qt::TabFocus), !head1);
    QCOMPARE(fixture.Setting("Settings", "Head1"),
             head1 ? std::string("True") : stored.toStdString());
  }

  void HeadClicksWriteHeadOne() {
    WindowFixture fixture;
    fixture.Start();
    fixture.Show();
    QTest::mouseClick(&fixture.Find<QRadioButton>("headOneOption"), Qt::LeftButton);
    QCOMPARE(fixture.Setting("Settings", "Head1"), std::string("True"));
    QTest::mouseClick(&fixture.Find<QRadioButton>("headTwoOption"), Qt::LeftButton);
    QCOMPARE(fixture.Setting("Settings", "Head1"), std::string("False"));
  }

  void DimensionsAreWrittenWhenTheyLoseFocus() {
    WindowFixture fixture;
    fixture.settings.IniWrite("Settings", "Y-Dimension", "400");
    fixture.Start();
    fixture.Show();
    auto& dimX = fixture.Find<QLineEdit>("lengthBox");
    dimX.setFocus();
    QTest::keyClicks(&dimX, " 1,200 ");
    QCOMPARE(fixture.Setting("Settings", "X-Dimension"), std::string());
    auto& dimY = fixture.Find<QLineEdit>("heightBox");
    dimY.setFocus();
    QVERIFY(fixture.IniText().find("X-Dimension= 1,200 \n") != std::string::npos);
    dimY.clear();
    fixture.Find<QLineEdit>("thicknessBox").setFocus();
    QVERIFY(fixture.IniText().find("Y-Dimension=\n") != std::string::npos);
  }

  void LeavingTheWindowIsNotLosingTheFocus() {
    WindowFixture fixture;
    fixture.Start();
    fixture.Show();
    auto& dimX = fixture.Find<QLineEdit>("lengthBox");
    dimX.setFocus();
    QTest::keyClicks(&dimX, "600");
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!FileExists(fixture.appDir.File("Quarnel.INI")));
    fixture.window.reset();  // destroyed with the focus still in the box: nothing is written
    QVERIFY(!FileExists(fixture.appDir.File("Quarnel.INI")));
  }

  void DimensionsRefuseLineBreaks() {
    WindowFixture fixture;
    fixture.Start();
    auto& dimZ = fixture.Find<QLineEdit>("thicknessBox");
    dimZ.setText(QStringLiteral("18"));
    QGuiApplication::clipboard()->setText(QStringLiteral("1\n8"));
    dimZ.paste();
    QCOMPARE(dimZ.text(), QStringLiteral("18"));
  }

  void ChoosingADirectorySetsLabelListAndSetting_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("key");
    QTest::newRow("source") << "sourceBrowseButton"
                            << "sourcePathLabel"
                            << "sourceList"
                            << "SourcePath";
    QTest::newRow("destination") << "destinationBrowseButton"
                                 << "destinationPathLabel"
                                 << "destinationList"
                                 << "DestinationPath";
  }
  void ChoosingADirectorySetsLabelListAndSetting() {
    QFETCH(QString, button);
    QFETCH(QString, label);
    QFETCH(QString, list);
    QFETCH(QString, key);
    WindowFixture fixture;
    const std::string before = fixture.Folder("before");
    WriteFileBytes(before + "/one.nc", "");
    const std::string chosen = fixture.Folder("chosen") + "/";
    WriteFileBytes(chosen + "two.nc", "");
    fixture.settings.IniWrite("Settings", key.toStdString(), before);
    fixture.Start();
    fixture.Show();
    auto& fileList = fixture.Find<QListWidget>(list.toLatin1().constData());
    ClickEntry(fileList, 0);
    const bool processEnabled = fixture.Find<QPushButton>("processButton").isEnabled();
    QCOMPARE(processEnabled, list == "sourceList");
    fixture.browserAnswer = chosen;
    QTest::mouseClick(&fixture.Find<QPushButton>(button.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(fixture.browserStarts, std::vector<std::string>{before});
    QCOMPARE(fixture.Find<QLabel>(label.toLatin1().constData()).text().toStdString(), chosen);
    QCOMPARE(fixture.Entries(list.toLatin1().constData()), QStringList{"two.nc"});
    QVERIFY(fileList.selectedItems().isEmpty());
    QCOMPARE(fixture.Setting("Settings", key.toLatin1().constData()), chosen);
    QVERIFY(!fixture.Find<QPushButton>("processButton").isEnabled());  // nothing selected any more
    Q_UNUSED(processEnabled);
  }

  void ACancelledChoiceChangesNothing() {
    WindowFixture fixture;
    fixture.Start();
    const std::string listed = fixture.Find<FileList>("sourceList").Directory();
    fixture.browserAnswer.clear();
    QTest::mouseClick(&fixture.Find<QPushButton>("sourceBrowseButton"), Qt::LeftButton);
    QCOMPARE(fixture.Find<FileList>("sourceList").Directory(), listed);
    QCOMPARE(fixture.Find<QLabel>("sourcePathLabel").text(), QString());
    QVERIFY(!FileExists(fixture.appDir.File("Quarnel.INI")));
  }

  void AVanishedDirectoryIsReportedAndTheListStays() {
    WindowFixture fixture;
    const std::string before = fixture.Folder("before");
    fixture.settings.IniWrite("Settings", "DestinationPath", before);
    fixture.Start();
    fixture.browserAnswer = fixture.shop.File("vanished/");
    QTest::mouseClick(&fixture.Find<QPushButton>("destinationBrowseButton"), Qt::LeftButton);
    QCOMPARE(fixture.messages.Entries().size(), std::size_t(1));
    QCOMPARE(fixture.messages.Entries().front().title, QStringLiteral("Ostrevan"));
    QCOMPARE(fixture.Find<FileList>("destinationList").Directory(), before);
    QCOMPARE(fixture.Find<QLabel>("destinationPathLabel").text().toStdString(), before);
    QCOMPARE(fixture.Setting("Settings", "DestinationPath"), before);
  }

  void UserSelectionEnablesProcess() {
    WindowFixture fixture;
    const std::string source = fixture.Folder("parts");
    for (const char* name : {"a.nc", "b.nc", "c.nc"}) WriteFileBytes(source + "/" + name, "");
    fixture.settings.IniWrite("Settings", "SourcePath", source);
    fixture.Start();
    fixture.Show();
    auto& file1 = fixture.Find<QListWidget>("sourceList");
    auto& process = fixture.Find<QPushButton>("processButton");
    ClickEntry(file1, 0);
    ClickEntry(file1, 2, Qt::ShiftModifier);
    QCOMPARE(file1.selectedItems().size(), 3);
    QVERIFY(process.isEnabled());
    for (int row = 0; row < 3; ++row) ClickEntry(file1, row, Qt::ControlModifier);
    QVERIFY(file1.selectedItems().isEmpty());
    QVERIFY(!process.isEnabled());
    file1.setFocus();
    QTest::keyClick(&file1, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(process.isEnabled());
  }

  void ProcessConvertsTheSelectedFiles() {
    WindowFixture fixture;
    const std::string source = fixture.Folder("parts");
    const std::string destination = fixture.Folder("machine");
    for (const char* name : {"road.nc", "size.nc", "skip.nc"}) CopyData(name, source);
    fixture.WriteShopSettings(source, destination);
    fixture.Start();
    fixture.Show();
    auto& file1 = fixture.Find<QListWidget>("sourceList");
    ClickEntry(file1, 0);
    ClickEntry(file1, 1, Qt::ControlModifier);
    fixture.ProcessAndWait();

    QVERIFY(fixture.messages.Entries().empty());
    QCOMPARE(ReadFileBytes(destination + "/road.nc"),
             ReadFileBytes(UiTestDataPath("road.expected")));
    QCOMPARE(ReadFileBytes(destination + "/size.nc"),
             ReadFileBytes(UiTestDataPath("size.expected")));
    QVERIFY(!FileExists(destination + "/skip.nc"));
    QCOMPARE(fixture.Entries("destinationList"), QStringList({"road.nc", "size.nc"}));
    QCOMPARE(fixture.Find<QLineEdit>("lengthBox").text(), QStringLiteral("800"));
    QCOMPARE(fixture.Find<QLineEdit>("heightBox").text(), QStringLiteral("500"));
    QCOMPARE(fixture.Find<QLineEdit>("thicknessBox").text(), QStringLiteral("18"));
    QCOMPARE(fixture.Setting("Settings", "X-Dimension"),
             std::string("600"));  // no lost-focus write
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void ProcessWritesWhatTheCommandLineWrites() {
    WindowFixture fixture;
    const std::string source = fixture.Folder("parts");
    const std::string byWindow = fixture.Folder("window");
    const std::string byCommand = fixture.Folder("command");
    for (const char* name : {"road.nc", "size.nc"}) CopyData(name, source);
    const std::string tools = UiTestDataPath("road-tools.dat");
    WriteFileBytes(fixture.appDir.File("ToolTbl.Dat"), ReadFileBytes(tools));
    fixture.settings.IniWrite("Settings", "SourcePath", source);
    fixture.settings.IniWrite("Settings", "DestinationPath", byWindow);
    fixture.settings.IniWrite("Settings", "X-Dimension", "600");
    fixture.settings.IniWrite("Settings", "Y-Dimension", "400");
    fixture.settings.IniWrite("Settings", "Z-Dimension", "18");
    fixture.Start();
    fixture.Show();
    QTest::keyClick(&fixture.Find<QListWidget>("sourceList"), Qt::Key_A, Qt::ControlModifier);
    fixture.ProcessAndWait();
    const std::string command = std::string(QUARNEL_CONVERT_EXE) + " --dest '" + byCommand +
                                "' --length 600 --height 400 --thickness 18 --tools '" + tools +
                                "' '" + source + "/road.nc' '" + source +
                                "/size.nc' >/dev/null 2>&1";
    QCOMPARE(quarnel::testing::RunCommand(command), 0);
    for (const char* name : {"road.nc", "size.nc"}) {
      QCOMPARE(ReadFileBytes(byWindow + "/" + name), ReadFileBytes(byCommand + "/" + name));
    }
  }

  void FailedFilesAreListedInOneMessage() {
    WindowFixture fixture;
    const std::string source = fixture.Folder("parts");
    const std::string destination = fixture.Folder("machine");
    for (const char* name : {"road.nc", "size.nc"}) CopyData(name, source);
    fixture.settings.IniWrite("Settings", "SourcePath", source);
    fixture.settings.IniWrite("Settings", "DestinationPath", destination);
    fixture.Start();
    fixture.Show();
    fs::remove(destination);
    QTest::keyClick(&fixture.Find<QListWidget>("sourceList"), Qt::Key_A, Qt::ControlModifier);
    fixture.ProcessAndWait();
    QCOMPARE(fixture.messages.Entries().size(), std::size_t(1));
    const Message& message = fixture.messages.Entries().front();
    QCOMPARE(message.text, QStringLiteral("2 files were not converted. Show Details lists each of "
                                          "them with the reason."));
    const QStringList lines = message.details.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].startsWith(QString::fromStdString(source + "/road.nc: cannot write")));
    QVERIFY(lines[1].startsWith(QString::fromStdString(source + "/size.nc: cannot write")));
    QCOMPARE(message.title, QStringLiteral("Ostrevan"));
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  // Files that start faster than the dialog shows them: it shows one while they keep starting,
  // and the last one to start in the end.
  void ProgressShowsTheLatestFile() {
    QWidget parent;
    constexpr int kFiles = 20;
    BatchProgress progress(&parent, kFiles, 0);
    for (int index = 0; index < kFiles; ++index) {
      progress.FileStarting(index, "/shop/parts/part" + std::to_string(index) + ".nc");
      QTest::qWait(20);
    }
    QVERIFY(!progress.Dialog().labelText().isEmpty());
    QTRY_COMPARE(progress.Dialog().labelText(), QStringLiteral("File 20 of 20: part19.nc"));
    QCOMPARE(progress.Dialog().findChild<QProgressBar*>()->value(), kFiles - 1);
    for (int index = 0; index < kFiles; ++index) progress.FileDone();
  }

  // However many files fail, the one message fits the screen, its list shown.
  void FailureMessageFitsTheScreenWithAThousandFiles() {
    std::vector<FileFailure> failures;
    for (int i = 0; i < 1000; ++i) {
      failures.push_back({"/shop/parts/part" + std::to_string(i) + ".nc",
                          "cannot write /shop/machine/part.nc: No space left on device"});
    }
    const auto box = MakeMessageBox(nullptr, BatchFailureMessage(failures));
    box->show();
    for (QAbstractButton* button : box->buttons()) {
      if (box->buttonRole(button) == QMessageBox::ActionRole) button->click();  // Show Details
    }
    QVERIFY(box->sizeHint().height() <= 1024);
    QVERIFY(box->findChild<QTextEdit*>()->isVisible());
    QCOMPARE(box->findChild<QTextEdit*>()->toPlainText().count(QLatin1Char('\n')), 999);
  }

  // Every output is a program of its own: the second press writes the same bytes.
  void ProcessingAgainWritesTheSameBytes() {
    WindowFixture fixture;
    const std::string source = fixture.Folder("parts");
    const std::string destination = fixture.Folder("machine");
    CopyData("road.nc", source);
    fixture.WriteShopSettings(source, destination);
    fixture.Start();
    fixture.Show();
    ClickEntry(fixture.Find<QListWidget>("sourceList"), 0);
    for (int press = 0; press < 2; ++press) {
      fixture.ProcessAndWait();
      QCOMPARE(ReadFileBytes(destination + "/road.nc"),
               ReadFileBytes(UiTestDataPath("road.expected")));
    }
  }

  // Cancel in the progress dialog stops the batch after the file in progress: the files before
  // it are written whole, the others not at all, and the message names each of them.
  void CancelLeavesWholeFilesOnly() {
    WindowFixture fixture;
    fixture.progressDelayMs = 0;
    fixture.files.readDelayMs = 20;
    constexpr int kFiles = 20;
    const std::string destination = fixture.ShopWithRoads(kFiles);
    fixture.Start();
    fixture.Show();
    CancelProgressWhenShown cancel;
    qApp->installEventFilter(&cancel);
    QTest::keyClick(&fixture.Find<QListWidget>("sourceList"), Qt::Key_A, Qt::ControlModifier);
    fixture.ProcessAndWait();
    qApp->removeEventFilter(&cancel);
    QVERIFY(cancel.shown);
    const std::vector<std::string> written = quarnel::testing::ListDirectory(destination);
    QVERIFY(!written.empty() && written.size() < kFiles);
    for (const std::string& name : written) {
      QCOMPARE(ReadFileBytes(destination + "/" + name), ReadFileBytes(UiTestDataPath("road.expected")));
    }
    QCOMPARE(fixture.messages.Entries().size(), std::size_t(1));
    const QString details = fixture.messages.Entries().front().details;
    QCOMPARE(details.count(QStringLiteral("not converted: the batch was cancelled")),
             kFiles - static_cast<int>(written.size()));
    QVERIFY(fixture.Find<QPushButton>("processButton").isEnabled());
  }

  // After a batch with a warning the report window shows it, with each file's estimated time
  // at the rapid rate of the settings and the batch's total; Ctrl+R shows it again.
  void ReportWindowShowsABatchWithAWarning() {
    WindowFixture fixture;
    const std::string source = fixture.Folder("parts");
    const std::string destination = fixture.Folder("machine");
    // A block to X60 at 600 mm/min takes 6 s, the feed of 40 mm at F3000 0.8 s.
    WriteFileBytes(source + "/cut.nc", "G0 X60\r\nG1 X100 F3000\r\n");
    fixture.settings.IniWrite("MachiningTime", "RapidRate", "600");
    WriteFileBytes(source + "/empty.nc", "M30\r\n");
    fixture.settings.IniWrite("Settings", "SourcePath", source);
    fixture.settings.IniWrite("Settings", "DestinationPath", destination);
    fixture.settings.IniWrite("Settings", "X-Dimension", "600");
    fixture.settings.IniWrite("Settings", "Y-Dimension", "400");
    fixture.settings.IniWrite("Settings", "Z-Dimension", "18");
    fixture.Start();
    fixture.Show();
    ClickEntry(fixture.Find<QListWidget>("sourceList"), 0);
    ClickEntry(fixture.Find<QListWidget>("sourceList"), 1, Qt::ControlModifier);
    fixture.ProcessAndWait();
    QVERIFY(fixture.messages.Entries().empty());
    auto* report = fixture.window->findChild<QWidget*>("reportWindow");
    QVERIFY(report != nullptr && report->isVisible());
    auto* files = report->findChild<QTableWidget*>("files");
    QCOMPARE(files->rowCount(), 2);
    QCOMPARE(files->item(0, 3)->text(), QStringLiteral("7 s"));
    QCOMPARE(files->item(1, 1)->text(), QStringLiteral("written"));
    QCOMPARE(files->item(1, 3)->text(), QStringLiteral("0 s"));
    QCOMPARE(files->item(1, 8)->text(), QStringLiteral("1"));
    QVERIFY(report->findChild<QLabel*>("summary")->text().contains(
        QStringLiteral("estimated machining time 7 s in all")));
    files->setCurrentCell(1, 0);
    QVERIFY(report->findChild<QPlainTextEdit*>("details")->toPlainText().contains(
        QStringLiteral("the output has no body")));
    report->close();
    auto& list = fixture.Find<QListWidget>("destinationList");
    QCOMPARE(list.contextMenuPolicy(), Qt::ActionsContextMenu);
    fixture.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
    QTest::keyClick(fixture.window.get(), Qt::Key_R, Qt::ControlModifier);
    QVERIFY(report->isVisible());
  }

  // Double-clicking an output opens its preview over the source of the same name.
  void DoubleClickOnAnOutputPreviewsIt() {
    WindowFixture fixture;
    const std::string source = fixture.Folder("parts");
    const std::string destination = fixture.Folder("machine");
    CopyData("road.nc", source);
    WriteFileBytes(destination + "/road.nc", ReadFileBytes(UiTestDataPath("road.expected")));
    fixture.WriteShopSettings(source, destination);  // the preview takes its table and dimensions
    fixture.Start();
    fixture.Show();
    auto& list = fixture.Find<QListWidget>("destinationList");
    const QRect rect = list.visualItemRect(list.item(0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    auto* preview = fixture.window->findChild<PreviewWindow*>();
    QVERIFY(preview != nullptr && preview->isVisible());
    QCOMPARE(preview->ShownVerdict(), QStringLiteral("matches: 3 moves"));
    // Preview, Show the Last Report, Read the Folders Again, Machining Time Settings
    QCOMPARE(list.actions().size(), 4);
  }

  // A tool table file the window cannot use is kept aside with its bytes and the user told;
  // the user's close then writes the table without touching the kept file.
  void UnusableToolTableIsKeptAndTheUserTold_data() {
    QTest::addColumn<bool>("fifo");
    QTest::addColumn<QString>("problem");
    QTest::newRow("foreign") << false << "line 3: no tab between From and To";
    QTest::newRow("unreadable") << true << "cannot be read: it is not a regular file";
  }
  void UnusableToolTableIsKeptAndTheUserTold() {
    QFETCH(bool, fifo);
    QFETCH(QString, problem);
    WindowFixture fixture;
    const std::string path = fixture.appDir.File("ToolTbl.Dat");
    const std::string bytes = "QUARNEL-TOOLTABLE 1\n1\t101\n2 102\n";
    if (fifo) {
      QCOMPARE(::mkfifo(path.c_str(), 0644), 0);
    } else {
      WriteFileBytes(path, bytes);
    }
    WriteFileBytes(fixture.appDir.File("ToolTbl.Dat.unreadable"), "kept before");
    fixture.Start();
    QCOMPARE(fixture.messages.Entries().size(), std::size_t(1));
    const Message& message = fixture.messages.Entries().front();
    QCOMPARE(message.icon, QMessageBox::Warning);
    QVERIFY(message.text.contains(QString::fromStdString(path) + QStringLiteral(" cannot be used: ") + problem));
    QVERIFY(message.text.contains(QString::fromStdString(path + ".unreadable.1")));
    QCOMPARE(fixture.window->Tools(), ToolTable());
    if (!fifo) QCOMPARE(ReadFileBytes(path + ".unreadable.1"), bytes);
    fixture.Show();
    fixture.Tools().setData(fixture.Tools().index(0, 1), QStringLiteral("205"));
    QVERIFY(quarnel::testing::SendWindowSystemClose(*fixture.window));
    QVERIFY(ReadFileBytes(path).find("\t205\n") != std::string::npos);
    QCOMPARE(ReadFileBytes(fixture.appDir.File("ToolTbl.Dat.unreadable")), std::string("kept before"));
    if (!fifo) QCOMPARE(ReadFileBytes(path + ".unreadable.1"), bytes);
  }

  // A close during a batch lets the file in progress finish, stops the batch there, saves as
  // the user's close and ends the program.
  void ClosingDuringABatchStopsItSavesAndExits() {
    WindowFixture fixture;
    fixture.files.readDelayMs = 50;
    constexpr int kFiles = 40;
    const std::string destination = fixture.ShopWithRoads(kFiles);
    fixture.Start();
    fixture.Show();
    fixture.window->move(30, 15);
    fixture.Tools().setData(fixture.Tools().index(7, 0), QStringLiteral("99"));  // not in road.nc
    QTest::keyClick(&fixture.Find<QListWidget>("sourceList"), Qt::Key_A, Qt::ControlModifier);
    QTest::mouseClick(&fixture.Find<QPushButton>("processButton"), Qt::LeftButton);
    QTRY_VERIFY(!quarnel::testing::ListDirectory(destination).empty());
    QVERIFY(!quarnel::testing::SendWindowSystemClose(*fixture.window));  // not yet
    QVERIFY(fixture.window->BatchRunning());
    QTimer::singleShot(30000, qApp, [] { QCoreApplication::exit(1); });  // never hang
    QCOMPARE(QCoreApplication::exec(), 0);  // ends with the last window
    QVERIFY(!fixture.window->isVisible());
    const std::vector<std::string> written = quarnel::testing::ListDirectory(destination);
    QVERIFY(written.size() < kFiles);
    for (const std::string& name : written) {
      QCOMPARE(ReadFileBytes(destination + "/" + name), ReadFileBytes(UiTestDataPath("road.expected")));
    }
    QVERIFY(fixture.messages.Entries().empty());
    QCOMPARE(fixture.Setting("Window", "Left"), std::string("450"));
    QVERIFY(ReadFileBytes(fixture.appDir.File("ToolTbl.Dat")).find("\n99\t") != std::string::npos);
  }

  void OnlyTheUsersCloseSaves_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("saves");
    QTest::newRow("close box") << "window system" << true;
    QTest::newRow("program") << "program" << false;
    QTest::newRow("session end") << "session end" << false;
  }
  void OnlyTheUsersCloseSaves() {
    QFETCH(QString, way);
    QFETCH(bool, saves);
    WindowFixture fixture;
    fixture.Start();
    fixture.Show();
    fixture.window->move(20, 10);
    fixture.Find<QLineEdit>("lengthBox").setText(QStringLiteral("600"));
    fixture.Find<QLineEdit>("thicknessBox").setText(QStringLiteral("3/4"));
    fixture.Tools().setData(fixture.Tools().index(7, 1), QStringLiteral("205"));
    QCOMPARE(fixture.window->Tools().GridCell(8, 2), std::string_view("205"));
    if (way == "window system") QVERIFY(quarnel::testing::SendWindowSystemClose(*fixture.window));
    if (way == "program") fixture.window->close();
    if (way == "session end") fixture.window->SaveOnClose(CloseReason::kSessionEnd);
    if (saves) {
      QCOMPARE(fixture.Setting("Window", "Top"), std::string("150"));
      QCOMPARE(fixture.Setting("Window", "Left"), std::string("300"));
      QCOMPARE(fixture.Setting("Settings", "X-Dimension"), std::string("600"));
      QCOMPARE(fixture.Setting("Settings", "Z-Dimension"), std::string("3/4"));
      QVERIFY(fixture.IniText().find("Y-Dimension=\n") != std::string::npos);
      QVERIFY(ReadFileBytes(fixture.appDir.File("ToolTbl.Dat")).find("\t205\n") !=
              std::string::npos);
    } else {
      QVERIFY(!FileExists(fixture.appDir.File("Quarnel.INI")));
      QVERIFY(!FileExists(fixture.appDir.File("ToolTbl.Dat")));
    }
  }

  void ClassifiesCloseRequests_data() {
    QTest::addColumn<bool>("fromWindowSystem");
    QTest::addColumn<bool>("sessionEnding");
    QTest::addColumn<CloseReason>("reason");
    QTest::newRow("close box") << true << false << CloseReason::kUser;
    QTest::newRow("program") << false << false << CloseReason::kProgram;
    QTest::newRow("session, window system") << true << true << CloseReason::kSessionEnd;
    QTest::newRow("session, program") << false << true << CloseReason::kSessionEnd;
  }
  void ClassifiesCloseRequests() {
    QFETCH(bool, fromWindowSystem);
    QFETCH(bool, sessionEnding);
    QFETCH(CloseReason, reason);
    QCOMPARE(ClassifyClose(fromWindowSystem, sessionEnding), reason);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
