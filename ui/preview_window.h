// The preview of one conversion: the output program's toolpath over its source's, the part of
// the output's header, the comparison's verdict and the extents, in a window of its own.
#pragma once

#include <QPen>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "engine/geometry/arc_geometry.h"
#include "engine/geometry/geometry_check.h"
#include "engine/geometry/part_check.h"
#include "engine/geometry/toolpath.h"

class QLabel;
class QListWidget;

namespace quarnel {

// A program to preview: the name it is shown by, and its bytes.
struct PreviewProgram {
  QString name;
  std::string text;
};

// Moves drawn alike: one pen (its width in pixels at every zoom), lines and arcs, and points
// drawn as rings (drilling) or squares (cycles) of one size in pixels. Coordinates are the
// machine's, Y up.
struct PreviewLayer {
  QString name;
  QPen pen;
  double pointRadius = 0;  // pixels
  std::vector<QLineF> lines;
  std::vector<ArcShape> arcs;
  std::vector<QPointF> rings;
  std::vector<QPointF> squares;
  Extents extents;  // of everything in the layer

  void Add(const Move& move);
  bool Empty() const { return extents.empty; }
  QRectF Bounds() const;
};

// Paints layers with its own painter: only what lies in the part of the widget being painted,
// arcs as chords as fine as the zoom needs, points as ready-made pixmaps. Zooms with the wheel
// around the pointer, pans when dragged (moving the painted pixels and painting only the strip
// that comes into view), and reports where the pointer rests and where it clicks.
class ToolpathCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit ToolpathCanvas(QWidget* parent = nullptr);

  // The part rectangle may be null (no header).
  void SetDrawing(std::vector<PreviewLayer> layers, QRectF part);
  // Drawn on top of everything else; an empty layer clears it.
  void SetHighlight(PreviewLayer layer);
  const std::vector<PreviewLayer>& Layers() const { return layers_; }
  QRectF Part() const { return part_; }

  // Shows the whole drawing, with a small margin.
  void FitAll();
  void CentreOn(QPointF machinePoint);
  double Scale() const { return scale_; }  // pixels per unit
  QPointF ToMachine(QPointF pixel) const;
  QPointF ToPixel(QPointF machinePoint) const;

 signals:
  void PointerAt(QPointF machinePoint);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PaintArea(QPainter& painter, const QRect& area);
  void PaintLayer(QPainter& painter, const PreviewLayer& layer, const QRectF& visible);
  void AddArcChords(const ArcShape& arc);
  const QPixmap& PointPixmap(const PreviewLayer& layer, bool ring);

  std::vector<PreviewLayer> layers_;
  PreviewLayer highlight_;
  QRectF part_;
  Extents drawing_;                                        // everything there is to show
  std::vector<std::pair<QString, QPixmap>> pointPixmaps_;  // by layer name and shape
  double scale_ = 1;
  double fitScale_ = 1;
  QPointF offset_;  // pixel of the machine's origin
  bool fitted_ = false;
  bool dragging_ = false;
  QPoint pressedAt_;
  QPoint lastAt_;
  std::vector<QLineF> pixelLines_;  // reused while painting
};

class PreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // Draws output over source; without a source only the output is drawn and nothing compared.
  // With inputs, the source's tools go through their table and the output's form is checked
  // against their dimensions (or the source's G200), as --verify does.
  PreviewWindow(PreviewProgram output, std::optional<PreviewProgram> source,
                QWidget* parent = nullptr, const ConversionInputs* inputs = nullptr);

  // Reads the output file and, when sourcePath is not empty, the source file. A file that
  // cannot be read is named in the window instead of drawn.
  static PreviewWindow* FromFiles(const QString& outputPath, const QString& sourcePath,
                                  QWidget* parent = nullptr,
                                  const ConversionInputs* inputs = nullptr);

  ToolpathCanvas* Canvas() const { return canvas_; }
  QString ShownVerdict() const;
  QString ShownExtents() const;
  QString ShownMoveInfo() const;  // the lines of the move under the pointer or clicked last
  const GeometryCheck& Check() const { return check_; }

  // Shows the lines of the move nearest to a point (machine coordinates), and highlights it.
  void ShowMoveAt(QPointF machinePoint);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildDrawing();
  void ShowTexts();
  void FillDetails();
  void ShowDetail(int row);
  void Highlight(const std::vector<const Move*>& moves);
  QString LineText(bool output, int line) const;
  QString DescribeMove(bool output, std::size_t index) const;
  std::optional<std::size_t> PartnerOf(bool output, std::size_t index) const;

  PreviewProgram output_;
  std::optional<PreviewProgram> source_;
  std::vector<std::string_view> outputLines_;
  std::vector<std::string_view> sourceLines_;
  Toolpath outputPath_;
  Toolpath sourcePath_;
  GeometryCheck check_;
  PartCheck part_;
  std::vector<std::size_t> sourceToOutput_;  // per source move, its output move or npos
  std::vector<std::size_t> outputToSource_;

  ToolpathCanvas* canvas_ = nullptr;
  QLabel* verdict_ = nullptr;
  QLabel* extents_ = nullptr;
  QLabel* moveInfo_ = nullptr;
  QListWidget* details_ = nullptr;
};

}  // namespace quarnel
