#include "engine/geometry/geometry_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "engine/geometry/arc_geometry.h"
#include "engine/translate/output_codes.h"
#include "support/decimal_text.h"

namespace quarnel {

namespace {

constexpr std::size_t kLookAhead = 8;    // moves looked at to find where the paths meet again
constexpr int kSignificantDigits = 7;    // the output prints a 32-bit float to at most seven
constexpr int kPrintedDecimals = 4;      // and to at most four decimals
constexpr double kSlack = 1e-9;          // for the binary form of decimal values
constexpr double kHalfTurnSlack = 1e-6;  // radians: an arc this close to a half circle is both
constexpr int kTextDecimals = 4;

// Half a unit of the last decimal the output prints for a value with this many integer
// digits: the fourth, or an earlier one where seven significant digits leave no room for four
// decimals. Where seven digits reach beyond the fourth decimal, the value is rounded twice, and
// the first rounding adds its own half unit.
double ToleranceForDigits(int integerDigits) {
  const int significantDecimals = kSignificantDigits - integerDigits;
  double tolerance = 0.5 * std::pow(10.0, -std::min(kPrintedDecimals, significantDecimals));
  if (significantDecimals > kPrintedDecimals) {
    tolerance += 0.5 * std::pow(10.0, -significantDecimals);
  }
  return tolerance + kSlack;
}

// floor(log10(magnitude)) + 1, at least 1; without the logarithm where the magnitude lies
// clearly between two powers of ten up to 10^7, where the logarithm's rounding cannot matter.
int IntegerDigits(double magnitude) {
  constexpr double kPowerMargin = 1e-12;
  if (magnitude < 1) return 1;
  double power = 1;
  for (int digits = 1; digits <= kSignificantDigits; ++digits, power *= 10) {
    if (magnitude < power * (1 + kPowerMargin)) break;
    if (magnitude < power * 10 * (1 - kPowerMargin)) return digits;
  }
  return static_cast<int>(std::floor(std::log10(magnitude))) + 1;
}

double ToleranceFor(double magnitude) {
  static const std::array<double, kSignificantDigits + 1> kByDigits = [] {
    std::array<double, kSignificantDigits + 1> tolerances{};
    for (int digits = 1; digits <= kSignificantDigits; ++digits) {
      tolerances[digits] = ToleranceForDigits(digits);
    }
    return tolerances;
  }();
  const int digits = IntegerDigits(magnitude);
  return digits >= 1 && digits <= kSignificantDigits ? kByDigits[digits]
                                                     : ToleranceForDigits(digits);
}

[[gnu::noinline]] bool NearBySize(double gap, double source, double output) {
  return gap <= ToleranceFor(std::max(std::abs(source), std::abs(output)));
}

// Most compared values are the same or nearly: those take no call.
inline bool Near(double source, double output) {
  const double gap = std::abs(source - output);
  return gap <= kGeometryTolerance + kSlack || NearBySize(gap, source, output);
}

bool NearPosition(const Position& source, const Position& output) {
  return Near(source.x, output.x) && Near(source.y, output.y) && Near(source.depth, output.depth);
}

bool IsLargerArc(const ArcShape& arc) { return std::abs(arc.sweep) > std::numbers::pi; }
bool NearHalfCircle(const ArcShape& arc) {
  return std::abs(std::abs(arc.sweep) - std::numbers::pi) < kHalfTurnSlack;
}

// An arc by radius and an arc by centre are the same arc when their radii match and both take
// the smaller or both the larger way round (end point and direction are compared apart).
bool SameCircle(const Move& source, const Move& output) {
  const std::optional<ArcShape> a = ArcOf(source);
  const std::optional<ArcShape> b = ArcOf(output);
  if (!a || !b) return !a && !b;
  if (!Near(a->radius, b->radius)) return false;
  return IsLargerArc(*a) == IsLargerArc(*b) || NearHalfCircle(*a) || NearHalfCircle(*b);
}

bool SameArc(const Move& source, const Move& output) {
  if (source.plane != output.plane) return false;
  if (source.byRadius && output.byRadius) return Near(source.radius, output.radius);
  if (!source.byRadius && !output.byRadius) {
    return Near(source.i, output.i) && Near(source.j, output.j);
  }
  return SameCircle(source, output);
}

// Incremental moves of both programs are compared by their increments, so that a run that
// starts elsewhere is one difference at its start, not one at every move. A positioning block
// is always compared where it goes.
bool ByIncrements(const Move& source, const Move& output) {
  return source.incremental && output.incremental && !source.block && !output.block;
}

Position EndAsWritten(const Move& move, bool increments) {
  if (!increments) return move.to;
  return {move.to.x - move.from.x, move.to.y - move.from.y, move.to.depth};
}

bool SameEnd(const Move& source, const Move& output) {
  const bool increments = ByIncrements(source, output);
  return NearPosition(EndAsWritten(source, increments), EndAsWritten(output, increments));
}

// Incremental moves that match but start from different places: the output reaches other
// positions than the source does.
bool StartsApart(const Move& source, const Move& output) {
  return ByIncrements(source, output) &&
         !(Near(source.from.x, output.from.x) && Near(source.from.y, output.from.y));
}

bool IsFeed(const Move& move) { return IsCutting(move) && !IsPoint(move); }

// Everything of the two moves but where they start; their texts are those of their toolpaths.
bool SameMove(const Move& source, const Move& output, const Toolpath& sourcePath,
              const Toolpath& outputPath) {
  if (source.kind != output.kind || source.block != output.block || !SameEnd(source, output)) {
    return false;
  }
  if (source.block) {
    return sourcePath.ToolCall(source) == outputPath.ToolCall(output) && Near(source.q, output.q);
  }
  if (IsCutting(source) && !Near(source.feed, output.feed)) return false;
  switch (source.kind) {
    case MoveKind::kClockwiseArc:
    case MoveKind::kCounterClockwiseArc:
      return SameArc(source, output);
    case MoveKind::kDrill:
      return Near(source.i, output.i) && Near(source.j, output.j) &&
             sourcePath.Spindles(source) == outputPath.Spindles(output);
    case MoveKind::kCycle:
      return Near(source.q, output.q) && sourcePath.ToolCall(source) == outputPath.ToolCall(output);
    default:
      return true;
  }
}

std::string KindName(const Move& move) {
  if (move.block) return "positioning block";
  switch (move.kind) {
    case MoveKind::kRapid:
      return "rapid move";
    case MoveKind::kLinear:
      return "linear feed";
    case MoveKind::kClockwiseArc:
      return "clockwise arc";
    case MoveKind::kCounterClockwiseArc:
      return "counter-clockwise arc";
    case MoveKind::kDrill:
      return "drilling point";
    case MoveKind::kCycle:
      return "cycle point";
  }
  return {};
}

std::string PlaneCodeOf(ArcPlane plane) {
  return std::string(plane == ArcPlane::kXY   ? output::kPlaneXY.text
                     : plane == ArcPlane::kZX ? output::kPlaneZX.text
                                              : output::kPlaneYZ.text);
}

std::string Number(double value) { return DecimalText(value, kTextDecimals); }

// Adds "what OUTPUT in the output, SOURCE in the source" when the values differ.
void AddValue(std::vector<std::string>& parts, std::string_view what, double source,
              double output) {
  if (Near(source, output)) return;
  parts.push_back(std::string(what) + " " + Number(output) + " in the output, " + Number(source) +
                  " in the source");
}

void AddArcParts(std::vector<std::string>& parts, const Move& source, const Move& output) {
  if (source.plane != output.plane) {
    parts.push_back("plane " + PlaneCodeOf(output.plane) + " in the output, " +
                    PlaneCodeOf(source.plane) + " in the source");
  } else if (source.byRadius && output.byRadius) {
    AddValue(parts, "radius", source.radius, output.radius);
  } else if (!source.byRadius && !output.byRadius) {
    AddValue(parts, "I", source.i, output.i);
    AddValue(parts, "J", source.j, output.j);
  } else if (!SameCircle(source, output)) {
    parts.push_back("the arc by centre and the arc by radius are not the same arc");
  }
}

// Adds "what OUTPUT in the output, SOURCE in the source" when the texts differ.
void AddText(std::vector<std::string>& parts, std::string_view what, std::string_view source,
             std::string_view output) {
  if (source == output) return;
  const auto shown = [](std::string_view text) {
    return text.empty() ? std::string("none") : std::string(text);
  };
  parts.push_back(std::string(what) + " " + shown(output) + " in the output, " + shown(source) +
                  " in the source");
}

// "linear feed to X300 Y50 depth -5"
std::string PositionText(const Position& at) {
  return "X" + Number(at.x) + " Y" + Number(at.y) + " depth " + Number(at.depth);
}

std::string Summary(const Move& move) { return KindName(move) + " to " + PositionText(move.to); }

// What differs between two compared moves, "; " between the parts.
std::string Describe(const Move& source, const Move& output, const Toolpath& sourcePath,
                     const Toolpath& outputPath) {
  if (source.kind != output.kind || source.block != output.block) {
    return KindName(output) + " in the output, " + KindName(source) + " in the source";
  }
  std::vector<std::string> parts;
  const bool increments = ByIncrements(source, output);
  const Position sourceEnd = EndAsWritten(source, increments);
  const Position outputEnd = EndAsWritten(output, increments);
  AddValue(parts, increments ? "X increment" : "X", sourceEnd.x, outputEnd.x);
  AddValue(parts, increments ? "Y increment" : "Y", sourceEnd.y, outputEnd.y);
  AddValue(parts, "depth", sourceEnd.depth, outputEnd.depth);
  if (IsArc(source)) AddArcParts(parts, source, output);
  if (source.kind == MoveKind::kDrill) {
    AddValue(parts, "I", source.i, output.i);
    AddValue(parts, "J", source.j, output.j);
    AddText(parts, "spindles", sourcePath.Spindles(source), outputPath.Spindles(output));
  }
  if (source.kind == MoveKind::kCycle || source.block) AddValue(parts, "Q", source.q, output.q);
  if (source.kind == MoveKind::kCycle || source.block) {
    AddText(parts, "tool call", sourcePath.ToolCall(source), outputPath.ToolCall(output));
  }
  if (IsCutting(source)) AddValue(parts, "F", source.feed, output.feed);
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  // Never an empty text for moves that differ: an empty one would count them as matching.
  if (text.empty()) {
    text = Summary(output) + " in the output, " + Summary(source) + " in the source";
  }
  return text;
}

// "source line 12, output line 7", either side left out where its line is 0.
std::string PlaceText(int sourceLine, int outputLine) {
  std::string place;
  if (sourceLine > 0) place = "source line " + std::to_string(sourceLine);
  if (outputLine > 0) {
    place += (place.empty() ? "" : ", ") + std::string("output line ") + std::to_string(outputLine);
  }
  return place;
}

std::string LineSpan(std::string_view program, int first, int last) {
  if (first == last) return std::string(program) + " line " + std::to_string(first);
  return std::string(program) + " lines " + std::to_string(first) + " to " + std::to_string(last);
}

std::string LeftOutReason(LeftOut leftOut) {
  return leftOut == LeftOut::kTool81Block ? "tool 81's G85 block stands for this motion"
                                          : "motion after G207 is not written to the output";
}

// The moves the machine must repeat: positioning blocks and the moves that cut, but not the
// source's moves left out on purpose or on lines the translator drops.
bool IsCompared(const Move& move) {
  return (IsCutting(move) || move.block) && move.leftOut == LeftOut::kNo && !move.dropped;
}

std::vector<std::size_t> ComparedMoves(const Toolpath& path) {
  std::vector<std::size_t> compared;
  compared.reserve(path.moves.size());
  for (std::size_t k = 0; k < path.moves.size(); ++k) {
    if (IsCompared(path.moves[k])) compared.push_back(k);
  }
  return compared;
}

// Walks both lists of compared moves in step; where they part, looks ahead for the nearest
// place where they agree again. The source's dropped lines are differences where they stand.
class Aligner {
 public:
  Aligner(const Toolpath& source, const Toolpath& output, GeometryCheck& check)
      : source_(source),
        output_(output),
        s_(ComparedMoves(source)),
        o_(ComparedMoves(output)),
        check_(check) {
    check_.pairs.reserve(std::min(s_.size(), o_.size()));
  }

  void Run() {
    while (i_ < s_.size() && j_ < o_.size()) {
      if (NextDroppedLine() < SourceMove(i_).line) AddDroppedBefore(SourceMove(i_).line);
      if (Same(i_, j_)) {
        Pair(true);
      } else {
        Resync();
      }
    }
    if (i_ < s_.size()) SourceOnly(s_.size() - i_);
    if (j_ < o_.size()) OutputOnly(o_.size() - j_);
    EndApartRun();
    AddDroppedBefore(std::numeric_limits<int>::max());
  }

 private:
  const Move& SourceMove(std::size_t i) const { return source_.moves[s_[i]]; }
  const Move& OutputMove(std::size_t j) const { return output_.moves[o_[j]]; }

  bool Same(std::size_t i, std::size_t j) const {
    return SameMove(SourceMove(i), OutputMove(j), source_, output_);
  }

  // The paths agree from i and j on: this pair and the next match, or both have ended.
  bool Agree(std::size_t i, std::size_t j) const {
    if (i >= s_.size() || j >= o_.size()) return i >= s_.size() && j >= o_.size();
    if (!Same(i, j)) return false;
    return i + 1 >= s_.size() || j + 1 >= o_.size() || Same(i + 1, j + 1);
  }

  // Nearest first: moves missing from the output, moves the output adds, moves changed.
  void Resync() {
    for (std::size_t ahead = 1; ahead <= kLookAhead; ++ahead) {
      if (i_ + ahead < s_.size() && Agree(i_ + ahead, j_)) return SourceOnly(ahead);
      if (j_ + ahead < o_.size() && Agree(i_, j_ + ahead)) return OutputOnly(ahead);
      const bool bothLeft = i_ + ahead <= s_.size() && j_ + ahead <= o_.size();
      if (bothLeft && Agree(i_ + ahead, j_ + ahead)) {
        for (std::size_t k = 0; k < ahead; ++k) Pair(k > 0 && Same(i_, j_));
        return;
      }
    }
    Pair(false);
  }

  // True when the source moves just before compared move i are left out on purpose or dropped:
  // where the machine then starts is not the source's to say, or is a difference already.
  bool AfterGap(std::size_t i) const {
    const std::size_t first = i == 0 ? 0 : s_[i - 1] + 1;
    for (std::size_t k = first; k < s_[i]; ++k) {
      const Move& move = source_.moves[k];
      if (move.dropped || move.leftOut != LeftOut::kNo) return true;
    }
    return false;
  }

  // A pair differs in itself, or a feed starts elsewhere where no difference before explains
  // it, or an incremental run starts elsewhere (one difference for the run). same: SameMove of
  // the pair, which the caller has found.
  void Pair(bool same) {
    const Move& source = SourceMove(i_);
    const Move& output = OutputMove(j_);
    const bool explained = lastDiffered_ || AfterGap(i_);
    std::string text;
    if (!same) {
      text = Describe(source, output, source_, output_);
    } else if (!explained && IsFeed(source) && !ByIncrements(source, output) &&
               !NearPosition(source.from, output.from)) {
      text = "starts at " + PositionText(output.from) + " in the output, " +
             PositionText(source.from) + " in the source";
    }
    const bool apart = text.empty() && StartsApart(source, output);
    if (!apart) EndApartRun();
    if (apart && !apartRun_.active) apartRun_ = {true, !explained, &source, &source, &output};
    if (apart) apartRun_.last = &source;
    const bool differs = !text.empty() || (apart && apartRun_.reported);
    check_.pairs.push_back({s_[i_], o_[j_], differs});
    if (!text.empty()) {
      AddDifference(source.line, output.line, std::move(text));
    } else if (!differs) {
      ++check_.moves;
    }
    lastDiffered_ = differs;
    ++i_;
    ++j_;
  }

  // One difference for a run of incremental moves that match but start apart.
  void EndApartRun() {
    if (!apartRun_.active) return;
    apartRun_.active = false;
    if (!apartRun_.reported) return;
    const Move& first = *apartRun_.first;
    AddDifference(first.line, apartRun_.output->line,
                  "the incremental moves of " + LineSpan("source", first.line, apartRun_.last->line) +
                      " start at X" + Number(apartRun_.output->from.x) + " Y" +
                      Number(apartRun_.output->from.y) + " in the output, X" +
                      Number(first.from.x) + " Y" + Number(first.from.y) +
                      " in the source: each of them ends elsewhere");
  }

  void SourceOnly(std::size_t count) {
    EndApartRun();
    const Move& first = SourceMove(i_);
    const Move& last = SourceMove(i_ + count - 1);
    std::string text = "no output move for " + LineSpan("source", first.line, last.line);
    text += count == 1 ? " (" + Summary(first) + ")" : " (" + std::to_string(count) + " moves)";
    AddDifference(first.line, j_ < o_.size() ? OutputMove(j_).line : 0, text);
    for (std::size_t k = 0; k < count; ++k) check_.sourceOnly.push_back(s_[i_++]);
  }

  void OutputOnly(std::size_t count) {
    EndApartRun();
    const Move& first = OutputMove(j_);
    const Move& last = OutputMove(j_ + count - 1);
    std::string text = LineSpan("output", first.line, last.line) +
                       (first.line == last.line ? " has" : " have") + " no source move";
    text += count == 1 ? " (" + Summary(first) + ")" : " (" + std::to_string(count) + " moves)";
    AddDifference(i_ < s_.size() ? SourceMove(i_).line : 0, first.line, text);
    for (std::size_t k = 0; k < count; ++k) check_.outputOnly.push_back(o_[j_++]);
  }

  int NextDroppedLine() const {
    const std::vector<DroppedLine>& dropped = source_.dropped;
    return dropped_ < dropped.size() ? dropped[dropped_].line : std::numeric_limits<int>::max();
  }

  // The source's dropped lines before line, each a difference with its move, if it has one.
  void AddDroppedBefore(int line) {
    const std::vector<DroppedLine>& dropped = source_.dropped;
    for (; dropped_ < dropped.size() && dropped[dropped_].line < line; ++dropped_) {
      const DroppedLine& at = dropped[dropped_];
      std::string text(DroppedMoveName(at.kind));
      text += " is not translated";
      if (const Move* move = DroppedMoveAt(at.line)) text += " (" + Summary(*move) + ")";
      AddDifference(at.line, 0, std::move(text));
    }
  }

  // The first move of a dropped line; the moves are searched once, in order.
  const Move* DroppedMoveAt(int line) {
    const std::vector<Move>& moves = source_.moves;
    while (droppedMove_ < moves.size() && moves[droppedMove_].line < line) ++droppedMove_;
    if (droppedMove_ < moves.size() && moves[droppedMove_].line == line) {
      return &moves[droppedMove_];
    }
    return nullptr;
  }

  void AddDifference(int sourceLine, int outputLine, std::string text) {
    lastDiffered_ = true;
    check_.Add({sourceLine, outputLine, std::move(text)});
  }

  struct ApartRun {
    bool active = false;
    bool reported = false;  // nothing before explains it
    const Move* first = nullptr;
    const Move* last = nullptr;
    const Move* output = nullptr;  // the output's first move of the run
  };

  const Toolpath& source_;
  const Toolpath& output_;
  const std::vector<std::size_t> s_;
  const std::vector<std::size_t> o_;
  GeometryCheck& check_;
  std::size_t i_ = 0;
  std::size_t j_ = 0;
  std::size_t dropped_ = 0;      // the next dropped line to report
  std::size_t droppedMove_ = 0;  // where the search for a dropped line's move goes on
  bool lastDiffered_ = false;    // the last step found a difference
  ApartRun apartRun_;
};

// A note and the source line it starts at, to keep the notes in line order.
using Notes = std::vector<std::pair<int, std::string>>;

// One note for each run of source moves left out for the same reason.
void NoteLeftOut(const Toolpath& source, Notes& notes) {
  const std::vector<Move>& moves = source.moves;
  for (std::size_t k = 0; k < moves.size();) {
    if (moves[k].leftOut == LeftOut::kNo) {
      ++k;
      continue;
    }
    std::size_t end = k + 1;
    while (end < moves.size() && moves[end].leftOut == moves[k].leftOut) ++end;
    notes.emplace_back(moves[k].line, LineSpan("source", moves[k].line, moves[end - 1].line) +
                                          ": " + LeftOutReason(moves[k].leftOut));
    k = end;
  }
}

bool IsUnwrittenRapid(const Move& move) {
  return move.kind == MoveKind::kRapid && !move.block && !move.dropped;
}

// One note for each run of rapid moves that the output does not write and whose end the
// machine reaches by itself: before a drilling or cycle point in absolute positions (the
// cycle's approach), and after the last move. Before a positioning block the block is
// compared; before an incremental point the point is.
void NoteUnwrittenRapids(const Toolpath& source, Notes& notes) {
  const std::vector<Move>& moves = source.moves;
  for (std::size_t k = 0; k < moves.size();) {
    if (!IsUnwrittenRapid(moves[k])) {
      ++k;
      continue;
    }
    std::size_t end = k + 1;
    while (end < moves.size() && IsUnwrittenRapid(moves[end])) ++end;
    const std::string rapids = LineSpan("source", moves[k].line, moves[end - 1].line);
    if (end == moves.size()) {
      notes.emplace_back(moves[k].line, rapids + ": the output does not write the rapid moves "
                                                 "after the last move; the program ends where "
                                                 "that move ends");
    } else if (const Move& next = moves[end]; IsCompared(next) && IsPoint(next) &&
                                             !next.incremental) {
      notes.emplace_back(moves[k].line, rapids + ": the output does not write this way to the " +
                                            KindName(next) + " of source line " +
                                            std::to_string(next.line) +
                                            "; the machine's cycle approaches it by itself");
    }
    k = end;
  }
}

void AddProgramNotes(const Toolpath& path, std::vector<std::string>& notes) {
  notes.insert(notes.end(), path.notes.begin(), path.notes.end());
  if (path.moreNotes > 0) notes.push_back("and " + GroupedCount(path.moreNotes) + " more");
}

// A program that could not be read to its end differs from every complete one.
void AddFailure(const Toolpath& path, bool isSource, GeometryCheck& check) {
  if (!path.failure) return;
  ++check.differenceCount;
  const int line = path.failureLine;
  check.differences.insert(check.differences.begin(),
                           {isSource ? line : 0, isSource ? 0 : line, *path.failure});
  if (check.differences.size() > GeometryCheck::kMaxDifferences) check.differences.pop_back();
}

}  // namespace

GeometryCheck CompareToolpaths(const Toolpath& source, const Toolpath& output) {
  GeometryCheck check;
  Aligner(source, output, check).Run();
  AddFailure(output, false, check);
  AddFailure(source, true, check);
  Notes notes;
  NoteUnwrittenRapids(source, notes);
  NoteLeftOut(source, notes);
  std::stable_sort(notes.begin(), notes.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& note : notes) check.notes.push_back(std::move(note.second));
  AddProgramNotes(source, check.notes);
  AddProgramNotes(output, check.notes);
  return check;
}

std::string DifferenceText(const Difference& difference) {
  const std::string place = PlaceText(difference.sourceLine, difference.outputLine);
  return place.empty() ? difference.text : place + ": " + difference.text;
}

std::string VerdictText(const GeometryCheck& check) {
  const auto counted = [](std::size_t count, const char* one, const char* many) {
    return GroupedCount(count) + " " + (count == 1 ? one : many);
  };
  if (check.Identical()) {
    std::string text = "matches: " + counted(check.moves, "move", "moves");
    if (!check.notes.empty()) text += ", " + counted(check.notes.size(), "note", "notes");
    return text;
  }
  std::string text = "differs: " + counted(check.differenceCount, "difference", "differences");
  if (check.differences.empty()) return text;
  const Difference& first = check.differences.front();
  const std::string place = PlaceText(first.sourceLine, first.outputLine);
  return place.empty() ? text : text + ", first at " + place;
}

void GeometryCheck::Add(Difference difference) {
  ++differenceCount;
  if (differences.size() < kMaxDifferences) differences.push_back(std::move(difference));
}

}  // namespace quarnel
