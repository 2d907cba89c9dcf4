// The round lengths a drawing is measured by: its scale bar and its grid, which follow the zoom.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quarnel {

// The largest of 1, 2 and 5 times a power of ten that is at most limit, and the smallest that is
// at least limit; 0 for a limit that is not finite and above 0.
double RoundLengthAtMost(double limit);
double RoundLengthAtLeast(double limit);

struct ScaleBar {
  double length = 0;  // in the program's units
  double pixels = 0;
  std::string label;  // "50 mm", "0.5 in"
};

// The longest round length that fits in mostPixels at pixelsPerUnit.
ScaleBar ScaleBarFor(double pixelsPerUnit, double mostPixels, bool inches);

// The step of a grid whose lines lie at least leastPixels apart at pixelsPerUnit.
double GridStep(double pixelsPerUnit, double leastPixels);

// The multiples of step from low to high, both included; none when step is not above 0 or there
// would be more than mostLines of them.
std::vector<double> GridLines(double low, double high, double step, std::size_t mostLines);

}  // namespace quarnel
