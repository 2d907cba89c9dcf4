// MainWindow: the program's working window. It wires the file lists, dimension boxes, head options
// and tool table grid to the settings store and the conversion, restores the settings at
// start-up and saves them when the user closes it.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/batch/conversion_report.h"
#include "engine/translate/dimension_texts.h"
#include "support/settings_store.h"
#include "tools/tool_table.h"
#include "ui/directory_browser.h"
#include "ui/messages.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quarnel {

class BatchProgress;
class BatchRunner;
class DimensionBox;
class FileList;
class FileStore;
class ReportWindow;
class ToolGrid;

enum class CloseReason {
  kUser,        // the close box, the system menu or the close keystroke
  kSessionEnd,  // the desktop session is ending
  kProgram,     // the program closes its own window
};

// A close request from the window system while no session shutdown is under way is the user's.
CloseReason ClassifyClose(bool fromWindowSystem, bool sessionEnding);


// What the window reaches outside itself; tests give their own.
struct MainWindowAccess {
  MessageFunction showMessage = ShowModalMessage;
  // Runs the directory browser from a starting directory; "" when nothing was chosen. Empty:
  // the real DirectoryBrowser over roots.
  std::function<std::string(const std::string& startDirectory)> chooseDirectory;
  std::vector<std::string> roots;  // the browser's drive list; the machine's roots when empty
  int progressDelayMs = 500;  // a batch shows its progress once it has taken this long
};

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // appDir ends in "/" and holds the settings file and the tool table file. files serves the
  // window and its batches' worker thread at once.
  MainWindow(std::string appDir, FileStore& files, MainWindowAccess access = {},
       QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up steps after the About box, each skipped silently when it fails: position,
  // tool table, paths and lists, dimensions, head option.
  void RestoreSettings();
  // What a close for reason saves: only a user close saves the position, the dimension texts
  // and the tool table.
  void SaveOnClose(CloseReason reason);

  const ToolTable& Tools() const { return tools_; }
  bool BatchRunning() const;
  // Shows the report of the last batch again (the destination list's menu, Ctrl+R).
  void ShowLastReport();
  // Opens the preview of the selected output over its source (double-click, the destination
  // list's menu, Ctrl+P).
  void PreviewSelectedOutput();

 signals:
  // A batch ended and the window shows its outcome.
  void BatchFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildSourceFrame();
  void BuildMiddleFrame();
  void BuildToolFrame(QGroupBox& middleFrame);
  void BuildDimensionFrame(QGroupBox& middleFrame);
  void BuildDestFrame();
  void BuildActions();
  void ChainTabOrder();
  void WireHandlers();
  void KeepTabStopOnCheckedHead();
  void RestorePosition();
  void RestoreToolTable();
  void RestoreLists();
  void RestoreHead();

  void WriteDimension(const DimensionBox& box, std::string_view key);
  void WriteHead();
  // The settings keys of a list's folder and filter.
  struct ListKeys {
    std::string_view path;
    std::string_view filter;
  };
  void WireList(FileList& list, QLabel& pathLabel, QPushButton& browse, QComboBox& filter,
                ListKeys keys);
  void RestoreFilter(FileList& list, QComboBox& filter, std::string_view key);
  void ChooseListDirectory(FileList& list, QLabel& pathLabel, std::string_view key);
  bool ShowListDirectory(FileList& list, QLabel& pathLabel, std::string_view key,
                         const std::string& directory);
  std::string ChooseDirectory(const std::string& startDirectory);
  void UpdateProcessButton();
  void Process();
  void ShowFileDone(const DimensionTexts& dims);
  void FinishBatch(const BatchReport& report);
  void EnableInput(bool enabled);
  DimensionTexts DimensionTextsShown() const;
  void ShowDimensionTexts(const DimensionTexts& dims);

  std::string appDir_;
  FileStore& files_;
  IniStore settings_;
  MainWindowAccess access_;
  ToolTable tools_;
  DirBrowserMemory browserMemory_;
  bool sessionEnding_ = false;
  bool saveToolTable_ = true;  // false while an unusable file could not be moved aside
  std::optional<CloseReason> closeAfterBatch_;  // a close asked for while a batch ran
  std::unique_ptr<BatchProgress> progress_;     // while a batch runs
  BatchReport lastReport_;
  ReportWindow* reportWindow_ = nullptr;

  QLabel* sourcePathLabel_ = nullptr;
  QPushButton* sourceBrowseButton_ = nullptr;
  FileList* sourceList_ = nullptr;
  QComboBox* sourceFilter_ = nullptr;
  QPushButton* processButton_ = nullptr;
  QRadioButton* headOneOption_ = nullptr;
  QRadioButton* headTwoOption_ = nullptr;
  ToolGrid* toolGrid_ = nullptr;
  DimensionBox* lengthBox_ = nullptr;
  DimensionBox* heightBox_ = nullptr;
  DimensionBox* thicknessBox_ = nullptr;
  QLabel* destinationPathLabel_ = nullptr;
  QPushButton* destinationBrowseButton_ = nullptr;
  FileList* destinationList_ = nullptr;
  QComboBox* destinationFilter_ = nullptr;
  // Last, so that it goes first: a batch still running is cancelled and its file finished
  // while everything else stands.
  std::unique_ptr<BatchRunner> runner_;
};

}  // namespace quarnel
