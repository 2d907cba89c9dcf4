// ToolTab: the eight-row grid of the tool substitution table, a view over the one ToolTable.
// Every edit goes straight into the table, so the lookup reads it as it stands. Cells that draw
// a warning are marked, and each cell's tooltip shows the tool call its row produces and its
// warnings.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <array>
#include <string>
#include <vector>

#include "engine/batch/input_checks.h"
#include "tools/tool_table.h"

namespace quarnel {

// The table as eight rows of "From" and "To": texts to show and edit, each cell's mark
// (background) and tooltip.
class ToolTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  ToolTableModel(ToolTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Shows the table again after it changed behind the model (a load), checked.
  void Reload();

 private:
  void Recheck();
  QString ToolTip(int row, int column) const;

  ToolTable& table_;
  std::vector<TableWarning> warnings_;
  std::array<std::string, ToolTable::kRows> calls_;  // each row's tool call
};

class ToolGrid : public QTableView {
  Q_OBJECT

 public:
  ToolGrid(ToolTable& table, QWidget* parent = nullptr);

  // Shows the table's cells again (after a load), checked.
  void ShowTable() { model_->Reload(); }

 signals:
  // A cell entry was refused (a line break); message says why.
  void EntryRefused(const QString& message);

 private:
  ToolTableModel* model_ = nullptr;
};

}  // namespace quarnel
