// Main's start-up restoring and its saving on close.
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QRadioButton>

#include "support/app_dir.h"
#include "tools/tool_table_file.h"
#include "ui/dimension_box.h"
#include "ui/file_list.h"
#include "ui/main_window.h"
#include "ui/setting_values.h"
#include "ui/tool_grid.h"

namespace quarnel {

void Main::RestoreSettings() {
  RestorePosition();
  if (LoadToolTable(files_, ToolTablePathFor(appDir_), tools_)) toolTab_->ShowTable();
  RestoreLists();
  dimX_->setText(QString::fromStdString(settings_.IniRead("Settings", "X-Dimension")));
  dimY_->setText(QString::fromStdString(settings_.IniRead("Settings", "Y-Dimension")));
  dimZ_->setText(QString::fromStdString(settings_.IniRead("Settings", "Z-Dimension")));
  RestoreHead();
}

// A missing position reads as 0: the top-left corner of the screen.
void Main::RestorePosition() {
  QPoint position = pos();
  if (const auto top = PixelsFromTwipsText(settings_.IniRead("Window", "Top"))) position.setY(*top);
  if (const auto left = PixelsFromTwipsText(settings_.IniRead("Window", "Left")))
    position.setX(*left);
  move(position);
}

// The labels show the stored paths even when a list cannot go there.
void Main::RestoreLists() {
  const std::string destination = settings_.IniRead("Settings", "DestinationPath");
  const std::string source = settings_.IniRead("Settings", "SourcePath");
  dPath_->setText(QString::fromStdString(destination));
  sPath_->setText(QString::fromStdString(source));
  file1_->SetDirectory(source);
  file2_->SetDirectory(destination);
}

// Selecting head 1 writes the value back, as a click would; other texts leave the design's
// choice.
void Main::RestoreHead() {
  if (ParseBoolSetting(settings_.IniRead("Settings", "Head1")).value_or(false)) {
    head1_->setChecked(true);
    WriteHead();
  }
}

void Main::SaveOnClose(CloseReason reason) {
  if (reason != CloseReason::kUser) return;
  settings_.IniWrite("Window", "Top", TwipsTextFromPixels(pos().y()));
  settings_.IniWrite("Window", "Left", TwipsTextFromPixels(pos().x()));
  WriteDimension(*dimX_, "X-Dimension");
  WriteDimension(*dimY_, "Y-Dimension");
  WriteDimension(*dimZ_, "Z-Dimension");
  SaveToolTable(files_, ToolTablePathFor(appDir_), tools_);
}

// The close is never refused.
void Main::closeEvent(QCloseEvent* event) {
  SaveOnClose(ClassifyClose(event->spontaneous(), sessionEnding_ || qApp->isSavingSession()));
  event->accept();
}

}  // namespace quarnel
