#include "ui/about_box.h"

#include <QFrame>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <cstdlib>

#include "ui/form_style.h"
#include "ui/program_icon.h"
#include "ui/system_info.h"

namespace quarnel {

namespace {

const QString kDescription = QStringLiteral(
    "Program for generating machining centre G-code from standard router G-code. Ostrevan is "
    "Quarnel's short name.");
const QString kNotice = QStringLiteral("Check every converted program before you run it.");
const QString kDisclaimer = QStringLiteral(
    "Warning: converted programs are provided as they are, without warranty of any kind. "
    "Prove each one in a simulation or a dry run before cutting material. The safety of the "
    "machine and of the people at it remains with the user.");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

bool StartDetached(const std::string& program) {
  return QProcess::startDetached(QString::fromStdString(program), {});
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  return label;
}

// A horizontal line of one colour: half of the etched separator.
void AddLine(QWidget* parent, QRect geometry, const QColor& color) {
  auto* line = new QFrame(parent);
  line->setGeometry(geometry);
  SetBackground(*line, color);
}

}  // namespace

SystemInfoAccess::SystemInfoAccess() : start(StartDetached) {
  const char* path = std::getenv("PATH");
  searchPath = path != nullptr ? path : "";
}

QString VersionText() {
  return QStringLiteral("Version %1.%2.%3")
      .arg(QUARNEL_VERSION_MAJOR)
      .arg(QUARNEL_VERSION_MINOR)
      .arg(QUARNEL_VERSION_PATCH);
}

AboutBox::AboutBox(QWidget* parent, SystemInfoAccess systemInfo)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      systemInfo_(std::move(systemInfo)) {
  setObjectName(QStringLiteral("aboutBox"));
  setWindowTitle(QStringLiteral("About ") + kAppTitle);
  setWindowIcon(ProgramIcon());
  setFont(SansSerifFont(kFormPointSize));
  setFixedSize(TwipsRect(0, 0, 5730, 3660).size());
  BuildLabels();
  BuildButtons();
  okButton_->setFocus();
}

void AboutBox::BuildLabels() {
  auto* icon = AddLabel(this, "icon", {}, TwipsRect(240, 240, 480, 480));
  icon->setPixmap(ProgramIcon().pixmap(32, 32));

  auto* title = AddLabel(this, "title", kAppTitle, TwipsRect(960, 240, 4485, 360));
  QFont titleFont = SansSerifFont(9.75);
  titleFont.setBold(true);
  title->setFont(titleFont);
  title->setAlignment(Qt::AlignCenter);

  AddLabel(this, "version", VersionText(), TwipsRect(960, 720, 3915, 195));
  AddLabel(this, "notice", kNotice, TwipsRect(720, 1080, 4335, 255))
      ->setAlignment(Qt::AlignCenter);
  AddLabel(this, "description", kDescription, TwipsRect(360, 1560, 4965, 450))
      ->setWordWrap(true);
  AddLine(this, TwipsRect(120, 2160, 5560, 15), QColor(128, 128, 128));
  AddLine(this, TwipsRect(120, 2175, 5560, 15), Qt::white);
  auto* disclaimer =
      AddLabel(this, "disclaimer", kDisclaimer, TwipsRect(255, 2265, 3870, 1185));
  disclaimer->setWordWrap(true);
  disclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void AboutBox::BuildButtons() {
  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setGeometry(TwipsRect(4320, 2280, 1260, 345));
  okButton_->setDefault(true);
  okButton_->setToolTip(QStringLiteral("Go on to the main window (Enter or Escape)"));
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

  systemInfoButton_ = new QPushButton(QStringLiteral("&System Info..."), this);
  systemInfoButton_->setObjectName(QStringLiteral("systemInfoButton"));
  systemInfoButton_->setGeometry(TwipsRect(4320, 2760, 1245, 345));
  systemInfoButton_->setAutoDefault(false);
  systemInfoButton_->setToolTip(QStringLiteral("Start the desktop's system information program"));
  connect(systemInfoButton_, &QPushButton::clicked, this, &AboutBox::StartSysInfo);
  setTabOrder(okButton_, systemInfoButton_);
}

void AboutBox::StartSysInfo() {
  const auto tool = FindSystemInfoTool(systemInfo_.searchPath);
  if (tool && systemInfo_.start(*tool)) return;
  systemInfo_.showMessage(this, {kAppTitle, kUnavailable, QMessageBox::NoIcon, {}});
}

}  // namespace quarnel
