// ToolTab: the eight-row grid of the tool substitution table. Every edit goes straight into the
// ToolTable model, so the translator reads the table as it stands. Cells that draw a warning are
// marked, and each cell's tooltip shows the tool call its row produces and its warnings.
#pragma once

#include <QTableWidget>

#include "tools/tool_table.h"

namespace quarnel {

class ToolGrid : public QTableWidget {
  Q_OBJECT

 public:
  ToolGrid(ToolTable& table, QWidget* parent = nullptr);

  // Shows the model's cells again (after a load), checked.
  void ShowTable();

 signals:
  // A cell entry was refused (a line break); message says why.
  void EntryRefused(const QString& message);

 private:
  void OnItemChanged(QTableWidgetItem* item);
  void ShowChecks();

  ToolTable& table_;
  bool showing_ = false;
};

}  // namespace quarnel
