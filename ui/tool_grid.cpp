#include "ui/tool_grid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <algorithm>
#include <limits>

#include "ui/entry_rules.h"
#include "ui/entry_validator.h"
#include "ui/form_style.h"

namespace quarnel {

namespace {

constexpr int kColumns = 2;
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

}  // namespace

ToolTableModel::ToolTableModel(ToolTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
  Recheck();
}

int ToolTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ToolTable::kRows;
}

int ToolTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant ToolTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row() + 1;
  const int column = index.column() + 1;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(std::string(table_.GridCell(row, column)));
    case Qt::ForegroundRole:
      return QColor(Qt::black);
    case Qt::BackgroundRole: {
      const bool warned = std::any_of(warnings_.begin(), warnings_.end(), [&](const auto& w) {
        return w.row == row && w.column == column;
      });
      return warned ? kWarningOrange : kLightCyan;
    }
    case Qt::ToolTipRole: {
      const QString tip = ToolTip(row, column);
      return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    default:
      return {};
  }
}

// The row's tool call, then the cell's warnings in the order found.
QString ToolTableModel::ToolTip(int row, int column) const {
  QStringList lines;
  if (!calls_[row - 1].empty()) lines << QString::fromStdString(calls_[row - 1]);
  for (const TableWarning& warning : warnings_) {
    if (warning.row == row && warning.column == column)
      lines << QString::fromStdString(warning.text);
  }
  return lines.join(QLatin1Char('\n'));
}

// A cell edit can change the marks and calls of every row.
bool ToolTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const std::string text = value.toString().toStdString();
  if (table_.GridCell(index.row() + 1, index.column() + 1) == text) return true;
  table_.SetCell(index.row() + 1, index.column() + 1, text);
  Recheck();
  emit dataChanged(this->index(0, 0), this->index(ToolTable::kRows - 1, kColumns - 1));
  return true;
}

Qt::ItemFlags ToolTableModel::flags(const QModelIndex& index) const {
  return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

QVariant ToolTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  if (orientation == Qt::Vertical) return QString::number(section + 1);
  return section == 0 ? QStringLiteral("From") : QStringLiteral("To");
}

void ToolTableModel::Reload() {
  beginResetModel();
  Recheck();
  endResetModel();
}

void ToolTableModel::Recheck() {
  warnings_ = CheckToolTable(table_);
  for (int row = 1; row <= ToolTable::kRows; ++row) calls_[row - 1] = RowToolCall(table_, row);
}

ToolGrid::ToolGrid(ToolTable& table, QWidget* parent)
    : QTableView(parent), model_(new ToolTableModel(table, this)) {
  setModel(model_);
  setItemDelegate(new CellDelegate(*this));
  setTabKeyNavigation(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setStyleSheet(
      QStringLiteral("QTableView { background: white; gridline-color: #c0c0c0; }"
                     "QHeaderView::section { background: white; border: none;"
                     " border-right: 1px solid #c0c0c0; border-bottom: 1px solid #c0c0c0; }"));
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(kRowHeight);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  verticalHeader()->setFixedWidth(kRowHeaderWidth);
  verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
  horizontalHeader()->setFixedHeight(kHeadingHeight);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

}  // namespace quarnel
