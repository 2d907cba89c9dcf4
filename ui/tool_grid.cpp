#include "ui/tool_grid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <limits>
#include <utility>

#include "engine/batch/input_checks.h"
#include "ui/entry_rules.h"
#include "ui/entry_validator.h"
#include "ui/form_style.h"

namespace quarnel {

namespace {

constexpr int kRowHeaderWidth = 21;
// Heading and eight rows fill the grid's 145 pixels exactly, frame included.
constexpr int kHeadingHeight = 15;
constexpr int kRowHeight = 16;

// Cell editors refuse line breaks, and say why.
class CellDelegate : public QStyledItemDelegate {
 public:
  explicit CellDelegate(ToolGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setMaxLength(std::numeric_limits<int>::max());
    auto* validator = new EntryValidator(ToolCellProblem, editor);
    editor->setValidator(validator);
    QObject::connect(editor, &QLineEdit::inputRejected, &grid_, [this, editor, validator] {
      ShowEntryRefusal(*editor, validator->LastProblem());
      emit grid_.EntryRefused(validator->LastProblem());
    });
    return editor;
  }

 private:
  ToolGrid& grid_;
};

// The warnings about one cell, in the order found.
QStringList CellWarnings(const std::vector<TableWarning>& warnings, int row, int column) {
  QStringList texts;
  for (const TableWarning& warning : warnings) {
    if (warning.row == row && warning.column == column)
      texts << QString::fromStdString(warning.text);
  }
  return texts;
}

// Colours a cell by whether it draws a warning; its tooltip shows the row's call, then them.
void MarkCell(QTableWidgetItem& cell, const std::string& call, QStringList warnings) {
  cell.setBackground(warnings.isEmpty() ? kLightCyan : kWarningOrange);
  if (!call.empty()) warnings.prepend(QString::fromStdString(call));
  cell.setToolTip(warnings.join(QLatin1Char('\n')));
}

}  // namespace

ToolGrid::ToolGrid(ToolTable& table, QWidget* parent)
    : QTableWidget(ToolTable::kRows, 2, parent), table_(table) {
  setHorizontalHeaderLabels({QStringLiteral("From"), QStringLiteral("To")});
  setItemDelegate(new CellDelegate(*this));
  setTabKeyNavigation(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setStyleSheet(
      QStringLiteral("QTableWidget { background: white; gridline-color: #c0c0c0; }"
                     "QHeaderView::section { background: white; border: none;"
                     " border-right: 1px solid #c0c0c0; border-bottom: 1px solid #c0c0c0; }"));
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(kRowHeight);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  verticalHeader()->setFixedWidth(kRowHeaderWidth);
  verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
  horizontalHeader()->setFixedHeight(kHeadingHeight);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  connect(this, &QTableWidget::itemChanged, this, &ToolGrid::OnItemChanged);
  ShowTable();
}

void ToolGrid::ShowTable() {
  showing_ = true;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    for (int column = 1; column <= 2; ++column) {
      auto* item =
          new QTableWidgetItem(QString::fromStdString(std::string(table_.GridCell(row, column))));
      item->setForeground(Qt::black);
      setItem(row - 1, column - 1, item);
    }
  }
  showing_ = false;
  ShowChecks();
}

void ToolGrid::OnItemChanged(QTableWidgetItem* item) {
  if (showing_) return;
  table_.SetCell(item->row() + 1, item->column() + 1, item->text().toStdString());
  ShowChecks();
}

void ToolGrid::ShowChecks() {
  const std::vector<TableWarning> warnings = CheckToolTable(table_);
  const bool wasShowing = std::exchange(showing_, true);
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    const std::string call = RowToolCall(table_, row);
    for (int column = 1; column <= 2; ++column) {
      MarkCell(*item(row - 1, column - 1), call, CellWarnings(warnings, row, column));
    }
  }
  showing_ = wasShowing;
}

}  // namespace quarnel
