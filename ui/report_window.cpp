#include "ui/report_window.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "support/paths.h"
#include "support/text.h"
#include "ui/form_style.h"

namespace quarnel {

namespace {

const QStringList kColumns = {QStringLiteral("File"),         QStringLiteral("Status"),
                              QStringLiteral("Source lines"), QStringLiteral("Translated"),
                              QStringLiteral("Dropped"),      QStringLiteral("Output lines"),
                              QStringLiteral("Warnings")};

QTableWidgetItem* Cell(const QString& text, bool number) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

QTableWidgetItem* Count(std::size_t value) { return Cell(QString::number(value), true); }

// "3 files: 2 converted, 1 failed; 1 warning", and the tool table's warnings below.
QString SummaryText(const BatchReport& report) {
  std::size_t written = 0, failed = 0, checked = 0, warnings = 0;
  for (const FileReport& file : report.files) {
    written += file.status == FileReport::Status::kWritten;
    failed += file.status == FileReport::Status::kFailed;
    checked += file.status == FileReport::Status::kChecked;
    warnings += file.warnings.size();
  }
  QString text = QString::fromStdString(Counted(report.files.size(), "file") + ": " +
                                        std::to_string(written + checked) + " converted, " +
                                        std::to_string(failed) + " failed; " +
                                        Counted(warnings, "warning"));
  for (const ReportWarning& warning : report.toolTable) {
    text += QStringLiteral("\nTool table row %1: %2")
                .arg(warning.line)
                .arg(QString::fromStdString(warning.text));
  }
  return text;
}

}  // namespace

ReportWindow::ReportWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("reportWindow"));
  setWindowTitle(kAppTitle + QStringLiteral(" - report of the last batch"));
  resize(760, 520);
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("summary"));
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  files_ = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
  files_->setObjectName(QStringLiteral("files"));
  files_->setHorizontalHeaderLabels(kColumns);
  files_->setSelectionBehavior(QAbstractItemView::SelectRows);
  files_->setSelectionMode(QAbstractItemView::SingleSelection);
  files_->verticalHeader()->hide();
  files_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  details_ = new QPlainTextEdit(this);
  details_->setObjectName(QStringLiteral("details"));
  details_->setReadOnly(true);
  details_->setLineWrapMode(QPlainTextEdit::NoWrap);
  details_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(files_);
  splitter->addWidget(details_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(splitter, 1);
  connect(files_, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) { ShowFile(row); });
}

void ReportWindow::ShowReport(const BatchReport& report) {
  report_ = report;
  summary_->setText(SummaryText(report_));
  files_->setRowCount(static_cast<int>(report_.files.size()));
  for (int row = 0; row < files_->rowCount(); ++row) {
    const FileReport& file = report_.files[static_cast<std::size_t>(row)];
    files_->setItem(row, 0, Cell(QString::fromStdString(FileNameOf(file.source)), false));
    files_->setItem(row, 1, Cell(QString::fromLatin1(StatusName(file.status)), false));
    files_->setItem(row, 2, Count(file.notes.sourceLines));
    files_->setItem(row, 3, Count(file.notes.translated));
    files_->setItem(row, 4, Count(file.notes.Dropped()));
    files_->setItem(row, 5, Count(file.bodyLines));
    files_->setItem(row, 6, Count(file.warnings.size()));
  }
  files_->resizeColumnsToContents();
  files_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  details_->clear();
  if (files_->rowCount() > 0) files_->setCurrentCell(0, 0);
}

void ReportWindow::ShowFile(int row) {
  if (row < 0 || row >= static_cast<int>(report_.files.size())) return;
  details_->setPlainText(
      QString::fromStdString(FileReportText(report_.files[static_cast<std::size_t>(row)])));
}

}  // namespace quarnel
