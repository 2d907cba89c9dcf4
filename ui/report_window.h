// The report of the last batch: every file with its status and line counts, and the whole
// report of the selected file.
#pragma once

#include <QWidget>

#include "engine/batch/conversion_report.h"

class QLabel;
class QPlainTextEdit;
class QTableWidget;

namespace quarnel {

class ReportWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ReportWindow(QWidget* parent = nullptr);

  // Shows report, its first file selected.
  void ShowReport(const BatchReport& report);

 protected:
  void keyPressEvent(QKeyEvent* event) override;  // Escape closes the window

 private:
  void ShowFile(int row);

  BatchReport report_;
  QLabel* summary_ = nullptr;
  QTableWidget* files_ = nullptr;
  QPlainTextEdit* details_ = nullptr;
};

}  // namespace quarnel
