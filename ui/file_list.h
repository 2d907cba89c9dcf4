// A file list: the regular, non-hidden files of one directory in natural order, narrowed by a
// filter, following the disk, and taking files or a folder dropped on it. Each entry keeps its
// name's bytes; names that are not UTF-8 are shown escaped.
#pragma once

#include <QListWidget>
#include <optional>
#include <string>
#include <vector>

#include "support/source_selection.h"
#include "ui/file_names.h"

class QFileSystemWatcher;
class QTimer;

namespace quarnel {

enum class FileFilter { kAllFiles, kPrograms };

class FileList : public QListWidget {
  Q_OBJECT

 public:
  // Starts at the process's current directory, showing every file. filesWelcome: a drop of
  // files is taken (their folder and them), not only a drop of one folder.
  explicit FileList(bool filesWelcome, QWidget* parent = nullptr);

  // Shows the files of directory (a trailing "/" is dropped, "/" itself stays), none selected;
  // false, with nothing changed, when it is empty or not a directory that can be opened.
  bool SetDirectory(const std::string& directory);
  const std::string& Directory() const { return directory_; }
  // Re-reads the directory; the entries that remain keep their selection.
  void Refresh();
  // Re-reads it shortly, once for all the calls and changes on disk until then: a list that
  // follows a batch's outputs shows them as they land, without a re-read for each.
  void RefreshSoon();
  void SetFilter(FileFilter filter);
  FileFilter Filter() const { return filter_; }
  // Selects the entries of these names, and only them.
  void Select(const std::vector<std::string>& names);

  // The directory, the names in display order and their selection flags.
  SourceSelection Selection() const;
  bool HasSelection() const;
  // The name bytes of an entry.
  static std::string NameOf(const QListWidgetItem& item);

 signals:
  // The selection changed through the user (mouse or keyboard), or the list was re-read.
  void SelectionChanged();
  // Files or a folder were dropped on the list.
  void Dropped(const DropChoice& choice);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Reread(const std::vector<std::string>& selected);
  void Watch();
  std::optional<DropChoice> DropOf(const QMimeData* data) const;

  std::string directory_;
  FileFilter filter_ = FileFilter::kAllFiles;
  bool filesWelcome_;
  bool rereading_ = false;
  QFileSystemWatcher* watcher_ = nullptr;
  QTimer* refreshTimer_ = nullptr;  // running while a re-read is due
};

// Names of the regular, non-hidden files of directory (symbolic links to them included), in
// natural order.
std::vector<std::string> ListFiles(const std::string& directory);

// A name or path as the window shows it: bytes that are not text escaped ("caf\xE9.nc").
QString ShownName(std::string_view bytes);

// The filter's text in the window and in the settings; the filter of a text, "All files" for
// any text but "Programs".
QString FilterText(FileFilter filter);
FileFilter FilterOfText(std::string_view text);

}  // namespace quarnel
