// The two header lines of an output program and its end: units code, the part dimensions, the
// line counts, the fixed comment line; "M2" and an empty line after the body.
//
//   G71X600Y400Z18T00D240N6L3      length 600, height 400, thickness 18, a body of 3 lines
//   G150(G-code from router)
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/translate/dimension_texts.h"
#include "engine/translate/output_codes.h"
#include "engine/translate/program_body.h"

namespace quarnel {

// A height above this many units means the dimensions are millimetres (G71); otherwise inches
// (G70).
inline constexpr double kInchHeightLimit = 60;

struct Units {
  std::string_view code;  // "G71" or "G70", the header's units code
  std::string_view name;  // "millimetres" or "inches"
};
inline constexpr Units kMillimetreUnits{output::kMillimetreHeader.text, "millimetres"};
inline constexpr Units kInchUnits{output::kInchHeader.text, "inches"};

// The units a height text selects: millimetres above kInchHeightLimit as Val reads it, inches
// otherwise (also for an empty text or one without a leading number).
Units SelectedUnits(std::string_view height);

// The two header lines, each ending in CR LF, for the dimension texts and a body of bodyLines
// lines; the reason when they cannot be written (a dimension text holds a line break or is a
// number too large to write, the body has more than kMaxBodyLines lines).
struct HeaderLines {
  std::string text;
  std::optional<std::string> failure;
};
HeaderLines ProgramHeader(const DimensionTexts& dims, std::size_t bodyLines);

// Puts the header in front of the body and "M2" and an empty line after it; the reason when
// the header cannot be written.
std::optional<std::string> CompleteProgram(const DimensionTexts& dims, ProgramBody& body);

}  // namespace quarnel
