#include "ui/preview_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/translate/line_scanner.h"
#include "support/file_store.h"
#include "support/paths.h"
#include "ui/file_list.h"

namespace quarnel {

namespace {

constexpr double kPickPixels = 8;      // how near the pointer must be to a move
constexpr int kShownLineLength = 160;  // longer program lines are cut in the move info
constexpr int kDetailRowsShown = 5;
constexpr std::size_t kLargestProgram = 64 * 1024 * 1024;
constexpr int kDetailSide = Qt::UserRole;      // list entry: 1 output, 0 source, -1 nothing
constexpr int kDetailLine = Qt::UserRole + 1;  // list entry: the line to show

PreviewLayer MakeLayer(const QString& name, const QPen& pen, double pointRadius) {
  PreviewLayer layer;
  layer.name = name;
  layer.pen = pen;
  layer.pointRadius = pointRadius;
  return layer;
}

// A program's bytes, or nullopt with the reason in problem.
std::optional<PreviewProgram> ReadProgram(FileStore& files, const std::string& path,
                                          QString& problem) {
  ReadOutcome read = files.ReadRegularFile(path);
  const QString shown = ShownName(path);
  if (!read.ok) {
    problem = QStringLiteral("%1 is not a readable file: %2")
                  .arg(shown, QString::fromStdString(read.error));
    return std::nullopt;
  }
  if (read.bytes.size() > kLargestProgram) {
    problem = QStringLiteral("%1 is too large to preview").arg(shown);
    return std::nullopt;
  }
  return PreviewProgram{ShownName(FileNameOf(path)),
                        std::move(read.bytes)};
}

}  // namespace

PreviewWindow::PreviewWindow(PreviewProgram output, std::optional<PreviewProgram> source,
                             const ConversionInputs& inputs, QWidget* parent)
    : QWidget(parent), output_(std::move(output)), source_(std::move(source)) {
  setWindowTitle(QStringLiteral("Preview - %1").arg(output_.name));
  outputLines_ = SplitLines(output_.text);
  if (source_) {
    sourceLines_ = SplitLines(source_->text);
    geometry_ = inputs.dimensions
                    ? VerifyProgram(source_->text, output_.text, inputs.tools, *inputs.dimensions)
                    : CheckProgramGeometry(source_->text, output_.text, inputs);
  } else {
    geometry_.output = InterpretOutput(output_.text);
    geometry_.part = CheckPart(geometry_.output);
  }
  partners_ = PartnersOf(geometry_.check, geometry_.source.moves.size(),
                         geometry_.output.moves.size());
  BuildControls();
  BuildDrawing();
  ShowTexts();
  FillDetails();
  canvas_->setFocus();
  connect(canvas_, &ToolpathCanvas::PointerAt, this, &PreviewWindow::ShowMoveAt);
  connect(details_, &QListWidget::currentRowChanged, this, &PreviewWindow::ShowDetail);
}

void PreviewWindow::BuildControls() {
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
          .arg(QString::fromStdString(HexText(kSourceStyle.colour)),
               QString::fromStdString(HexText(kOutputStyle.colour)),
               QString::fromStdString(HexText(kDifferenceStyle.colour))));
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
  verdict_->setToolTip(QStringLiteral(
      "Whether the output's toolpath matches its source's, move by move, within half a unit of "
      "the output's last decimal"));
  legend->setToolTip(QStringLiteral("How the drawing shows each program and each kind of move"));
  canvas_->setToolTip(QStringLiteral(
      "The part, the source's toolpath and the output's over it. Wheel: zoom; drag: pan; F: fit; "
      "point at or click a move for its lines; Escape closes the window."));
  moveInfo_->setToolTip(QStringLiteral("The lines of the move pointed at, output and source"));
  extents_->setToolTip(QStringLiteral("The part of the output's header and the extents of the cut"));
  details_->setToolTip(QStringLiteral("Differences and notes; select one to show it"));
  layout->addWidget(verdict_);
  layout->addWidget(legend);
  layout->addWidget(canvas_, 1);
  layout->addWidget(moveInfo_);
  layout->addWidget(extents_);
  layout->addWidget(details_);
  resize(1000, 760);
}

PreviewWindow* PreviewWindow::FromFiles(FileStore& files, const std::string& outputPath,
                                        const std::string& sourcePath,
                                        const ConversionInputs& inputs, QWidget* parent) {
  QString problem;
  std::optional<PreviewProgram> output = ReadProgram(files, outputPath, problem);
  std::optional<PreviewProgram> source;
  if (output && !sourcePath.empty()) source = ReadProgram(files, sourcePath, problem);
  if (!output) output = PreviewProgram{ShownName(FileNameOf(outputPath)), {}};
  auto* window = new PreviewWindow(std::move(*output), std::move(source), inputs, parent);
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
  const auto addProgram = [&](const Toolpath& path, const QString& name,
                              const ProgramStyle& style) {
    PreviewLayer rapids = MakeLayer(name + " rapids", StylePen(style.colour, style.rapidWidth, true), 0);
    PreviewLayer feeds =
        MakeLayer(name + " feeds", StylePen(style.colour, style.feedWidth), style.pointRadius);
    PreviewLayer points =
        MakeLayer(name + " points", StylePen(style.colour, style.pointWidth), style.pointRadius);
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
  addProgram(geometry_.source, QStringLiteral("source"), kSourceStyle);
  addProgram(geometry_.output, QStringLiteral("output"), kOutputStyle);
  PreviewLayer differences =
      MakeLayer(QStringLiteral("differences"),
                StylePen(kDifferenceStyle.colour, kDifferenceStyle.width),
                kDifferenceStyle.pointRadius);
  const GeometryCheck& check = geometry_.check;
  for (const MovePair& pair : check.pairs) {
    if (!pair.differs) continue;
    differences.Add(geometry_.source.moves[pair.source]);
    differences.Add(geometry_.output.moves[pair.output]);
  }
  for (const std::size_t k : check.sourceOnly) differences.Add(geometry_.source.moves[k]);
  for (const std::size_t k : check.outputOnly) differences.Add(geometry_.output.moves[k]);
  layers.push_back(std::move(differences));
  const PartHeader& header = geometry_.output.header;
  const QRectF part =
      header.present ? QRectF(QPointF(0, 0), QPointF(header.length, header.height)).normalized()
                     : QRectF();
  canvas_->SetDrawing(std::move(layers), part);
}

void PreviewWindow::ShowTexts() {
  verdict_->setText(source_ ? QString::fromStdString(VerdictText(geometry_.check))
                            : QStringLiteral("no source program: nothing compared"));
  const bool identical = source_ && geometry_.check.Identical();
  verdict_->setStyleSheet(
      QStringLiteral("font-weight: bold; color: %1")
          .arg(QString::fromStdString(
              HexText(identical ? kIdenticalColour : kDifferenceStyle.colour))));
  extents_->setText(QString::fromStdString(
      PartSummary(geometry_.output.header, geometry_.part.extents)));
}

void PreviewWindow::FillDetails() {
  const auto add = [this](const std::string& text, StyleColour colour, int side, int line) {
    auto* item = new QListWidgetItem(QString::fromStdString(text), details_);
    item->setForeground(QColorOf(colour));
    item->setData(kDetailSide, side);
    item->setData(kDetailLine, line);
  };
  for (const Difference& difference : geometry_.check.differences) {
    const bool output = difference.outputLine > 0;
    add(DifferenceText(difference), kDifferenceStyle.colour, output ? 1 : 0,
        output ? difference.outputLine : difference.sourceLine);
  }
  if (geometry_.part.inchesWarning) add(*geometry_.part.inchesWarning, kWarningColour, -1, 0);
  for (const std::string& note : geometry_.part.notes) add(note, kNoteColour, -1, 0);
  for (const std::string& note : geometry_.check.notes) add(note, kNoteColour, -1, 0);
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
  for (const Move& move : PathOf(output).moves) {
    if (move.line == line) moves.push_back(&move);
  }
  if (moves.empty()) return;
  Highlight(moves);
  canvas_->CentreOn(QPointF(moves.front()->to.x, moves.front()->to.y));
  moveInfo_->setText(LineText(output, line));
}

void PreviewWindow::Highlight(const std::vector<const Move*>& moves) {
  PreviewLayer layer =
      MakeLayer(QStringLiteral("highlight"), StylePen(kHighlightStyle.colour, kHighlightStyle.width),
                kHighlightStyle.pointRadius);
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
      .arg(ShownName(text));
}

std::optional<std::size_t> PreviewWindow::PartnerOf(bool output, std::size_t index) const {
  const std::size_t partner =
      output ? partners_.outputToSource[index] : partners_.sourceToOutput[index];
  if (partner == MovePartners::kNone) return std::nullopt;
  return partner;
}

// Its own line first, then the line of the move it was compared with.
QString PreviewWindow::DescribeMove(bool output, std::size_t index) const {
  QString text = LineText(output, PathOf(output).moves[index].line);
  if (const auto partner = PartnerOf(output, index)) {
    text += QStringLiteral("\n") + LineText(!output, PathOf(!output).moves[*partner].line);
  }
  return text;
}

// The nearest move within reach of the pointer; the output's first where both are as near.
void PreviewWindow::ShowMoveAt(QPointF machinePoint) {
  const std::optional<MoveIndex> found =
      NearestMove({&geometry_.output, &geometry_.source}, {machinePoint.x(), machinePoint.y()},
                  kPickPixels / canvas_->Scale());
  if (!found) {
    moveInfo_->clear();
    Highlight({});
    return;
  }
  const bool output = found->path == 0;
  std::vector<const Move*> moves = {&PathOf(output).moves[found->move]};
  if (const auto partner = PartnerOf(output, found->move)) {
    moves.push_back(&PathOf(!output).moves[*partner]);
  }
  Highlight(moves);
  moveInfo_->setText(DescribeMove(output, found->move));
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F) {
    canvas_->FitAll();
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace quarnel
