#include "engine/geometry/machining_time.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/geometry/arc_geometry.h"
#include "engine/translate/output_codes.h"
#include "support/decimal_text.h"
#include "support/number.h"

namespace quarnel {

namespace {

constexpr double kSecondsPerMinute = 60;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kLongestShownSeconds = 3.6e9;  // a million hours
constexpr int kLengthDecimals = 1;

// Seconds to cover length at rate units per minute; a rate that is not above 0 covers nothing.
double Seconds(double length, double rate) {
  return rate > 0 ? length / rate * kSecondsPerMinute : 0;
}

double Distance(const Position& a, const Position& b) {
  return std::hypot(a.x - b.x, a.y - b.y, a.depth - b.depth);
}

// The move with the axes of its plane taken as X and Y, and the third axis as the depth.
Move InXYPlane(const Move& move) {
  const auto turn = [&move](const Position& p) -> Position {
    if (move.plane == ArcPlane::kZX) return {p.depth, p.x, p.y};
    if (move.plane == ArcPlane::kYZ) return {p.y, p.depth, p.x};
    return p;
  };
  Move turned = move;
  turned.plane = ArcPlane::kXY;
  turned.from = turn(move.from);
  turned.to = turn(move.to);
  return turned;
}

// The length of an arc in the XY plane along its circle and the rise across it; along the
// chord of move when it has no circle.
double AlongCircle(const Move& move, const Move& turned) {
  const std::optional<ArcShape> arc = ArcOf(turned);
  if (!arc) return Distance(move.from, move.to);
  return std::hypot(std::abs(arc->sweep) * arc->radius, turned.to.depth - turned.from.depth);
}

// An arc along its circle and the rise across it; an arc with no circle (see ArcOf) and an arc
// by centre outside the XY plane, whose I and J name no axes of its plane, along its chord.
double ArcLength(const Move& move) {
  if (move.plane != ArcPlane::kXY && !move.byRadius) return Distance(move.from, move.to);
  if (move.plane == ArcPlane::kXY) return AlongCircle(move, move);
  return AlongCircle(move, InXYPlane(move));
}

// The feed of a move in units per minute; 0 when it has none that moves.
double FeedRate(const Move& move) { return std::max(0.0, move.feed * output::kFeedDivisor); }

class TimeAdder {
 public:
  TimeAdder(bool inches, const MachiningTimeSettings& settings)
      : rapidRate_(inches ? settings.rapidRate / kMillimetresPerInch : settings.rapidRate),
        toolChangeSeconds_(settings.toolChangeSeconds) {
    time_.inches = inches;
  }

  void Add(const Move& move, std::string_view toolCall) {
    CallTool(toolCall);
    const bool retracted = std::exchange(retracted_, IsPoint(move));
    if (IsPoint(move)) return AddPoint(move);
    if (retracted) return AddPath(AfterRetract(move));
    AddPath(move);
  }

  MachiningTime Take() const { return time_; }

 private:
  void CallTool(std::string_view call) {
    if (call.empty() || call == loaded_) return;
    loaded_ = call;
    ++time_.toolChanges;
    time_.toolChangeSeconds += toolChangeSeconds_;
  }

  void AddPath(const Move& move) {
    if (move.kind == MoveKind::kRapid) {
      time_.rapidSeconds += Seconds(Distance(move.from, move.to), rapidRate_);
      return;
    }
    const double length = IsArc(move) ? ArcLength(move) : Distance(move.from, move.to);
    time_.cutLength += length;
    time_.cuttingSeconds += Fed(move, length);
  }

  // A move after a point starts where the point's retract left the tool.
  static Move AfterRetract(const Move& move) {
    Move moved = move;
    moved.from.depth = std::max(0.0, moved.from.depth);
    return moved;
  }

  // Travel above the part, down from its top to the point's depth and back up.
  void AddPoint(const Move& move) {
    const double travel = std::hypot(move.to.x - move.from.x, move.to.y - move.from.y);
    time_.rapidSeconds += Seconds(travel, rapidRate_);
    const double depth = std::max(0.0, -move.to.depth);
    time_.cutLength += depth;
    time_.drillingSeconds += Fed(move, depth) + Seconds(depth, rapidRate_);
  }

  // The seconds of length at the move's feed; a length without a feed is counted, not timed.
  double Fed(const Move& move, double length) {
    const double rate = FeedRate(move);
    if (rate == 0 && length > 0) {
      if (time_.untimedMoves++ == 0) time_.firstUntimedLine = move.line;
    }
    return Seconds(length, rate);
  }

  double rapidRate_;
  double toolChangeSeconds_;
  std::string loaded_;     // the last tool called
  bool retracted_ = false;  // the last move was a point: the tool is back at the top
  MachiningTime time_;
};

std::string Plural(std::size_t count, const char* one, const char* many) {
  return GroupedCount(count) + " " + (count == 1 ? one : many);
}

std::string TwoDigits(long long value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

// A plain number within low..high; above low only when low is left out.
std::optional<double> NumberWithin(std::string_view text, double low, bool lowIncluded,
                                   double high) {
  if (!IsPlainNumber(text)) return std::nullopt;
  const double value = Val(text);
  if (value < low || (!lowIncluded && value == low) || value > high) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> RapidRateFromText(std::string_view text) {
  return NumberWithin(text, 0, false, kMostRapidRate);
}

std::optional<double> ToolChangeSecondsFromText(std::string_view text) {
  return NumberWithin(text, 0, true, kMostToolChangeSeconds);
}

MachiningTimeSettings MachiningTimeSettingsFrom(std::string_view rapidRate,
                                                std::string_view toolChangeSeconds) {
  MachiningTimeSettings settings;
  settings.rapidRate = RapidRateFromText(rapidRate).value_or(settings.rapidRate);
  settings.toolChangeSeconds =
      ToolChangeSecondsFromText(toolChangeSeconds).value_or(settings.toolChangeSeconds);
  return settings;
}

MachiningTime EstimateMachiningTime(const Toolpath& output, const MachiningTimeSettings& settings) {
  TimeAdder adder(output.header.present && output.header.inches, settings);
  for (const Move& move : output.moves) adder.Add(move, output.ToolCall(move));
  return adder.Take();
}

std::string DurationText(double seconds) {
  if (!(seconds < kLongestShownSeconds)) return "more than 1,000,000 h";
  const auto whole = static_cast<long long>(std::llround(std::max(0.0, seconds)));
  const long long hours = whole / 3600;
  const long long minutes = whole / 60 % 60;
  const long long rest = whole % 60;
  if (hours > 0) {
    return std::to_string(hours) + " h " + TwoDigits(minutes) + " min " + TwoDigits(rest) + " s";
  }
  if (minutes > 0) return std::to_string(minutes) + " min " + TwoDigits(rest) + " s";
  return std::to_string(rest) + " s";
}

std::string MachiningTimeText(const MachiningTime& time) {
  std::string text = DurationText(time.TotalSeconds()) + ": cutting " +
                     DurationText(time.cuttingSeconds) + ", rapid " +
                     DurationText(time.rapidSeconds) + ", drilling " +
                     DurationText(time.drillingSeconds) + ", " +
                     Plural(time.toolChanges, "tool change", "tool changes") + " " +
                     DurationText(time.toolChangeSeconds) + "; cut length " +
                     DecimalText(time.cutLength, kLengthDecimals) + (time.inches ? " in" : " mm");
  if (time.untimedMoves > 0) {
    text += "; " + Plural(time.untimedMoves, "move", "moves") +
            " without a feed not timed, the first at output line " +
            std::to_string(time.firstUntimedLine);
  }
  return text;
}

}  // namespace quarnel
