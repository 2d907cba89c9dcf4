// The circle of an arc move, and the box around a move, for drawing and for extents.
#pragma once

#include <optional>

#include "engine/geometry/toolpath.h"

namespace quarnel {

// An arc in the XY plane: angles in radians from the X axis, counter-clockwise positive.
struct ArcShape {
  double centreX = 0;
  double centreY = 0;
  double radius = 0;
  double startAngle = 0;
  double sweep = 0;  // negative for a clockwise arc; a whole circle sweeps 2 pi
};

// The circle of an arc in the XY plane, or nullopt when there is none to draw (a radius of 0,
// a radius arc that ends where it starts, a move that is no arc or not in the XY plane).
// By radius: the smaller arc for a positive radius, the larger for a negative one; a radius
// shorter than half the chord is taken as half the chord. By centre: the centre is the start
// point plus I and J, and an arc that ends where it starts is a whole circle.
std::optional<ArcShape> ArcOf(const Move& move);

// True when the arc passes the angle (radians) on its way from its start to its end.
bool ArcPasses(const ArcShape& arc, double angle);

// The point at angle on the arc's circle.
double ArcPointX(const ArcShape& arc, double angle);
double ArcPointY(const ArcShape& arc, double angle);

// Smallest and largest values of a quantity.
struct Range {
  double min = 0;
  double max = 0;
};

// The box a set of moves reaches, arcs with their bulge.
struct Extents {
  bool empty = true;
  Range x;
  Range y;
  Range depth;

  void Add(const Position& point);
  void Add(const Extents& other);
};

// The box one move reaches from its start to its end, an arc's bulge included.
Extents ExtentsOf(const Move& move);

}  // namespace quarnel
