#include "engine/geometry/toolpath.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "engine/translate/cycle_line.h"
#include "engine/translate/drilling.h"
#include "engine/translate/line_scanner.h"
#include "engine/translate/modal_codes.h"
#include "engine/translate/motion.h"
#include "engine/translate/output_codes.h"
#include "engine/translate/part_dimensions.h"
#include "engine/translate/positioning_block.h"
#include "engine/translate/translator_state.h"
#include "engine/translate/router_line.h"
#include "engine/translate/tool_call.h"
#include "engine/translate/word_reader.h"
#include "support/number.h"
#include "tools/tool_table.h"

namespace quarnel {

namespace {

constexpr std::string_view kNumberLetters = LineWords::kNumberLetters;

constexpr std::size_t kMaxNotes = 20;  // notes beyond this are only counted

// Where the word reader keeps the value of a letter.
constexpr int WordIndex(char letter) { return static_cast<int>(kNumberLetters.find(letter)); }
constexpr int kDepthWord = WordIndex(output::kDepthLetter);
constexpr int kRadiusWord = WordIndex(output::kRadiusLetter);
constexpr int kFeedWord = WordIndex(output::kFeedLetter);
static_assert(kDepthWord >= 0 && kRadiusWord >= 0 && kFeedWord >= 0);
// The cycle letter is no number word: the word reader marks it among the other letters.
static_assert(kNumberLetters.find(output::kCycleLetter) == std::string_view::npos);
constexpr unsigned kCycleLetterBit = 1u << (output::kCycleLetter - 'A');

// What follows "T" in every spindle list of a drilling line.
constexpr std::string_view kSpindleListStart = output::kToolCallStart.substr(1);
// The letters that may follow a spindle list: the words of a drilling line after it.
constexpr char kAfterSpindles[] = {'G', 'X', 'Y', output::kDepthLetter, 'I', 'J',
                                   output::kFeedLetter, '\0'};
// The letters that may follow a tool call: the words of a block or cycle line after it.
constexpr char kAfterToolCall[] = {output::kSpindleStop[0], output::kFeedLetter, 'G', 'X', 'Y',
                                   output::kDepthLetter, output::kCycleLetter,
                                   output::kPositioningTail[0], '\0'};

void AddNote(Toolpath& path, std::string note) {
  if (path.notes.size() < kMaxNotes) {
    path.notes.push_back(std::move(note));
  } else {
    ++path.moreNotes;
  }
}

// Gives each text of a toolpath's moves its index in Toolpath::texts, each distinct text once.
class MoveTexts {
 public:
  explicit MoveTexts(Toolpath& path) : path_(path) {}

  MoveText Of(std::string_view text) {
    if (text.empty()) return {};
    if (path_.texts[last_] == text) return {last_};  // the common case: the text of the move before
    const auto found = indexes_.find(text);
    if (found != indexes_.end()) {
      last_ = found->second;
    } else {
      last_ = static_cast<std::uint32_t>(path_.texts.size());
      path_.texts.emplace_back(text);
      indexes_.emplace(text, last_);
    }
    return {last_};
  }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };

  Toolpath& path_;
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> indexes_;
  std::uint32_t last_ = 0;
};

std::string LineLabel(std::string_view program, int line) {
  return std::string(program) + " line " + std::to_string(line);
}

// Calls act with each whole G code of the line, in line order, as the translator reads them.
template <typename Act>
void ForEachGCode(const LineWords& words, Act act) {
  const auto actOn = [&act](double value) {
    if (const auto code = WholeCode(value)) act(*code);
    return true;
  };
  if (words.gWords > LineWords::kMaxGWords) {
    ForEachGValueIn(words.line, actOn);
  } else {
    std::for_each(words.gValues, words.gValues + words.gWords, actOn);
  }
}

// Room for a move a line, up to a limit: the list then grows at most once or twice, where
// growing it move by move would fill twice its memory, a page fault at every page.
std::size_t MovesToReserve(std::string_view program) {
  constexpr std::size_t kMostReserved = 1 << 16;
  const auto lines = static_cast<std::size_t>(std::count(program.begin(), program.end(), '\n'));
  return std::min(lines + 1, kMostReserved);
}

// Hands each line to the reader, with its number, until the reader stops.
template <typename Reader>
Toolpath ReadProgram(std::string_view program, Reader reader) {
  reader.Reserve(MovesToReserve(program));
  LineScanner lines(program);
  for (std::string_view line; lines.Next(line);) {
    if (!reader.ReadLine(line, lines.LineNumber())) break;
  }
  return reader.Take();
}

bool HoldsWords(const LineWords& words) {
  return words.present != 0 || words.gWords != 0 || words.toolAt != std::string_view::npos;
}

std::optional<ArcPlane> PlaneOf(int code) {
  switch (code) {
    case kPlaneXY:
      return ArcPlane::kXY;
    case kPlaneZX:
      return ArcPlane::kZX;
    case kPlaneYZ:
      return ArcPlane::kYZ;
    default:
      return std::nullopt;
  }
}

// The codes that set the plane in the output.
std::optional<ArcPlane> OutputPlaneOf(int code) {
  switch (code) {
    case output::kPlaneXY.number:
      return ArcPlane::kXY;
    case output::kPlaneZX.number:
      return ArcPlane::kZX;
    case output::kPlaneYZ.number:
      return ArcPlane::kYZ;
    default:
      return std::nullopt;
  }
}

std::string_view PlaneName(ArcPlane plane) {
  return plane == ArcPlane::kZX ? output::kPlaneZX.text : output::kPlaneYZ.text;
}

// The move a feed code starts: the kind of the mode the translator selects for it.
std::optional<MoveKind> FeedKind(int code) {
  const std::optional<MotionMode> mode = FeedMode(code);
  if (!mode) return std::nullopt;
  if (*mode == MotionMode::kLinear) return MoveKind::kLinear;
  return *mode == MotionMode::kClockwise ? MoveKind::kClockwiseArc : MoveKind::kCounterClockwiseArc;
}

bool Moved(const Position& a, const Position& b) {
  return a.x != b.x || a.y != b.y || a.depth != b.depth;
}

// An arc outside the XY plane is drawn as its chord; the note says so.
void NoteChord(Toolpath& path, const Move& move, std::string_view program) {
  if (!IsArc(move) || move.plane == ArcPlane::kXY) return;
  AddNote(path, LineLabel(program, move.line) + ": arc in the " +
                    std::string(PlaneName(move.plane)) + " plane drawn as its chord");
}

// The router program as the router runs it; the modal values live in a translator state
// filled by the translator's own word reader, and tool calls come from the translator's lookup.
class SourceReader {
 public:
  explicit SourceReader(const ToolTable& tools) : tools_(tools) {}
  void Reserve(std::size_t moves) { path_.moves.reserve(moves); }
  Toolpath Take() { return std::move(path_); }

  // Reads one line; false stops the reading. A line the translator drops is read as the router
  // reads it; one without motion only sets what its words set.
  bool ReadLine(std::string_view line, int number) {
    line_ = number;
    lineStart_ = at_;
    ScanWords(line, words_);
    const bool translated = words_.Translatable();
    std::optional<DroppedMove> dropped;
    if (!translated) {
      dropped = DroppedMoveOf(line);
      RouterText(line, routerText_);
      ScanWords(routerText_, words_);
      if (!HoldsWords(words_)) return true;
      if (dropped) path_.dropped.push_back({number, *dropped});
    }
    dropped_ = dropped.has_value();
    partDimensions_ = false;
    if (auto failure = ReadWords(words_, state_)) return Fail(*failure);
    ForEachGCode(words_, [this](int code) {
      if (!failure_) ActOn(code);
    });
    if (failure_) return Fail(*failure_);
    if (translated || dropped_) EndLine();
    return true;
  }

 private:
  bool Fail(const std::string& failure) {
    path_.failure = LineLabel("source", line_) + ": " + failure;
    path_.failureLine = line_;
    return false;
  }

  void ActOn(int code) {
    if (const auto kind = FeedKind(code)) return StartFeed(*kind);
    if (const auto plane = PlaneOf(code)) {
      plane_ = *plane;
    } else if (code == kAbsolute || code == kIncremental) {
      incremental_ = code == kIncremental;
    } else if (code == kRapid) {
      SetMotion(MoveKind::kRapid);
      rapidPending_ = true;
    } else if (code == kEndMotion) {
      mode_ = MoveKind::kRapid;
      if (routerFeed_ != MoveKind::kRapid) leftOut_ = LeftOut::kAfterG207;
    } else if (code == kEngageOrDrill) {
      EngageOrDrill();
    } else if (code == kCycle280) {
      Cycle();
    } else if (code == kPartDimensions) {
      partDimensions_ = true;
    }
  }

  // The mode written at the end of each line, and the router's own motion, which G207 and
  // tool 81's block leave running.
  void SetMotion(MoveKind kind) {
    mode_ = kind;
    routerFeed_ = kind;
    leftOut_ = LeftOut::kNo;
  }

  // A feed code pays an owed positioning block where the previous line ended; tool 81's block
  // stands for the motion until the next motion code.
  void StartFeed(MoveKind kind) {
    SetMotion(kind);
    if (rapidPending_) {
      if (!LookUpTool()) return;
      const bool cycleBlock = IsCycleBlockTool(state_.toolNumber);
      const int rapidLine = lastRapidLine_;
      Move& block = Push(MoveKind::kRapid, lineStart_, LeftOut::kNo);
      block.block = true;
      if (rapidLine != 0) block.line = rapidLine;  // the line that set where the block goes
      block.from = lineStart_;
      block.text = texts_.Of(state_.line.toolCall);
      block.q = cycleBlock ? state_.modalX : 0;
      if (cycleBlock) {
        mode_ = MoveKind::kRapid;
        leftOut_ = LeftOut::kTool81Block;
      }
    }
    rapidPending_ = false;
  }

  // G100: a tool above 50 is engaged by the next feed; 50 or less drills on every line.
  void EngageOrDrill() {
    if (IsEngagedTool(state_.line.lineT)) {
      SetMotion(MoveKind::kRapid);
      rapidPending_ = true;
    } else {
      SetMotion(MoveKind::kDrill);
    }
  }

  // G280: a cycle point at once, with the tool call; an owed block stays owed.
  void Cycle() {
    if (!LookUpTool()) return;
    Push(MoveKind::kCycle, Target(), LeftOut::kNo).text = texts_.Of(state_.line.toolCall);
    at_ = Target();
    SetMotion(MoveKind::kRapid);
  }

  bool LookUpTool() {
    failure_ = quarnel::LookUpTool(state_, tools_);
    return !failure_;
  }

  // Where this line's words send the tool: X and Y add to the line's start under G91.
  Position Target() const {
    Position to{state_.modalX, state_.modalY, state_.modalP};
    if (incremental_) {
      to.x += lineStart_.x;
      to.y += lineStart_.y;
    }
    return to;
  }

  // The line's motion: a feed or drilling point in those modes; otherwise a change of position
  // is a rapid move, or a feed the output leaves out on purpose.
  void EndLine() {
    const Position to = Target();
    if (mode_ == MoveKind::kDrill) {
      Push(mode_, to, LeftOut::kNo).text = texts_.Of(DrillingSpindles());
    } else if (mode_ != MoveKind::kRapid) {
      Push(mode_, to, LeftOut::kNo);
    } else if (Moved(at_, to) && !partDimensions_) {  // G200's X, Y and P are no position
      const bool leftOut = leftOut_ != LeftOut::kNo && routerFeed_ != MoveKind::kRapid;
      Push(leftOut ? routerFeed_ : MoveKind::kRapid, to, leftOut ? leftOut_ : LeftOut::kNo);
    }
    at_ = to;
  }

  // The spindle list the drilling line of this line writes.
  std::string DrillingSpindles() const {
    const LineValues& values = state_.line;
    std::string spindles = values.toolLookedUp ? values.toolCall : values.spindleGroups;
    RenumberSpindles(spindles);
    return spindles;
  }

  Move& Push(MoveKind kind, const Position& to, LeftOut leftOut) {
    const LineValues& values = state_.line;
    lastRapidLine_ = kind == MoveKind::kRapid ? line_ : 0;
    Move& move = path_.moves.emplace_back();
    move.kind = kind;
    move.plane = plane_;
    move.leftOut = leftOut;
    move.dropped = dropped_;
    move.line = line_;
    move.from = at_;
    move.to = to;
    move.incremental = incremental_;
    move.byRadius = IsArc(move) && values.lineR != 0;
    move.radius = values.lineR;
    move.i = values.lineI;
    move.j = values.lineJ;
    move.q = values.lineU;
    if (IsCutting(move)) move.feed = state_.modalF;
    NoteChord(path_, move, "source");
    return move;
  }

  ToolLookup tools_;
  Toolpath path_;
  MoveTexts texts_{path_};
  TranslatorState state_;  // zero and empty: the start state of every file
  LineWords words_;        // of the line being read
  std::string routerText_;  // a dropped line as the router reads it
  std::optional<std::string> failure_;  // why a tool lookup of the line failed
  Position at_;            // where the tool is
  Position lineStart_;     // where it was when the line began
  int line_ = 0;
  int lastRapidLine_ = 0;  // the line of the last move, when it was a rapid move
  bool dropped_ = false;   // the line is one the translator drops
  bool partDimensions_ = false;  // the line holds G200
  bool incremental_ = false;
  bool rapidPending_ = false;
  ArcPlane plane_ = ArcPlane::kXY;
  MoveKind mode_ = MoveKind::kRapid;        // kRapid: no motion line
  MoveKind routerFeed_ = MoveKind::kRapid;  // kRapid: no feed running
  LeftOut leftOut_ = LeftOut::kNo;
};

// The output program, line by line; every value is its own word, modal codes are modal.
class OutputReader {
 public:
  void Reserve(std::size_t moves) { path_.moves.reserve(moves); }
  Toolpath Take() { return std::move(path_); }

  // Reads one line that starts with G and holds no parenthesis; false stops the reading.
  bool ReadLine(std::string_view line, int number) {
    ScanWords(line, scanned_);
    if (!scanned_.Translatable()) return true;
    line_ = number;
    words_ = &scanned_;
    if (!CheckValues()) return false;
    if (Has(kFeedWord)) feed_ = Word(kFeedWord);
    std::optional<int> first;
    ForEachGCode(scanned_, [&](int code) {
      if (!first) first = code;
      ActOnModal(code);
    });
    if (!first) {
      AddNote(path_, LineLabel("output", line_) + ": no whole G code; the line is left out");
    } else if (*first == output::kInchHeader.number ||
               *first == output::kMillimetreHeader.number) {
      ReadHeader(*first == output::kInchHeader.number);
    } else {
      ActOnLine(*first);
    }
    return true;
  }

 private:
  // Every word read must be a number the machine can hold.
  bool CheckValues() {
    for (int k = 0; k < LineWords::kNumberWords; ++k) {
      if (Has(k) && !ToSingle(words_->values[k])) {
        return Fail(kNumberLetters[k], *WordText(words_->line, kNumberLetters[k]));
      }
    }
    if ((words_->otherLetters & kCycleLetterBit) == 0) return true;  // the pass saw every Q
    const auto q = WordText(words_->line, output::kCycleLetter);
    if (q && !ToSingle(Val(*q))) return Fail(output::kCycleLetter, *q);
    return true;
  }

  bool Fail(char letter, std::string_view text) {
    path_.failure = LineLabel("output", line_) + ": " + letter + NumberForMessage(text) +
                    " does not fit in a 32-bit number";
    path_.failureLine = line_;
    return false;
  }

  void ActOnModal(int code) {
    if (const auto plane = OutputPlaneOf(code)) plane_ = *plane;
    if (code == output::kAbsolute.number || code == output::kIncremental.number) {
      incremental_ = code == output::kIncremental.number;
    }
  }

  void ReadHeader(bool inches) {
    path_.header.present = true;
    path_.header.inches = inches;
    path_.header.length = Word(LineWords::kX);
    path_.header.height = Word(LineWords::kY);
    path_.header.thickness = Word(LineWords::kZ);
  }

  void ActOnLine(int code) {
    if (const auto kind = OutputFeedKind(code)) {
      Push(*kind);
    } else if (code == output::kPositioning.number) {
      PushBlock();
    } else if (code == output::kDrilling.number) {
      Push(MoveKind::kDrill).text = texts_.Of(Spindles());
    } else if (code == output::kCycle.number) {
      // A cycle line carries a feed; tool 81's positioning block does not.
      Move& move = Has(kFeedWord) ? Push(MoveKind::kCycle) : PushBlock();
      move.text = texts_.Of(ToolCall());
      move.q = Val(WordText(words_->line, output::kCycleLetter).value_or(""));
    } else if (!IsKnownStill(code)) {
      AddNote(path_, LineLabel("output", line_) + ": G" + std::to_string(code) +
                         " is not read; the line is left out");
    }
  }

  static std::optional<MoveKind> OutputFeedKind(int code) {
    switch (code) {
      case output::kLinear.number:
        return MoveKind::kLinear;
      case output::kClockwiseArc.number:
        return MoveKind::kClockwiseArc;
      case output::kCounterClockwiseArc.number:
        return MoveKind::kCounterClockwiseArc;
      default:
        return std::nullopt;
    }
  }

  // Codes that move nothing: the comment line, the blocks' work offset, the modal codes.
  static bool IsKnownStill(int code) {
    return code == output::kComment.number || code == output::kWorkOffset.number ||
           OutputPlaneOf(code) || code == output::kAbsolute.number ||
           code == output::kIncremental.number || code == output::kCompensationOff.number ||
           code == output::kCompensationLeft.number || code == output::kCompensationRight.number;
  }

  bool Has(int index) const { return (words_->present & (1u << index)) != 0; }
  double Word(int index) const { return Has(index) ? words_->values[index] : 0; }

  // A word left out keeps the position; under G91 X and Y add to it.
  Position Target() const {
    Position to = at_;
    if (Has(LineWords::kX)) to.x = Word(LineWords::kX) + (incremental_ ? at_.x : 0);
    if (Has(LineWords::kY)) to.y = Word(LineWords::kY) + (incremental_ ? at_.y : 0);
    if (Has(kDepthWord)) to.depth = Word(kDepthWord);
    return to;
  }

  // The spindle list of a drilling line: what follows "T01" up to the next word.
  std::string_view Spindles() const {
    if (words_->toolAt == std::string_view::npos) return {};
    std::string_view list = words_->line.substr(words_->toolAt + 1);
    if (list.starts_with(kSpindleListStart)) list.remove_prefix(kSpindleListStart.size());
    return list.substr(0, list.find_first_of(kAfterSpindles));
  }

  // The tool call text of a block or cycle line: from its T up to the word after it.
  std::string_view ToolCall() const {
    if (words_->toolAt == std::string_view::npos) return {};
    const std::string_view call = words_->line.substr(words_->toolAt);
    return call.substr(0, call.find_first_of(kAfterToolCall, 1));
  }

  Move& PushBlock() {
    Move& move = Push(MoveKind::kRapid);
    move.block = true;
    move.text = texts_.Of(ToolCall());
    return move;
  }

  Move& Push(MoveKind kind) {
    Move& move = path_.moves.emplace_back();
    move.kind = kind;
    move.plane = plane_;
    move.line = line_;
    move.from = at_;
    move.to = Target();
    move.incremental = incremental_;
    move.byRadius = IsArc(move) && Has(kRadiusWord);
    move.radius = Word(kRadiusWord);
    move.i = Word(LineWords::kI);
    move.j = Word(LineWords::kJ);
    if (IsCutting(move)) move.feed = feed_;
    at_ = move.to;
    NoteChord(path_, move, "output");
    return move;
  }

  Toolpath path_;
  MoveTexts texts_{path_};
  LineWords scanned_;
  const LineWords* words_ = nullptr;  // the line being read
  double feed_ = 0;                   // the last F
  Position at_;
  int line_ = 0;
  bool incremental_ = false;
  ArcPlane plane_ = ArcPlane::kXY;
};

}  // namespace

Toolpath InterpretSource(std::string_view program) { return InterpretSource(program, ToolTable{}); }

Toolpath InterpretSource(std::string_view program, const ToolTable& tools) {
  return ReadProgram(program, SourceReader(tools));
}

Toolpath InterpretOutput(std::string_view program) { return ReadProgram(program, OutputReader()); }

}  // namespace quarnel
