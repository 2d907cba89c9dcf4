#include "ui/toolpath_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "engine/geometry/drawing_scale.h"
#include "support/decimal_text.h"

namespace quarnel {

namespace {

constexpr double kWheelZoomBase = 1.0015;  // per eighth of a degree: one notch zooms by 1.2
constexpr double kSmallestZoom = 0.05;     // of the fitted scale
constexpr double kLargestZoom = 1e5;
constexpr double kFitMargin = 0.04;       // of the drawing, around it when fitted
constexpr double kPaintSlack = 12;        // pixels a line or point may reach beyond its box
constexpr double kArcPixelsPerChord = 3;  // arcs are painted as chords about this long
constexpr int kMostChordsPerArc = 720;
constexpr int kClickPixels = 4;        // a press and release this close is a click
constexpr double kGridPixels = 40;     // grid lines at least this far apart
constexpr std::size_t kMostGridLines = 400;
constexpr StyleColour kGridColour{0xe4, 0xe4, 0xe4};
constexpr int kScaleBarPixels = 140;  // the longest the scale bar may be
constexpr int kCornerMargin = 8;      // between the corner boxes and the edges
constexpr int kCornerPadding = 6;
constexpr int kSwatchWidth = 14;
constexpr int kSwatchHeight = 12;
constexpr int kDepthDecimals = 3;
constexpr StyleColour kCornerFill{0xff, 0xff, 0xff, 210};

QRectF BoxOf(const Extents& extents) {
  return QRectF(QPointF(extents.x.min, extents.y.min), QPointF(extents.x.max, extents.y.max));
}

bool Overlap(const QRectF& a, const QRectF& b) {
  return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() &&
         b.top() <= a.bottom();
}

bool Inside(const QRectF& box, QPointF point) {
  return point.x() >= box.left() && point.x() <= box.right() && point.y() >= box.top() &&
         point.y() <= box.bottom();
}

QRectF LineBox(const QLineF& line) { return QRectF(line.p1(), line.p2()).normalized(); }

}  // namespace

QColor QColorOf(StyleColour colour) {
  return QColor(colour.red, colour.green, colour.blue, colour.alpha);
}

QPen StylePen(StyleColour colour, double width, bool dashed) {
  QPen pen(QColorOf(colour), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  pen.setCosmetic(true);
  if (dashed) pen.setDashPattern({kRapidDash / width, kRapidGap / width});  // in pen widths
  return pen;
}

void PreviewLayer::Add(const Move& move) {
  const QPointF to(move.to.x, move.to.y);
  extents.Add(ExtentsOf(move));
  if (IsPoint(move)) {
    (move.kind == MoveKind::kDrill ? rings : squares).push_back(to);
    return;
  }
  if (const std::optional<ArcShape> arc = ArcOf(move)) {
    arcs.push_back(*arc);
  } else {
    lines.emplace_back(QPointF(move.from.x, move.from.y), to);
  }
}

QRectF PreviewLayer::Bounds() const { return BoxOf(extents); }

ToolpathCanvas::ToolpathCanvas(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::OpenHandCursor);
  setMinimumSize(200, 150);
}

void ToolpathCanvas::SetDrawing(std::vector<PreviewLayer> layers, QRectF part) {
  layers_ = std::move(layers);
  part_ = part;
  drawing_ = Extents();
  if (!part.isNull()) {
    drawing_.Add(Position{part.left(), part.top(), 0});
    drawing_.Add(Position{part.right(), part.bottom(), 0});
  }
  for (const PreviewLayer& layer : layers_) drawing_.Add(layer.extents);
  pointPixmaps_.clear();
  fitted_ = false;
  FitAll();
}

void ToolpathCanvas::SetHighlight(PreviewLayer layer) {
  highlight_ = std::move(layer);
  update();
}

void ToolpathCanvas::SetSelection(PreviewLayer layer) {
  selection_ = std::move(layer);
  update();
}

void ToolpathCanvas::SetMeasures(bool inches, std::optional<DepthScale> depth) {
  inches_ = inches;
  depth_ = depth;
  update();
}

double ToolpathCanvas::GridStepShown() const { return GridStep(scale_, kGridPixels); }

void ToolpathCanvas::FitAll() {
  if (width() <= 0 || height() <= 0) return;
  const QRectF drawing = BoxOf(drawing_);
  const double span = std::max({drawing.width(), drawing.height(), 1e-9});
  const QRectF shown = drawing.adjusted(-kFitMargin * span, -kFitMargin * span, kFitMargin * span,
                                        kFitMargin * span);
  scale_ =
      std::min(width() / std::max(shown.width(), 1e-9), height() / std::max(shown.height(), 1e-9));
  fitScale_ = scale_;
  CentreOn(shown.center());
  fitted_ = true;
}

void ToolpathCanvas::CentreOn(QPointF machinePoint) {
  offset_ = QPointF(width() / 2.0 - machinePoint.x() * scale_,
                    height() / 2.0 + machinePoint.y() * scale_);
  update();
}

QPointF ToolpathCanvas::ToMachine(QPointF pixel) const {
  return {(pixel.x() - offset_.x()) / scale_, (offset_.y() - pixel.y()) / scale_};
}

QPointF ToolpathCanvas::ToPixel(QPointF machinePoint) const {
  return {offset_.x() + machinePoint.x() * scale_, offset_.y() - machinePoint.y() * scale_};
}

// A pan exposes a strip along one or two edges: each strip is painted on its own, with only
// what lies in it.
void ToolpathCanvas::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  for (const QRect& area : event->region()) {
    painter.setClipRect(area);
    PaintArea(painter, area);
  }
  painter.setClipRegion(event->region());
  PaintScaleBar(painter);
  PaintDepthScale(painter);
}

// The part's fill, the grid over it, the part's edge, then the moves.
void ToolpathCanvas::PaintArea(QPainter& painter, const QRect& area) {
  painter.fillRect(area, Qt::white);
  const QRectF pixels = QRectF(area).adjusted(-kPaintSlack, -kPaintSlack, kPaintSlack, kPaintSlack);
  const QRectF visible = QRectF(ToMachine(pixels.bottomLeft()), ToMachine(pixels.topRight()));
  const QRectF part = QRectF(ToPixel(part_.bottomLeft()), ToPixel(part_.topRight())).normalized();
  if (!part_.isNull()) painter.fillRect(part, QColorOf(kPartFill));
  PaintGrid(painter, visible);
  if (!part_.isNull()) {
    painter.setPen(StylePen(kPartEdge, 1));
    painter.drawRect(part);
  }
  PaintLayer(painter, selection_, visible);  // under the lines, which show through them
  PaintLayer(painter, highlight_, visible);
  for (const PreviewLayer& layer : layers_) PaintLayer(painter, layer, visible);
}

// Lines at whole multiples of the step, so that they keep their places as the view pans.
void ToolpathCanvas::PaintGrid(QPainter& painter, const QRectF& visible) {
  const double step = GridStepShown();
  painter.setPen(StylePen(kGridColour, 1));
  const QRectF box = visible.normalized();
  for (const double x : GridLines(box.left(), box.right(), step, kMostGridLines)) {
    const double pixel = ToPixel(QPointF(x, 0)).x();
    painter.drawLine(QPointF(pixel, 0), QPointF(pixel, height()));
  }
  for (const double y : GridLines(box.top(), box.bottom(), step, kMostGridLines)) {
    const double pixel = ToPixel(QPointF(0, y)).y();
    painter.drawLine(QPointF(0, pixel), QPointF(width(), pixel));
  }
}

QRect ToolpathCanvas::ScaleBarBox() const {
  const QFontMetrics metrics = fontMetrics();
  const int boxWidth = kScaleBarPixels + metrics.horizontalAdvance(QStringLiteral("0000.0001 mm")) +
                       3 * kCornerPadding;
  const int boxHeight = metrics.height() + 2 * kCornerPadding;
  return {kCornerMargin, height() - kCornerMargin - boxHeight, boxWidth, boxHeight};
}

// The longest round length that fits, with its ends marked and its length beside it.
void ToolpathCanvas::PaintScaleBar(QPainter& painter) {
  const QRect box = ScaleBarBox();
  const ScaleBar bar = ScaleBarFor(scale_, kScaleBarPixels, inches_);
  painter.fillRect(box, QColorOf(kCornerFill));
  painter.setPen(QPen(Qt::black, 1));
  const double left = box.left() + kCornerPadding;
  const double middle = box.center().y() + 0.5;
  const double tick = kCornerPadding / 2.0 + 1;
  painter.drawLine(QPointF(left, middle), QPointF(left + bar.pixels, middle));
  painter.drawLine(QPointF(left, middle - tick), QPointF(left, middle + tick));
  painter.drawLine(QPointF(left + bar.pixels, middle - tick), QPointF(left + bar.pixels, middle + tick));
  painter.drawText(QRectF(left + bar.pixels + kCornerPadding, box.top(), box.width(), box.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(bar.label));
}

QRect ToolpathCanvas::DepthScaleBox() const {
  if (!depth_) return {};
  const QFontMetrics metrics = fontMetrics();
  const int boxWidth = kSwatchWidth + metrics.horizontalAdvance(QStringLiteral("-0000.000 mm")) +
                       3 * kCornerPadding;
  const int boxHeight = metrics.height() + kDepthBands * kSwatchHeight + 3 * kCornerPadding;
  return {width() - kCornerMargin - boxWidth, height() - kCornerMargin - boxHeight, boxWidth,
          boxHeight};
}

// "depth", the bands from the top down, the top's depth beside the first and the deepest cut's
// beside the last.
void ToolpathCanvas::PaintDepthScale(QPainter& painter) {
  if (!depth_) return;
  const QRect box = DepthScaleBox();
  painter.fillRect(box, QColorOf(kCornerFill));
  painter.setPen(QPen(Qt::black, 1));
  const int lineHeight = fontMetrics().height();
  const int left = box.left() + kCornerPadding;
  painter.drawText(QRect(left, box.top() + kCornerPadding, box.width(), lineHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("depth"));
  const int top = box.top() + 2 * kCornerPadding + lineHeight;
  for (int band = 0; band < kDepthBands; ++band) {
    painter.fillRect(QRect(left, top + band * kSwatchHeight, kSwatchWidth, kSwatchHeight),
                     QColorOf(DepthBandColour(band)));
  }
  const QString units = inches_ ? QStringLiteral(" in") : QStringLiteral(" mm");
  const int textLeft = left + kSwatchWidth + kCornerPadding;
  painter.drawText(QRect(textLeft, top, box.width(), kSwatchHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(DecimalText(depth_->top, kDepthDecimals)));
  painter.drawText(QRect(textLeft, top + (kDepthBands - 1) * kSwatchHeight, box.width(),
                         kSwatchHeight),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(DecimalText(depth_->deepest, kDepthDecimals)) + units);
}

// Lines go to the painter in one call, in pixels; what lies outside the painted part is left.
void ToolpathCanvas::PaintLayer(QPainter& painter, const PreviewLayer& layer,
                                const QRectF& visible) {
  if (layer.Empty() || !Overlap(layer.Bounds(), visible)) return;
  painter.setPen(layer.pen);
  pixelLines_.clear();
  for (const QLineF& line : layer.lines) {
    if (Overlap(LineBox(line), visible)) {
      pixelLines_.emplace_back(ToPixel(line.p1()), ToPixel(line.p2()));
    }
  }
  for (const ArcShape& arc : layer.arcs) {
    const QRectF circle(arc.centreX - arc.radius, arc.centreY - arc.radius, 2 * arc.radius,
                        2 * arc.radius);
    if (Overlap(circle, visible)) AddArcChords(arc);
  }
  painter.drawLines(pixelLines_.data(), static_cast<int>(pixelLines_.size()));
  for (const bool ring : {true, false}) {
    const QPixmap& pixmap = PointPixmap(layer, ring);
    const QPointF half(pixmap.width() / 2.0, pixmap.height() / 2.0);
    for (const QPointF& point : ring ? layer.rings : layer.squares) {
      if (Inside(visible, point)) painter.drawPixmap(ToPixel(point) - half, pixmap);
    }
  }
}

// As many chords as the arc's length on the screen asks for, with the lines to paint.
void ToolpathCanvas::AddArcChords(const ArcShape& arc) {
  const double pixels = std::abs(arc.sweep) * arc.radius * scale_;
  const int chords =
      std::clamp(static_cast<int>(pixels / kArcPixelsPerChord), 1, kMostChordsPerArc);
  QPointF from = ToPixel(QPointF(ArcPointX(arc, arc.startAngle), ArcPointY(arc, arc.startAngle)));
  for (int k = 1; k <= chords; ++k) {
    const double angle = arc.startAngle + arc.sweep * k / chords;
    const QPointF to = ToPixel(QPointF(ArcPointX(arc, angle), ArcPointY(arc, angle)));
    pixelLines_.emplace_back(from, to);
    from = to;
  }
}

// A ring or a square in the layer's pen, drawn once and copied to every point.
const QPixmap& ToolpathCanvas::PointPixmap(const PreviewLayer& layer, bool ring) {
  const QString key = layer.name + (ring ? QStringLiteral(" ring") : QStringLiteral(" square"));
  for (const auto& [name, pixmap] : pointPixmaps_) {
    if (name == key) return pixmap;
  }
  const double radius = layer.pointRadius;
  const int size = static_cast<int>(std::ceil(2 * radius + layer.pen.widthF() + 2));
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen = layer.pen;
  pen.setWidthF(std::min(pen.widthF(), radius / 2));
  painter.setPen(pen);
  const QPointF centre(size / 2.0, size / 2.0);
  if (ring) {
    painter.drawEllipse(centre, radius, radius);
  } else {
    painter.drawRect(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)));
  }
  painter.end();
  pointPixmaps_.emplace_back(key, pixmap);
  return pointPixmaps_.back().second;
}

void ToolpathCanvas::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!fitted_ || scale_ == fitScale_) FitAll();
}

// Keeps the machine point under the pointer where it is.
void ToolpathCanvas::wheelEvent(QWheelEvent* event) {
  event->accept();
  const double factor = std::pow(kWheelZoomBase, event->angleDelta().y());
  const double zoom = scale_ * factor / fitScale_;
  if (zoom < kSmallestZoom || zoom > kLargestZoom) return;
  const QPointF pointer = event->position();
  const QPointF under = ToMachine(pointer);
  scale_ *= factor;
  offset_ += pointer - ToPixel(under);
  update();
}

void ToolpathCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  pressedAt_ = lastAt_ = event->position().toPoint();
  setCursor(Qt::ClosedHandCursor);
}

// Dragging moves the painted pixels along; only the strip that comes into view is painted.
void ToolpathCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (!dragging_) {
    emit PointerAt(ToMachine(at));
    return;
  }
  const QPoint moved = at - lastAt_;
  lastAt_ = at;
  offset_ += moved;
  scroll(moved.x(), moved.y());
  // The corner boxes stay where they are: painted afresh there and where scrolling took them.
  for (const QRect& box : {ScaleBarBox(), DepthScaleBox()}) {
    update(box);
    update(box.translated(moved));
  }
}

void ToolpathCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  setCursor(Qt::OpenHandCursor);
  const QPoint at = event->position().toPoint();
  if ((at - pressedAt_).manhattanLength() <= kClickPixels) emit ClickedAt(ToMachine(at));
}

}  // namespace quarnel
