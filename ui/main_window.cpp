#include "support/setting_keys.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "support/app_dir.h"
#include "support/file_store.h"
#include "ui/batch_progress.h"
#include "ui/batch_runner.h"
#include "ui/dimension_box.h"
#include "ui/file_list.h"
#include "ui/file_roots.h"
#include "ui/form_style.h"
#include "ui/preview_window.h"
#include "ui/program_icon.h"
#include "ui/report_window.h"
#include "ui/time_settings_dialog.h"
#include "ui/tool_grid.h"
#include "ui/window_place.h"

namespace quarnel {

namespace {

constexpr qreal kFilterPointSize = 7;

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
  const bool filesWelcome = mode != QAbstractItemView::SingleSelection;
  auto* list = Place(new FileList(filesWelcome, parent), name, geometry);
  list->setSelectionMode(mode);
  SetBackground(*list, kLightCyan);
  return list;
}

// The filter under a list: "All files" or "Programs", in a smaller face to fit the frame.
QComboBox* AddFilterBox(QWidget* parent, const char* name, QRect geometry) {
  auto* box = Place(new QComboBox(parent), name, geometry);
  box->addItem(FilterText(FileFilter::kAllFiles));
  box->addItem(FilterText(FileFilter::kPrograms));
  box->setFont(SansSerifFont(kFilterPointSize));
  box->setToolTip(QStringLiteral(
      "Which files the list shows: every file, or the programs only (.nc, .ngc, .tap, .cnc, "
      ".gcode, .txt)"));
  return box;
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

MainWindow::MainWindow(std::string appDir, FileStore& files, MainWindowAccess access, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      appDir_(std::move(appDir)),
      files_(files),
      settings_(files, IniPathFor(appDir_)),
      access_(std::move(access)),
      runner_(std::make_unique<BatchRunner>(files)) {
  if (access_.roots.empty()) access_.roots = FileSystemRoots();
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(kAppTitle);
  setWindowIcon(ProgramIcon());
  setFont(SansSerifFont(kFormPointSize));
  setFixedSize(TwipsRect(0, 0, 10605, 6405).size());
  BuildSourceFrame();
  BuildMiddleFrame();
  BuildDestFrame();
  BuildActions();
  ChainTabOrder();
  WireHandlers();
}

// Children still signal while QWidget's destructor closes and tears down the window; by then
// this object's own members are gone.
MainWindow::~MainWindow() {
  runner_.reset();
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void MainWindow::BuildSourceFrame() {
  QGroupBox* frame = AddFrame(this, "sourceFrame", QStringLiteral("G-code Source"),
                              TwipsRect(120, 120, 3495, 6135));
  sourcePathLabel_ = AddPathLabel(frame, "sourcePathLabel", TwipsRect(120, 240, 2775, 255));
  sourceBrowseButton_ = AddBrowseButton(frame, "sourceBrowseButton", TwipsRect(2880, 240, 495, 255));
  sourceList_ = AddFileList(frame, "sourceList", TwipsRect(720, 720, 1815, 5160),
                       QAbstractItemView::ExtendedSelection);
  sourceFilter_ = AddFilterBox(frame, "sourceFilter", TwipsRect(720, 5895, 1815, 225));
  sourcePathLabel_->setToolTip(QStringLiteral("The folder of the router programs"));
  sourceBrowseButton_->setToolTip(QStringLiteral("Choose the folder of the router programs"));
  sourceList_->setToolTip(QStringLiteral(
      "The files of the source folder: select those to convert (click, Shift-click, Ctrl-click, "
      "Ctrl+A). F5 reads the folders again. Drop files here to choose their folder and select "
      "them, or drop a folder."));
}

void MainWindow::BuildMiddleFrame() {
  QGroupBox* frame = AddFrame(this, "middleFrame", QString(), TwipsRect(3720, 120, 3135, 6135));
  processButton_ = Place(new QPushButton(QStringLiteral("Process"), frame), "processButton",
                   TwipsRect(960, 360, 1215, 495));
  processButton_->setEnabled(false);
  processButton_->setToolTip(
      QStringLiteral("Convert the selected source files into the destination folder"));
  BuildToolFrame(*frame);
  BuildDimensionFrame(*frame);
}

void MainWindow::BuildToolFrame(QGroupBox& middleFrame) {
  QGroupBox* frame = AddFrame(&middleFrame, "toolFrame", QStringLiteral("Router Tool Substitution"),
                              TwipsRect(240, 1200, 2655, 2895));
  headOneOption_ = AddHeadOption(frame, "headOneOption", QStringLiteral("Head 1"), TwipsRect(360, 240, 855, 255));
  headTwoOption_ = AddHeadOption(frame, "headTwoOption", QStringLiteral("Head 2"), TwipsRect(1440, 240, 855, 255));
  headTwoOption_->setChecked(true);
  for (QRadioButton* head : {headOneOption_, headTwoOption_}) {
    head->setToolTip(QStringLiteral("The machine's head; kept with the settings, it does not "
                                    "change the conversion"));
  }
  KeepTabStopOnCheckedHead();
  connect(headOneOption_, &QRadioButton::toggled, this, &MainWindow::KeepTabStopOnCheckedHead);
  toolGrid_ = Place(new ToolGrid(tools_, frame), "toolGrid", TwipsRect(360, 600, 1935, 2175));
  toolGrid_->setToolTip(QStringLiteral(
      "Each row replaces a router tool number (From) by the machine's (To); the last matching "
      "row wins. A cell's tooltip shows the tool call its row writes."));
}

void MainWindow::BuildDimensionFrame(QGroupBox& middleFrame) {
  QGroupBox* frame = AddFrame(&middleFrame, "dimensionFrame", QStringLiteral("Part Dimensions"),
                              TwipsRect(240, 4320, 2655, 1695));
  lengthBox_ = AddDimension(frame, "lengthBox", QStringLiteral("Length (X)"), 240);
  heightBox_ = AddDimension(frame, "heightBox", QStringLiteral("Height (Y)"), 720);
  heightBox_->ShowSelectedUnits();
  thicknessBox_ = AddDimension(frame, "thicknessBox", QStringLiteral("Thick (Z)"), 1200);
  lengthBox_->SetPurpose(QStringLiteral("The part's length (X), written into each header"));
  heightBox_->SetPurpose(QStringLiteral("The part's height (Y), written into each header"));
  thicknessBox_->SetPurpose(QStringLiteral("The part's thickness (Z), written into each header"));
}

void MainWindow::BuildDestFrame() {
  QGroupBox* frame = AddFrame(this, "destinationFrame", QStringLiteral("G-code Destination"),
                              TwipsRect(6960, 120, 3495, 6135));
  destinationPathLabel_ = AddPathLabel(frame, "destinationPathLabel", TwipsRect(120, 360, 2775, 255));
  destinationBrowseButton_ = AddBrowseButton(frame, "destinationBrowseButton", TwipsRect(2880, 360, 495, 255));
  destinationList_ = AddFileList(frame, "destinationList", TwipsRect(720, 840, 1935, 4965),
                       QAbstractItemView::SingleSelection);
  destinationFilter_ = AddFilterBox(frame, "destinationFilter", TwipsRect(720, 5835, 1935, 225));
  destinationPathLabel_->setToolTip(QStringLiteral("The folder the converted programs go to"));
  destinationBrowseButton_->setToolTip(
      QStringLiteral("Choose the folder the converted programs go to"));
  destinationList_->setToolTip(QStringLiteral(
      "The files of the destination folder, each output as it lands. Double-click one to preview "
      "it over its source; right-click for the last report. Drop a folder here to choose it."));
}

// The destination list's menu and the window's keys: Ctrl+R, Ctrl+P, F5.
void MainWindow::BuildActions() {
  auto* showReport = new QAction(QStringLiteral("Show the Last Report"), this);
  showReport->setObjectName(QStringLiteral("showReportAction"));
  showReport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  connect(showReport, &QAction::triggered, this, &MainWindow::ShowLastReport);
  addAction(showReport);
  auto* preview = new QAction(QStringLiteral("Preview"), this);
  preview->setObjectName(QStringLiteral("previewAction"));
  preview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  connect(preview, &QAction::triggered, this, &MainWindow::PreviewSelectedOutput);
  addAction(preview);
  auto* refresh = new QAction(QStringLiteral("Read the Folders Again"), this);
  refresh->setObjectName(QStringLiteral("refreshAction"));
  refresh->setShortcut(QKeySequence(Qt::Key_F5));
  connect(refresh, &QAction::triggered, this, [this] {
    sourceList_->Refresh();
    destinationList_->Refresh();
  });
  addAction(refresh);
  auto* timeSettings = new QAction(QStringLiteral("Machining Time Settings..."), this);
  timeSettings->setObjectName(QStringLiteral("timeSettingsAction"));
  timeSettings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  connect(timeSettings, &QAction::triggered, this, [this] {
    TimeSettingsDialog dialog(settings_, this);
    dialog.exec();
  });
  addAction(timeSettings);
  destinationList_->addAction(preview);
  destinationList_->addAction(showReport);
  destinationList_->addAction(refresh);
  destinationList_->addAction(timeSettings);
  destinationList_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(destinationList_, &QListWidget::itemDoubleClicked, this,
          &MainWindow::PreviewSelectedOutput);
}

// The height box comes before the length box; each filter follows its list.
void MainWindow::ChainTabOrder() {
  QWidget* const order[] = {sourceBrowseButton_, sourceList_,      sourceFilter_,
                            destinationBrowseButton_, destinationList_, destinationFilter_,
                            processButton_,      heightBox_,       lengthBox_,
                            thicknessBox_,       toolGrid_,        headOneOption_,
                            headTwoOption_};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::WireHandlers() {
  connect(lengthBox_, &DimensionBox::LostFocus, this, [this] { WriteDimension(*lengthBox_, setting::kLength); });
  connect(heightBox_, &DimensionBox::LostFocus, this, [this] { WriteDimension(*heightBox_, setting::kHeight); });
  connect(thicknessBox_, &DimensionBox::LostFocus, this, [this] { WriteDimension(*thicknessBox_, setting::kThickness); });
  connect(headOneOption_, &QRadioButton::clicked, this, &MainWindow::WriteHead);
  connect(headTwoOption_, &QRadioButton::clicked, this, &MainWindow::WriteHead);
  WireList(*sourceList_, *sourcePathLabel_, *sourceBrowseButton_, *sourceFilter_,
           {setting::kSourcePath, setting::kSourceFilter});
  WireList(*destinationList_, *destinationPathLabel_, *destinationBrowseButton_,
           *destinationFilter_, {setting::kDestinationPath, setting::kDestinationFilter});
  connect(sourceList_, &FileList::SelectionChanged, this, &MainWindow::UpdateProcessButton);
  connect(processButton_, &QPushButton::clicked, this, &MainWindow::Process);
  connect(runner_.get(), &BatchRunner::FileStarting, this,
          [this](int index, const std::string& source) { progress_->FileStarting(index, source); });
  connect(runner_.get(), &BatchRunner::FileDone, this, &MainWindow::ShowFileDone);
  connect(runner_.get(), &BatchRunner::Broke, this, [this](const QString& reason) {
    access_.showMessage(this, {kAppTitle, QStringLiteral("The batch stopped: %1").arg(reason),
                               QMessageBox::Critical, {}});
  });
  connect(runner_.get(), &BatchRunner::Finished, this, &MainWindow::FinishBatch);
#ifndef QT_NO_SESSIONMANAGER
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { sessionEnding_ = true; });
#endif
}

// Tab enters the head options at the selected one, which is the group's only tab stop.
void MainWindow::KeepTabStopOnCheckedHead() {
  for (QRadioButton* head : {headOneOption_, headTwoOption_}) {
    head->setFocusPolicy(head->isChecked() ? Qt::StrongFocus
                                           : Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus));
  }
}

void MainWindow::WriteDimension(const DimensionBox& box, std::string_view key) {
  settings_.IniWrite(setting::kSettings, key, box.text().toStdString());
}

void MainWindow::WriteHead() {
  settings_.IniWrite(setting::kSettings, setting::kHeadOne, headOneOption_->isChecked() ? "True" : "False");
}

bool MainWindow::BatchRunning() const { return runner_->Running(); }

// Converts the selected files on the worker thread, with copies of the dimension texts and the
// tool table as they stand; the boxes show the texts as each file left them and the
// destination list each output as it lands. The controls that feed a batch take no input
// meanwhile.
void MainWindow::Process() {
  const std::vector<std::string> sources = SelectedSourcePaths(sourceList_->Selection());
  if (runner_->Running() || sources.empty()) return;
  BatchJob job{sources, destinationList_->Directory(), DimensionTextsShown(), tools_, {}};
  job.options.jobs = 0;  // translate ahead on every core; outputs still land in list order
  job.options.checkGeometry = true;  // the report's verdicts
  job.options.machiningTime = ReadTimeSettings(settings_);
  EnableInput(false);
  progress_ = std::make_unique<BatchProgress>(this, static_cast<int>(sources.size()),
                                              access_.progressDelayMs);
  connect(&progress_->Dialog(), &QProgressDialog::canceled, runner_.get(), &BatchRunner::Cancel);
  runner_->Start(std::move(job));
}

// A dialog cancelled without its signal (by the program, say) stops the batch here.
void MainWindow::ShowFileDone(const DimensionTexts& dims) {
  ShowDimensionTexts(dims);
  destinationList_->RefreshSoon();
  progress_->FileDone();
  if (progress_->Dialog().wasCanceled()) runner_->Cancel();
}

// A close asked for during the batch comes now, saving as its reason says; otherwise the
// failures and warnings are shown.
void MainWindow::FinishBatch(const BatchReport& report) {
  progress_.reset();
  destinationList_->Refresh();  // every output of the batch, without waiting for the timer
  EnableInput(true);
  lastReport_ = report;
  emit BatchFinished();
  if (const std::optional<CloseReason> reason = std::exchange(closeAfterBatch_, std::nullopt)) {
    SaveOnClose(*reason);
    close();
    return;
  }
  const std::vector<FileFailure> failures = FailuresOf(lastReport_);
  if (!failures.empty()) access_.showMessage(this, BatchFailureMessage(failures));
  if (!failures.empty() || lastReport_.AnyFileWarning()) ShowLastReport();
}

void MainWindow::EnableInput(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           sourceBrowseButton_->parentWidget(), processButton_->parentWidget(),
           destinationBrowseButton_, destinationFilter_}) {
    control->setEnabled(enabled);
  }
  destinationList_->setAcceptDrops(enabled);
}

// The selected output over the source of the same name in the source folder, when there is one.
void MainWindow::PreviewSelectedOutput() {
  const SourceSelection outputs = destinationList_->Selection();
  for (std::size_t i = 0; i < outputs.names.size(); ++i) {
    if (!outputs.selected[i]) continue;
    const std::string output = PathInList(outputs.directory, outputs.names[i]);
    std::string source = PathInList(sourceList_->Directory(), outputs.names[i]);
    if (!Exists(files_, source)) source.clear();
    const DimensionTexts dims = DimensionTextsShown();
    const ConversionInputs inputs{tools_, &dims};
    auto* window = PreviewWindow::FromFiles(files_, output, source, inputs,
                                            ReadTimeSettings(settings_), this);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    RememberPlace(*window, settings_, setting::kPreviewWindow, this);
    window->show();
    return;
  }
}

void MainWindow::ShowLastReport() {
  if (reportWindow_ == nullptr) {
    reportWindow_ = new ReportWindow(this);
    RememberPlace(*reportWindow_, settings_, setting::kReportWindow, this);
  }
  reportWindow_->ShowReport(lastReport_);
  reportWindow_->show();
  reportWindow_->raise();
  reportWindow_->activateWindow();
}

DimensionTexts MainWindow::DimensionTextsShown() const {
  return {lengthBox_->text().toStdString(), heightBox_->text().toStdString(), thicknessBox_->text().toStdString()};
}

// Set as a program sets a text: no lost-focus write follows.
void MainWindow::ShowDimensionTexts(const DimensionTexts& dims) {
  lengthBox_->setText(QString::fromStdString(dims.length));
  heightBox_->setText(QString::fromStdString(dims.height));
  thicknessBox_->setText(QString::fromStdString(dims.thickness));
}

}  // namespace quarnel
