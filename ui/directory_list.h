// A directory list: the directories along the current path, from its root down, and those
// directly below it. Opening an entry (double click or Enter) makes it the current directory.
#pragma once

#include <QTreeWidget>
#include <string>

namespace quarnel {

class DirectoryList : public QTreeWidget {
  Q_OBJECT

 public:
  // Starts at the process's current directory under the root "/".
  explicit DirectoryList(QWidget* parent = nullptr);

  // Makes directory current and lists it, its path shown from root down (from "/" when root
  // does not hold it). False, with nothing changed, when directory cannot be opened.
  bool SetPath(const std::string& directory, const std::string& root);
  // The current directory: a full path ending in "/" only for "/" itself.
  const std::string& Path() const { return path_; }
  const std::string& Root() const { return root_; }

 signals:
  // The current directory changed, by the user or by SetPath.
  void PathChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Rebuild();
  void OpenItem(QTreeWidgetItem* item);

  std::string path_;
  std::string root_;
};

// The absolute, lexically normal form of directory, without a trailing "/" except for "/".
std::string NormalDirectoryPath(const std::string& directory);

}  // namespace quarnel
