#include "ui/directory_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "ui/file_list.h"
#include "ui/file_roots.h"

namespace quarnel {

namespace fs = std::filesystem;

namespace {

constexpr int kPathRole = Qt::UserRole;

// Names of the non-hidden directories directly below directory, in the file lists' natural order.
std::vector<std::string> Subdirectories(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    std::error_code ignored;
    if (!name.empty() && name.front() != '.' && it->is_directory(ignored))
      names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// The directories from root down to path, each as (shown text, full path).
std::vector<std::pair<std::string, std::string>> PathChain(const std::string& path,
                                                           const std::string& root) {
  std::vector<std::pair<std::string, std::string>> chain{{root, root}};
  std::string current = root;
  std::string rest = path.substr(root.size());
  while (!rest.empty()) {
    if (rest.front() == '/') rest.erase(0, 1);
    const std::size_t end = std::min(rest.find('/'), rest.size());
    if (end == 0) break;
    current = JoinPath(current, rest.substr(0, end));
    chain.emplace_back(rest.substr(0, end), current);
    rest.erase(0, end);
  }
  return chain;
}

QTreeWidgetItem* NewItem(const std::string& text, const std::string& path,
                         QStyle::StandardPixmap icon) {
  auto* item = new QTreeWidgetItem({ShownName(text)});
  item->setData(0, kPathRole, QByteArray::fromStdString(path));
  item->setIcon(0, QApplication::style()->standardIcon(icon));
  return item;
}

std::string ItemPath(const QTreeWidgetItem* item) {
  return item->data(0, kPathRole).toByteArray().toStdString();
}

}  // namespace

std::string NormalDirectoryPath(const std::string& directory) {
  std::error_code ignored;
  std::string normal = fs::absolute(fs::path(directory), ignored).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

DirectoryList::DirectoryList(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(12);
  // Opened after the click has been handled: the list is rebuilt, which deletes the clicked item.
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    QMetaObject::invokeMethod(
        this, [this, path = ItemPath(item)] { SetPath(path, root_); }, Qt::QueuedConnection);
  });
  std::error_code ignored;
  SetPath(fs::current_path(ignored).string(), "/");
}

bool DirectoryList::SetPath(const std::string& directory, const std::string& root) {
  const std::string path = NormalDirectoryPath(directory);
  if (directory.empty() || !CanOpenDirectory(path)) return false;
  path_ = path;
  const std::string normalRoot = root.empty() ? std::string() : NormalDirectoryPath(root);
  root_ = !normalRoot.empty() && RootOf(path_, {normalRoot}) == normalRoot ? normalRoot : "/";
  Rebuild();
  emit PathChanged();
  return true;
}

void DirectoryList::Rebuild() {
  clear();
  QTreeWidgetItem* parent = nullptr;
  for (const auto& [text, path] : PathChain(path_, root_)) {
    QTreeWidgetItem* item = NewItem(text, path, QStyle::SP_DirOpenIcon);
    if (parent != nullptr)
      parent->addChild(item);
    else
      addTopLevelItem(item);
    parent = item;
  }
  for (const std::string& name : Subdirectories(path_)) {
    parent->addChild(NewItem(name, JoinPath(path_, name), QStyle::SP_DirClosedIcon));
  }
  expandAll();
  setCurrentItem(parent);
}

void DirectoryList::OpenItem(QTreeWidgetItem* item) {
  if (item != nullptr) SetPath(ItemPath(item), root_);
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenItem(currentItem());
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace quarnel
