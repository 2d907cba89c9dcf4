#include "engine/translate/translator.h"

#include <algorithm>
#include <bit>
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
  positions_ = Positions{};
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
  ScanWordsToTranslate(line, words);
  if (!words.Translatable()) {
    NoteDropped(line);
    return std::nullopt;
  }
  ++notes_.translated;
  if (words.otherLetters != 0) NoteIgnoredLetters(words.otherLetters);
  if (words.controlByte) NoteControlByte();
  const std::size_t linesBefore = body.Lines();
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
  if (words.partial != 0 || notes_.partDimensionsLine == lineNumber_) NoteLineWords(words);
  WriteMotion(state_, out);
  FollowPositions(body.Lines() != linesBefore);
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
  if (const std::optional<DroppedMove> move = DroppedMoveOf(line)) {
    DroppedMoveNote& note = notes_.droppedMoves[static_cast<int>(*move)];
    if (note.count++ == 0) note.firstLine = lineNumber_;
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

// The words a translated line read only in part, and the words its G200 lacks.
void Translator::NoteLineWords(const LineWords& words) {
  if (words.partial != 0) {
    PartialNumberNote& note = notes_.partialNumbers;
    if (note.lines++ == 0) {
      const int k = std::countr_zero(words.partial);
      note.firstLine = lineNumber_;
      note.word = NumberWordAsWritten(words.line, LineWords::kNumberLetters[k]);
      note.readAs = FloatAsText(static_cast<float>(words.values[k]));
    }
  }
  if (notes_.partDimensionsLine == lineNumber_) {
    notes_.partDimensionsMissing.clear();
    for (const int k : {LineWords::kX, LineWords::kY, LineWords::kZ}) {
      if ((words.present & (1u << k)) == 0) notes_.partDimensionsMissing += LineWords::kNumberLetters[k];
    }
  }
}

// The router goes where every translated line says; the machine only where a written line
// does. Under G91 both add the line's X and Y; an incremental drilling run that starts where they
// are apart drills every hole elsewhere: the first hole of the first such run is noted where
// each of them drills it.
void Translator::FollowIncremental(bool wroteLines) {
  Positions& at = positions_;
  if (!at.incremental) {  // the line before left both where its words said
    at = {state_.prevX, state_.prevY, at.outputX, at.outputY, true, false};
  }
  const bool apart = at.routerX != at.outputX || at.routerY != at.outputY;
  const bool drilling = state_.motionMode == MotionMode::kDrilling;
  const bool newApartRun = drilling && apart && !at.drillingApart;
  at.drillingApart = drilling && (at.drillingApart || apart);
  at.routerX += state_.modalX;
  at.routerY += state_.modalY;
  if (wroteLines) {
    at.outputX += state_.modalX;
    at.outputY += state_.modalY;
  }
  if (newApartRun && notes_.apartDrilling.runs++ == 0) {
    notes_.apartDrilling = {1, lineNumber_, at.routerX, at.routerY, at.outputX, at.outputY};
  }
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
