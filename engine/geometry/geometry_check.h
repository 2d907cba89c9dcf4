// Compares the toolpath of an output program with the toolpath of its source.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/geometry/toolpath.h"

namespace quarnel {

// Half a unit of the fourth decimal, the last one the output prints.
inline constexpr double kGeometryTolerance = 0.00005;

// One place where the two toolpaths part. A line is 0 when that side has no move there.
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
  std::vector<std::string> notes;  // source motion left out on purpose, and the programs' notes
  std::vector<MovePair> pairs;     // every compared pair, in program order
  std::vector<std::size_t> sourceOnly;  // source moves without an output move
  std::vector<std::size_t> outputOnly;  // output moves without a source move

  static constexpr std::size_t kMaxDifferences = 20;
  bool Identical() const { return differenceCount == 0; }
};

// The feed moves, arcs, drilling points and cycle points of both toolpaths, in order, must
// match within half a unit of the output's last printed decimal: X, Y and depth of every end
// point, an arc's direction, its radius (sign included) or its centre, a drilling point's I and
// J, a cycle point's Q. Rapid moves are not compared. Source moves that the output leaves out
// on purpose become notes. A move missing on one side is found by looking a few moves ahead,
// so one dropped line gives one difference, not a difference at every later move.
GeometryCheck CompareToolpaths(const Toolpath& source, const Toolpath& output);

// A difference with its lines: "source line 12, output line 7: Y 2 in the output, 1 in the
// source".
std::string DifferenceText(const Difference& difference);

// "geometry identical: 1,234 moves", or the number of differences and the first of them.
std::string VerdictText(const GeometryCheck& check);

}  // namespace quarnel
