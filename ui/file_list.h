// A file list: the regular, non-hidden files of one directory, sorted by name.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "support/source_selection.h"

namespace quarnel {

class FileList : public QListWidget {
  Q_OBJECT

 public:
  // Starts at the process's current directory.
  explicit FileList(QWidget* parent = nullptr);

  // Shows the files of directory (a trailing "/" is dropped, "/" itself stays); false, with
  // nothing changed, when it is empty or not a directory that can be opened.
  bool SetDirectory(const std::string& directory);
  const std::string& Directory() const { return directory_; }
  // Re-reads the directory; the selection is cleared and UserSelectionChanged is not emitted.
  void Refresh();

  // The directory, the names in display order and their selection flags.
  SourceSelection Selection() const;
  bool HasSelection() const;

 signals:
  // The selection changed through the user (mouse or keyboard), not through a re-read.
  void UserSelectionChanged();

 private:
  std::string directory_;
  std::vector<std::string> names_;  // file names as bytes, in the order of the rows
  bool rereading_ = false;
};

// Names of the regular, non-hidden files of directory (symbolic links to them included),
// sorted bytewise.
std::vector<std::string> ListFiles(const std::string& directory);

}  // namespace quarnel
