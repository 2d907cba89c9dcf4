#include "ui/file_list.h"

#include <algorithm>
#include <filesystem>

#include "ui/file_roots.h"

namespace quarnel {

namespace fs = std::filesystem;

namespace {

// The directory without trailing separators, except the root itself.
std::string WithoutTrailingSeparator(std::string directory) {
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  return directory;
}

}  // namespace

std::vector<std::string> ListFiles(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    std::error_code ignored;
    if (!name.empty() && name.front() != '.' && it->is_regular_file(ignored))
      names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  std::error_code ignored;
  directory_ = fs::current_path(ignored).string();
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    if (!rereading_) emit UserSelectionChanged();
  });
  Refresh();
}

bool FileList::SetDirectory(const std::string& directory) {
  if (directory.empty() || !CanOpenDirectory(directory)) return false;
  directory_ = WithoutTrailingSeparator(directory);
  Refresh();
  return true;
}

void FileList::Refresh() {
  rereading_ = true;
  clear();
  names_ = ListFiles(directory_);
  for (const std::string& name : names_) addItem(QString::fromStdString(name));
  rereading_ = false;
}

SourceSelection FileList::Selection() const {
  SourceSelection selection{directory_, names_, {}};
  for (int row = 0; row < count(); ++row) selection.selected.push_back(item(row)->isSelected());
  return selection;
}

bool FileList::HasSelection() const { return !selectedItems().isEmpty(); }

}  // namespace quarnel
