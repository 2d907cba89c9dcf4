#include "engine/geometry/geometry_check.h"

#include <algorithm>
#include <cmath>
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

// Half a unit of the last decimal the output prints for a value of this size: the fourth, or
// an earlier one where seven significant digits leave no room for four decimals. Where seven
// digits reach beyond the fourth decimal, the value is rounded twice, and the first rounding
// adds its own half unit.
double ToleranceFor(double magnitude) {
  const int integerDigits =
      magnitude < 1 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
  const int significantDecimals = kSignificantDigits - integerDigits;
  double tolerance = 0.5 * std::pow(10.0, -std::min(kPrintedDecimals, significantDecimals));
  if (significantDecimals > kPrintedDecimals) {
    tolerance += 0.5 * std::pow(10.0, -significantDecimals);
  }
  return tolerance + kSlack;
}

bool Near(double source, double output) {
  const double gap = std::abs(source - output);
  if (gap <= kGeometryTolerance + kSlack) return true;
  return gap <= ToleranceFor(std::max(std::abs(source), std::abs(output)));
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

// Incremental moves of both programs are compared by their increments, since the output
// need not carry the source's positioning before them; all others by where they end.
bool ByIncrements(const Move& source, const Move& output) {
  return source.incremental && output.incremental;
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

bool SameMove(const Move& source, const Move& output) {
  if (source.kind != output.kind || !SameEnd(source, output)) return false;
  switch (source.kind) {
    case MoveKind::kClockwiseArc:
    case MoveKind::kCounterClockwiseArc:
      return SameArc(source, output);
    case MoveKind::kDrill:
      return Near(source.i, output.i) && Near(source.j, output.j);
    case MoveKind::kCycle:
      return Near(source.q, output.q);
    default:
      return true;
  }
}

std::string KindName(MoveKind kind) {
  switch (kind) {
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

// What differs between two compared moves, "; " between the parts.
std::string Describe(const Move& source, const Move& output) {
  if (source.kind != output.kind) {
    return KindName(output.kind) + " in the output, " + KindName(source.kind) + " in the source";
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
  }
  if (source.kind == MoveKind::kCycle) AddValue(parts, "Q", source.q, output.q);
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

// "linear feed to X300 Y50 depth -5"
std::string Summary(const Move& move) {
  return KindName(move.kind) + " to X" + Number(move.to.x) + " Y" + Number(move.to.y) + " depth " +
         Number(move.to.depth);
}

std::string LineSpan(std::string_view program, int first, int last) {
  if (first == last) return std::string(program) + " line " + std::to_string(first);
  return std::string(program) + " lines " + std::to_string(first) + " to " + std::to_string(last);
}

std::string LeftOutReason(LeftOut leftOut) {
  return leftOut == LeftOut::kTool81Block ? "tool 81's G85 block stands for this motion"
                                          : "motion after G207 is not written to the output";
}

// The compared moves of a toolpath: all but rapid moves and source moves left out on purpose.
std::vector<std::size_t> ComparedMoves(const Toolpath& path) {
  std::vector<std::size_t> compared;
  for (std::size_t k = 0; k < path.moves.size(); ++k) {
    const Move& move = path.moves[k];
    if (IsCutting(move) && move.leftOut == LeftOut::kNo) compared.push_back(k);
  }
  return compared;
}

// Walks both lists of compared moves in step; where they part, looks ahead for the nearest
// place where they agree again.
class Aligner {
 public:
  Aligner(const Toolpath& source, const Toolpath& output, GeometryCheck& check)
      : source_(source),
        output_(output),
        s_(ComparedMoves(source)),
        o_(ComparedMoves(output)),
        check_(check) {}

  void Run() {
    while (i_ < s_.size() && j_ < o_.size()) {
      if (Same(i_, j_)) {
        Pair();
      } else {
        Resync();
      }
    }
    if (i_ < s_.size()) SourceOnly(s_.size() - i_);
    if (j_ < o_.size()) OutputOnly(o_.size() - j_);
    NoteStartsApart();
  }

 private:
  const Move& SourceMove(std::size_t i) const { return source_.moves[s_[i]]; }
  const Move& OutputMove(std::size_t j) const { return output_.moves[o_[j]]; }

  bool Same(std::size_t i, std::size_t j) const { return SameMove(SourceMove(i), OutputMove(j)); }

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
        for (std::size_t k = 0; k < ahead; ++k) Pair();
        return;
      }
    }
    Pair();
  }

  void Pair() {
    const Move& source = SourceMove(i_);
    const Move& output = OutputMove(j_);
    const bool differs = !SameMove(source, output);
    check_.pairs.push_back({s_[i_], o_[j_], differs});
    if (differs) {
      AddDifference(source.line, output.line, Describe(source, output));
    } else {
      ++check_.moves;
    }
    if (differs || !StartsApart(source, output)) {
      NoteStartsApart();
    } else if (apartFrom_ == nullptr) {
      apartFrom_ = &source;
      apartOutputStart_ = output.from;
    }
    if (apartFrom_ != nullptr) apartTo_ = &source;
    ++i_;
    ++j_;
  }

  void SourceOnly(std::size_t count) {
    const Move& first = SourceMove(i_);
    const Move& last = SourceMove(i_ + count - 1);
    std::string text = "no output move for " + LineSpan("source", first.line, last.line);
    text += count == 1 ? " (" + Summary(first) + ")" : " (" + std::to_string(count) + " moves)";
    AddDifference(first.line, 0, text);
    for (std::size_t k = 0; k < count; ++k) check_.sourceOnly.push_back(s_[i_++]);
  }

  void OutputOnly(std::size_t count) {
    const Move& first = OutputMove(j_);
    const Move& last = OutputMove(j_ + count - 1);
    std::string text = LineSpan("output", first.line, last.line) +
                       (first.line == last.line ? " has" : " have") + " no source move";
    text += count == 1 ? " (" + Summary(first) + ")" : " (" + std::to_string(count) + " moves)";
    AddDifference(0, first.line, text);
    for (std::size_t k = 0; k < count; ++k) check_.outputOnly.push_back(o_[j_++]);
  }

  // One note for each run of incremental moves that match but start apart.
  void NoteStartsApart() {
    if (apartFrom_ == nullptr) return;
    const Position& start = apartFrom_->from;
    check_.notes.push_back(LineSpan("source", apartFrom_->line, apartTo_->line) +
                           ": incremental moves start at X" + Number(apartOutputStart_.x) + " Y" +
                           Number(apartOutputStart_.y) + " in the output, X" + Number(start.x) +
                           " Y" + Number(start.y) + " in the source");
    apartFrom_ = nullptr;
  }

  void AddDifference(int sourceLine, int outputLine, std::string text) {
    ++check_.differenceCount;
    if (check_.differences.size() < GeometryCheck::kMaxDifferences) {
      check_.differences.push_back({sourceLine, outputLine, std::move(text)});
    }
  }

  const Toolpath& source_;
  const Toolpath& output_;
  const std::vector<std::size_t> s_;
  const std::vector<std::size_t> o_;
  GeometryCheck& check_;
  std::size_t i_ = 0;
  std::size_t j_ = 0;
  const Move* apartFrom_ = nullptr;  // the run of incremental moves that start apart
  const Move* apartTo_ = nullptr;
  Position apartOutputStart_;
};

// One note for each run of source moves left out for the same reason.
void NoteLeftOut(const Toolpath& source, std::vector<std::string>& notes) {
  const std::vector<Move>& moves = source.moves;
  for (std::size_t k = 0; k < moves.size();) {
    if (moves[k].leftOut == LeftOut::kNo) {
      ++k;
      continue;
    }
    std::size_t end = k + 1;
    while (end < moves.size() && moves[end].leftOut == moves[k].leftOut) ++end;
    notes.push_back(LineSpan("source", moves[k].line, moves[end - 1].line) + ": " +
                    LeftOutReason(moves[k].leftOut));
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
  NoteLeftOut(source, check.notes);
  AddProgramNotes(source, check.notes);
  AddProgramNotes(output, check.notes);
  return check;
}

std::string DifferenceText(const Difference& difference) {
  std::string place;
  if (difference.sourceLine > 0) place = "source line " + std::to_string(difference.sourceLine);
  if (difference.outputLine > 0) {
    place += (place.empty() ? "" : ", ") + std::string("output line ") +
             std::to_string(difference.outputLine);
  }
  return place.empty() ? difference.text : place + ": " + difference.text;
}

std::string VerdictText(const GeometryCheck& check) {
  if (check.Identical()) {
    return "geometry identical: " + GroupedCount(check.moves) +
           (check.moves == 1 ? " move" : " moves");
  }
  const std::string first =
      check.differences.empty() ? "" : DifferenceText(check.differences.front());
  if (check.differenceCount == 1) return "geometry differs in 1 place: " + first;
  return "geometry differs in " + GroupedCount(check.differenceCount) +
         " places; the first: " + first;
}

}  // namespace quarnel
