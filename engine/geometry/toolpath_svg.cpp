#include "engine/geometry/toolpath_svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <vector>

#include "engine/geometry/arc_geometry.h"
#include "engine/geometry/depth_scale.h"
#include "engine/geometry/drawing_scale.h"
#include "engine/geometry/toolpath_style.h"
#include "support/decimal_text.h"
#include "support/utf8.h"

namespace quarnel {

namespace {

// Sizes in pixels.
constexpr double kDrawingWidth = 960;
constexpr double kDrawingHeight = 640;
constexpr double kMargin = 24;
constexpr double kTextLine = 20;
constexpr double kLegendSample = 28;
constexpr double kLegendGap = 12;
constexpr double kLegendCharacter = 7.5;  // a generous width of one character of the labels
constexpr double kLegendPointRadius = 4;
constexpr double kSmallestSpan = 1e-6;  // a drawing with no width or height gets this much
constexpr int kPixelDecimals = 2;
constexpr std::size_t kListedDifferences = 5;
constexpr std::size_t kListedNotes = 5;
constexpr double kWholeTurn = 2 * std::numbers::pi;
constexpr double kWholeTurnSlack = 1e-9;
constexpr double kCollinear = 1e-9;  // a cross product this small against the lengths: one line
constexpr double kSwatchWidth = 22;  // one depth band in the depth scale
constexpr double kSwatchHeight = 10;
constexpr double kScaleBarPixels = 160;  // the longest the scale bar may be
constexpr double kScaleBarTick = 4;
constexpr int kDepthDecimals = 3;

std::string Px(double value) { return DecimalText(value, kPixelDecimals); }

std::string RapidDashes() { return Px(kRapidDash) + " " + Px(kRapidGap); }

// Maps machine coordinates to pixels of the drawing, Y up.
class Frame {
 public:
  explicit Frame(const Extents& box) {
    const double spanX = std::max(box.x.max - box.x.min, kSmallestSpan);
    const double spanY = std::max(box.y.max - box.y.min, kSmallestSpan);
    scale_ = std::min(kDrawingWidth / spanX, kDrawingHeight / spanY);
    left_ = box.x.min;
    top_ = box.y.max;
    width_ = spanX * scale_;
    height_ = spanY * scale_;
  }

  double X(double x) const { return kMargin + (x - left_) * scale_; }
  double Y(double y) const { return kMargin + (top_ - y) * scale_; }
  double Length(double length) const { return length * scale_; }
  double Scale() const { return scale_; }
  // At least as wide as the drawing area, so that the texts below have room.
  double Width() const { return std::max(width_, kDrawingWidth) + 2 * kMargin; }
  double DrawingBottom() const { return height_ + 2 * kMargin; }

 private:
  double scale_ = 1;
  double left_ = 0;
  double top_ = 0;
  double width_ = 0;
  double height_ = 0;
};

// Whether a path may merge points closer than its resolution; the differences are drawn
// exactly.
enum class Merge : bool { kNo, kYes };

// How an SVG arc draws an arc move: its radius, whether it takes the larger of the two arcs
// between its ends, its sense and, for a whole circle, the point halfway round.
struct SvgArc {
  double radius = 0;
  bool larger = false;
  bool clockwise = false;
  std::optional<Position> half;
  // Half a circle exactly (a radius no longer than half the chord): drawn with a radius too
  // short, which SVG lengthens to half the chord drawn. A radius rounded to the picture's
  // resolution would choose between two arcs far apart.
  bool halfTurn = false;
};

// ArcOf's arc as SVG draws it, found from the same angles; for the rare arcs whose ends lie on
// one line through the centre, where only the angles tell a whole circle from none.
SvgArc SvgArcByAngles(const ArcShape& arc) {
  SvgArc drawn{arc.radius, false, arc.sweep < 0, std::nullopt, false};
  const double turn = std::abs(arc.sweep);
  if (turn >= kWholeTurn - kWholeTurnSlack) {
    const double half = arc.startAngle + arc.sweep / 2;
    drawn.half = Position{ArcPointX(arc, half), ArcPointY(arc, half), 0};
  }
  drawn.larger = turn > std::numbers::pi && turn < kWholeTurn;
  return drawn;
}

// The SVG arc of a move, or nullopt where ArcOf has no arc (it is drawn as a chord). The same
// arc as ArcOf's, its size and sense told by the side of the chord the centre lies on (cross
// products) instead of by angles.
std::optional<SvgArc> SvgArcOf(const Move& move) {
  if (!IsArc(move) || move.plane != ArcPlane::kXY) return std::nullopt;
  const bool clockwise = move.kind == MoveKind::kClockwiseArc;
  if (move.byRadius) {  // the larger arc for a negative radius longer than half the chord
    const double chordX = move.to.x - move.from.x;
    const double chordY = move.to.y - move.from.y;
    const double chord = std::sqrt(chordX * chordX + chordY * chordY);
    if (chord == 0 || !std::isfinite(chord)) return std::nullopt;
    const double radius = std::max(std::abs(move.radius), chord / 2);
    const bool halfTurn = !(radius > chord / 2);
    return SvgArc{radius, move.radius < 0 && !halfTurn, clockwise, std::nullopt, halfTurn};
  }
  if (move.i == 0 && move.j == 0) return std::nullopt;
  const double startX = -move.i;  // the ends less the centre
  const double startY = -move.j;
  const double endX = move.to.x - (move.from.x + move.i);
  const double endY = move.to.y - (move.from.y + move.j);
  const double radius = std::sqrt(startX * startX + startY * startY);
  if (move.from.x == move.to.x && move.from.y == move.to.y) {
    const Position opposite{move.from.x + 2 * move.i, move.from.y + 2 * move.j, 0};
    return SvgArc{radius, false, clockwise, opposite, false};
  }
  const double cross = startX * endY - startY * endX;
  const double lengths = radius * radius * (endX * endX + endY * endY);
  if (!(cross * cross > kCollinear * kCollinear * lengths)) {
    return SvgArcByAngles(*ArcOf(move));
  }
  return SvgArc{radius, clockwise ? cross > 0 : cross < 0, clockwise, std::nullopt, false};
}

// The picture's resolution: a tenth of a pixel.
constexpr double kTenths = 10;
constexpr double kLargestTenths = 1e15;

// A point of the picture in tenths of a pixel.
struct Tenths {
  long long x = 0;
  long long y = 0;
  bool operator==(const Tenths&) const = default;
};

// Pixels in tenths, halves away from 0 (as llround, without its call); a radius too large to
// matter is cut short.
long long InTenths(double pixels) {
  const double tenths = std::clamp(pixels * kTenths, -kLargestTenths, kLargestTenths);
  if (std::isnan(tenths)) return 0;
  const auto whole = static_cast<long long>(tenths);  // exact: |tenths| < 2^53
  const double rest = tenths - static_cast<double>(whole);
  return whole + (rest >= 0.5 ? 1 : 0) - (rest <= -0.5 ? 1 : 0);
}

Tenths TenthsOfPoint(const Frame& frame, double x, double y) {
  return {InTenths(frame.X(x)), InTenths(frame.Y(y))};
}

// Whether two SVG arcs (or two chords, nullopt) are drawn alike at the picture's resolution.
bool SameArcDrawn(const Frame& frame, const std::optional<SvgArc>& a,
                  const std::optional<SvgArc>& b) {
  if (!a || !b) return !a && !b;
  if (a->larger != b->larger || a->clockwise != b->clockwise || a->halfTurn != b->halfTurn ||
      a->half.has_value() != b->half.has_value() ||
      InTenths(frame.Length(a->radius)) != InTenths(frame.Length(b->radius))) {
    return false;
  }
  return !a->half || TenthsOfPoint(frame, a->half->x, a->half->y) ==
                         TenthsOfPoint(frame, b->half->x, b->half->y);
}

// Whether two moves draw the same line or arc, or the same drilling point, at the picture's
// resolution (the source's numbers are single precision, the output's double); rapids and cycle
// points are each program's own.
bool DrawnAlike(const Frame& frame, const Move& a, const Move& b) {
  if (a.kind != b.kind || a.kind == MoveKind::kRapid || a.kind == MoveKind::kCycle) return false;
  if (!(TenthsOfPoint(frame, a.to.x, a.to.y) == TenthsOfPoint(frame, b.to.x, b.to.y))) return false;
  if (a.kind == MoveKind::kDrill) return true;
  return TenthsOfPoint(frame, a.from.x, a.from.y) == TenthsOfPoint(frame, b.from.x, b.from.y) &&
         SameArcDrawn(frame, SvgArcOf(a), SvgArcOf(b));
}

// Path data at the picture's resolution: points in tenths of a pixel, each a step from the last
// point written (so that rounding never adds up along a path).
class TenthsText {
 public:
  explicit TenthsText(const Frame& frame) : frame_(frame) {}

  bool Empty() const { return data_.empty(); }

 protected:
  Tenths TenthsOf(double x, double y) const { return TenthsOfPoint(frame_, x, y); }

  void AppendAt(const Tenths& at) {
    data_ += 'M';
    AppendNumber(at.x);
    AppendNumber(at.y);
    drawn_ = at;
  }

  void AppendTo(const Tenths& at) {
    AppendNumber(at.x - drawn_.x);
    AppendNumber(at.y - drawn_.y);
    drawn_ = at;
  }

  // tenths / 10 with its decimal only where it is not 0, after a blank unless it follows a
  // command letter or has a minus sign to part it from what comes before.
  void AppendNumber(long long tenths) {
    char text[32];
    char* end = text;
    if (tenths >= 0 && !data_.empty() && data_.back() >= '0' && data_.back() <= '9') *end++ = ' ';
    if (tenths < 0 && tenths > -10) *end++ = '-';  // -0.5: the whole part lost its sign
    end = std::to_chars(end, text + sizeof text, tenths / 10).ptr;
    if (tenths % 10 != 0) {
      *end++ = '.';
      *end++ = static_cast<char>('0' + std::abs(tenths % 10));
    }
    data_.append(text, end);
  }

  const Frame& frame_;
  std::string data_;
  Tenths drawn_;  // where the last point written lies
};

// The "d" text of an SVG path of moves: a new subpath only where the pen is not already, and with
// Merge::kYes a straight line's end closer than a tenth of a pixel to the last point drawn
// merged with the next one. Every subpath still ends where its last move ends.
class PathData : public TenthsText {
 public:
  explicit PathData(const Frame& frame, Merge merge = Merge::kYes)
      : TenthsText(frame), merge_(merge) {}

  void Move(const quarnel::Move& move) {
    MoveTo(move.from);
    const std::optional<SvgArc> arc = SvgArcOf(move);
    if (!arc) return LineTo(move.to);
    if (arc->half) ArcTo(*arc, false, arc->half->x, arc->half->y);
    ArcTo(*arc, arc->larger, move.to.x, move.to.y);
  }

  const std::string& Text() {
    DrawMerged();
    return data_;
  }

 private:
  void MoveTo(const Position& point) {
    if (hasPen_ && penX_ == point.x && penY_ == point.y) return;
    DrawMerged();
    AppendAt(TenthsOf(point.x, point.y));
    SetPen(point.x, point.y);
  }

  void LineTo(const Position& point) {
    SetPen(point.x, point.y);
    const double dx = frame_.X(point.x) - drawn_.x / kTenths;
    const double dy = frame_.Y(point.y) - drawn_.y / kTenths;
    if (merge_ == Merge::kYes && dx * dx + dy * dy < 1 / (kTenths * kTenths)) {
      merged_ = true;
      return;
    }
    merged_ = false;
    data_ += 'l';
    AppendTo(TenthsOf(point.x, point.y));
  }

  // A clockwise arc in the machine's view is clockwise in the picture too: sweep flag 1.
  void ArcTo(const SvgArc& arc, bool larger, double x, double y) {
    DrawMerged();
    const Tenths to = TenthsOf(x, y);
    const long long radius =
        arc.halfTurn ? static_cast<long long>(ChordLength(to) / 2)
                     : InTenths(frame_.Length(arc.radius));
    data_ += 'a';
    AppendNumber(radius);
    AppendNumber(radius);
    data_ += larger ? " 0 1" : " 0 0";
    data_ += arc.clockwise ? " 1" : " 0";
    AppendTo(to);
    SetPen(x, y);
  }

  // In tenths, from the last point drawn.
  double ChordLength(const Tenths& to) const {
    const auto dx = static_cast<double>(to.x - drawn_.x);
    const auto dy = static_cast<double>(to.y - drawn_.y);
    return std::sqrt(dx * dx + dy * dy);
  }

  // The line to the pen that was merged, so that the subpath ends where its last move ends.
  void DrawMerged() {
    if (!merged_) return;
    merged_ = false;
    data_ += 'l';
    AppendTo(TenthsOf(penX_, penY_));
  }

  void SetPen(double x, double y) {
    hasPen_ = true;
    penX_ = x;
    penY_ = y;
  }

  const Merge merge_;
  bool hasPen_ = false;  // where the last move ended
  double penX_ = 0;
  double penY_ = 0;
  bool merged_ = false;  // the pen's point was merged, not drawn
};

// The "d" text of a path whose vertices are drilling points, each drawn by a marker: every point
// a vertex, none merged.
class PointData : public TenthsText {
 public:
  using TenthsText::TenthsText;

  void Add(const Position& point) {
    const Tenths at = TenthsOf(point.x, point.y);
    if (count_++ == 0) return AppendAt(at);
    data_ += 'l';
    AppendTo(at);
  }

  std::size_t Count() const { return count_; }
  // A lone point gets a second vertex where it stands (renderers draw no marker on a path
  // without a segment); only the first is marked.
  const std::string& Text() {
    if (count_ == 1 && !doubled_) data_ += "l0 0";
    doubled_ = true;
    return data_;
  }

 private:
  std::size_t count_ = 0;
  bool doubled_ = false;  // the lone point's second vertex is written
};

// Everything the picture must show: the part and every move of both programs.
Extents DrawingBox(const Toolpath& source, const Toolpath& output) {
  Extents box;
  if (output.header.present) {
    box.Add(Position{0, 0, 0});
    box.Add(Position{output.header.length, output.header.height, 0});
  }
  for (const Toolpath* path : {&source, &output}) {
    for (const Move& move : path->moves) box.Add(ExtentsOf(move));
  }
  if (box.empty) box.Add(Position{});
  return box;
}

class SvgWriter {
 public:
  SvgWriter(const Toolpath& source, const Toolpath& output, const GeometryCheck& check,
            const PartCheck& part, const std::optional<MachiningTime>& time)
      : source_(source),
        output_(output),
        check_(check),
        part_(part),
        time_(time),
        depth_(DepthScaleOf(output)),
        frame_(DrawingBox(source, output)) {}

  std::string Write(std::string_view title) {
    CollectTexts(title);
    const double height = frame_.DrawingBottom() + kTextLine * (texts_.size() + 3) + kMargin;
    out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" "
            "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"" + Px(frame_.Width()) +
            "\" height=\"" + Px(height) + "\" viewBox=\"0 0 " + Px(frame_.Width()) + " " +
            Px(height) + "\" font-family=\"sans-serif\" font-size=\"13\">\n";
    out_ += "<title>" + XmlEscaped(title) + "</title>\n";
    out_ += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    WriteLayers();
    WriteDifferences();
    WriteTexts();
    out_ += "</svg>\n";
    return std::move(out_);
  }

 private:
  void WritePart() {
    const PartHeader& header = output_.header;
    if (!header.present) return;
    out_ += "<rect x=\"" + Px(frame_.X(std::min(0.0, header.length))) + "\" y=\"" +
            Px(frame_.Y(std::max(0.0, header.height))) + "\" width=\"" +
            Px(frame_.Length(std::abs(header.length))) + "\" height=\"" +
            Px(frame_.Length(std::abs(header.height))) +
            "\" fill=\"" + HexText(kPartFill) + "\" stroke=\"" + HexText(kPartEdge) + "\"/>\n";
  }

  // The moves of the output's depth band, and the same for the moves both programs draw alike.
  struct Bands {
    explicit Bands(const Frame& frame)
        : feeds(kDepthBands, PathData(frame)), points(kDepthBands, PointData(frame)) {}
    std::vector<PathData> feeds;
    std::vector<PointData> points;
    std::vector<std::string> cycles = std::vector<std::string>(kDepthBands);
  };

  // The source's moves that it does not share.
  struct SourceLayer {
    explicit SourceLayer(const Frame& frame) : feeds(frame), rapids(frame), points(frame) {}
    PathData feeds;
    PathData rapids;
    PointData points;
    std::string cycles;
  };

  // The moves both programs draw alike (most of them) are drawn once, in the output's depth
  // bands, and used by both layers.
  void WriteLayers() {
    std::vector<bool> sourceShared(source_.moves.size());
    std::vector<bool> outputShared(output_.moves.size());
    Bands shared(frame_);
    for (const MovePair& pair : check_.pairs) {
      const Move& move = output_.moves[pair.output];
      if (!DrawnAlike(frame_, source_.moves[pair.source], move)) continue;
      sourceShared[pair.source] = true;
      outputShared[pair.output] = true;
      AddToBand(move, shared);
    }
    SourceLayer source(frame_);
    for (std::size_t k = 0; k < source_.moves.size(); ++k) {
      const Move& move = source_.moves[k];
      if (HasApproach(move)) source.rapids.Move(move);  // the cycle's own rapid to its point
      if (sourceShared[k]) continue;
      if (move.kind == MoveKind::kDrill) {
        source.points.Add(move.to);
      } else if (IsPoint(move)) {
        source.cycles += PointShape(move, kSourceStyle.pointRadius, "");
      } else {
        (move.kind == MoveKind::kRapid ? source.rapids : source.feeds).Move(move);
      }
    }
    Bands output(frame_);
    PathData outputRapids(frame_);
    for (std::size_t k = 0; k < output_.moves.size(); ++k) {
      const Move& move = output_.moves[k];
      if (outputShared[k]) continue;
      if (move.kind == MoveKind::kRapid) {
        outputRapids.Move(move);
      } else {
        AddToBand(move, output);
      }
    }
    WriteDefinitions(shared, source.points, output);
    WritePart();
    WriteSource(source, shared);
    WriteOutput(outputRapids, output, shared);
  }

  void AddToBand(const Move& move, Bands& bands) const {
    const int band = DepthBand(depth_, DeepestOf(move));
    if (move.kind == MoveKind::kDrill) {
      bands.points[band].Add(move.to);
    } else if (IsPoint(move)) {
      bands.cycles[band] += PointShape(move, kOutputStyle.pointRadius, "");
    } else {
      bands.feeds[band].Move(move);
    }
  }

  // The shared paths, and a marker for each colour of drilling points drawn.
  void WriteDefinitions(Bands& shared, const PointData& sourcePoints, const Bands& output) {
    out_ += "<defs>\n";
    bool anyShared = false;
    for (int band = 0; band < kDepthBands; ++band) {
      WriteDefinition(SharedId('f', band), shared.feeds[band].Text());
      WriteDefinition(SharedId('p', band), shared.points[band].Text());
      anyShared = anyShared || !shared.points[band].Empty();
    }
    if (anyShared || !sourcePoints.Empty()) {
      WriteMarker(SourceMarker(), kSourceStyle, kSourceStyle.colour);
    }
    for (int band = 0; band < kDepthBands; ++band) {
      if (!shared.points[band].Empty() || !output.points[band].Empty()) {
        WriteMarker(BandMarker(band), kOutputStyle, DepthBandColour(band));
      }
    }
    out_ += "</defs>\n";
  }

  void WriteDefinition(const std::string& id, const std::string& data) {
    if (!data.empty()) out_ += "<path id=\"" + id + "\" d=\"" + data + "\"/>\n";
  }

  // A drilling point's circle, drawn at each vertex of a path of points.
  void WriteMarker(const std::string& id, const ProgramStyle& style, StyleColour colour) {
    out_ += "<marker id=\"" + id + "\" markerUnits=\"userSpaceOnUse\" overflow=\"visible\">" +
            "<circle r=\"" + Px(style.pointRadius) + "\" fill=\"none\" stroke=\"" +
            HexText(colour) + "\" stroke-width=\"" + Px(style.pointWidth) + "\"/></marker>\n";
  }

  static std::string SharedId(char kind, int band) { return kind + std::to_string(band); }
  static std::string SourceMarker() { return "ms"; }
  static std::string BandMarker(int band) { return SharedId('m', band); }

  void WriteSource(SourceLayer& source, const Bands& shared) {
    const std::string colour = HexText(kSourceStyle.colour);
    WritePath(source.rapids, colour, kSourceStyle.rapidWidth, RapidDashes());
    WritePath(source.feeds, colour, kSourceStyle.feedWidth, {});
    for (int band = 0; band < kDepthBands; ++band) {
      if (shared.feeds[band].Empty()) continue;
      WriteUse(SharedId('f', band), StrokeAttributes(colour, kSourceStyle.feedWidth, {}));
    }
    WritePointPath(source.points, SourceMarker());
    for (int band = 0; band < kDepthBands; ++band) {
      WriteUsedPoints(shared.points[band], SharedId('p', band), SourceMarker());
    }
    WritePoints(source.cycles, colour, kSourceStyle.pointWidth);
  }

  // Rapids like the source's; feeds, arcs and points in the colour of their depth band.
  void WriteOutput(PathData& rapids, Bands& output, const Bands& shared) {
    WritePath(rapids, HexText(kOutputStyle.colour), kOutputStyle.rapidWidth, RapidDashes());
    for (int band = 0; band < kDepthBands; ++band) {
      const std::string colour = HexText(DepthBandColour(band));
      if (!shared.feeds[band].Empty()) {
        WriteUse(SharedId('f', band), StrokeAttributes(colour, kOutputStyle.feedWidth, {}));
      }
      WritePath(output.feeds[band], colour, kOutputStyle.feedWidth, {});
      WriteUsedPoints(shared.points[band], SharedId('p', band), BandMarker(band));
      WritePointPath(output.points[band], BandMarker(band));
      WritePoints(output.cycles[band], colour, kOutputStyle.pointWidth);
    }
  }

  // A path of points drawn by a marker at each vertex, exactly once at each.
  static std::string MarkerAttributes(std::size_t points, const std::string& marker) {
    const std::string url = "\"url(#" + marker + ")\"";
    std::string text = "fill=\"none\" stroke=\"none\" marker-start=" + url;
    if (points > 1) text += " marker-mid=" + url + " marker-end=" + url;
    return text;
  }

  void WritePointPath(PointData& points, const std::string& marker) {
    if (points.Empty()) return;
    out_ += "<path " + MarkerAttributes(points.Count(), marker) + " d=\"" + points.Text() +
            "\"/>\n";
  }

  void WriteUsedPoints(const PointData& points, const std::string& id, const std::string& marker) {
    if (!points.Empty()) WriteUse(id, MarkerAttributes(points.Count(), marker));
  }

  void WriteUse(const std::string& id, const std::string& attributes) {
    out_ += "<use xlink:href=\"#" + id + "\" " + attributes + "/>\n";
  }

  void WritePoints(const std::string& points, const std::string& colour, double width) {
    if (points.empty()) return;
    out_ += "<g fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + Px(width) +
            "\">\n" + points + "</g>\n";
  }

  // dashes: "" for a solid line.
  static std::string StrokeAttributes(const std::string& colour, double width,
                                      const std::string& dashes) {
    std::string text = "fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + Px(width) +
                       "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"";
    if (!dashes.empty()) text += " stroke-dasharray=\"" + dashes + "\"";
    return text;
  }

  void WritePath(PathData& data, const std::string& colour, double width,
                 const std::string& dashes) {
    if (data.Empty()) return;
    out_ += "<path " + StrokeAttributes(colour, width, dashes) + " d=\"" + data.Text() + "\"/>\n";
  }

  // A circle for a drilling point, a square for a cycle point.
  std::string PointShape(const Move& move, double radius, std::string_view extra) const {
    const std::string x = Px(frame_.X(move.to.x));
    const std::string y = Px(frame_.Y(move.to.y));
    if (move.kind == MoveKind::kDrill) {
      return "<circle cx=\"" + x + "\" cy=\"" + y + "\" r=\"" + Px(radius) + "\"" +
             std::string(extra) + "/>\n";
    }
    return "<rect x=\"" + Px(frame_.X(move.to.x) - radius) + "\" y=\"" +
           Px(frame_.Y(move.to.y) - radius) + "\" width=\"" + Px(2 * radius) + "\" height=\"" +
           Px(2 * radius) + "\"" + std::string(extra) + "/>\n";
  }

  void WriteDifferences() {
    PathData lines(frame_, Merge::kNo);
    std::string points;
    const auto add = [&](const Move& move) {
      if (IsPoint(move)) {
        points += PointShape(move, kDifferenceStyle.pointRadius, "");
      } else {
        lines.Move(move);
      }
    };
    for (const MovePair& pair : check_.pairs) {
      if (pair.differs) add(output_.moves[pair.output]);
    }
    for (const std::size_t k : check_.sourceOnly) add(source_.moves[k]);
    for (const std::size_t k : check_.outputOnly) add(output_.moves[k]);
    const std::string colour = HexText(kDifferenceStyle.colour);
    WritePath(lines, colour, kDifferenceStyle.width, {});
    WritePoints(points, colour, kDifferenceStyle.width);
  }

  struct TextLine {
    std::string text;
    std::string colour;
  };

  void CollectTexts(std::string_view title) {
    texts_.push_back({std::string(title), "black"});
    texts_.push_back({VerdictText(check_), HexText(check_.Identical() ? kIdenticalColour
                                                                      : kDifferenceStyle.colour)});
    if (time_) texts_.push_back({"estimated machining time " + MachiningTimeText(*time_), "black"});
    texts_.push_back({PartSummary(output_.header, part_.extents), "black"});
    for (std::size_t k = 0; k < std::min(kListedDifferences, check_.differences.size()); ++k) {
      const Difference& difference = check_.differences[k];
      texts_.push_back({DifferenceText(difference), HexText(kDifferenceStyle.colour)});
    }
    if (part_.inchesWarning) texts_.push_back({*part_.inchesWarning, HexText(kWarningColour)});
    std::vector<std::string> notes = part_.notes;
    notes.insert(notes.end(), check_.notes.begin(), check_.notes.end());
    for (std::size_t k = 0; k < std::min(kListedNotes, notes.size()); ++k) {
      texts_.push_back({notes[k], HexText(kNoteColour)});
    }
    if (notes.size() > kListedNotes) {
      texts_.push_back(
          {"and " + GroupedCount(notes.size() - kListedNotes) + " more notes", HexText(kNoteColour)});
    }
  }

  void WriteTexts() {
    double y = frame_.DrawingBottom() + kTextLine;
    for (const TextLine& line : texts_) {
      out_ += "<text x=\"" + Px(kMargin) + "\" y=\"" + Px(y) + "\" fill=\"" + line.colour + "\">" +
              XmlEscaped(line.text) + "</text>\n";
      y += kTextLine;
    }
    WriteLegend(y);
    WriteDepthScale(y + kTextLine);
  }

  std::string Units() const { return output_.header.present && output_.header.inches ? " in" : " mm"; }

  // "depth 0 [bands] -12.5 mm", then the scale bar with its length.
  void WriteDepthScale(double y) {
    std::string text = "depth " + DecimalText(depth_.top, kDepthDecimals);
    out_ += "<text x=\"" + Px(kMargin) + "\" y=\"" + Px(y) + "\">" + text + "</text>\n";
    double x = kMargin + kLegendCharacter * text.size() + kLegendGap / 2;
    for (int band = 0; band < kDepthBands; ++band) {
      out_ += "<rect x=\"" + Px(x) + "\" y=\"" + Px(y - kSwatchHeight) + "\" width=\"" +
              Px(kSwatchWidth) + "\" height=\"" + Px(kSwatchHeight) + "\" fill=\"" +
              HexText(DepthBandColour(band)) + "\"/>\n";
      x += kSwatchWidth;
    }
    text = DecimalText(depth_.deepest, kDepthDecimals) + Units();
    out_ += "<text x=\"" + Px(x + kLegendGap / 2) + "\" y=\"" + Px(y) + "\">" + text + "</text>\n";
    x += kLegendGap * 3 + kLegendCharacter * text.size();
    const ScaleBar bar = ScaleBarFor(frame_.Scale(), kScaleBarPixels, Units() == " in");
    const double middle = y - kSwatchHeight / 2;
    out_ += "<path fill=\"none\" stroke=\"black\" d=\"M" + Px(x) + " " + Px(middle - kScaleBarTick) +
            "V" + Px(middle + kScaleBarTick) + "H" + Px(x + bar.pixels) + "V" +
            Px(middle - kScaleBarTick) + "\"/>\n";
    out_ += "<text x=\"" + Px(x + bar.pixels + kLegendGap / 2) + "\" y=\"" + Px(y) + "\">" +
            XmlEscaped(bar.label) + "</text>\n";
  }

  // One entry after the other: a sample and its label, spaced by the label's length.
  void WriteLegend(double y) {
    double x = kMargin;
    const double middle = y - 4;
    const auto label = [&](double sampleWidth, std::string_view text) {
      out_ += "<text x=\"" + Px(x + sampleWidth + kLegendGap / 2) + "\" y=\"" + Px(y) + "\">" +
              std::string(text) + "</text>\n";
      x += sampleWidth + kLegendGap + kLegendCharacter * text.size();
    };
    const auto line = [&](StyleColour colour, double width, const std::string& dashes,
                          std::string_view text) {
      out_ += "<line x1=\"" + Px(x) + "\" y1=\"" + Px(middle) + "\" x2=\"" + Px(x + kLegendSample) +
              "\" y2=\"" + Px(middle) + "\" stroke=\"" + HexText(colour) + "\" stroke-width=\"" +
              Px(width) + "\"";
      if (!dashes.empty()) out_ += " stroke-dasharray=\"" + dashes + "\"";
      out_ += "/>\n";
      label(kLegendSample, text);
    };
    line(kSourceStyle.colour, kSourceStyle.feedWidth, {}, "source feed");
    line(kSourceStyle.colour, kSourceStyle.rapidWidth, RapidDashes(), "source rapid");
    line(DepthBandColour(kDepthBands / 2), kOutputStyle.feedWidth, {}, "output feed");
    line(kOutputStyle.colour, kOutputStyle.rapidWidth, RapidDashes(), "output rapid");
    line(kDifferenceStyle.colour, kDifferenceStyle.width, {}, "difference");
    out_ += "<circle cx=\"" + Px(x + kLegendPointRadius) + "\" cy=\"" + Px(middle) + "\" r=\"" +
            Px(kLegendPointRadius) + "\" fill=\"none\" stroke=\"black\"/>\n";
    label(2 * kLegendPointRadius, "drilling point");
    out_ += "<rect x=\"" + Px(x) + "\" y=\"" + Px(middle - kLegendPointRadius) + "\" width=\"" +
            Px(2 * kLegendPointRadius) + "\" height=\"" + Px(2 * kLegendPointRadius) +
            "\" fill=\"none\" stroke=\"black\"/>\n";
    label(2 * kLegendPointRadius, "cycle point");
  }

  const Toolpath& source_;
  const Toolpath& output_;
  const GeometryCheck& check_;
  const PartCheck& part_;
  const std::optional<MachiningTime>& time_;
  const DepthScale depth_;
  const Frame frame_;
  std::vector<TextLine> texts_;
  std::string out_;
};

// The length of the UTF-8 sequence at text[at] that XML can hold, 0 for none: control
// characters other than tab, line feed and carriage return cannot stand in XML.
std::size_t XmlSequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r') return 0;
  return Utf8SequenceLength(text, at);
}

void AppendEscaped(char c, std::string& out) {
  switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&apos;";
      break;
    default:
      out += c;
  }
}

}  // namespace

std::string ToolpathSvg(const Toolpath& source, const Toolpath& output, const GeometryCheck& check,
                        const PartCheck& part, std::string_view title,
                        const std::optional<MachiningTime>& time) {
  return SvgWriter(source, output, check, part, time).Write(title);
}

std::string XmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = XmlSequenceLength(text, at);
    if (length == 0) {
      escaped += '?';
      ++at;
      continue;
    }
    if (length == 1) {
      AppendEscaped(text[at], escaped);
    } else {
      escaped.append(text.substr(at, length));
    }
    at += length;
  }
  return escaped;
}

}  // namespace quarnel
