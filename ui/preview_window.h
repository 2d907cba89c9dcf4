// The preview of one conversion, for checking a program at the machine's desk: the output
// program's toolpath over its source's, coloured by depth, from the top or from the side; both
// programs' texts beside it, linked to the drawing both ways; the differences and notes; and the
// verdict, the machining time and the part's extents in one bar at the top.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/geometry/machining_time.h"
#include "engine/geometry/nearest_move.h"
#include "engine/geometry/part_check.h"
#include "engine/geometry/side_view.h"
#include "ui/toolpath_canvas.h"

class QButtonGroup;
class QLabel;
class QListWidget;

namespace quarnel {

class FileStore;
class ProgramTextView;

// A program to preview: the name it is shown by, and its bytes.
struct PreviewProgram {
  QString name;
  std::string text;
};

class PreviewWindow : public QWidget {
  Q_OBJECT

 public:
  enum class View { kTop, kSideX, kSideY };

  // Draws output over source; without a source only the output is drawn and nothing compared.
  // The comparison is --verify's (VerifyProgram) with the tool table and the dimension texts of
  // inputs.
  PreviewWindow(PreviewProgram output, std::optional<PreviewProgram> source,
                const ConversionInputs& inputs, const MachiningTimeSettings& timeSettings = {},
                QWidget* parent = nullptr);

  // Reads the output file and, when sourcePath is not empty, the source file. A file that
  // cannot be read is named in the window instead of drawn; without a readable output nothing
  // is drawn or compared.
  static PreviewWindow* FromFiles(FileStore& files, const std::string& outputPath,
                                  const std::string& sourcePath, const ConversionInputs& inputs,
                                  const MachiningTimeSettings& timeSettings = {},
                                  QWidget* parent = nullptr);

  ToolpathCanvas* Canvas() const { return canvas_; }
  ProgramTextView* SourceText() const { return sourceText_; }
  ProgramTextView* OutputText() const { return outputText_; }
  QString ShownVerdict() const;
  QString ShownTime() const;
  QString ShownExtents() const;
  QString ShownMoveInfo() const;  // the lines of the move under the pointer or selected last
  QString ShownPointer() const;   // where the pointer is, in the program's units
  const GeometryCheck& Check() const { return geometry_.check; }
  View ShownView() const { return view_; }

  // Shows the lines of the move nearest to a point of the drawing, and highlights it.
  void ShowMoveAt(QPointF drawingPoint);
  // Selects the move nearest to a point of the drawing: it and the move compared with it are
  // marked and their lines selected in both texts.
  void SelectMoveAt(QPointF drawingPoint);
  // Selects the moves of a program line, the moves compared with them, and their lines.
  void SelectLine(bool output, int line);
  void ShowView(View view);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildTopBar();
  QWidget* BuildViewBar();
  void BuildDrawing();
  void AddSourceLayers(std::vector<PreviewLayer>& layers) const;
  void AddOutputLayers(std::vector<PreviewLayer>& layers) const;
  std::size_t OriginOf(bool output, std::size_t drawn) const;
  std::optional<Move> DrawnApproach(bool output, std::size_t drawn) const;
  PreviewLayer DifferenceLayer() const;
  QRectF PartShown() const;
  void ShowTexts();
  void FillDetails();
  void ShowDetail(int row);
  void ShowPointer(QPointF drawingPoint);
  void SelectMoves(const std::vector<std::size_t>& source, const std::vector<std::size_t>& output);
  PreviewLayer MarkLayer(const QString& name, const MarkStyle& style,
                         const std::vector<std::size_t>& source,
                         const std::vector<std::size_t>& output) const;
  std::optional<MoveIndex> MoveNear(QPointF drawingPoint) const;
  std::vector<std::size_t> MovesOfLine(bool output, int line) const;
  std::vector<std::size_t> Partners(bool output, const std::vector<std::size_t>& moves) const;
  const Toolpath& PathOf(bool output) const { return output ? geometry_.output : geometry_.source; }
  const Toolpath& DrawnPath(bool output) const;
  QPointF DrawnEnd(bool output, std::size_t move) const;
  QString LineText(bool output, int line) const;
  QString DescribeMove(bool output, std::size_t index) const;
  std::optional<std::size_t> PartnerOf(bool output, std::size_t index) const;

  PreviewProgram output_;
  std::optional<PreviewProgram> source_;
  std::vector<std::string_view> outputLines_;
  std::vector<std::string_view> sourceLines_;
  ProgramGeometry geometry_;  // without a source, its toolpath is empty and nothing compared
  MovePartners partners_;
  MachiningTime time_;
  DepthScale depth_;
  View view_ = View::kTop;
  SideView sideSource_;  // the side view shown, when it is one
  SideView sideOutput_;

  QLabel* verdict_ = nullptr;
  QLabel* timeLabel_ = nullptr;
  QLabel* extents_ = nullptr;
  QLabel* pointer_ = nullptr;
  QButtonGroup* views_ = nullptr;
  ToolpathCanvas* canvas_ = nullptr;
  ProgramTextView* sourceText_ = nullptr;
  ProgramTextView* outputText_ = nullptr;
  QLabel* moveInfo_ = nullptr;
  QListWidget* details_ = nullptr;
};

}  // namespace quarnel
