// Numbers in the texts of reports and pictures, written the same in every locale.
#pragma once

#include <cstddef>
#include <string>

namespace quarnel {

// A count with a comma between groups of three digits: 1234 gives "1,234".
std::string GroupedCount(std::size_t count);

// Plain decimal text with at most maxDecimals decimals (0 to 9), trailing zeros and point
// dropped: 300.00010 at four gives "300.0001", -0.00001 at four gives "0".
std::string DecimalText(double value, int maxDecimals);

}  // namespace quarnel
