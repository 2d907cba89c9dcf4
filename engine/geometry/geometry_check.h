// Compares the toolpath of an output program with the toolpath of its source: what the machine
// does against what the router does, move by move.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/geometry/toolpath.h"

namespace quarnel {

// Half a unit of the fourth decimal, the last one the output prints.
inline constexpr double kGeometryTolerance = 0.00005;

// One place where the two programs part. A line is 0 when that side has no line there.
struct Difference {
  int sourceLine = 0;
  int outputLine = 0;
  std::string text;
};

// A source move and the output move compared with it (indexes into Toolpath::moves).
struct MovePair {
  std::size_t source = 0;
  std::size_t output = 0;
  bool differs = false;
};

struct GeometryCheck {
  std::size_t moves = 0;                // compared moves that match
  std::size_t differenceCount = 0;      // all differences found
  std::vector<Difference> differences;  // the first kMaxDifferences of them
  std::vector<std::string> notes;  // moves the dialect leaves to the machine, the programs' notes
  std::vector<MovePair> pairs;     // every compared pair, in program order
  std::vector<std::size_t> sourceOnly;  // source moves without an output move
  std::vector<std::size_t> outputOnly;  // output moves without a source move

  static constexpr std::size_t kMaxDifferences = 20;
  bool Identical() const { return differenceCount == 0; }
  // Counts a difference, keeping it while fewer than kMaxDifferences are kept.
  void Add(Difference difference);
};

// Compares, in order and in absolute positions, every positioning block (where it goes, its
// tool call, tool 81's Q), feed (start, end, F), arc (direction, plane, radius or centre),
// drilling point (I, J, F, renumbered spindle list) and cycle point (Q, F, tool call) of both
// programs, within half a unit of the output's last printed decimal. A run of incremental moves
// that matches increment by increment but starts elsewhere is one difference at its first move.
// A source line that moves the router and that the translator drops is a difference. Notes: the
// rapid moves the output does not write (before an absolute drilling or cycle point, which the
// machine's cycle approaches by itself, and after the last cut), tool 81's block and G207. A
// move missing on one side is found by looking a few moves ahead, so one dropped line gives one
// difference, not a difference at every later move.
GeometryCheck CompareToolpaths(const Toolpath& source, const Toolpath& output);

// A difference with its lines: "source line 12, output line 7: Y 2 in the output, 1 in the
// source".
std::string DifferenceText(const Difference& difference);

// "matches: 1,234 moves, 3 notes", or "differs: 2 differences, first at source line 25, output
// line 21".
std::string VerdictText(const GeometryCheck& check);

}  // namespace quarnel
