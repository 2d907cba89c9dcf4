// The toolpath of a program: what the tool does, move by move, read from a router source program
// or from an output program of the machining centre's dialect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/translate/router_line.h"

namespace quarnel {

class ToolTable;

enum class MoveKind : std::uint8_t {
  kRapid,                // positioning without cutting
  kLinear,               // linear feed
  kClockwiseArc,         // G2, G102
  kCounterClockwiseArc,  // G3, G103
  kDrill,                // a drilling point of a multi-spindle block
  kCycle,                // a G280 cycle point (a G85 cycle line in the output)
};

// The plane an arc turns in; only arcs in the XY plane are drawn as arcs, the others as chords.
enum class ArcPlane : std::uint8_t { kXY, kZX, kYZ };  // G17, G18, G19

// Why a source move has no counterpart in the output by design.
enum class LeftOut : std::uint8_t {
  kNo,
  kTool81Block,  // tool 81's G85 block stands for the motion until the next motion code
  kAfterG207,    // G207 ends the written motion until the next motion code
};

// X and Y of the tool, and its depth: the source's P word, the output's Z word.
struct Position {
  double x = 0;
  double y = 0;
  double depth = 0;
};

// The spindle list of a drilling point, or else the tool call of a move: its index in the texts
// of its toolpath (read through Toolpath::Spindles and Toolpath::ToolCall), so that a move
// stays small and each text is kept once.
struct MoveText {
  std::uint32_t index = 0;  // 0 is ""
};

struct Move {
  MoveKind kind = MoveKind::kRapid;
  ArcPlane plane = ArcPlane::kXY;
  LeftOut leftOut = LeftOut::kNo;
  bool byRadius = false;     // arcs: given by radius rather than by centre
  bool incremental = false;  // X and Y were given as increments (G91)
  // A rapid move that is a positioning block: the tool call, and the move to where the next
  // feed starts (the output's G88 line or tool 81's G85 line; in the source, the position where
  // a feed code finds a rapid move or an engaged tool owed, where from is to).
  bool block = false;
  bool dropped = false;  // source: its line moves the router, and the translator drops it
  int line = 0;          // line of its program, counted from 1
  // Drilling points: the spindle list as the output writes it, after T01. Blocks and cycle
  // points: the tool call text, "" for none.
  MoveText text;
  Position from;
  Position to;
  double radius = 0;  // arcs by radius: negative chooses the larger arc
  double i = 0;       // arcs by centre: centre less the start point; printed by drilling lines
  double j = 0;
  double q = 0;       // cycle points: the source's U, the output's Q; tool 81's block: its Q
  double feed = 0;    // feeds, drilling and cycle points: F as the output writes it (F / 1000)
};

// The header line of an output program: units and the part's length, height and thickness.
struct PartHeader {
  bool present = false;
  bool inches = false;  // G70; G71 is millimetres
  double length = 0;
  double height = 0;
  double thickness = 0;
};

// A source line that moves the router and that the translator drops.
struct DroppedLine {
  int line = 0;
  DroppedMove kind = DroppedMove::kOther;
};

struct Toolpath {
  std::vector<Move> moves;
  std::vector<DroppedLine> dropped;    // source programs only
  PartHeader header;                   // output programs only
  std::vector<std::string> notes;      // what is drawn differently or not read, with its line
  std::size_t moreNotes = 0;           // notes left out of notes to keep it short
  std::optional<std::string> failure;  // why reading stopped early, with the line
  int failureLine = 0;                 // the line where reading stopped
  std::vector<std::string> texts = std::vector<std::string>(1);  // of the moves' MoveTexts

  std::string_view Spindles(const Move& move) const {
    return move.kind == MoveKind::kDrill ? texts[move.text.index] : std::string_view();
  }
  std::string_view ToolCall(const Move& move) const {
    return move.kind == MoveKind::kDrill ? std::string_view() : texts[move.text.index];
  }
};

// Reads a router program as the router runs it: every line with motion, its comments removed,
// in any case, after an N number or blanks (RouterText); the lines the translator translates
// exactly as it reads them. Every value of a word is taken as the translator stores it, a line
// without a word keeps the last value, and every file starts from the start state. G91 makes X
// and Y add to the position; the depth P is always absolute. A line the translator drops
// that moves the router is listed in dropped, and its moves are marked. Tool calls are those of
// the source's tools through tools (by default an empty table: every tool by its own number).
// Reading stops at a number that does not fit where the translator stores it.
Toolpath InterpretSource(std::string_view program);
Toolpath InterpretSource(std::string_view program, const ToolTable& tools);

// Reads an output program: the header line, G88 positioning blocks, G1, G2 and G3 (radius U, or
// centre I and J), G81 drilling lines and G85 lines (cycle lines with F, tool 81's positioning
// block without), with their tool calls, spindle lists and feeds. The distance and plane codes,
// the feed and the tool call of the last block are modal.
Toolpath InterpretOutput(std::string_view program);

// True for the moves that cut: everything but rapid moves.
inline bool IsCutting(const Move& move) { return move.kind != MoveKind::kRapid; }
// True for drilling and cycle points: drawn where they end, not along a path.
inline bool IsPoint(const Move& move) {
  return move.kind == MoveKind::kDrill || move.kind == MoveKind::kCycle;
}
inline bool IsArc(const Move& move) {
  return move.kind == MoveKind::kClockwiseArc || move.kind == MoveKind::kCounterClockwiseArc;
}
// True for a drilling or cycle point whose way from where the previous move ended is the
// machine's own approach: a rapid move of the cycle, drawn as a rapid, never as a feed.
inline bool HasApproach(const Move& move) {
  return IsPoint(move) && (move.from.x != move.to.x || move.from.y != move.to.y);
}

}  // namespace quarnel
