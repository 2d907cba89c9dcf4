#include "ui/report_window.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/geometry/toolpath_style.h"
#include "support/paths.h"
#include "support/text.h"
#include "ui/file_list.h"
#include "ui/form_style.h"
#include "ui/toolpath_canvas.h"

namespace quarnel {

namespace {

enum Column { kFileColumn, kStatusColumn, kVerdictColumn, kTimeColumn, kSourceColumn,
              kTranslatedColumn, kDroppedColumn, kOutputColumn, kWarningsColumn, kColumnCount };

const QStringList kColumns = {
    QStringLiteral("File"),       QStringLiteral("Status"),  QStringLiteral("Geometry"),
    QStringLiteral("Est. time"),  QStringLiteral("Source lines"), QStringLiteral("Translated"),
    QStringLiteral("Dropped"),    QStringLiteral("Output lines"), QStringLiteral("Warnings")};

constexpr int kFileIndexRole = Qt::UserRole;  // the file's place in the report
constexpr int kSortKeyRole = Qt::UserRole + 1;

// A cell that sorts by its key: names in natural order, numbers by value.
class Cell : public QTableWidgetItem {
 public:
  Cell(const QString& text, QVariant key, bool number) : QTableWidgetItem(text) {
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    setData(kSortKeyRole, std::move(key));
    if (number) setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }

  bool operator<(const QTableWidgetItem& other) const override {
    const QVariant mine = data(kSortKeyRole);
    const QVariant theirs = other.data(kSortKeyRole);
    if (mine.typeId() == QMetaType::QByteArray) {
      return NaturalLess(mine.toByteArray().toStdString(), theirs.toByteArray().toStdString());
    }
    return mine.toDouble() < theirs.toDouble();
  }
};

Cell* Count(std::size_t value) {
  return new Cell(QString::number(value), static_cast<double>(value), true);
}

// The verdict of the comparison, and its sort key: failed files first, then files not
// checked, then by the number of differences.
Cell* Verdict(const FileReport& file) {
  const GeometryReport& geometry = file.geometry;
  if (file.status == FileReport::Status::kFailed) return new Cell(QString(), -2, false);
  if (!geometry.checked) return new Cell(QStringLiteral("not checked"), -1, false);
  QString text = geometry.differenceCount == 0
                     ? QStringLiteral("matches")
                     : QStringLiteral("%1 %2").arg(geometry.differenceCount).arg(
                           geometry.differenceCount == 1 ? QStringLiteral("difference")
                                                         : QStringLiteral("differences"));
  if (!geometry.notes.empty()) {
    text += QStringLiteral(", %1 %2").arg(geometry.notes.size()).arg(
        geometry.notes.size() == 1 ? QStringLiteral("note") : QStringLiteral("notes"));
  }
  auto* cell = new Cell(text, static_cast<double>(geometry.differenceCount), false);
  if (geometry.differenceCount > 0) cell->setForeground(QColorOf(kDifferenceStyle.colour));
  return cell;
}

// The estimated machining time, sorted by its seconds; empty for a file without one.
Cell* Time(const FileReport& file) {
  if (!file.time) return new Cell(QString(), -1.0, true);
  const double seconds = file.time->TotalSeconds();
  auto* cell = new Cell(QString::fromStdString(DurationText(seconds)), seconds, true);
  cell->setToolTip(QString::fromStdString(MachiningTimeText(*file.time)));
  return cell;
}

// "3 files: 2 converted, 1 failed; 1 warning; estimated machining time 12 min 05 s in all",
// and the tool table's warnings below.
QString SummaryText(const BatchReport& report) {
  std::size_t written = 0, failed = 0, checked = 0, warnings = 0;
  double seconds = 0;
  bool timed = false;
  for (const FileReport& file : report.files) {
    written += file.status == FileReport::Status::kWritten;
    failed += file.status == FileReport::Status::kFailed;
    checked += file.status == FileReport::Status::kChecked;
    warnings += file.warnings.size();
    if (file.time) seconds += file.time->TotalSeconds();
    timed = timed || file.time.has_value();
  }
  QString text = QString::fromStdString(Counted(report.files.size(), "file") + ": " +
                                        std::to_string(written + checked) + " converted, " +
                                        std::to_string(failed) + " failed; " +
                                        Counted(warnings, "warning"));
  if (timed) {
    text += QStringLiteral("; estimated machining time %1 in all")
                .arg(QString::fromStdString(DurationText(seconds)));
  }
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
  resize(900, 520);
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("summary"));
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setToolTip(QStringLiteral("How the batch went, and the tool table's warnings"));
  files_ = new QTableWidget(0, kColumnCount, this);
  files_->setToolTip(QStringLiteral(
      "Every file of the batch; select one to read its report, click a heading to sort by it. "
      "Geometry: how the output's toolpath compares with its source's. Est. time: how long the "
      "output runs on the machine, estimated from its moves (Machining Time Settings)."));
  files_->setObjectName(QStringLiteral("files"));
  files_->setHorizontalHeaderLabels(kColumns);
  files_->setSelectionBehavior(QAbstractItemView::SelectRows);
  files_->setSelectionMode(QAbstractItemView::SingleSelection);
  files_->verticalHeader()->hide();
  files_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  files_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);  // batch order at first
  details_ = new QPlainTextEdit(this);
  details_->setObjectName(QStringLiteral("details"));
  details_->setReadOnly(true);
  details_->setLineWrapMode(QPlainTextEdit::NoWrap);
  details_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  details_->setToolTip(QStringLiteral("The whole report of the selected file"));
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
  files_->setSortingEnabled(false);  // rows would move while they are filled
  files_->setRowCount(static_cast<int>(report_.files.size()));
  for (int row = 0; row < files_->rowCount(); ++row) {
    const FileReport& file = report_.files[static_cast<std::size_t>(row)];
    const std::string name = FileNameOf(file.source);
    auto* nameCell =
        new Cell(ShownName(name), QByteArray::fromStdString(name), false);
    nameCell->setData(kFileIndexRole, row);
    files_->setItem(row, kFileColumn, nameCell);
    files_->setItem(row, kStatusColumn,
                    new Cell(QString::fromLatin1(StatusName(file.status)),
                             static_cast<int>(file.status), false));
    files_->setItem(row, kVerdictColumn, Verdict(file));
    files_->setItem(row, kTimeColumn, Time(file));
    files_->setItem(row, kSourceColumn, Count(file.notes.sourceLines));
    files_->setItem(row, kTranslatedColumn, Count(file.notes.translated));
    files_->setItem(row, kDroppedColumn, Count(file.notes.Dropped()));
    files_->setItem(row, kOutputColumn, Count(file.bodyLines));
    files_->setItem(row, kWarningsColumn, Count(file.warnings.size()));
  }
  files_->setSortingEnabled(true);
  files_->resizeColumnsToContents();
  files_->horizontalHeader()->setSectionResizeMode(kFileColumn, QHeaderView::Stretch);
  details_->clear();
  if (files_->rowCount() > 0) files_->setCurrentCell(0, 0);
}

void ReportWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void ReportWindow::ShowFile(int row) {
  const QTableWidgetItem* cell = files_->item(row, kFileColumn);
  if (cell == nullptr) return;
  const auto index = static_cast<std::size_t>(cell->data(kFileIndexRole).toInt());
  if (index >= report_.files.size()) return;
  const std::string text = FileReportText(report_.files[index]);
  QStringList lines;  // each shown with its bytes that are not text escaped
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines << ShownName(std::string_view(text).substr(start, end - start));
    start = end + 1;
  }
  details_->setPlainText(lines.join(QLatin1Char('\n')));
}

}  // namespace quarnel
