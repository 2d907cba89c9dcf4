#include "ui/dir_browser.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "support/settings_store.h"
#include "ui/directory_list.h"
#include "ui/file_roots.h"
#include "ui/form_style.h"
#include "ui/program_icon.h"
#include "ui/setting_values.h"

namespace quarnel {

namespace {

constexpr const char* kSection = "DirDialogBox";

}  // namespace

DirBrws::DirBrws(IniStore& settings, std::vector<std::string> roots, DirBrowserMemory& memory,
                 QWidget* parent, MessageFunction showMessage)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      roots_(std::move(roots)),
      memory_(memory),
      showMessage_(std::move(showMessage)) {
  setObjectName(QStringLiteral("DirBrws"));
  setWindowTitle(QStringLiteral("Directory Selection"));
  setWindowIcon(ProgramIcon());
  setFont(SansSerifFont(kFormPointSize));
  resize(TwipsRect(0, 0, 4950, 3750).size());
  BuildControls();
  // The lists start at the process's current directory; the label stays empty until a change.
  const std::string currentRoot = RootOf(dir1_->Path(), roots_);
  dir1_->SetPath(dir1_->Path(), currentRoot);
  SelectDriveQuietly(currentRoot);
  connect(dir1_, &DirectoryList::PathChanged, this, &DirBrws::OnDirectoryChanged);
  connect(drive1_, &QComboBox::currentIndexChanged, this, &DirBrws::OnDriveChanged);
}

// Children still signal while QWidget's destructor tears down the dialog.
DirBrws::~DirBrws() {
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void DirBrws::BuildControls() {
  dir1_ = new DirectoryList(this);
  dir1_->setObjectName(QStringLiteral("Dir1"));
  dir1_->setGeometry(TwipsRect(360, 240, 4215, 1440));
  SetBackground(*dir1_, kLightGrey);

  drive1_ = new QComboBox(this);
  drive1_->setObjectName(QStringLiteral("Drive1"));
  drive1_->setGeometry(TwipsRect(360, 1920, 4215, 315));
  for (const std::string& root : roots_) drive1_->addItem(QString::fromStdString(root));
  SetBackground(*drive1_, kLightGrey);
  QPalette drivePalette = drive1_->palette();  // a drop-down paints its face with the button colour
  drivePalette.setColor(QPalette::Button, kLightGrey);
  drive1_->setPalette(drivePalette);

  labDir_ = new QLabel(this);
  labDir_->setObjectName(QStringLiteral("LabDir"));
  labDir_->setGeometry(TwipsRect(360, 2520, 4215, 375));
  SetBackground(*labDir_, kLightGrey);
  SetSingleLineBorder(*labDir_);

  btnOK_ = new QPushButton(QStringLiteral("OK"), this);
  btnOK_->setObjectName(QStringLiteral("BtnOK"));
  btnOK_->setGeometry(TwipsRect(720, 3120, 975, 495));
  connect(btnOK_, &QPushButton::clicked, this, &DirBrws::accept);

  btnCan_ = new QPushButton(QStringLiteral("Cancel"), this);
  btnCan_->setObjectName(QStringLiteral("BtnCan"));
  btnCan_->setGeometry(TwipsRect(3240, 3120, 975, 495));
  connect(btnCan_, &QPushButton::clicked, this, &DirBrws::reject);

  setTabOrder(drive1_, dir1_);
  setTabOrder(dir1_, btnOK_);
  setTabOrder(btnOK_, btnCan_);
}

void DirBrws::Open(const std::string& selectedDir) {
  RestorePosition();
  std::string start = selectedDir.empty() ? settings_.IniRead(kSection, "LastDir") : selectedDir;
  if (start.empty()) return;
  const std::string root = RootOf(NormalDirectoryPath(start), roots_);
  if (!root.empty()) SelectDrive(root);
  dir1_->SetPath(start, root);
  SetLabelText(start);
}

std::string DirBrws::Choose(const std::string& selectedDir) {
  Open(selectedDir);
  exec();
  return selectedDir_;
}

void DirBrws::RestorePosition() {
  QPoint position = pos();
  if (const auto top = PixelsFromTwipsText(settings_.IniRead(kSection, "Top"))) position.setY(*top);
  if (const auto left = PixelsFromTwipsText(settings_.IniRead(kSection, "Left")))
    position.setX(*left);
  move(position);
}

void DirBrws::SetLabelText(std::string text) {
  labelText_ = std::move(text);
  labDir_->setText(QString::fromStdString(labelText_));
}

// Selecting another root runs the drive-change handler.
void DirBrws::SelectDrive(const std::string& root) {
  const int index =
      drive1_->findText(QString::fromStdString(root), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0) drive1_->setCurrentIndex(index);
}

void DirBrws::SelectDriveQuietly(const std::string& root) {
  const QSignalBlocker blocker(drive1_);
  SelectDrive(root);
}

// The list moves to the directory last shown on the root (or the root itself); a root that
// cannot be opened is reported and the previous root is selected again.
void DirBrws::OnDriveChanged(int index) {
  if (index < 0 || index >= static_cast<int>(roots_.size())) return;
  const std::string& root = roots_[static_cast<std::size_t>(index)];
  const auto remembered = memory_.driveDirectories.find(root);
  const std::string directory =
      remembered != memory_.driveDirectories.end() ? remembered->second : root;
  if (CanOpenDirectory(root) && (dir1_->SetPath(directory, root) || dir1_->SetPath(root, root))) {
    memory_.lastDrive = root;
    return;
  }
  showMessage_(this, {QStringLiteral("Alert"),
                      QStringLiteral("Drive %1 is unavailable.").arg(QString::fromStdString(root)),
                      QMessageBox::Warning});
  if (!memory_.lastDrive.empty() &&
      drive1_->findText(QString::fromStdString(memory_.lastDrive)) >= 0) {
    SelectDrive(memory_.lastDrive);
  } else {
    SelectDriveQuietly(dir1_->Root());
  }
}

void DirBrws::OnDirectoryChanged() {
  memory_.driveDirectories[dir1_->Root()] = dir1_->Path();
  SetLabelText(dir1_->Path());
}

void DirBrws::accept() {
  selectedDir_ = labelText_;
  if (selectedDir_.empty() || selectedDir_.back() != '/') selectedDir_ += '/';
  QDialog::accept();
}

void DirBrws::reject() {
  selectedDir_.clear();
  QDialog::reject();
}

// A close request from the window system is the title bar's close; the dialog's own close and
// the program's shutdown are not.
void DirBrws::closeEvent(QCloseEvent* event) {
  titleBarClose_ = event->spontaneous();
  QDialog::closeEvent(event);
  titleBarClose_ = false;
}

void DirBrws::done(int result) {
  WriteClosingSettings();
  QDialog::done(result);
}

void DirBrws::WriteClosingSettings() {
  if (titleBarClose_) {
    selectedDir_.clear();
  } else {
    settings_.IniWrite(kSection, "LastDir", labelText_);
  }
  settings_.IniWrite(kSection, "Top", TwipsTextFromPixels(pos().y()));
  settings_.IniWrite(kSection, "Left", TwipsTextFromPixels(pos().x()));
}

}  // namespace quarnel
