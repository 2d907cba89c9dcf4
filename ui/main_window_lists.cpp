// MainWindow's file lists: choosing their folders (the browser, a drop), their filters, and the
// Process button that follows the source list's selection.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "support/setting_keys.h"
#include "ui/file_list.h"
#include "ui/form_style.h"
#include "ui/main_window.h"

namespace quarnel {

namespace {

// A folder as the directory browser returns it: ending in "/".
std::string WithFinalSeparator(std::string directory) {
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}

}  // namespace

void MainWindow::WireList(FileList& list, QLabel& pathLabel, QPushButton& browse,
                          QComboBox& filter, ListKeys keys) {
  connect(&browse, &QPushButton::clicked, this,
          [this, &list, &pathLabel, keys] { ChooseListDirectory(list, pathLabel, keys.path); });
  connect(&list, &FileList::Dropped, this,
          [this, &list, &pathLabel, keys](const DropChoice& choice) {
            if (ShowListDirectory(list, pathLabel, keys.path, WithFinalSeparator(choice.directory)))
              list.Select(choice.names);
          });
  connect(&filter, &QComboBox::activated, this, [this, &list, keys](int index) {
    const auto chosen = static_cast<FileFilter>(index);
    list.SetFilter(chosen);
    settings_.IniWrite(setting::kSettings, keys.filter, FilterText(chosen).toStdString());
  });
}

void MainWindow::RestoreFilter(FileList& list, QComboBox& filter, std::string_view key) {
  const FileFilter stored = FilterOfText(settings_.IniRead(setting::kSettings, key));
  filter.setCurrentIndex(static_cast<int>(stored));
  list.SetFilter(stored);
}

void MainWindow::ChooseListDirectory(FileList& list, QLabel& pathLabel, std::string_view key) {
  const std::string chosen = ChooseDirectory(list.Directory());
  if (!chosen.empty()) ShowListDirectory(list, pathLabel, key, chosen);
}

// A directory that vanished after it was chosen is reported; the list and label stay as they
// were.
bool MainWindow::ShowListDirectory(FileList& list, QLabel& pathLabel, std::string_view key,
                                   const std::string& directory) {
  if (!list.SetDirectory(directory)) {
    access_.showMessage(
        this, {kAppTitle,
               QStringLiteral("The folder %1 cannot be opened any more. The list still shows %2.")
                   .arg(ShownName(directory), ShownName(list.Directory())),
               QMessageBox::Warning, {}});
    return false;
  }
  pathLabel.setText(ShownName(directory));
  settings_.IniWrite(setting::kSettings, key, directory);
  return true;
}

std::string MainWindow::ChooseDirectory(const std::string& startDirectory) {
  if (access_.chooseDirectory) return access_.chooseDirectory(startDirectory);
  DirectoryBrowser browser(settings_, access_.roots, browserMemory_, this, access_.showMessage);
  return browser.Choose(startDirectory);
}

void MainWindow::UpdateProcessButton() {
  processButton_->setEnabled(sourceList_->HasSelection());
}

}  // namespace quarnel
