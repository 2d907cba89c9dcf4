#include "ui/preview_window.h"

#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/geometry/output_form.h"
#include "engine/translate/line_scanner.h"
#include "tools/tool_table.h"

namespace quarnel {

namespace {

constexpr double kWheelZoomBase = 1.0015;  // per eighth of a degree: one notch zooms by 1.2
constexpr double kSmallestZoom = 0.05;     // of the fitted scale
constexpr double kLargestZoom = 1e5;
constexpr double kFitMargin = 0.04;       // of the drawing, around it when fitted
constexpr double kPaintSlack = 12;        // pixels a line or point may reach beyond its box
constexpr double kArcPixelsPerChord = 3;  // arcs are painted as chords about this long
constexpr int kMostChordsPerArc = 720;
constexpr double kPickPixels = 8;      // how near the pointer must be to a move
constexpr int kClickPixels = 4;        // a press and release this close is a click
constexpr int kShownLineLength = 160;  // longer program lines are cut in the move info
constexpr int kDetailRowsShown = 5;
constexpr qint64 kLargestProgram = 64 * 1024 * 1024;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr int kDetailSide = Qt::UserRole;      // list entry: 1 output, 0 source, -1 nothing
constexpr int kDetailLine = Qt::UserRole + 1;  // list entry: the line to show

const QColor kSourceColour(107, 174, 214);
const QColor kOutputColour(217, 95, 2);
const QColor kDifferenceColour(227, 26, 28);
const QColor kHighlightColour(255, 196, 0, 170);
const QColor kPartFill(247, 243, 234);
const QColor kPartEdge(140, 130, 115);
const QColor kIdenticalColour(26, 127, 55);

// The source lies wide and light under the output, so that both show where they agree.
constexpr double kSourceWidth = 5;
constexpr double kOutputWidth = 1.5;
constexpr double kDifferenceWidth = 3;
constexpr double kHighlightWidth = 9;
constexpr double kSourcePointRadius = 6;
constexpr double kOutputPointRadius = 4;
constexpr double kDifferencePointRadius = 8;
constexpr double kHighlightPointRadius = 10;

QPen CosmeticPen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen(colour, width, style, Qt::SquareCap, Qt::MiterJoin);
  pen.setCosmetic(true);
  return pen;
}

PreviewLayer MakeLayer(const QString& name, const QPen& pen, double pointRadius) {
  PreviewLayer layer;
  layer.name = name;
  layer.pen = pen;
  layer.pointRadius = pointRadius;
  return layer;
}

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

// How far a point of the machine's plane lies from a move as drawn.
double DistanceTo(const Move& move, QPointF point) {
  const double x = point.x();
  const double y = point.y();
  const double toEnd = std::hypot(x - move.to.x, y - move.to.y);
  if (IsPoint(move)) return toEnd;
  const double toStart = std::hypot(x - move.from.x, y - move.from.y);
  if (const std::optional<ArcShape> arc = ArcOf(move)) {
    if (ArcPasses(*arc, std::atan2(y - arc->centreY, x - arc->centreX))) {
      return std::abs(std::hypot(x - arc->centreX, y - arc->centreY) - arc->radius);
    }
    return std::min(toStart, toEnd);
  }
  const double dx = move.to.x - move.from.x;
  const double dy = move.to.y - move.from.y;
  const double length = dx * dx + dy * dy;
  if (length == 0) return toStart;
  const double along =
      std::clamp(((x - move.from.x) * dx + (y - move.from.y) * dy) / length, 0.0, 1.0);
  return std::hypot(x - (move.from.x + along * dx), y - (move.from.y + along * dy));
}

// True when the point lies farther than reach from the box of a line or a point.
bool FarFrom(const Move& move, QPointF point, double reach) {
  const QRectF box =
      IsPoint(move)
          ? QRectF(QPointF(move.to.x, move.to.y), QSizeF())
          : QRectF(QPointF(move.from.x, move.from.y), QPointF(move.to.x, move.to.y)).normalized();
  return !Inside(box.adjusted(-reach, -reach, reach, reach), point);
}

// Reads a whole regular file of sensible size; nullopt and the reason otherwise.
std::optional<std::string> ReadProgram(const QString& path, QString& problem) {
  const QFileInfo info(path);
  if (!info.isFile()) {
    problem = QStringLiteral("%1 is not a readable file").arg(path);
    return std::nullopt;
  }
  if (info.size() > kLargestProgram) {
    problem = QStringLiteral("%1 is too large to preview").arg(path);
    return std::nullopt;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  const QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

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
}

void ToolpathCanvas::PaintArea(QPainter& painter, const QRect& area) {
  painter.fillRect(area, Qt::white);
  const QRectF pixels = QRectF(area).adjusted(-kPaintSlack, -kPaintSlack, kPaintSlack, kPaintSlack);
  const QRectF visible = QRectF(ToMachine(pixels.bottomLeft()), ToMachine(pixels.topRight()));
  if (!part_.isNull()) {
    painter.setPen(CosmeticPen(kPartEdge, 1));
    painter.setBrush(kPartFill);
    painter.drawRect(QRectF(ToPixel(part_.bottomLeft()), ToPixel(part_.topRight())).normalized());
    painter.setBrush(Qt::NoBrush);
  }
  PaintLayer(painter, highlight_, visible);  // under the lines, which show through it
  for (const PreviewLayer& layer : layers_) PaintLayer(painter, layer, visible);
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
}

void ToolpathCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  setCursor(Qt::OpenHandCursor);
  const QPoint at = event->position().toPoint();
  if ((at - pressedAt_).manhattanLength() <= kClickPixels) emit PointerAt(ToMachine(at));
}

PreviewWindow::PreviewWindow(PreviewProgram output, std::optional<PreviewProgram> source,
                             QWidget* parent, const ConversionInputs* inputs)
    : QWidget(parent), output_(std::move(output)), source_(std::move(source)) {
  setWindowTitle(QStringLiteral("Preview - %1").arg(output_.name));
  outputLines_ = SplitLines(output_.text);
  outputPath_ = InterpretOutput(output_.text);
  if (source_) {
    sourceLines_ = SplitLines(source_->text);
    const ToolTable noTools;
    sourcePath_ = InterpretSource(source_->text, inputs ? inputs->tools : noTools);
    check_ = CompareToolpaths(sourcePath_, outputPath_);
    if (inputs && inputs->dimensions) {
      const DimensionTexts dims =
          HeaderDimensionsFor(source_->text, inputs->tools, *inputs->dimensions);
      CheckOutputForm(output_.text, &dims, check_);
    }
  }
  part_ = CheckPart(outputPath_);
  sourceToOutput_.assign(sourcePath_.moves.size(), kNone);
  outputToSource_.assign(outputPath_.moves.size(), kNone);
  for (const MovePair& pair : check_.pairs) {
    sourceToOutput_[pair.source] = pair.output;
    outputToSource_[pair.output] = pair.source;
  }

  auto* layout = new QVBoxLayout(this);
  verdict_ = new QLabel(this);
  verdict_->setObjectName(QStringLiteral("verdict"));
  verdict_->setWordWrap(true);
  auto* legend = new QLabel(this);
  legend->setObjectName(QStringLiteral("legend"));
  legend->setText(
      QStringLiteral("<span style='color:%1'>&#9473;&#9473; source</span> &nbsp; "
                     "<span style='color:%2'>&#9473;&#9473; output</span> &nbsp; "
                     "- - - rapid &nbsp; &#9711; drilling point &nbsp; &#9633; cycle point &nbsp; "
                     "<span style='color:%3'>&#9473;&#9473; difference</span> &nbsp; "
                     "(wheel: zoom, drag: pan, F: fit)")
          .arg(kSourceColour.name(), kOutputColour.name(), kDifferenceColour.name()));
  canvas_ = new ToolpathCanvas(this);
  canvas_->setObjectName(QStringLiteral("drawing"));
  canvas_->setFocusPolicy(Qt::StrongFocus);
  extents_ = new QLabel(this);
  extents_->setObjectName(QStringLiteral("extents"));
  moveInfo_ = new QLabel(this);
  moveInfo_->setObjectName(QStringLiteral("moveInfo"));
  moveInfo_->setTextFormat(Qt::PlainText);
  moveInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Room for both lines from the start, so that pointing at a move never resizes the drawing.
  moveInfo_->setFixedHeight(2 * moveInfo_->fontMetrics().lineSpacing());
  details_ = new QListWidget(this);
  details_->setObjectName(QStringLiteral("details"));
  layout->addWidget(verdict_);
  layout->addWidget(legend);
  layout->addWidget(canvas_, 1);
  layout->addWidget(moveInfo_);
  layout->addWidget(extents_);
  layout->addWidget(details_);
  resize(1000, 760);

  BuildDrawing();
  ShowTexts();
  FillDetails();
  canvas_->setFocus();
  connect(canvas_, &ToolpathCanvas::PointerAt, this, &PreviewWindow::ShowMoveAt);
  connect(details_, &QListWidget::currentRowChanged, this, &PreviewWindow::ShowDetail);
}

PreviewWindow* PreviewWindow::FromFiles(const QString& outputPath, const QString& sourcePath,
                                        QWidget* parent, const ConversionInputs* inputs) {
  QString problem;
  std::optional<std::string> output = ReadProgram(outputPath, problem);
  std::optional<PreviewProgram> source;
  if (!sourcePath.isEmpty()) {
    if (std::optional<std::string> text = ReadProgram(sourcePath, problem)) {
      source = PreviewProgram{QFileInfo(sourcePath).fileName(), std::move(*text)};
    }
  }
  auto* window = new PreviewWindow({QFileInfo(outputPath).fileName(), output.value_or("")},
                                   std::move(source), parent, inputs);
  if (!problem.isEmpty()) window->verdict_->setText(problem);
  return window;
}

QString PreviewWindow::ShownVerdict() const { return verdict_->text(); }
QString PreviewWindow::ShownExtents() const { return extents_->text(); }
QString PreviewWindow::ShownMoveInfo() const { return moveInfo_->text(); }

// Layers from the bottom up: source rapids, feeds and points, the same for the output, then
// the moves that differ.
void PreviewWindow::BuildDrawing() {
  std::vector<PreviewLayer> layers;
  const auto addProgram = [&](const Toolpath& path, const QString& name, const QColor& colour,
                              double width, double pointRadius) {
    PreviewLayer rapids = MakeLayer(name + " rapids", CosmeticPen(colour, 1, Qt::DashLine), 0);
    PreviewLayer feeds = MakeLayer(name + " feeds", CosmeticPen(colour, width), pointRadius);
    PreviewLayer points = MakeLayer(name + " points", CosmeticPen(colour, 1.5), pointRadius);
    for (const Move& move : path.moves) {
      (IsPoint(move) ? points : move.kind == MoveKind::kRapid ? rapids : feeds).Add(move);
      if (HasApproach(move)) {  // the cycle's own rapid to its point
        Move approach = move;
        approach.kind = MoveKind::kRapid;
        rapids.Add(approach);
      }
    }
    layers.push_back(std::move(rapids));
    layers.push_back(std::move(feeds));
    layers.push_back(std::move(points));
  };
  addProgram(sourcePath_, QStringLiteral("source"), kSourceColour, kSourceWidth,
             kSourcePointRadius);
  addProgram(outputPath_, QStringLiteral("output"), kOutputColour, kOutputWidth,
             kOutputPointRadius);
  PreviewLayer differences =
      MakeLayer(QStringLiteral("differences"), CosmeticPen(kDifferenceColour, kDifferenceWidth),
                kDifferencePointRadius);
  for (const MovePair& pair : check_.pairs) {
    if (!pair.differs) continue;
    differences.Add(sourcePath_.moves[pair.source]);
    differences.Add(outputPath_.moves[pair.output]);
  }
  for (const std::size_t k : check_.sourceOnly) differences.Add(sourcePath_.moves[k]);
  for (const std::size_t k : check_.outputOnly) differences.Add(outputPath_.moves[k]);
  layers.push_back(std::move(differences));
  const PartHeader& header = outputPath_.header;
  const QRectF part =
      header.present ? QRectF(QPointF(0, 0), QPointF(header.length, header.height)).normalized()
                     : QRectF();
  canvas_->SetDrawing(std::move(layers), part);
}

void PreviewWindow::ShowTexts() {
  verdict_->setText(source_ ? QString::fromStdString(VerdictText(check_))
                            : QStringLiteral("no source program: nothing compared"));
  const bool identical = source_ && check_.Identical();
  verdict_->setStyleSheet(QStringLiteral("font-weight: bold; color: %1")
                              .arg((identical ? kIdenticalColour : kDifferenceColour).name()));
  extents_->setText(QString::fromStdString(PartSummary(outputPath_.header, part_.extents)));
}

void PreviewWindow::FillDetails() {
  const auto add = [this](const QString& text, const QColor& colour, int side, int line) {
    auto* item = new QListWidgetItem(text, details_);
    item->setForeground(colour);
    item->setData(kDetailSide, side);
    item->setData(kDetailLine, line);
  };
  for (const Difference& difference : check_.differences) {
    const bool output = difference.outputLine > 0;
    add(QString::fromStdString(DifferenceText(difference)), kDifferenceColour, output ? 1 : 0,
        output ? difference.outputLine : difference.sourceLine);
  }
  if (part_.inchesWarning) add(QString::fromStdString(*part_.inchesWarning), kOutputColour, -1, 0);
  for (const std::string& note : part_.notes)
    add(QString::fromStdString(note), Qt::darkGray, -1, 0);
  for (const std::string& note : check_.notes) {
    add(QString::fromStdString(note), Qt::darkGray, -1, 0);
  }
  details_->setVisible(details_->count() > 0);
  const int rows = std::min(details_->count(), kDetailRowsShown);
  if (rows > 0) {
    details_->setFixedHeight(rows * details_->sizeHintForRow(0) + 2 * details_->frameWidth() + 2);
  }
}

// Highlights the moves of the chosen difference's line and brings them into view.
void PreviewWindow::ShowDetail(int row) {
  const QListWidgetItem* item = details_->item(row);
  if (item == nullptr || item->data(kDetailSide).toInt() < 0) return;
  const bool output = item->data(kDetailSide).toInt() == 1;
  const int line = item->data(kDetailLine).toInt();
  std::vector<const Move*> moves;
  for (const Move& move : (output ? outputPath_ : sourcePath_).moves) {
    if (move.line == line) moves.push_back(&move);
  }
  if (moves.empty()) return;
  Highlight(moves);
  canvas_->CentreOn(QPointF(moves.front()->to.x, moves.front()->to.y));
  moveInfo_->setText(LineText(output, line));
}

void PreviewWindow::Highlight(const std::vector<const Move*>& moves) {
  PreviewLayer layer =
      MakeLayer(QStringLiteral("highlight"), CosmeticPen(kHighlightColour, kHighlightWidth),
                kHighlightPointRadius);
  for (const Move* move : moves) layer.Add(*move);
  canvas_->SetHighlight(std::move(layer));
}

QString PreviewWindow::LineText(bool output, int line) const {
  const std::vector<std::string_view>& lines = output ? outputLines_ : sourceLines_;
  const QString program = output ? QStringLiteral("output") : QStringLiteral("source");
  if (line < 1 || static_cast<std::size_t>(line) > lines.size()) {
    return QStringLiteral("%1 line %2").arg(program).arg(line);
  }
  const std::string_view text = lines[line - 1].substr(0, kShownLineLength);
  return QStringLiteral("%1 line %2: %3")
      .arg(program)
      .arg(line)
      .arg(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::optional<std::size_t> PreviewWindow::PartnerOf(bool output, std::size_t index) const {
  const std::size_t partner = output ? outputToSource_[index] : sourceToOutput_[index];
  if (partner == kNone) return std::nullopt;
  return partner;
}

// Its own line first, then the line of the move it was compared with.
QString PreviewWindow::DescribeMove(bool output, std::size_t index) const {
  const Toolpath& path = output ? outputPath_ : sourcePath_;
  QString text = LineText(output, path.moves[index].line);
  if (const auto partner = PartnerOf(output, index)) {
    const Toolpath& other = output ? sourcePath_ : outputPath_;
    text += QStringLiteral("\n") + LineText(!output, other.moves[*partner].line);
  }
  return text;
}

// The nearest move within reach of the pointer; the output's first where both are as near.
void PreviewWindow::ShowMoveAt(QPointF machinePoint) {
  double nearest = kPickPixels / canvas_->Scale();
  std::optional<std::pair<bool, std::size_t>> found;
  for (const bool output : {true, false}) {
    const std::vector<Move>& moves = (output ? outputPath_ : sourcePath_).moves;
    for (std::size_t k = 0; k < moves.size(); ++k) {
      if (!IsArc(moves[k]) && FarFrom(moves[k], machinePoint, nearest)) continue;
      const double distance = DistanceTo(moves[k], machinePoint);
      if (distance < nearest) {
        nearest = distance;
        found = std::pair{output, k};
      }
    }
  }
  if (!found) {
    moveInfo_->clear();
    Highlight({});
    return;
  }
  const auto [output, index] = *found;
  std::vector<const Move*> moves = {&(output ? outputPath_ : sourcePath_).moves[index]};
  if (const auto partner = PartnerOf(output, index)) {
    moves.push_back(&(output ? sourcePath_ : outputPath_).moves[*partner]);
  }
  Highlight(moves);
  moveInfo_->setText(DescribeMove(output, index));
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F) {
    canvas_->FitAll();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace quarnel
