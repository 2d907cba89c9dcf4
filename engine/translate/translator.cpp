#include "engine/translate/translator.h"

#include <algorithm>
#include <cmath>

#include "engine/translate/cycle_line.h"
#include "engine/translate/drilling.h"
#include "engine/translate/line_scanner.h"
#include "engine/translate/modal_codes.h"
#include "engine/translate/motion.h"
#include "engine/translate/part_dimensions.h"
#include "engine/translate/word_reader.h"
#include "support/number.h"
#include "support/text.h"

namespace quarnel {

namespace {

// The end position of a translated line: where a later positioning block starts.
void RecordEndPosition(TranslatorState& state) {
  state.prevX = state.modalX;
  state.prevY = state.modalY;
  state.prevP = state.modalP;
}

// Counts one more occurrence of what, noting the line of the first.
void Note(std::vector<IgnoredNote>& notes, std::string what, int line) {
  for (IgnoredNote& note : notes) {
    if (note.what == what) {
      ++note.count;
      return;
    }
  }
  notes.push_back({std::move(what), 1, line});
}

}  // namespace

void Translator::BeginFile() {
  state_ = TranslatorState{};
  partDimensions_.reset();
  notes_ = TranslationNotes{};
  lineNumber_ = 0;
}

// One source line in phases: filter, read every word, act on each G word in line order, write
// the motion line, record the end position.
std::optional<std::string> Translator::TranslateLine(std::string_view line, ProgramBody& body) {
  ++lineNumber_;
  ++notes_.sourceLines;
  if (line.empty() || line.front() != 'G') {  // most dropped lines, at once
    NoteDropped(line);
    return std::nullopt;
  }
  LineWords words;
  ScanWords(line, words);
  if (!words.Translatable()) {
    NoteDropped(line);
    return std::nullopt;
  }
  ++notes_.translated;
  if (words.otherLetters != 0) NoteIgnoredLetters(words.otherLetters);
  if (words.controlByte) NoteControlByte();
  LineWriter out(body);
  if (auto failure = ReadWords(words, state_)) return failure;
  if (words.gWords > LineWords::kMaxGWords) {  // more G words than the pass keeps: read again
    if (auto failure = ActOnGWords(line, out)) return failure;
  } else {
    for (std::size_t i = 0; i < words.gWords; ++i) {
      if (auto failure = ActOnGCode(words.gValues[i], out)) return failure;
    }
  }
  if (state_.line.toolLookedUp) NoteTool();
  WriteMotion(state_, out);
  RecordEndPosition(state_);
  NoteEndOfLine();
  return std::nullopt;
}

std::optional<std::string> Translator::ActOnGWords(std::string_view line, LineWriter& out) {
  std::optional<std::string> failure;
  ForEachGValueIn(line, [&](double value) {
    failure = ActOnGCode(value, out);
    return !failure;
  });
  return failure;
}

// Acts on one G value, compared exactly with the known codes; any other value is ignored.
std::optional<std::string> Translator::ActOnGCode(double value, LineWriter& out) {
  const std::optional<int> code = WholeCode(value);
  if (code) {
    if (IsMotionCode(*code)) return ActOnMotionCode(*code, state_, lookup_, out);
    if (*code == kCycle280) return WriteCycleLine(state_, lookup_, out);
    if (*code == kEngageOrDrill) {
      EngageOrDrill(state_);
      return std::nullopt;
    }
    if (*code == kPartDimensions) {
      partDimensions_ = PartDimensionsOf(state_);
      notes_.partDimensionsLine = lineNumber_;
      return std::nullopt;
    }
    if (ActOnModalCode(*code, state_)) return std::nullopt;
  }
  NoteIgnoredCode(value);
  return std::nullopt;
}

// A dropped line's control bytes are looked for here; a translated line's by its word pass.
void Translator::NoteDropped(std::string_view line) {
  for (const char c : line) {
    if (IsControlByte(static_cast<unsigned char>(c))) {
      NoteControlByte();
      break;
    }
  }
  if (IsBlankText(line)) {
    ++notes_.blank;
  } else if (line.find('(') != std::string_view::npos) {
    ++notes_.comment;
  } else {
    ++notes_.other;
  }
}

void Translator::NoteControlByte() {
  if (notes_.firstNonTextLine == 0) notes_.firstNonTextLine = lineNumber_;
}

void Translator::NoteIgnoredCode(double value) {
  Note(notes_.ignoredCodes, GCodeText(value), lineNumber_);
}

void Translator::NoteIgnoredLetters(unsigned letters) {
  for (int bit = 0; bit < 26; ++bit) {
    if ((letters & (1u << bit)) != 0) {
      Note(notes_.ignoredWords, std::string(1, static_cast<char>('A' + bit)), lineNumber_);
    }
  }
}

// Each source tool number once, as its first lookup found it.
void Translator::NoteTool() {
  for (const ToolNote& note : notes_.tools) {
    if (note.number == state_.toolNumber) return;
  }
  const LineValues& line = state_.line;
  notes_.tools.push_back({state_.toolNumber, line.toolRow, line.lineT, line.toolCall, lineNumber_});
}

// The coordinates a translated line leaves are those its moves and a later block print.
void Translator::NoteEndOfLine() {
  const float largest = std::max({std::fabs(state_.modalX), std::fabs(state_.modalY),
                                  std::fabs(state_.modalP)});
  notes_.largestCoordinate = std::max(notes_.largestCoordinate, largest);
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
