// Main's start-up restoring and its saving on close.
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QRadioButton>

#include "support/app_dir.h"
#include "tools/tool_table_file.h"
#include "ui/dimension_box.h"
#include "ui/file_list.h"
#include "ui/form_style.h"
#include "ui/main_window.h"
#include "ui/setting_values.h"
#include "ui/tool_grid.h"

namespace quarnel {

void Main::RestoreSettings() {
  RestorePosition();
  RestoreToolTable();
  RestoreLists();
  dimX_->setText(QString::fromStdString(settings_.IniRead("Settings", "X-Dimension")));
  dimY_->setText(QString::fromStdString(settings_.IniRead("Settings", "Y-Dimension")));
  dimZ_->setText(QString::fromStdString(settings_.IniRead("Settings", "Z-Dimension")));
  RestoreHead();
}

// A tool table file that exists but cannot be used is moved aside and the user told, so that
// the close never saves the empty table over the rows it holds; if it cannot be moved, the
// close saves nothing over it.
void Main::RestoreToolTable() {
  const std::string path = ToolTablePathFor(appDir_);
  const ToolTableLoad load = LoadToolTable(files_, path, tools_);
  if (load.Loaded()) toolTab_->ShowTable();
  if (load.outcome != ToolTableLoad::Outcome::kUnusable) return;
  const KeptToolTable kept = SetToolTableAside(files_, path);
  saveToolTable_ = !kept.path.empty();
  QString text = QStringLiteral("The tool table file %1 cannot be used: %2.\n\n")
                     .arg(QString::fromStdString(path), QString::fromStdString(load.problem));
  if (saveToolTable_) {
    text += QStringLiteral("It was kept as %1, and the table starts empty.")
                .arg(QString::fromStdString(kept.path));
  } else {
    text += QStringLiteral("It could not be moved aside (%1), so the table starts empty and "
                           "will not be saved over it.")
                .arg(QString::fromStdString(kept.error));
  }
  access_.showMessage(this, {kAppTitle, text, QMessageBox::Warning});
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
  if (saveToolTable_) SaveToolTable(files_, ToolTablePathFor(appDir_), tools_);
}

// The close is never refused.
void Main::closeEvent(QCloseEvent* event) {
  SaveOnClose(ClassifyClose(event->spontaneous(), sessionEnding_ || qApp->isSavingSession()));
  event->accept();
}

}  // namespace quarnel
