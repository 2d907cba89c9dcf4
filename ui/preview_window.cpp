#include "ui/preview_window.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/translate/line_scanner.h"
#include "support/decimal_text.h"
#include "support/file_store.h"
#include "support/paths.h"
#include "ui/file_list.h"
#include "ui/program_text_view.h"

namespace quarnel {

namespace {

constexpr double kPickPixels = 8;      // how near the pointer must be to a move
constexpr int kShownLineLength = 160;  // longer program lines are cut in the move info
constexpr int kDetailRowsShown = 5;
constexpr int kPointerDecimals = 3;
constexpr std::size_t kLargestProgram = 64 * 1024 * 1024;
constexpr int kDetailSourceLine = Qt::UserRole;      // list entry: its source line, 0 for none
constexpr int kDetailOutputLine = Qt::UserRole + 1;  // list entry: its output line, 0 for none

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

// The first source line and the first output line a note names ("output line 7: ...",
// "source lines 25 to 28: ..."); 0 where it names none.
std::pair<int, int> LinesNamedIn(const QString& note) {
  static const QRegularExpression kLine(QStringLiteral("\\b(source|output) lines? (\\d+)"));
  int source = 0, output = 0;
  for (const QRegularExpressionMatch& match : kLine.globalMatch(note)) {
    int& line = match.captured(1) == QStringLiteral("output") ? output : source;
    if (line == 0) line = match.captured(2).toInt();
  }
  return {source, output};
}

QString Number(double value) {
  return QString::fromStdString(DecimalText(value, kPointerDecimals));
}

QToolButton* ViewButton(const QString& text, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setToolTip(tip);
  button->setCheckable(true);
  return button;
}

// A program's text under a caption naming it.
QWidget* TextPanel(const QString& caption, ProgramTextView* text, QWidget* parent) {
  auto* panel = new QWidget(parent);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(caption, panel));
  layout->addWidget(text, 1);
  return panel;
}

}  // namespace

PreviewWindow::PreviewWindow(PreviewProgram output, std::optional<PreviewProgram> source,
                             const ConversionInputs& inputs,
                             const MachiningTimeSettings& timeSettings, QWidget* parent)
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
  time_ = EstimateMachiningTime(geometry_.output, timeSettings);
  depth_ = DepthScaleOf(geometry_.output);
  BuildControls();
  BuildDrawing();
  ShowTexts();
  FillDetails();
  canvas_->setFocus();
  connect(canvas_, &ToolpathCanvas::PointerAt, this, [this](QPointF point) {
    ShowPointer(point);
    ShowMoveAt(point);
  });
  connect(canvas_, &ToolpathCanvas::ClickedAt, this, &PreviewWindow::SelectMoveAt);
  connect(sourceText_, &ProgramTextView::LineChosen, this,
          [this](int line) { SelectLine(false, line); });
  connect(outputText_, &ProgramTextView::LineChosen, this,
          [this](int line) { SelectLine(true, line); });
  connect(details_, &QListWidget::currentRowChanged, this, &PreviewWindow::ShowDetail);
}

void PreviewWindow::BuildControls() {
  canvas_ = new ToolpathCanvas(this);
  canvas_->setObjectName(QStringLiteral("drawing"));
  canvas_->setFocusPolicy(Qt::StrongFocus);
  sourceText_ = new ProgramTextView(this);
  sourceText_->setObjectName(QStringLiteral("sourceText"));
  sourceText_->SetLines(sourceLines_);
  outputText_ = new ProgramTextView(this);
  outputText_->setObjectName(QStringLiteral("outputText"));
  outputText_->SetLines(outputLines_);
  auto* texts = new QSplitter(Qt::Vertical, this);
  QWidget* sourcePanel =
      TextPanel(QStringLiteral("Source: %1").arg(source_ ? source_->name : QString()),
                sourceText_, texts);
  sourcePanel->setVisible(source_.has_value());
  texts->addWidget(sourcePanel);
  texts->addWidget(TextPanel(QStringLiteral("Output: %1").arg(output_.name), outputText_, texts));
  auto* middle = new QSplitter(Qt::Horizontal, this);
  middle->addWidget(canvas_);
  middle->addWidget(texts);
  middle->setStretchFactor(0, 3);
  middle->setStretchFactor(1, 2);
  moveInfo_ = new QLabel(this);
  moveInfo_->setObjectName(QStringLiteral("moveInfo"));
  moveInfo_->setTextFormat(Qt::PlainText);
  moveInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Room for both lines from the start, so that pointing at a move never resizes the drawing.
  moveInfo_->setFixedHeight(2 * moveInfo_->fontMetrics().lineSpacing());
  details_ = new QListWidget(this);
  details_->setObjectName(QStringLiteral("details"));
  canvas_->setToolTip(QStringLiteral(
      "The part, the source's toolpath and the output's over it. Wheel: zoom; drag: pan; F: fit; "
      "T, X, Y: the view; point at a move for its lines, click it to select it and its lines; "
      "Escape closes the window."));
  moveInfo_->setToolTip(QStringLiteral("The lines of the move pointed at or selected, output "
                                       "and source"));
  details_->setToolTip(QStringLiteral("Differences and notes; select one to show its moves and "
                                      "lines"));
  sourceText_->setToolTip(QStringLiteral("The source program; select a line to show its moves"));
  outputText_->setToolTip(QStringLiteral("The output program; select a line to show its moves"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildTopBar());
  layout->addWidget(BuildViewBar());
  layout->addWidget(middle, 1);
  layout->addWidget(moveInfo_);
  layout->addWidget(details_);
  resize(1280, 800);
}

// The verdict, the time and the part's extents side by side.
QWidget* PreviewWindow::BuildTopBar() {
  auto* bar = new QFrame(this);
  bar->setFrameShape(QFrame::StyledPanel);
  auto* layout = new QHBoxLayout(bar);
  verdict_ = new QLabel(bar);
  verdict_->setObjectName(QStringLiteral("verdict"));
  timeLabel_ = new QLabel(bar);
  timeLabel_->setObjectName(QStringLiteral("time"));
  extents_ = new QLabel(bar);
  extents_->setObjectName(QStringLiteral("extents"));
  for (QLabel* label : {verdict_, timeLabel_, extents_}) {
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  verdict_->setToolTip(QStringLiteral(
      "Whether the output's toolpath matches its source's, move by move, within half a unit of "
      "the output's last decimal"));
  extents_->setToolTip(QStringLiteral("The part of the output's header and the extents of the cut"));
  layout->addWidget(verdict_, 3);
  layout->addWidget(timeLabel_, 2);
  layout->addWidget(extents_, 3);
  return bar;
}

// The view buttons, the legend and the pointer's coordinates.
QWidget* PreviewWindow::BuildViewBar() {
  auto* bar = new QWidget(this);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(0, 0, 0, 0);
  views_ = new QButtonGroup(bar);
  const struct {
    View view;
    const char* text;
    const char* tip;
  } buttons[] = {{View::kTop, "Top", "Seen from above: X across, Y up (T)"},
                 {View::kSideX, "Side: X", "Seen from the front: X across, depth up (X)"},
                 {View::kSideY, "Side: Y", "Seen from the side: Y across, depth up (Y)"}};
  for (const auto& button : buttons) {
    QToolButton* widget =
        ViewButton(QString::fromLatin1(button.text), QString::fromLatin1(button.tip), bar);
    widget->setObjectName(QStringLiteral("view%1").arg(static_cast<int>(button.view)));
    views_->addButton(widget, static_cast<int>(button.view));
    layout->addWidget(widget);
  }
  views_->button(static_cast<int>(View::kTop))->setChecked(true);
  connect(views_, &QButtonGroup::idClicked, this, [this](int id) { ShowView(View(id)); });
  auto* legend = new QLabel(bar);
  legend->setObjectName(QStringLiteral("legend"));
  legend->setWordWrap(true);
  legend->setText(
      QStringLiteral("<span style='color:%1'>&#9473;&#9473; source</span> &nbsp; "
                     "<span style='color:%2'>&#9473;&#9473;</span> output by depth &nbsp; "
                     "<span style='color:%3'>- - -</span> rapid &nbsp; &#9711; drilling &nbsp; "
                     "&#9633; cycle &nbsp; <span style='color:%4'>&#9473;&#9473; difference</span> "
                     "&nbsp; <span style='color:%5'>&#9473;&#9473; selected</span>")
          .arg(QString::fromStdString(HexText(kSourceStyle.colour)),
               QString::fromStdString(HexText(DepthBandColour(kDepthBands / 2))),
               QString::fromStdString(HexText(kOutputStyle.colour)),
               QString::fromStdString(HexText(kDifferenceStyle.colour)),
               QString::fromStdString(HexText(kSelectionStyle.colour))));
  legend->setToolTip(QStringLiteral("How the drawing shows each program and each kind of move; "
                                    "the depth scale in the drawing's corner gives the depths"));
  pointer_ = new QLabel(bar);
  pointer_->setObjectName(QStringLiteral("pointer"));
  pointer_->setMinimumWidth(pointer_->fontMetrics().horizontalAdvance(
      QStringLiteral("X -0000.000  depth -0000.000 mm")));
  pointer_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  pointer_->setToolTip(QStringLiteral("Where the pointer is, in the program's units"));
  layout->addSpacing(12);
  layout->addWidget(legend, 1);
  layout->addWidget(pointer_);
  return bar;
}

PreviewWindow* PreviewWindow::FromFiles(FileStore& files, const std::string& outputPath,
                                        const std::string& sourcePath,
                                        const ConversionInputs& inputs,
                                        const MachiningTimeSettings& timeSettings,
                                        QWidget* parent) {
  QString problem;
  std::optional<PreviewProgram> output = ReadProgram(files, outputPath, problem);
  std::optional<PreviewProgram> source;
  if (output && !sourcePath.empty()) source = ReadProgram(files, sourcePath, problem);
  if (!output) output = PreviewProgram{ShownName(FileNameOf(outputPath)), {}};
  auto* window = new PreviewWindow(std::move(*output), std::move(source), inputs, timeSettings,
                                   parent);
  if (!problem.isEmpty()) window->verdict_->setText(problem);
  return window;
}

QString PreviewWindow::ShownVerdict() const { return verdict_->text(); }
QString PreviewWindow::ShownTime() const { return timeLabel_->text(); }
QString PreviewWindow::ShownExtents() const { return extents_->text(); }
QString PreviewWindow::ShownMoveInfo() const { return moveInfo_->text(); }
QString PreviewWindow::ShownPointer() const { return pointer_->text(); }

const Toolpath& PreviewWindow::DrawnPath(bool output) const {
  if (view_ == View::kTop) return PathOf(output);
  return output ? sideOutput_.path : sideSource_.path;
}

// Layers from the bottom up: source rapids, feeds and points; output rapids, then its feeds and
// points band by band of depth; then the moves that differ.
void PreviewWindow::BuildDrawing() {
  if (view_ != View::kTop) {
    const SideAxis axis = view_ == View::kSideX ? SideAxis::kX : SideAxis::kY;
    sideSource_ = SideViewOf(geometry_.source, axis);
    sideOutput_ = SideViewOf(geometry_.output, axis);
  }
  std::vector<PreviewLayer> layers;
  AddSourceLayers(layers);
  AddOutputLayers(layers);
  layers.push_back(DifferenceLayer());
  const PartHeader& header = geometry_.output.header;
  canvas_->SetDrawing(std::move(layers), PartShown());
  canvas_->SetMeasures(header.present && header.inches, depth_);
  canvas_->SetHighlight({});
  canvas_->SetSelection({});
}

void PreviewWindow::AddSourceLayers(std::vector<PreviewLayer>& layers) const {
  const ProgramStyle& style = kSourceStyle;
  PreviewLayer rapids = MakeLayer(QStringLiteral("source rapids"),
                                  StylePen(style.colour, style.rapidWidth, true), 0);
  PreviewLayer feeds = MakeLayer(QStringLiteral("source feeds"),
                                 StylePen(style.colour, style.feedWidth), style.pointRadius);
  PreviewLayer points = MakeLayer(QStringLiteral("source points"),
                                  StylePen(style.colour, style.pointWidth), style.pointRadius);
  const Toolpath& drawn = DrawnPath(false);
  for (std::size_t k = 0; k < drawn.moves.size(); ++k) {
    const Move& move = drawn.moves[k];
    (IsPoint(move) ? points : move.kind == MoveKind::kRapid ? rapids : feeds).Add(move);
    if (const auto approach = DrawnApproach(false, k)) rapids.Add(*approach);
  }
  layers.push_back(std::move(rapids));
  layers.push_back(std::move(feeds));
  layers.push_back(std::move(points));
}

// The rapids, then a layer of feeds and one of points for each band of depth, each move in the
// band of the move it is drawn for.
void PreviewWindow::AddOutputLayers(std::vector<PreviewLayer>& layers) const {
  const ProgramStyle& style = kOutputStyle;
  const std::size_t rapids = layers.size();
  layers.push_back(MakeLayer(QStringLiteral("output rapids"),
                             StylePen(style.colour, style.rapidWidth, true), 0));
  for (int band = 0; band < kDepthBands; ++band) {
    const StyleColour colour = DepthBandColour(band);
    layers.push_back(MakeLayer(QStringLiteral("output feeds at depth %1").arg(band),
                               StylePen(colour, style.feedWidth), style.pointRadius));
    layers.push_back(MakeLayer(QStringLiteral("output points at depth %1").arg(band),
                               StylePen(colour, style.pointWidth), style.pointRadius));
  }
  const Toolpath& drawn = DrawnPath(true);
  for (std::size_t k = 0; k < drawn.moves.size(); ++k) {
    const Move& move = drawn.moves[k];
    if (const auto approach = DrawnApproach(true, k)) layers[rapids].Add(*approach);
    if (move.kind == MoveKind::kRapid) {
      layers[rapids].Add(move);
      continue;
    }
    const std::size_t origin = OriginOf(true, k);
    const auto band =
        static_cast<std::size_t>(DepthBand(depth_, DeepestOf(geometry_.output.moves[origin])));
    layers[rapids + 1 + 2 * band + (IsPoint(move) ? 1 : 0)].Add(move);
  }
}

// The index in its program of a move drawn in the view shown.
std::size_t PreviewWindow::OriginOf(bool output, std::size_t drawn) const {
  if (view_ == View::kTop) return drawn;
  return (output ? sideOutput_ : sideSource_).origin[drawn];
}

// The cycle's own rapid to a point (see HasApproach) as drawn in the view shown: from above,
// the way from where the last move ended; from the side, across at that move's depth.
std::optional<Move> PreviewWindow::DrawnApproach(bool output, std::size_t drawn) const {
  if (!HasApproach(PathOf(output).moves[OriginOf(output, drawn)])) return std::nullopt;
  Move approach = DrawnPath(output).moves[drawn];
  approach.kind = MoveKind::kRapid;
  if (view_ != View::kTop) approach.to.y = approach.from.y;
  return approach;
}

PreviewLayer PreviewWindow::DifferenceLayer() const {
  const GeometryCheck& check = geometry_.check;
  std::vector<std::size_t> source = check.sourceOnly;
  std::vector<std::size_t> output = check.outputOnly;
  for (const MovePair& pair : check.pairs) {
    if (!pair.differs) continue;
    source.push_back(pair.source);
    output.push_back(pair.output);
  }
  return MarkLayer(QStringLiteral("differences"), kDifferenceStyle, source, output);
}

// The part of the header: length by height from above, length or height by the thickness
// below depth 0 from the side; none without a header.
QRectF PreviewWindow::PartShown() const {
  const PartHeader& header = geometry_.output.header;
  if (!header.present) return {};
  if (view_ == View::kTop) {
    return QRectF(QPointF(0, 0), QPointF(header.length, header.height)).normalized();
  }
  const double across = view_ == View::kSideY ? header.height : header.length;
  return QRectF(QPointF(0, -header.thickness), QPointF(across, 0)).normalized();
}

void PreviewWindow::ShowView(View view) {
  if (view == view_) return;
  view_ = view;
  views_->button(static_cast<int>(view))->setChecked(true);
  BuildDrawing();
  moveInfo_->clear();
  pointer_->clear();
}

void PreviewWindow::ShowTexts() {
  verdict_->setText(source_ ? QString::fromStdString(VerdictText(geometry_.check))
                            : QStringLiteral("no source program: nothing compared"));
  const bool identical = source_ && geometry_.check.Identical();
  verdict_->setStyleSheet(
      QStringLiteral("font-weight: bold; color: %1")
          .arg(QString::fromStdString(
              HexText(identical ? kIdenticalColour : kDifferenceStyle.colour))));
  QString time = QStringLiteral("estimated time %1")
                     .arg(QString::fromStdString(DurationText(time_.TotalSeconds())));
  if (time_.untimedMoves > 0) {
    time += QStringLiteral(" (%1 moves without a feed not timed)").arg(time_.untimedMoves);
  }
  timeLabel_->setText(time);
  timeLabel_->setToolTip(QString::fromStdString(MachiningTimeText(time_)) +
                         QStringLiteral("\nAcceleration and the machine's own cycle motions "
                                        "are left out."));
  extents_->setText(QString::fromStdString(
      PartSummary(geometry_.output.header, geometry_.part.extents)));
}

void PreviewWindow::FillDetails() {
  const auto add = [this](const std::string& text, StyleColour colour, int sourceLine,
                          int outputLine) {
    auto* item = new QListWidgetItem(QString::fromStdString(text), details_);
    item->setForeground(QColorOf(colour));
    item->setData(kDetailSourceLine, sourceLine);
    item->setData(kDetailOutputLine, outputLine);
  };
  const auto addNote = [&](const std::string& text, StyleColour colour) {
    const auto [source, output] = LinesNamedIn(QString::fromStdString(text));
    add(text, colour, source, output);
  };
  for (const Difference& difference : geometry_.check.differences) {
    add(DifferenceText(difference), kDifferenceStyle.colour, difference.sourceLine,
        difference.outputLine);
  }
  if (geometry_.part.inchesWarning) addNote(*geometry_.part.inchesWarning, kWarningColour);
  for (const std::string& note : geometry_.part.notes) addNote(note, kNoteColour);
  for (const std::string& note : geometry_.check.notes) addNote(note, kNoteColour);
  details_->setVisible(details_->count() > 0);
  const int rows = std::min(details_->count(), kDetailRowsShown);
  if (rows > 0) {
    details_->setFixedHeight(rows * details_->sizeHintForRow(0) + 2 * details_->frameWidth() + 2);
  }
}

// Selects the moves and lines of the chosen difference or note and brings them into view.
void PreviewWindow::ShowDetail(int row) {
  const QListWidgetItem* item = details_->item(row);
  if (item == nullptr) return;
  const int sourceLine = item->data(kDetailSourceLine).toInt();
  const int outputLine = item->data(kDetailOutputLine).toInt();
  const std::vector<std::size_t> source = MovesOfLine(false, sourceLine);
  const std::vector<std::size_t> output = MovesOfLine(true, outputLine);
  SelectMoves(source, output);
  sourceText_->SelectLine(sourceLine);
  outputText_->SelectLine(outputLine);
  if (!output.empty()) {
    canvas_->CentreOn(DrawnEnd(true, output.front()));
  } else if (!source.empty()) {
    canvas_->CentreOn(DrawnEnd(false, source.front()));
  }
  QStringList lines;
  if (outputLine > 0) lines << LineText(true, outputLine);
  if (sourceLine > 0) lines << LineText(false, sourceLine);
  moveInfo_->setText(lines.join(QLatin1Char('\n')));
}

// "X 12.5  Y 40 mm" from above, "X 12.5  depth -3 mm" from the side.
void PreviewWindow::ShowPointer(QPointF drawingPoint) {
  const bool inches = geometry_.output.header.present && geometry_.output.header.inches;
  const QString across = view_ == View::kSideY ? QStringLiteral("Y") : QStringLiteral("X");
  const QString up = view_ == View::kTop ? QStringLiteral("Y") : QStringLiteral("depth");
  pointer_->setText(QStringLiteral("%1 %2  %3 %4 %5")
                        .arg(across, Number(drawingPoint.x()), up, Number(drawingPoint.y()),
                             inches ? QStringLiteral("in") : QStringLiteral("mm")));
}

// The marks of moves of both programs, as drawn in the view shown.
PreviewLayer PreviewWindow::MarkLayer(const QString& name, const MarkStyle& style,
                                      const std::vector<std::size_t>& source,
                                      const std::vector<std::size_t>& output) const {
  PreviewLayer layer = MakeLayer(name, StylePen(style.colour, style.width), style.pointRadius);
  for (const bool isOutput : {false, true}) {
    const Toolpath& drawn = DrawnPath(isOutput);
    const std::vector<std::size_t>& origin = isOutput ? sideOutput_.origin : sideSource_.origin;
    for (const std::size_t move : isOutput ? output : source) {
      if (view_ == View::kTop) {
        layer.Add(drawn.moves[move]);
        continue;
      }
      const auto [first, last] = std::equal_range(origin.begin(), origin.end(), move);
      for (auto at = first; at != last; ++at) {
        layer.Add(drawn.moves[static_cast<std::size_t>(at - origin.begin())]);
      }
    }
  }
  return layer;
}

void PreviewWindow::SelectMoves(const std::vector<std::size_t>& source,
                                const std::vector<std::size_t>& output) {
  canvas_->SetSelection(MarkLayer(QStringLiteral("selection"), kSelectionStyle, source, output));
}

// Where a move ends in the view shown.
QPointF PreviewWindow::DrawnEnd(bool output, std::size_t move) const {
  const Position& end = PathOf(output).moves[move].to;
  switch (view_) {
    case View::kSideX:
      return {end.x, end.depth};
    case View::kSideY:
      return {end.y, end.depth};
    case View::kTop:
      break;
  }
  return {end.x, end.y};
}

std::vector<std::size_t> PreviewWindow::MovesOfLine(bool output, int line) const {
  std::vector<std::size_t> moves;
  if (line <= 0) return moves;
  const std::vector<Move>& all = PathOf(output).moves;
  for (std::size_t k = 0; k < all.size(); ++k) {
    if (all[k].line == line) moves.push_back(k);
  }
  return moves;
}

std::vector<std::size_t> PreviewWindow::Partners(bool output,
                                                 const std::vector<std::size_t>& moves) const {
  std::vector<std::size_t> partners;
  for (const std::size_t move : moves) {
    if (const auto partner = PartnerOf(output, move)) partners.push_back(*partner);
  }
  return partners;
}

// The moves of the line and those compared with them, the line of the first of those selected
// in the other program's text, and the drawing centred on the first move.
void PreviewWindow::SelectLine(bool output, int line) {
  const std::vector<std::size_t> moves = MovesOfLine(output, line);
  const std::vector<std::size_t> partners = Partners(output, moves);
  SelectMoves(output ? partners : moves, output ? moves : partners);
  (output ? outputText_ : sourceText_)->SelectLine(line);
  const int partnerLine = partners.empty() ? 0 : PathOf(!output).moves[partners.front()].line;
  (output ? sourceText_ : outputText_)->SelectLine(partnerLine);
  if (!moves.empty()) canvas_->CentreOn(DrawnEnd(output, moves.front()));
  QString text = LineText(output, line);
  if (partnerLine > 0) text += QStringLiteral("\n") + LineText(!output, partnerLine);
  moveInfo_->setText(text);
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

// The nearest move within reach, as an index into its program's moves; the output's first
// where both are as near.
std::optional<MoveIndex> PreviewWindow::MoveNear(QPointF drawingPoint) const {
  std::optional<MoveIndex> found =
      NearestMove({&DrawnPath(true), &DrawnPath(false)}, {drawingPoint.x(), drawingPoint.y()},
                  kPickPixels / canvas_->Scale());
  if (found && view_ != View::kTop) {
    found->move = (found->path == 0 ? sideOutput_ : sideSource_).origin[found->move];
  }
  return found;
}

void PreviewWindow::ShowMoveAt(QPointF drawingPoint) {
  const std::optional<MoveIndex> found = MoveNear(drawingPoint);
  if (!found) {
    moveInfo_->clear();
    canvas_->SetHighlight({});
    return;
  }
  const bool output = found->path == 0;
  const std::vector<std::size_t> moves = {found->move};
  const std::vector<std::size_t> partners = Partners(output, moves);
  canvas_->SetHighlight(MarkLayer(QStringLiteral("highlight"), kHighlightStyle,
                                  output ? partners : moves, output ? moves : partners));
  moveInfo_->setText(DescribeMove(output, found->move));
}

void PreviewWindow::SelectMoveAt(QPointF drawingPoint) {
  const std::optional<MoveIndex> found = MoveNear(drawingPoint);
  if (!found) return;
  const bool output = found->path == 0;
  const std::vector<std::size_t> moves = {found->move};
  const std::vector<std::size_t> partners = Partners(output, moves);
  SelectMoves(output ? partners : moves, output ? moves : partners);
  const int partnerLine = partners.empty() ? 0 : PathOf(!output).moves[partners.front()].line;
  (output ? outputText_ : sourceText_)->SelectLine(PathOf(output).moves[found->move].line);
  (output ? sourceText_ : outputText_)->SelectLine(partnerLine);
  moveInfo_->setText(DescribeMove(output, found->move));
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_F:
      return canvas_->FitAll();
    case Qt::Key_T:
      return ShowView(View::kTop);
    case Qt::Key_X:
      return ShowView(View::kSideX);
    case Qt::Key_Y:
      return ShowView(View::kSideY);
    case Qt::Key_Escape:
      close();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace quarnel
