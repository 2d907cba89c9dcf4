#include "engine/translator.h"

#include "engine/cycle_line.h"
#include "engine/drilling.h"
#include "engine/line_scanner.h"
#include "engine/modal_codes.h"
#include "engine/motion.h"
#include "engine/part_dimensions.h"
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

// The end position of a translated line: where a later positioning block starts.
void RecordEndPosition(TranslatorState& state) {
  state.prevX = state.modalX;
  state.prevY = state.modalY;
  state.prevP = state.modalP;
}

}  // namespace

void Translator::BeginFile() {
  state_ = TranslatorState{};
  partDimensions_.reset();
}

// One source line in phases: filter, read every word, act on each G word in line order, write
// the motion line, record the end position.
std::optional<std::string> Translator::TranslateLine(std::string_view line, ProgramBody& body) {
  if (line.empty() || line.front() != 'G') return std::nullopt;  // most dropped lines, at once
  LineWords words;
  ScanWords(line, words);
  if (!words.Translatable()) return std::nullopt;
  LineWriter out(body);
  if (auto failure = ReadWords(words, state_)) return failure;
  if (words.gWords > LineWords::kMaxGWords) {  // more G words than the pass keeps: read again
    if (auto failure = ActOnGWords(line, out)) return failure;
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
// two adjacent Gs.
std::optional<std::string> Translator::ActOnGWords(std::string_view line, LineWriter& out) {
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
  if (*code == kCycle280) return WriteCycleLine(state_, lookup_, out);
  if (*code == kEngageOrDrill) {
    EngageOrDrill(state_);
  } else if (*code == kPartDimensions) {
    partDimensions_ = PartDimensionsOf(state_);
  } else if (IsModalCode(*code)) {
    ActOnModalCode(*code, state_);
  }
  return std::nullopt;
}

SourceTranslation TranslateSource(std::string_view source, Translator& translator,
                                  ProgramBody& body) {
  translator.BeginFile();
  body.Clear();
  SourceTranslation result;
  LineScanner lines(source);
  for (std::string_view line; lines.Next(line);) {
    if (auto reason = translator.TranslateLine(line, body)) {
      result.failure = "line " + std::to_string(lines.LineNumber()) + ": " + *reason;
      break;
    }
  }
  result.partDimensions = translator.PartDimensions();
  return result;
}

}  // namespace quarnel
