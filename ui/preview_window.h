// The preview of one conversion: the output program's toolpath over its source's, the part of
// the output's header, the comparison's verdict and the extents, in a window of its own.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/geometry/nearest_move.h"
#include "engine/geometry/part_check.h"
#include "ui/toolpath_canvas.h"

class QLabel;
class QListWidget;

namespace quarnel {

class FileStore;

// A program to preview: the name it is shown by, and its bytes.
struct PreviewProgram {
  QString name;
  std::string text;
};

class PreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // Draws output over source; without a source only the output is drawn and nothing compared.
  // The comparison is --verify's (VerifyProgram) with the tool table and the dimension texts of
  // inputs.
  PreviewWindow(PreviewProgram output, std::optional<PreviewProgram> source,
                const ConversionInputs& inputs, QWidget* parent = nullptr);

  // Reads the output file and, when sourcePath is not empty, the source file. A file that
  // cannot be read is named in the window instead of drawn; without a readable output nothing
  // is drawn or compared.
  static PreviewWindow* FromFiles(FileStore& files, const std::string& outputPath,
                                  const std::string& sourcePath, const ConversionInputs& inputs,
                                  QWidget* parent = nullptr);

  ToolpathCanvas* Canvas() const { return canvas_; }
  QString ShownVerdict() const;
  QString ShownExtents() const;
  QString ShownMoveInfo() const;  // the lines of the move under the pointer or clicked last
  const GeometryCheck& Check() const { return geometry_.check; }

  // Shows the lines of the move nearest to a point (machine coordinates), and highlights it.
  void ShowMoveAt(QPointF machinePoint);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void BuildDrawing();
  void ShowTexts();
  void FillDetails();
  void ShowDetail(int row);
  void Highlight(const std::vector<const Move*>& moves);
  const Toolpath& PathOf(bool output) const { return output ? geometry_.output : geometry_.source; }
  QString LineText(bool output, int line) const;
  QString DescribeMove(bool output, std::size_t index) const;
  std::optional<std::size_t> PartnerOf(bool output, std::size_t index) const;

  PreviewProgram output_;
  std::optional<PreviewProgram> source_;
  std::vector<std::string_view> outputLines_;
  std::vector<std::string_view> sourceLines_;
  ProgramGeometry geometry_;  // without a source, its toolpath is empty and nothing compared
  MovePartners partners_;

  ToolpathCanvas* canvas_ = nullptr;
  QLabel* verdict_ = nullptr;
  QLabel* extents_ = nullptr;
  QLabel* moveInfo_ = nullptr;
  QListWidget* details_ = nullptr;
};

}  // namespace quarnel
