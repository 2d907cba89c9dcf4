#include "ui/directory_browser.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <cstdlib>
#include <filesystem>

#include "support/setting_keys.h"
#include "support/settings_store.h"
#include "ui/directory_list.h"
#include "ui/file_roots.h"
#include "ui/form_style.h"
#include "ui/program_icon.h"
#include "support/text.h"
#include "ui/file_list.h"
#include "ui/setting_values.h"
#include "ui/window_place.h"

namespace quarnel {

namespace {

// Completes typed paths with the folders of the file system.
QCompleter* FolderCompleter(QObject* parent) {
  auto* folders = new QFileSystemModel(parent);
  folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folders->setRootPath(QStringLiteral("/"));
  auto* completer = new QCompleter(folders, parent);
  completer->setCompletionMode(QCompleter::PopupCompletion);
  return completer;
}

// A typed path made whole: "~" is the home folder, a relative path lies below from.
std::string TypedPath(std::string typed, const std::string& from) {
  const char* home = std::getenv("HOME");
  if ((typed == "~" || typed.starts_with("~/")) && home != nullptr) {
    typed = home + typed.substr(1);
  } else if (typed.front() != '/') {
    typed = from + "/" + typed;
  }
  return NormalDirectoryPath(typed);
}

// Why name cannot be a new folder's name, or "" when it can.
QString FolderNameProblem(const QString& name) {
  if (name.trimmed().isEmpty()) return QStringLiteral("A folder needs a name.");
  if (name.contains(QLatin1Char('/')) || name == "." || name == "..") {
    return QStringLiteral("\"%1\" cannot be a folder's name.").arg(name);
  }
  return {};
}

}  // namespace

DirectoryBrowser::DirectoryBrowser(IniStore& settings, std::vector<std::string> roots, DirBrowserMemory& memory,
                 QWidget* parent, MessageFunction showMessage)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      roots_(std::move(roots)),
      memory_(memory),
      showMessage_(std::move(showMessage)) {
  setObjectName(QStringLiteral("directoryBrowser"));
  setWindowTitle(QStringLiteral("Directory Selection"));
  setWindowIcon(ProgramIcon());
  setFont(SansSerifFont(kFormPointSize));
  BuildControls();
  LayOutControls();
  resize(TwipsRect(0, 0, 7200, 6300).size());
  // The lists start at the process's current directory; the label stays empty until a change.
  const std::string currentRoot = RootOf(directoryList_->Path(), roots_);
  directoryList_->SetPath(directoryList_->Path(), currentRoot);
  SelectDriveQuietly(currentRoot);
  connect(directoryList_, &DirectoryList::PathChanged, this, &DirectoryBrowser::OnDirectoryChanged);
  connect(driveList_, &QComboBox::currentIndexChanged, this, &DirectoryBrowser::OnDriveChanged);
}

// Children still signal while QWidget's destructor tears down the dialog.
DirectoryBrowser::~DirectoryBrowser() {
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void DirectoryBrowser::BuildControls() {
  directoryList_ = new DirectoryList(this);
  directoryList_->setObjectName(QStringLiteral("directoryList"));
  SetBackground(*directoryList_, kLightGrey);

  driveList_ = new QComboBox(this);
  driveList_->setObjectName(QStringLiteral("driveList"));
  for (const std::string& root : roots_) driveList_->addItem(QString::fromStdString(root));
  SetBackground(*driveList_, kLightGrey);
  QPalette drivePalette = driveList_->palette();  // a drop-down paints its face with the button colour
  drivePalette.setColor(QPalette::Button, kLightGrey);
  driveList_->setPalette(drivePalette);

  pathLabel_ = new QLabel(this);
  pathLabel_->setObjectName(QStringLiteral("pathLabel"));
  SetBackground(*pathLabel_, kLightGrey);
  SetSingleLineBorder(*pathLabel_);

  pathField_ = new QLineEdit(this);
  pathField_->setObjectName(QStringLiteral("pathField"));
  pathField_->setPlaceholderText(QStringLiteral("Type or paste a folder, then press Enter"));
  pathField_->setCompleter(FolderCompleter(this));
  pathField_->installEventFilter(this);

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("okButton"));
  connect(okButton_, &QPushButton::clicked, this, &DirectoryBrowser::accept);
  cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton_->setObjectName(QStringLiteral("cancelButton"));
  connect(cancelButton_, &QPushButton::clicked, this, &DirectoryBrowser::reject);
  newFolderButton_ = new QPushButton(QStringLiteral("New Folder..."), this);
  newFolderButton_->setObjectName(QStringLiteral("newFolderButton"));
  newFolderButton_->setAutoDefault(false);
  connect(newFolderButton_, &QPushButton::clicked, this, &DirectoryBrowser::MakeNewFolder);

  pathField_->setToolTip(QStringLiteral(
      "Type or paste a folder (completed as you type; ~ is your home folder) and press Enter to "
      "go there"));
  directoryList_->setToolTip(
      QStringLiteral("The folders along the current path and those below it; double-click a "
                     "folder, or select it and press Enter, to open it"));
  driveList_->setToolTip(QStringLiteral("/ and the drives mounted under /media, /mnt and /run/media"));
  pathLabel_->setToolTip(QStringLiteral("The folder that OK chooses"));
  newFolderButton_->setToolTip(QStringLiteral("Make a new folder in the folder shown, and open it"));
  okButton_->setToolTip(QStringLiteral("Choose the folder shown"));
  cancelButton_->setToolTip(QStringLiteral("Choose nothing (Escape)"));

  setTabOrder(pathField_, driveList_);
  setTabOrder(driveList_, directoryList_);
  setTabOrder(directoryList_, newFolderButton_);
  setTabOrder(newFolderButton_, okButton_);
  setTabOrder(okButton_, cancelButton_);
}

// The path field on top; the directory list takes what the dialog grows by.
void DirectoryBrowser::LayOutControls() {
  auto* layout = new QGridLayout(this);
  const int margin = TwipsRect(0, 0, 360, 0).width();
  layout->setContentsMargins(margin, margin / 2, margin, margin / 2);
  layout->addWidget(pathField_, 0, 0, 1, 4);
  layout->addWidget(directoryList_, 1, 0, 1, 4);
  layout->addWidget(driveList_, 2, 0, 1, 4);
  layout->addWidget(pathLabel_, 3, 0, 1, 4);
  layout->addWidget(newFolderButton_, 4, 0);
  layout->addWidget(okButton_, 4, 2);
  layout->addWidget(cancelButton_, 4, 3);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(1, 1);
  pathLabel_->setMinimumHeight(TwipsRect(0, 0, 0, 375).height());
  for (QPushButton* button : {newFolderButton_, okButton_, cancelButton_}) {
    button->setMinimumSize(TwipsRect(0, 0, 975, 495).size());
  }
}

bool DirectoryBrowser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pathField_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      GoToTypedPath();
      return true;  // Enter goes to the path; it does not press OK
    }
  }
  return QDialog::eventFilter(watched, event);
}

// The lists move to the typed folder and its root; a folder that cannot be opened is named.
void DirectoryBrowser::GoToTypedPath() {
  const std::string typed(Trimmed(pathField_->text().toStdString()));
  if (typed.empty()) return;
  const std::string path = TypedPath(typed, directoryList_->Path());
  const std::string root = RootOf(path, roots_);
  if (!CanOpenDirectory(path) || !directoryList_->SetPath(path, root)) {
    ShowAlert(QStringLiteral("The folder %1 cannot be opened.")
                  .arg(ShownName(path)));
    return;
  }
  if (!root.empty()) {
    SelectDriveQuietly(root);
    memory_.lastDrive = root;
  }
  pathField_->clear();
}

// Asks for a name, makes the folder in the one shown and opens it.
void DirectoryBrowser::MakeNewFolder() {
  const QString parent = ShownName(directoryList_->Path());
  bool ok = false;
  const QString name = QInputDialog::getText(
      this, QStringLiteral("New Folder"), QStringLiteral("Name of the new folder in %1:").arg(parent),
      QLineEdit::Normal, QString(), &ok);
  if (!ok) return;
  if (const QString problem = FolderNameProblem(name); !problem.isEmpty()) return ShowAlert(problem);
  const std::string path =
      (std::filesystem::path(directoryList_->Path()) / name.trimmed().toStdString()).string();
  std::error_code error;
  if (!std::filesystem::create_directory(path, error)) {
    const std::string reason = error ? error.message() : "it exists already";
    return ShowAlert(QStringLiteral("The folder %1 cannot be made: %2.")
                         .arg(ShownName(path),
                              QString::fromStdString(reason)));
  }
  directoryList_->SetPath(path, directoryList_->Root());
}

void DirectoryBrowser::ShowAlert(const QString& text) {
  showMessage_(this, {QStringLiteral("Alert"), text, QMessageBox::Warning, {}});
}

void DirectoryBrowser::Open(const std::string& selectedDir) {
  RestorePosition();
  std::string start = selectedDir.empty() ? settings_.IniRead(setting::kDirectoryDialog, setting::kLastDirectory) : selectedDir;
  if (start.empty()) return;
  const std::string root = RootOf(NormalDirectoryPath(start), roots_);
  if (!root.empty()) SelectDrive(root);
  directoryList_->SetPath(start, root);
  SetLabelText(start);
}

std::string DirectoryBrowser::Choose(const std::string& selectedDir) {
  Open(selectedDir);
  exec();
  return selectedDir_;
}

// Missing keys put the dialog at the top-left corner of the screen; it stays wholly on the
// screen of the window that opened it, at a size that fits.
void DirectoryBrowser::RestorePosition() {
  QPoint position = pos();
  if (const auto top = PixelsFromTwipsText(settings_.IniRead(setting::kDirectoryDialog, setting::kTop))) position.setY(*top);
  if (const auto left = PixelsFromTwipsText(settings_.IniRead(setting::kDirectoryDialog, setting::kLeft)))
    position.setX(*left);
  move(position);
  QSize size = this->size();
  const std::string width = settings_.IniRead(setting::kDirectoryDialog, setting::kWindowWidth);
  const std::string height = settings_.IniRead(setting::kDirectoryDialog, setting::kWindowHeight);
  if (const auto pixels = PixelsFromTwipsText(width); pixels && !width.empty()) size.setWidth(*pixels);
  if (const auto pixels = PixelsFromTwipsText(height); pixels && !height.empty()) size.setHeight(*pixels);
  resize(size.expandedTo(minimumSizeHint()));
  KeepOnScreen(*this, parentWidget() != nullptr ? parentWidget()->window() : nullptr);
}

void DirectoryBrowser::SetLabelText(std::string text) {
  labelText_ = std::move(text);
  pathLabel_->setText(ShownName(labelText_));
}

// Selecting another root runs the drive-change handler.
void DirectoryBrowser::SelectDrive(const std::string& root) {
  const int index =
      driveList_->findText(QString::fromStdString(root), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0) driveList_->setCurrentIndex(index);
}

void DirectoryBrowser::SelectDriveQuietly(const std::string& root) {
  const QSignalBlocker blocker(driveList_);
  SelectDrive(root);
}

// The list moves to the directory last shown on the root (or the root itself); a root that
// cannot be opened is reported and the previous root is selected again.
void DirectoryBrowser::OnDriveChanged(int index) {
  if (index < 0 || index >= static_cast<int>(roots_.size())) return;
  const std::string& root = roots_[static_cast<std::size_t>(index)];
  const auto remembered = memory_.driveDirectories.find(root);
  const std::string directory =
      remembered != memory_.driveDirectories.end() ? remembered->second : root;
  if (CanOpenDirectory(root) && (directoryList_->SetPath(directory, root) || directoryList_->SetPath(root, root))) {
    memory_.lastDrive = root;
    return;
  }
  showMessage_(this, {QStringLiteral("Alert"),
                      QStringLiteral("Drive %1 is unavailable.").arg(QString::fromStdString(root)),
                      QMessageBox::Warning, {}});
  if (!memory_.lastDrive.empty() &&
      driveList_->findText(QString::fromStdString(memory_.lastDrive)) >= 0) {
    SelectDrive(memory_.lastDrive);
  } else {
    SelectDriveQuietly(directoryList_->Root());
  }
}

void DirectoryBrowser::OnDirectoryChanged() {
  memory_.driveDirectories[directoryList_->Root()] = directoryList_->Path();
  SetLabelText(directoryList_->Path());
}

void DirectoryBrowser::accept() {
  selectedDir_ = labelText_;
  if (selectedDir_.empty() || selectedDir_.back() != '/') selectedDir_ += '/';
  QDialog::accept();
}

void DirectoryBrowser::reject() {
  selectedDir_.clear();
  QDialog::reject();
}

// A close request from the window system is the title bar's close; the dialog's own close and
// the program's shutdown are not.
void DirectoryBrowser::closeEvent(QCloseEvent* event) {
  titleBarClose_ = event->spontaneous();
  QDialog::closeEvent(event);
  titleBarClose_ = false;
}

void DirectoryBrowser::done(int result) {
  WriteClosingSettings();
  QDialog::done(result);
}

void DirectoryBrowser::WriteClosingSettings() {
  if (titleBarClose_) {
    selectedDir_.clear();
  } else {
    settings_.IniWrite(setting::kDirectoryDialog, setting::kLastDirectory, labelText_);
  }
  settings_.IniWrite(setting::kDirectoryDialog, setting::kTop, TwipsTextFromPixels(pos().y()));
  settings_.IniWrite(setting::kDirectoryDialog, setting::kLeft, TwipsTextFromPixels(pos().x()));
  settings_.IniWrite(setting::kDirectoryDialog, setting::kWindowWidth, TwipsTextFromPixels(width()));
  settings_.IniWrite(setting::kDirectoryDialog, setting::kWindowHeight, TwipsTextFromPixels(height()));
}

}  // namespace quarnel
