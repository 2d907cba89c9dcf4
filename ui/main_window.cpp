#include "ui/main_window.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "support/app_dir.h"
#include "support/file_store.h"
#include "ui/busy_pointer.h"
#include "ui/conversion_session.h"
#include "ui/dimension_box.h"
#include "ui/file_list.h"
#include "ui/file_roots.h"
#include "ui/form_style.h"
#include "ui/program_icon.h"
#include "ui/tool_grid.h"

namespace quarnel {

namespace {

template <typename Widget>
Widget* Place(Widget* widget, const char* name, QRect geometry) {
  if (name != nullptr) widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

QGroupBox* AddFrame(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  return Place(new QGroupBox(caption, parent), name, geometry);
}

QLabel* AddPathLabel(QWidget* parent, const char* name, QRect geometry) {
  auto* label = Place(new QLabel(parent), name, geometry);
  SetSingleLineBorder(*label);
  return label;
}

QPushButton* AddBrowseButton(QWidget* parent, const char* name, QRect geometry) {
  auto* button = Place(new QPushButton(QStringLiteral("..."), parent), name, geometry);
  button->setFont(SansSerifFont(12));
  return button;
}

FileList* AddFileList(QWidget* parent, const char* name, QRect geometry,
                      QAbstractItemView::SelectionMode mode) {
  auto* list = Place(new FileList(parent), name, geometry);
  list->setSelectionMode(mode);
  SetBackground(*list, kLightCyan);
  return list;
}

// Wide enough for its caption in the platform's font, which may be wider than the design's.
QRadioButton* AddHeadOption(QWidget* frame, const char* name, const QString& caption,
                            QRect geometry) {
  auto* option = Place(new QRadioButton(caption, frame), name, geometry);
  option->resize(std::max(geometry.width(), option->sizeHint().width()), geometry.height());
  return option;
}

DimensionBox* AddDimension(QWidget* frame, const char* name, const QString& caption, int top) {
  Place(new QLabel(caption, frame), nullptr, TwipsRect(120, top, 855, 255));
  return Place(new DimensionBox(frame), name, TwipsRect(1080, top, 1335, 285));
}

}  // namespace

CloseReason ClassifyClose(bool fromWindowSystem, bool sessionEnding) {
  if (sessionEnding) return CloseReason::kSessionEnd;
  return fromWindowSystem ? CloseReason::kUser : CloseReason::kProgram;
}

Main::Main(std::string appDir, FileStore& files, MainWindowAccess access, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      appDir_(std::move(appDir)),
      files_(files),
      settings_(files, IniPathFor(appDir_)),
      access_(std::move(access)),
      driver_(std::make_unique<ConversionDriver>(files, tools_)) {
  if (access_.roots.empty()) access_.roots = FileSystemRoots();
  setObjectName(QStringLiteral("Main"));
  setWindowTitle(kAppTitle);
  setWindowIcon(ProgramIcon());
  setFont(SansSerifFont(kFormPointSize));
  setFixedSize(TwipsRect(0, 0, 10605, 6405).size());
  BuildSourceFrame();
  BuildMiddleFrame();
  BuildDestFrame();
  ChainTabOrder();
  WireHandlers();
}

// Children still signal while QWidget's destructor closes and tears down the window; by then
// this object's own members are gone.
Main::~Main() {
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void Main::BuildSourceFrame() {
  QGroupBox* frame = AddFrame(this, "SourceFrame", QStringLiteral("G-code Source"),
                              TwipsRect(120, 120, 3495, 6135));
  sPath_ = AddPathLabel(frame, "SPath", TwipsRect(120, 240, 2775, 255));
  sDir_ = AddBrowseButton(frame, "SDir", TwipsRect(2880, 240, 495, 255));
  file1_ = AddFileList(frame, "File1", TwipsRect(720, 720, 1815, 5160),
                       QAbstractItemView::ExtendedSelection);
}

void Main::BuildMiddleFrame() {
  QGroupBox* frame = AddFrame(this, "MiddleFrame", QString(), TwipsRect(3720, 120, 3135, 6135));
  btnProc_ = Place(new QPushButton(QStringLiteral("Process"), frame), "BtnProc",
                   TwipsRect(960, 360, 1215, 495));
  btnProc_->setEnabled(false);
  BuildToolFrame(*frame);
  BuildDimensionFrame(*frame);
}

void Main::BuildToolFrame(QGroupBox& middleFrame) {
  QGroupBox* frame = AddFrame(&middleFrame, "ToolFrame", QStringLiteral("Router Tool Substitution"),
                              TwipsRect(240, 1200, 2655, 2895));
  head1_ = AddHeadOption(frame, "Head1", QStringLiteral("Head 1"), TwipsRect(360, 240, 855, 255));
  head2_ = AddHeadOption(frame, "Head2", QStringLiteral("Head 2"), TwipsRect(1440, 240, 855, 255));
  head2_->setChecked(true);
  KeepTabStopOnCheckedHead();
  connect(head1_, &QRadioButton::toggled, this, &Main::KeepTabStopOnCheckedHead);
  toolTab_ = Place(new ToolGrid(tools_, frame), "ToolTab", TwipsRect(360, 600, 1935, 2175));
}

void Main::BuildDimensionFrame(QGroupBox& middleFrame) {
  QGroupBox* frame = AddFrame(&middleFrame, "DimensionFrame", QStringLiteral("Part Dimensions"),
                              TwipsRect(240, 4320, 2655, 1695));
  dimX_ = AddDimension(frame, "DimX", QStringLiteral("Length (X)"), 240);
  dimY_ = AddDimension(frame, "DimY", QStringLiteral("Height (Y)"), 720);
  dimY_->ShowSelectedUnits();
  dimZ_ = AddDimension(frame, "DimZ", QStringLiteral("Thick (Z)"), 1200);
}

void Main::BuildDestFrame() {
  QGroupBox* frame = AddFrame(this, "DestFrame", QStringLiteral("G-code Destination"),
                              TwipsRect(6960, 120, 3495, 6135));
  dPath_ = AddPathLabel(frame, "DPath", TwipsRect(120, 360, 2775, 255));
  dDir_ = AddBrowseButton(frame, "DDir", TwipsRect(2880, 360, 495, 255));
  file2_ = AddFileList(frame, "File2", TwipsRect(720, 840, 1935, 4965),
                       QAbstractItemView::SingleSelection);
}

// The height box comes before the length box.
void Main::ChainTabOrder() {
  QWidget* const order[] = {sDir_, file1_, dDir_,    file2_, btnProc_, dimY_,
                            dimX_, dimZ_,  toolTab_, head1_, head2_};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void Main::WireHandlers() {
  connect(dimX_, &DimensionBox::LostFocus, this, [this] { WriteDimension(*dimX_, "X-Dimension"); });
  connect(dimY_, &DimensionBox::LostFocus, this, [this] { WriteDimension(*dimY_, "Y-Dimension"); });
  connect(dimZ_, &DimensionBox::LostFocus, this, [this] { WriteDimension(*dimZ_, "Z-Dimension"); });
  connect(head1_, &QRadioButton::clicked, this, &Main::WriteHead);
  connect(head2_, &QRadioButton::clicked, this, &Main::WriteHead);
  connect(sDir_, &QPushButton::clicked, this,
          [this] { ChooseListDirectory(*file1_, *sPath_, "SourcePath"); });
  connect(dDir_, &QPushButton::clicked, this,
          [this] { ChooseListDirectory(*file2_, *dPath_, "DestinationPath"); });
  connect(file1_, &FileList::UserSelectionChanged, this, &Main::UpdateProcessButton);
  connect(btnProc_, &QPushButton::clicked, this, &Main::Process);
#ifndef QT_NO_SESSIONMANAGER
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { sessionEnding_ = true; });
#endif
}

// Tab enters the head options at the selected one, which is the group's only tab stop.
void Main::KeepTabStopOnCheckedHead() {
  for (QRadioButton* head : {head1_, head2_}) {
    head->setFocusPolicy(head->isChecked() ? Qt::StrongFocus
                                           : Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus));
  }
}

void Main::WriteDimension(const DimensionBox& box, const char* key) {
  settings_.IniWrite("Settings", key, box.text().toStdString());
}

void Main::WriteHead() {
  settings_.IniWrite("Settings", "Head1", head1_->isChecked() ? "True" : "False");
}

// A directory that vanished after it was chosen is reported; the list and label stay as they were.
void Main::ChooseListDirectory(FileList& list, QLabel& pathLabel, const char* key) {
  const std::string chosen = ChooseDirectory(list.Directory());
  if (chosen.empty()) return;
  if (!list.SetDirectory(chosen)) {
    access_.showMessage(
        this, {kAppTitle,
               QStringLiteral("The folder %1 cannot be opened any more. The list still shows %2.")
                   .arg(QString::fromStdString(chosen), QString::fromStdString(list.Directory())),
               QMessageBox::Warning});
    return;
  }
  pathLabel.setText(QString::fromStdString(chosen));
  settings_.IniWrite("Settings", key, chosen);
  UpdateProcessButton();  // the re-read list has no selection
}

std::string Main::ChooseDirectory(const std::string& startDirectory) {
  if (access_.chooseDirectory) return access_.chooseDirectory(startDirectory);
  DirBrws browser(settings_, access_.roots, browserMemory_, this, access_.showMessage);
  return browser.Choose(startDirectory);
}

void Main::UpdateProcessButton() { btnProc_->setEnabled(file1_->HasSelection()); }

// Converts the selected files; the boxes show the dimension texts as each file left them.
void Main::Process() {
  BusyPointer busy;
  FileHooks hooks([&busy] { busy.Push(); },
                  [this, &busy](const DimensionTexts& dims) {
                    ShowDimensionTexts(dims);
                    file2_->Refresh();
                    busy.Pop();
                  });
  DimensionTexts dims = DimensionTextsShown();
  const auto failures = driver_->ConvertBatch(SelectedSourcePaths(file1_->Selection()),
                                              file2_->Directory(), dims, &hooks);
  if (failures.empty()) return;
  access_.showMessage(this, BatchFailureMessage(failures));
}

DimensionTexts Main::DimensionTextsShown() const {
  return {dimX_->text().toStdString(), dimY_->text().toStdString(), dimZ_->text().toStdString()};
}

// Set as a program sets a text: no lost-focus write follows.
void Main::ShowDimensionTexts(const DimensionTexts& dims) {
  dimX_->setText(QString::fromStdString(dims.length));
  dimY_->setText(QString::fromStdString(dims.height));
  dimZ_->setText(QString::fromStdString(dims.thickness));
}

}  // namespace quarnel
