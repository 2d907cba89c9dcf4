// The form of an output program around its moves: what the machine reads before and after the
// body, and how every line ends.
#pragma once

#include <cstddef>
#include <string_view>

#include "engine/geometry/geometry_check.h"
#include "engine/translate/dimension_texts.h"

namespace quarnel {

// Adds to check a difference at its output line for each way the program breaks the form the
// converter writes: a byte-order mark; a line that does not end in CR LF (the first, with how
// many more); a header whose units, part dimensions (against dims, as the header would print
// them; not checked when dims is nullptr), fixed words, N or L count do not hold for the
// program's own lines; a second line other than the G150 comment line; a last line other than
// M2 followed by one empty line.
void CheckOutputForm(std::string_view program, const DimensionTexts* dims, GeometryCheck& check);

// The body lines of an output program: its lines after the header and the comment line, up to
// the M2 line (to its last line that is not empty when M2 is missing).
std::size_t OutputBodyLines(std::string_view program);

}  // namespace quarnel
