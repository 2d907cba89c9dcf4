#include "engine/translator.h"

#include "engine/line_scanner.h"
#include "engine/line_writer.h"
#include "engine/modal_codes.h"
#include "engine/motion.h"
#include "engine/word_reader.h"
#include "support/number.h"

namespace quarnel {

namespace {

constexpr double kLargestCode = 1000;  // G values above every known code are ignored early

// The G value as a code to compare with the known ones, or nullopt when it cannot equal any:
// not whole, negative or too large. G-0 is G0.
std::optional<int> WholeCode(double value) {
  if (!(value >= 0 && value <= kLargestCode)) return std::nullopt;
  const int code = static_cast<int>(value);  // in range: the conversion only drops decimals
  if (code != value) return std::nullopt;
  return code;
}

bool IsDrillingCode(int code) { return code == kEngageOrDrill || code == kCycle280; }

// The end position of a translated line: where a later positioning block starts.
void RecordEndPosition(TranslatorState& state) {
  state.PrevX = state.ModalX;
  state.PrevY = state.ModalY;
  state.PrevP = state.ModalP;
}

}  // namespace

Translator::Translator(TranslatorState& state, const ToolTable& tools, DimensionTexts& dims)
    : state_(state), dims_(dims), lookup_(tools) {}

// Every output is a program of its own: nothing a file before it left may reach it.
void Translator::BeginFile() {
  state_ = TranslatorState{};
  bodyLines_ = 0;
}

// One source line in phases: filter, read every word, act on each G word in line order, write
// the motion line, record the end position.
std::optional<std::string> Translator::TranslateLine(LineScanner& scanner,
                                                     std::string& outBuffer) {
  const std::string_view line = scanner.Line();
  if (line.empty() || line.front() != 'G') return std::nullopt;  // most dropped lines, at once
  LineWords words;
  ScanWords(line, words);
  if (!words.Translatable()) return std::nullopt;
  LineWriter out(outBuffer, bodyLines_);
  if (auto failure = ReadWords(words, state_)) return failure;
  if (words.gWords > LineWords::kMaxGWords) {  // more G words than the pass keeps: read again
    if (auto failure = ActOnGWords(scanner, out)) return failure;
  } else {
    for (std::size_t i = 0; i < words.gWords; ++i) {
      if (auto failure = ActOnGCode(words.gValues[i], out)) return failure;
    }
  }
  WriteMotion(state_, out);
  RecordEndPosition(state_);
  return std::nullopt;
}

// Every G of the line is a word, also a bare G (which reads as G0) and the empty text between
// two adjacent Gs: the fields 2, 3, ... of the line split at G, taken in place.
std::optional<std::string> Translator::ActOnGWords(LineScanner& scanner, LineWriter& out) {
  const std::string_view line = scanner.Line();
  for (std::size_t at = line.find('G'); at != std::string_view::npos;) {
    const std::size_t next = line.find('G', at + 1);
    if (auto failure = ActOnGCode(Val(line.substr(at + 1, next - at - 1)), out)) return failure;
    at = next;
  }
  return std::nullopt;
}

// Acts on one G value, compared exactly with the known codes; any other value is ignored.
std::optional<std::string> Translator::ActOnGCode(double value, LineWriter& out) {
  const std::optional<int> code = WholeCode(value);
  if (!code) return std::nullopt;
  if (IsMotionCode(*code)) return ActOnMotionCode(*code, state_, lookup_, out);
  if (IsDrillingCode(*code)) return ActOnDrillingCode(*code, state_, lookup_, out);
  if (IsModalCode(*code)) ActOnModalCode(*code, state_, dims_);
  return std::nullopt;
}

}  // namespace quarnel
