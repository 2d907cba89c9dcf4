#include "ui/program_text_view.h"

#include <QAbstractListModel>
#include <QFontDatabase>
#include <QItemSelectionModel>

#include "ui/file_list.h"

namespace quarnel {

class ProgramLinesModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void SetLines(std::vector<std::string_view> lines) {
    beginResetModel();
    lines_ = std::move(lines);
    numberWidth_ = static_cast<int>(QString::number(lines_.size()).size());
    endResetModel();
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
  }

  // "  12  G1X5": the number right-aligned to the widest, then the line as it stands.
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const std::string_view line = lines_[static_cast<std::size_t>(index.row())];
    return QStringLiteral("%1  %2")
        .arg(index.row() + 1, numberWidth_)
        .arg(ShownName(line));
  }

 private:
  std::vector<std::string_view> lines_;
  int numberWidth_ = 1;
};

ProgramTextView::ProgramTextView(QWidget* parent)
    : QListView(parent), model_(new ProgramLinesModel(this)) {
  setModel(model_);
  setUniformItemSizes(true);  // long programs scroll without measuring every row
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!selecting_ && current.isValid()) emit LineChosen(current.row() + 1);
          });
}

void ProgramTextView::SetLines(std::vector<std::string_view> lines) {
  model_->SetLines(std::move(lines));
}

void ProgramTextView::SelectLine(int line) {
  selecting_ = true;
  const QModelIndex index = model_->index(line - 1, 0);
  if (index.isValid()) {
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
  } else {
    selectionModel()->clear();
  }
  selecting_ = false;
}

int ProgramTextView::SelectedLine() const {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  return selected.isEmpty() ? 0 : selected.front().row() + 1;
}

}  // namespace quarnel
