// The part dimension texts of a batch: typed by the user, rewritten by G200, read by the header.
#pragma once

#include <string>

namespace quarnel {

struct DimensionTexts {
  std::string length;     // DimX, length X
  std::string height;     // DimY, height Y; also decides millimetres or inches
  std::string thickness;  // DimZ, thickness Z
};

}  // namespace quarnel
