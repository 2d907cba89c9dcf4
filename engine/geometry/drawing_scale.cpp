#include "engine/geometry/drawing_scale.h"

#include <cmath>

#include "support/decimal_text.h"

namespace quarnel {

namespace {

constexpr double kSteps[] = {1, 2, 5};  // within each power of ten
constexpr int kLabelDecimals = 6;

bool Usable(double value) { return std::isfinite(value) && value > 0; }

}  // namespace

double RoundLengthAtMost(double limit) {
  if (!Usable(limit)) return 0;
  const double power = std::pow(10.0, std::floor(std::log10(limit)));
  double length = power;
  for (const double step : kSteps) {
    if (step * power <= limit) length = step * power;
  }
  return length;
}

double RoundLengthAtLeast(double limit) {
  const double below = RoundLengthAtMost(limit);
  if (below == 0 || below == limit) return below;
  const double power = std::pow(10.0, std::floor(std::log10(below)));
  for (const double step : kSteps) {
    if (step * power >= limit) return step * power;
  }
  return 10 * power;
}

ScaleBar ScaleBarFor(double pixelsPerUnit, double mostPixels, bool inches) {
  ScaleBar bar;
  if (!Usable(pixelsPerUnit)) return bar;
  bar.length = RoundLengthAtMost(mostPixels / pixelsPerUnit);
  bar.pixels = bar.length * pixelsPerUnit;
  bar.label = DecimalText(bar.length, kLabelDecimals) + (inches ? " in" : " mm");
  return bar;
}

double GridStep(double pixelsPerUnit, double leastPixels) {
  if (!Usable(pixelsPerUnit)) return 0;
  return RoundLengthAtLeast(leastPixels / pixelsPerUnit);
}

// Each line is a whole multiple of step, so lines keep their places as the view pans.
std::vector<double> GridLines(double low, double high, double step, std::size_t mostLines) {
  std::vector<double> lines;
  if (!Usable(step) || !(low <= high)) return lines;
  const double first = std::ceil(low / step);
  const double last = std::floor(high / step);
  if (!(last - first < static_cast<double>(mostLines))) return lines;
  for (double k = first; k <= last; ++k) lines.push_back(k * step);
  return lines;
}

}  // namespace quarnel
