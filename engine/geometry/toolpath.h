// The toolpath of a program: what the tool does, move by move, read from a router source program
// or from an output program of the machining centre's dialect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

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

struct Move {
  MoveKind kind = MoveKind::kRapid;
  ArcPlane plane = ArcPlane::kXY;
  LeftOut leftOut = LeftOut::kNo;
  bool byRadius = false;     // arcs: given by radius rather than by centre
  bool incremental = false;  // X and Y were given as increments (G91)
  int line = 0;              // line of its program, counted from 1
  Position from;
  Position to;
  double radius = 0;  // arcs by radius: negative chooses the larger arc
  double i = 0;       // arcs by centre: centre less the start point; printed by drilling lines
  double j = 0;
  double q = 0;          // cycle points: the source's U, the output's Q
  std::string spindles;  // drilling points: the spindle list in two-digit groups
  std::optional<double> feed;  // output programs: the line's F word, as written
  std::string toolCall;  // output positioning blocks and cycle lines: "T01a1", "" for none
};

// The header line of an output program: units and the part's length, height and thickness.
struct PartHeader {
  bool present = false;
  bool inches = false;  // G70; G71 is millimetres
  double length = 0;
  double height = 0;
  double thickness = 0;
};

struct Toolpath {
  std::vector<Move> moves;
  PartHeader header;                   // output programs only
  std::vector<std::string> notes;      // what is drawn differently or not read, with its line
  std::size_t moreNotes = 0;           // notes left out of notes to keep it short
  std::optional<std::string> failure;  // why reading stopped early, with the line
  int failureLine = 0;                 // the line where reading stopped
};

// Reads a router program as the translator reads it: only lines that start with G and hold no
// parenthesis, every value of its words as the translator stores it, a line without a word
// keeping the last value, and every file from the start state. G91 makes X and Y add to the
// position; the depth P is always absolute. Reading stops at a number that does not fit where
// the translator stores it.
Toolpath InterpretSource(std::string_view program);

// Reads an output program: the header line, G88 positioning blocks, G1, G2 and G3 (radius U, or
// centre I and J), G81 drilling lines and G85 lines (cycle lines with F, tool 81's positioning
// block without). The distance and plane codes are modal.
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

}  // namespace quarnel
