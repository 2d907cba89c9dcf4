// The part dimension texts of a batch: typed by the user, rewritten by G200, read by the header.
#pragma once

#include <string>

namespace quarnel {

struct DimensionTexts {
  std::string length;     // the length box, X
  std::string height;     // the height box, Y; also decides millimetres or inches
  std::string thickness;  // the thickness box, Z

  bool operator==(const DimensionTexts&) const = default;
};

}  // namespace quarnel
