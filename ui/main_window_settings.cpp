// MainWindow's start-up restoring and its saving on close.
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QRadioButton>

#include "support/app_dir.h"
#include "support/setting_keys.h"
#include "tools/tool_table_file.h"
#include "ui/dimension_box.h"
#include "ui/file_list.h"
#include "ui/form_style.h"
#include "ui/batch_runner.h"
#include "ui/main_window.h"
#include "ui/setting_values.h"
#include "ui/tool_grid.h"
#include "ui/window_place.h"

namespace quarnel {

void MainWindow::RestoreSettings() {
  RestorePosition();
  RestoreToolTable();
  RestoreLists();
  lengthBox_->setText(QString::fromStdString(settings_.IniRead(setting::kSettings, setting::kLength)));
  heightBox_->setText(QString::fromStdString(settings_.IniRead(setting::kSettings, setting::kHeight)));
  thicknessBox_->setText(QString::fromStdString(settings_.IniRead(setting::kSettings, setting::kThickness)));
  RestoreHead();
}

// A tool table file that exists but cannot be used is moved aside and the user told, so that
// the close never saves the empty table over the rows it holds; if it cannot be moved, the
// close saves nothing over it.
void MainWindow::RestoreToolTable() {
  const std::string path = ToolTablePathFor(appDir_);
  const ToolTableLoad load = LoadToolTable(files_, path, tools_);
  if (load.Loaded()) toolGrid_->ShowTable();
  if (load.outcome != ToolTableLoad::Outcome::kUnusable) return;
  const KeptToolTable kept = SetToolTableAside(files_, path);
  saveToolTable_ = !kept.path.empty();
  QString text = QStringLiteral("The tool table file %1 cannot be used: %2.\n\n")
                     .arg(ShownName(path), QString::fromStdString(load.problem));
  if (saveToolTable_) {
    text += QStringLiteral("It was kept as %1, and the table starts empty.")
                .arg(ShownName(kept.path));
  } else {
    text += QStringLiteral("It could not be moved aside (%1), so the table starts empty and "
                           "will not be saved over it.")
                .arg(QString::fromStdString(kept.error));
  }
  access_.showMessage(this, {kAppTitle, text, QMessageBox::Warning, {}});
}

// A missing position reads as 0: the top-left corner of the screen. The window stays wholly
// on the screen that holds its position (a screen unplugged since, a smaller one).
void MainWindow::RestorePosition() {
  QPoint position = pos();
  if (const auto top = PixelsFromTwipsText(settings_.IniRead(setting::kWindow, setting::kTop))) position.setY(*top);
  if (const auto left = PixelsFromTwipsText(settings_.IniRead(setting::kWindow, setting::kLeft)))
    position.setX(*left);
  move(position);
  KeepOnScreen(*this, nullptr);
}

// The labels show the stored paths even when a list cannot go there.
void MainWindow::RestoreLists() {
  const std::string destination = settings_.IniRead(setting::kSettings, setting::kDestinationPath);
  const std::string source = settings_.IniRead(setting::kSettings, setting::kSourcePath);
  destinationPathLabel_->setText(ShownName(destination));
  sourcePathLabel_->setText(ShownName(source));
  sourceList_->SetDirectory(source);
  destinationList_->SetDirectory(destination);
  RestoreFilter(*sourceList_, *sourceFilter_, setting::kSourceFilter);
  RestoreFilter(*destinationList_, *destinationFilter_, setting::kDestinationFilter);
}

// Selecting head 1 writes the value back, as a click would; other texts leave the design's
// choice.
void MainWindow::RestoreHead() {
  if (ParseBoolSetting(settings_.IniRead(setting::kSettings, setting::kHeadOne)).value_or(false)) {
    headOneOption_->setChecked(true);
    WriteHead();
  }
}

void MainWindow::SaveOnClose(CloseReason reason) {
  if (reason != CloseReason::kUser) return;
  settings_.IniWrite(setting::kWindow, setting::kTop, TwipsTextFromPixels(pos().y()));
  settings_.IniWrite(setting::kWindow, setting::kLeft, TwipsTextFromPixels(pos().x()));
  WriteDimension(*lengthBox_, setting::kLength);
  WriteDimension(*heightBox_, setting::kHeight);
  WriteDimension(*thicknessBox_, setting::kThickness);
  if (saveToolTable_) SaveToolTable(files_, ToolTablePathFor(appDir_), tools_);
}

// The close is never refused; during a batch it waits for the file in progress, the batch
// being cancelled, and then closes as asked.
void MainWindow::closeEvent(QCloseEvent* event) {
  const CloseReason reason =
      ClassifyClose(event->spontaneous(), sessionEnding_ || qApp->isSavingSession());
  if (BatchRunning()) {
    if (!closeAfterBatch_) closeAfterBatch_ = reason;
    runner_->Cancel();
    event->ignore();
    return;
  }
  SaveOnClose(reason);
  event->accept();
  for (QWidget* window : findChildren<QWidget*>()) {
    if (window->isWindow() && window->isVisible()) window->close();  // the report, previews
  }
}

}  // namespace quarnel
