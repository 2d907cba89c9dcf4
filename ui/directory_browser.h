// DirectoryBrowser: the modal "Directory Selection" dialog that picks a directory by root and
// directory lists or a typed path, makes new folders, and remembers its place and last
// directory in section "DirDialogBox".
#pragma once

#include <QDialog>
#include <map>
#include <string>
#include <vector>

#include "ui/messages.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quarnel {

class DirectoryList;
class IniStore;

// What the dialog keeps from one opening to the next for as long as the program runs.
struct DirBrowserMemory {
  std::string lastDrive;  // the root last switched to without error; "" until then
  std::map<std::string, std::string> driveDirectories;  // the directory last shown on each root
};

class DirectoryBrowser : public QDialog {
  Q_OBJECT

 public:
  // roots: the drive list's entries (file-system roots); memory outlives the dialog.
  DirectoryBrowser(IniStore& settings, std::vector<std::string> roots, DirBrowserMemory& memory,
          QWidget* parent = nullptr, MessageFunction showMessage = ShowModalMessage);
  ~DirectoryBrowser() override;

  // The opening steps for the starting directory (empty: the "LastDir" setting, if any).
  void Open(const std::string& selectedDir);
  // Opens, runs modally and returns SelectedDir().
  std::string Choose(const std::string& selectedDir);
  // The chosen directory, always ending in "/"; "" when the dialog was cancelled or closed
  // from its title bar.
  const std::string& SelectedDir() const { return selectedDir_; }
  // The label's text: the directory that OK returns, without its final "/".
  const std::string& LabelText() const { return labelText_; }

  void accept() override;  // OK
  void reject() override;  // Cancel, Escape
  void done(int result) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void LayOutControls();
  void GoToTypedPath();
  void MakeNewFolder();
  void ShowAlert(const QString& text);
  void RestorePosition();
  void SetLabelText(std::string text);
  void SelectDrive(const std::string& root);
  void SelectDriveQuietly(const std::string& root);
  void OnDriveChanged(int index);
  void OnDirectoryChanged();
  void WriteClosingSettings();

  IniStore& settings_;
  std::vector<std::string> roots_;
  DirBrowserMemory& memory_;
  MessageFunction showMessage_;
  std::string selectedDir_;
  std::string labelText_;
  bool titleBarClose_ = false;
  QLineEdit* pathField_ = nullptr;
  QComboBox* driveList_ = nullptr;
  DirectoryList* directoryList_ = nullptr;
  QLabel* pathLabel_ = nullptr;
  QPushButton* newFolderButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace quarnel
