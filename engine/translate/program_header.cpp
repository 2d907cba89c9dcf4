#include "engine/translate/program_header.h"

#include <cmath>

#include "support/number.h"
#include "support/text.h"

namespace quarnel {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr std::size_t kLinesAroundBody = 3;  // header, comment line and M2

// A dimension text in inch mode: the box value, through millimetres kept to 15 digits and back,
// formatted "####.###". nullopt when the conversion to millimetres overflows.
std::optional<std::string> InchText(const std::string& boxText) {
  const double millimetres = Val(boxText) * kMillimetresPerInch;
  if (!std::isfinite(millimetres)) return std::nullopt;
  return Format(Val(NumberText(millimetres)) / kMillimetresPerInch, Pattern::kInch);
}

// A text that will be formatted as a number must hold one that a double can carry.
bool FitsAsNumber(const std::string& text) {
  return !IsPlainNumber(text) || std::isfinite(Val(text));
}

// The three texts as the header prints them: as typed in millimetres, rounded in inches.
std::optional<std::string> HeaderDimensions(DimensionTexts& dims) {
  if (SelectedUnits(dims.height).code == kInchUnits.code) {
    auto length = InchText(dims.length), height = InchText(dims.height),
         thickness = InchText(dims.thickness);
    if (!length || !height || !thickness) {
      return "a part dimension is too large to convert from inches";
    }
    dims = {std::move(*length), std::move(*height), std::move(*thickness)};
  }
  if (!FitsAsNumber(dims.length) || !FitsAsNumber(dims.height) || !FitsAsNumber(dims.thickness)) {
    return "a part dimension is too large to be written";
  }
  return std::nullopt;
}

void AppendLine(std::string& text, std::string_view line) {
  text += line;
  text += output::kLineEnd;
}

// The end line, then an empty line.
std::string ProgramEnd() {
  std::string end;
  AppendLine(end, output::kProgramEnd);
  AppendLine(end, "");
  return end;
}

}  // namespace

Units SelectedUnits(std::string_view height) {
  return Val(height) > kInchHeightLimit ? kMillimetreUnits : kInchUnits;
}

HeaderLines ProgramHeader(const DimensionTexts& dims, std::size_t bodyLines) {
  if (HasLineBreak(dims.length) || HasLineBreak(dims.height) || HasLineBreak(dims.thickness)) {
    return {{}, "a part dimension holds a line break"};
  }
  DimensionTexts printed = dims;
  if (auto failure = HeaderDimensions(printed)) return {{}, std::move(failure)};
  if (bodyLines > kMaxBodyLines) {
    return {{}, "the translated program has " + std::to_string(bodyLines) + " lines; at most " +
                    std::to_string(kMaxBodyLines) + " fit in the header's line count"};
  }
  std::string first(SelectedUnits(dims.height).code);
  first += FormatCoord('X', printed.length) + FormatCoord('Y', printed.height) +
           FormatCoord('Z', printed.thickness);
  first += output::kHeaderFixedWords;
  first += output::kLineCountLetter +
           Format(static_cast<double>(bodyLines + kLinesAroundBody), Pattern::kCount);
  first += output::kBodyCountLetter + Format(static_cast<double>(bodyLines), Pattern::kCount);
  HeaderLines header;
  AppendLine(header.text, first);
  header.text += output::kComment.text;
  AppendLine(header.text, output::kCommentText);
  return header;
}

std::optional<std::string> CompleteProgram(const DimensionTexts& dims, ProgramBody& body) {
  HeaderLines header = ProgramHeader(dims, body.Lines());
  if (header.failure) return header.failure;
  static const std::string end = ProgramEnd();
  body.Complete(header.text, end);
  return std::nullopt;
}

}  // namespace quarnel
