#include "ui/file_list.h"

#include <QDragEnterEvent>
#include <QFileSystemWatcher>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "ui/file_roots.h"

namespace quarnel {

namespace fs = std::filesystem;

namespace {

constexpr int kNameRole = Qt::UserRole;  // the name's bytes
constexpr int kRefreshDelayMs = 150;     // from the first change on disk to its re-read

// The directory without trailing separators, except the root itself.
std::string WithoutTrailingSeparator(std::string directory) {
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  return directory;
}

PathKind KindOf(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return PathKind::kMissing;
  return fs::is_directory(status) ? PathKind::kDirectory : PathKind::kOther;
}

// The path's bytes as the URL carries them, not decoded as UTF-8.
std::string LocalPathBytes(const QUrl& url) {
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
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
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

QString ShownName(std::string_view bytes) { return QString::fromStdString(DisplayText(bytes)); }

QString FilterText(FileFilter filter) {
  return filter == FileFilter::kPrograms ? QStringLiteral("Programs") : QStringLiteral("All files");
}

FileFilter FilterOfText(std::string_view text) {
  return text == "Programs" ? FileFilter::kPrograms : FileFilter::kAllFiles;
}

FileList::FileList(bool filesWelcome, QWidget* parent)
    : QListWidget(parent),
      filesWelcome_(filesWelcome),
      watcher_(new QFileSystemWatcher(this)),
      refreshTimer_(new QTimer(this)) {
  std::error_code ignored;
  directory_ = fs::current_path(ignored).string();
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  refreshTimer_->setSingleShot(true);
  refreshTimer_->setInterval(kRefreshDelayMs);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FileList::RefreshSoon);
  connect(refreshTimer_, &QTimer::timeout, this, &FileList::Refresh);
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    if (!rereading_) emit SelectionChanged();
  });
  Reread({});
}

bool FileList::SetDirectory(const std::string& directory) {
  if (directory.empty() || !CanOpenDirectory(directory)) return false;
  directory_ = WithoutTrailingSeparator(directory);
  Reread({});
  return true;
}

// A change that comes while a re-read is due is read by it: the timer is not restarted, so that
// a steady stream of changes is shown at its pace.
void FileList::RefreshSoon() {
  if (!refreshTimer_->isActive()) refreshTimer_->start();
}

void FileList::Refresh() {
  const SourceSelection shown = Selection();
  std::vector<std::string> selected;
  for (std::size_t k = 0; k < shown.names.size(); ++k) {
    if (shown.selected[k]) selected.push_back(shown.names[k]);
  }
  Reread(selected);
}

void FileList::SetFilter(FileFilter filter) {
  filter_ = filter;
  Refresh();
}

void FileList::Select(const std::vector<std::string>& names) {
  rereading_ = true;
  for (int row = 0; row < count(); ++row) {
    QListWidgetItem& entry = *item(row);
    entry.setSelected(std::find(names.begin(), names.end(), NameOf(entry)) != names.end());
  }
  rereading_ = false;
  emit SelectionChanged();
}

// The entry under the keyboard stays where it was when its name remains.
void FileList::Reread(const std::vector<std::string>& selected) {
  const std::string current = currentItem() != nullptr ? NameOf(*currentItem()) : std::string();
  refreshTimer_->stop();  // this re-read shows every change until now
  rereading_ = true;
  clear();
  for (std::string& name : ListFiles(directory_)) {
    if (filter_ == FileFilter::kPrograms && !IsProgramName(name)) continue;
    auto* entry = new QListWidgetItem(ShownName(name), this);
    entry->setData(kNameRole, QByteArray::fromStdString(name));
    if (name == current) setCurrentItem(entry, QItemSelectionModel::NoUpdate);
    entry->setSelected(std::find(selected.begin(), selected.end(), name) != selected.end());
  }
  rereading_ = false;
  Watch();
  emit SelectionChanged();
}

void FileList::Watch() {
  if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
  watcher_->addPath(QString::fromLocal8Bit(QByteArray::fromStdString(directory_)));
}

std::string FileList::NameOf(const QListWidgetItem& item) {
  return item.data(kNameRole).toByteArray().toStdString();
}

SourceSelection FileList::Selection() const {
  SourceSelection selection{directory_, {}, {}};
  for (int row = 0; row < count(); ++row) {
    selection.names.push_back(NameOf(*item(row)));
    selection.selected.push_back(item(row)->isSelected());
  }
  return selection;
}

bool FileList::HasSelection() const { return !selectedItems().isEmpty(); }

std::optional<DropChoice> FileList::DropOf(const QMimeData* data) const {
  if (data == nullptr || !data->hasUrls()) return std::nullopt;
  std::vector<std::string> paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return std::nullopt;
    paths.push_back(LocalPathBytes(url));
  }
  return ChooseDrop(std::move(paths), filesWelcome_, KindOf);
}

// A drop that chooses nothing is refused: the pointer shows that it cannot drop here.
void FileList::dragEnterEvent(QDragEnterEvent* event) {
  if (DropOf(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void FileList::dragMoveEvent(QDragMoveEvent* event) {
  if (DropOf(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void FileList::dropEvent(QDropEvent* event) {
  const std::optional<DropChoice> choice = DropOf(event->mimeData());
  if (!choice) return event->ignore();
  event->acceptProposedAction();
  emit Dropped(*choice);
}

}  // namespace quarnel
