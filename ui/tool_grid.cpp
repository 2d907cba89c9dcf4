#include "ui/tool_grid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <limits>

#include "ui/entry_rules.h"
#include "ui/entry_validator.h"
#include "ui/form_style.h"

namespace quarnel {

namespace {

constexpr int kRowHeaderWidth = 21;
// Heading and eight rows fill the grid's 145 pixels exactly, frame included.
constexpr int kHeadingHeight = 15;
constexpr int kRowHeight = 16;

// Cell editors refuse the entries that the conversion could not use, and say why.
class CellDelegate : public QStyledItemDelegate {
 public:
  explicit CellDelegate(ToolGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setMaxLength(std::numeric_limits<int>::max());
    const int column = index.column() + 1;
    auto* validator = new EntryValidator(
        [column](std::string_view text) { return ToolCellProblem(column, text); }, editor);
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
      item->setBackground(kLightCyan);
      item->setForeground(Qt::black);
      setItem(row - 1, column - 1, item);
    }
  }
  showing_ = false;
}

void ToolGrid::OnItemChanged(QTableWidgetItem* item) {
  if (showing_) return;
  table_.SetCell(item->row() + 1, item->column() + 1, item->text().toStdString());
}

}  // namespace quarnel
