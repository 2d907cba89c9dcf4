// The zoom and pan canvas of the preview: layers of moves drawn in the machine's plane, Y up.
#pragma once

#include <QPen>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

#include "engine/geometry/arc_geometry.h"
#include "engine/geometry/depth_scale.h"
#include "engine/geometry/toolpath.h"
#include "engine/geometry/toolpath_style.h"

namespace quarnel {

QColor QColorOf(StyleColour colour);
// A pen of width pixels at every zoom; dashed as rapid moves are drawn.
QPen StylePen(StyleColour colour, double width, bool dashed = false);

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
// arcs as chords as fine as the zoom needs, points as ready-made pixmaps, over a grid whose step
// follows the zoom; a scale bar and the depth scale stay in the corners. Zooms with the wheel
// around the pointer, pans when dragged (moving the painted pixels and painting only the strip
// that comes into view, and the corners), and reports where the pointer rests and where it
// clicks.
class ToolpathCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit ToolpathCanvas(QWidget* parent = nullptr);

  // The part rectangle may be null (no header).
  void SetDrawing(std::vector<PreviewLayer> layers, QRectF part);
  // Drawn under everything else, the moves pointed at over those selected; an empty layer
  // clears either.
  void SetHighlight(PreviewLayer layer);
  void SetSelection(PreviewLayer layer);
  // What the scale bar and the depth scale say: the units, and the depths of the colours
  // (none: no depth scale).
  void SetMeasures(bool inches, std::optional<DepthScale> depth);
  const std::vector<PreviewLayer>& Layers() const { return layers_; }
  const PreviewLayer& Selection() const { return selection_; }
  QRectF Part() const { return part_; }

  // Shows the whole drawing, with a small margin.
  void FitAll();
  void CentreOn(QPointF machinePoint);
  double Scale() const { return scale_; }  // pixels per unit
  double GridStepShown() const;            // units between grid lines
  QPointF ToMachine(QPointF pixel) const;
  QPointF ToPixel(QPointF machinePoint) const;

 signals:
  void PointerAt(QPointF machinePoint);  // the pointer rests there
  void ClickedAt(QPointF machinePoint);

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
  void PaintGrid(QPainter& painter, const QRectF& visible);
  void PaintScaleBar(QPainter& painter);
  void PaintDepthScale(QPainter& painter);
  QRect ScaleBarBox() const;
  QRect DepthScaleBox() const;
  void AddArcChords(const ArcShape& arc);
  const QPixmap& PointPixmap(const PreviewLayer& layer, bool ring);

  std::vector<PreviewLayer> layers_;
  PreviewLayer highlight_;
  PreviewLayer selection_;
  bool inches_ = false;
  std::optional<DepthScale> depth_;
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

}  // namespace quarnel
