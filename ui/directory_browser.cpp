#include "ui/directory_browser.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "support/setting_keys.h"
#include "support/settings_store.h"
#include "ui/directory_list.h"
#include "ui/file_roots.h"
#include "ui/form_style.h"
#include "ui/program_icon.h"
#include "ui/setting_values.h"

namespace quarnel {

namespace {


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
  resize(TwipsRect(0, 0, 4950, 3750).size());
  BuildControls();
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
  directoryList_->setGeometry(TwipsRect(360, 240, 4215, 1440));
  SetBackground(*directoryList_, kLightGrey);

  driveList_ = new QComboBox(this);
  driveList_->setObjectName(QStringLiteral("driveList"));
  driveList_->setGeometry(TwipsRect(360, 1920, 4215, 315));
  for (const std::string& root : roots_) driveList_->addItem(QString::fromStdString(root));
  SetBackground(*driveList_, kLightGrey);
  QPalette drivePalette = driveList_->palette();  // a drop-down paints its face with the button colour
  drivePalette.setColor(QPalette::Button, kLightGrey);
  driveList_->setPalette(drivePalette);

  pathLabel_ = new QLabel(this);
  pathLabel_->setObjectName(QStringLiteral("pathLabel"));
  pathLabel_->setGeometry(TwipsRect(360, 2520, 4215, 375));
  SetBackground(*pathLabel_, kLightGrey);
  SetSingleLineBorder(*pathLabel_);

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setGeometry(TwipsRect(720, 3120, 975, 495));
  connect(okButton_, &QPushButton::clicked, this, &DirectoryBrowser::accept);

  cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton_->setObjectName(QStringLiteral("cancelButton"));
  cancelButton_->setGeometry(TwipsRect(3240, 3120, 975, 495));
  connect(cancelButton_, &QPushButton::clicked, this, &DirectoryBrowser::reject);

  setTabOrder(driveList_, directoryList_);
  setTabOrder(directoryList_, okButton_);
  setTabOrder(okButton_, cancelButton_);
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

void DirectoryBrowser::RestorePosition() {
  QPoint position = pos();
  if (const auto top = PixelsFromTwipsText(settings_.IniRead(setting::kDirectoryDialog, setting::kTop))) position.setY(*top);
  if (const auto left = PixelsFromTwipsText(settings_.IniRead(setting::kDirectoryDialog, setting::kLeft)))
    position.setX(*left);
  move(position);
}

void DirectoryBrowser::SetLabelText(std::string text) {
  labelText_ = std::move(text);
  pathLabel_->setText(QString::fromStdString(labelText_));
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
}

}  // namespace quarnel
