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

// The "d" text of an SVG path at the picture's resolution, a tenth of a pixel: a new subpath
// only where the pen is not already, points in relative tenths of a pixel from the last one
// drawn (so that rounding never adds up), and with Merge::kYes a straight line's end closer than
// a tenth of a pixel to that point merged with the next one. Every subpath still ends where its
// last move ends.
class PathData {
 public:
  explicit PathData(const Frame& frame, Merge merge = Merge::kYes) : frame_(frame), merge_(merge) {}

  void Move(const quarnel::Move& move) {
    MoveTo(move.from);
    const std::optional<ArcShape> arc = ArcOf(move);
    if (!arc) return LineTo(move.to);
    if (std::abs(arc->sweep) >= kWholeTurn - kWholeTurnSlack) {
      const double half = arc->startAngle + arc->sweep / 2;
      ArcTo(*arc, false, ArcPointX(*arc, half), ArcPointY(*arc, half));
    }
    ArcTo(*arc, std::abs(arc->sweep) > std::numbers::pi && std::abs(arc->sweep) < kWholeTurn,
          move.to.x, move.to.y);
  }

  bool Empty() const { return data_.empty(); }
  const std::string& Text() {
    DrawMerged();
    return data_;
  }

 private:
  // A point of the picture in tenths of a pixel.
  struct Tenths {
    long long x = 0;
    long long y = 0;
  };

  void MoveTo(const Position& point) {
    if (hasPen_ && penX_ == point.x && penY_ == point.y) return;
    DrawMerged();
    data_ += 'M';
    const Tenths at = TenthsOf(point.x, point.y);
    AppendNumber(at.x);
    AppendNumber(at.y);
    drawn_ = at;
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
  void ArcTo(const ArcShape& arc, bool larger, double x, double y) {
    DrawMerged();
    const long long radius = InTenths(frame_.Length(arc.radius));
    data_ += 'a';
    AppendNumber(radius);
    AppendNumber(radius);
    data_ += larger ? " 0 1" : " 0 0";
    data_ += arc.sweep < 0 ? " 1" : " 0";
    AppendTo(TenthsOf(x, y));
    SetPen(x, y);
  }

  // The line to the pen that was merged, so that the subpath ends where its last move ends.
  void DrawMerged() {
    if (!merged_) return;
    merged_ = false;
    data_ += 'l';
    AppendTo(TenthsOf(penX_, penY_));
  }

  Tenths TenthsOf(double x, double y) const { return {InTenths(frame_.X(x)), InTenths(frame_.Y(y))}; }

  // Pixels in tenths; a radius too large to matter is cut short.
  static long long InTenths(double pixels) {
    return std::llround(std::clamp(pixels * kTenths, -kLargestTenths, kLargestTenths));
  }

  void AppendTo(const Tenths& at) {
    AppendNumber(at.x - drawn_.x);
    AppendNumber(at.y - drawn_.y);
    drawn_ = at;
  }

  // tenths / 10 with its decimal only where it is not 0, after a blank unless it follows a
  // command letter or has a minus sign to part it from what comes before.
  void AppendNumber(long long tenths) {
    if (tenths >= 0 && !data_.empty() && data_.back() >= '0' && data_.back() <= '9') data_ += ' ';
    char text[24];
    char* end = std::to_chars(text, text + sizeof text, tenths / 10).ptr;
    if (tenths < 0 && tenths > -10) data_ += '-';  // -0.5: the whole part lost its sign
    data_.append(text, end);
    if (tenths % 10 != 0) {
      data_ += '.';
      data_ += static_cast<char>('0' + std::abs(tenths % 10));
    }
  }

  void SetPen(double x, double y) {
    hasPen_ = true;
    penX_ = x;
    penY_ = y;
  }

  static constexpr double kTenths = 10;
  static constexpr double kLargestTenths = 1e15;

  const Frame& frame_;
  const Merge merge_;
  std::string data_;
  bool hasPen_ = false;  // where the last move ended
  double penX_ = 0;
  double penY_ = 0;
  Tenths drawn_;         // where the last point drawn lies
  bool merged_ = false;  // the pen's point was merged, not drawn
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
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Px(frame_.Width()) +
            "\" height=\"" + Px(height) + "\" viewBox=\"0 0 " + Px(frame_.Width()) + " " +
            Px(height) + "\" font-family=\"sans-serif\" font-size=\"13\">\n";
    out_ += "<title>" + XmlEscaped(title) + "</title>\n";
    out_ += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    WritePart();
    WriteProgram(source_, kSourceStyle);
    WriteOutput();
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

  void WriteProgram(const Toolpath& path, const ProgramStyle& style) {
    PathData feeds(frame_);
    PathData rapids(frame_);
    std::string points;
    for (const Move& move : path.moves) {
      if (IsPoint(move)) {
        points += PointShape(move, style.pointRadius, "");
        if (HasApproach(move)) rapids.Move(move);  // the cycle's own rapid to its point
      } else {
        (move.kind == MoveKind::kRapid ? rapids : feeds).Move(move);
      }
    }
    const std::string colour = HexText(style.colour);
    WritePath(rapids, colour, style.rapidWidth, RapidDashes());
    WritePath(feeds, colour, style.feedWidth, {});
    WritePoints(points, colour, style.pointWidth);
  }

  // Rapids like the source's; feeds, arcs and points in the colour of their depth band.
  void WriteOutput() {
    PathData rapids(frame_);
    std::vector<PathData> feeds(kDepthBands, PathData(frame_));
    std::vector<std::string> points(kDepthBands);
    for (const Move& move : output_.moves) {
      const int band = DepthBand(depth_, DeepestOf(move));
      if (IsPoint(move)) {
        points[band] += PointShape(move, kOutputStyle.pointRadius, "");
      } else {
        (move.kind == MoveKind::kRapid ? rapids : feeds[band]).Move(move);
      }
    }
    WritePath(rapids, HexText(kOutputStyle.colour), kOutputStyle.rapidWidth, RapidDashes());
    for (int band = 0; band < kDepthBands; ++band) {
      const std::string colour = HexText(DepthBandColour(band));
      WritePath(feeds[band], colour, kOutputStyle.feedWidth, {});
      WritePoints(points[band], colour, kOutputStyle.pointWidth);
    }
  }

  void WritePoints(const std::string& points, const std::string& colour, double width) {
    if (points.empty()) return;
    out_ += "<g fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + Px(width) +
            "\">\n" + points + "</g>\n";
  }

  // dashes: "" for a solid line.
  void WritePath(PathData& data, const std::string& colour, double width,
                 const std::string& dashes) {
    if (data.Empty()) return;
    out_ += "<path fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + Px(width) +
            "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"";
    if (!dashes.empty()) out_ += " stroke-dasharray=\"" + dashes + "\"";
    out_ += " d=\"" + data.Text() + "\"/>\n";
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
