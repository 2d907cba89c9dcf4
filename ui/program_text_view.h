// A program's text beside the preview's drawing: one row per line, with its number, read only.
#pragma once

#include <QListView>
#include <string_view>
#include <vector>

namespace quarnel {

class ProgramLinesModel;

class ProgramTextView : public QListView {
  Q_OBJECT

 public:
  explicit ProgramTextView(QWidget* parent = nullptr);

  // lines view text that the caller keeps alive as long as the view shows it.
  void SetLines(std::vector<std::string_view> lines);
  // Selects line (counted from 1) and scrolls to it; 0 or a line beyond the program clears the
  // selection. Emits no LineChosen.
  void SelectLine(int line);
  int SelectedLine() const;  // 0 for none

 signals:
  // The user selected a line, by mouse or keyboard.
  void LineChosen(int line);

 private:
  ProgramLinesModel* model_ = nullptr;
  bool selecting_ = false;  // the program, not the user, is selecting
};

}  // namespace quarnel
