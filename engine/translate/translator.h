// Translates router G-code into the machining centre's dialect, one source line at a time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/translate/dimension_texts.h"
#include "engine/translate/program_body.h"
#include "engine/translate/tool_call.h"
#include "engine/translate/translation_notes.h"
#include "engine/translate/translator_state.h"
#include "engine/translate/word_reader.h"
#include "tools/tool_table.h"

namespace quarnel {

class Translator {
 public:
  // tools is read at every lookup as it stands.
  explicit Translator(const ToolTable& tools) : lookup_(tools) {}

  // Back to the start state: every source file starts from it.
  void BeginFile();
  // Translates one source line (without its line end), writing its output lines to body.
  // Returns the reason when a number of the line does not fit where it is stored (it names
  // the word: "T40000 does not fit in a tool number (-32768..32767)").
  std::optional<std::string> TranslateLine(std::string_view line, ProgramBody& body);

  // The dimension texts of the file's last G200, if it had one.
  const std::optional<DimensionTexts>& PartDimensions() const { return partDimensions_; }
  // What the translator noted about the file so far.
  const TranslationNotes& Notes() const { return notes_; }
  TranslationNotes& Notes() { return notes_; }
  const TranslatorState& State() const { return state_; }
  TranslatorState& State() { return state_; }

 private:
  std::optional<std::string> ActOnGWords(std::string_view line, LineWriter& out);
  std::optional<std::string> ActOnGCode(double value, LineWriter& out);
  void NoteDropped(std::string_view line);
  void NoteControlByte();
  void NoteIgnoredCode(double value);
  void NoteIgnoredLetters(unsigned letters);
  void NoteTool();
  void NoteEndOfLine();
  void NoteLineWords(const LineWords& words);
  // After a line that wrote lines or not: in absolute positions the machine is where the last
  // line it wrote says, the router where the line's words say.
  void FollowPositions(bool wroteLines) {
    if (state_.incremental) return FollowIncremental(wroteLines);
    positions_.incremental = false;
    if (wroteLines) {
      positions_.outputX = state_.modalX;
      positions_.outputY = state_.modalY;
    }
  }
  void FollowIncremental(bool wroteLines);

  // Where the router and the machine are in X and Y, as far as the translated lines tell: apart
  // after a rapid move that the output does not write. The router's position is kept under G91
  // only; otherwise it is where the last line's words say.
  struct Positions {
    float routerX = 0, routerY = 0;
    float outputX = 0, outputY = 0;
    bool incremental = false;    // the router's position is kept
    bool drillingApart = false;  // in an incremental drilling run that started apart
  };

  TranslatorState state_;
  ToolLookup lookup_;
  std::optional<DimensionTexts> partDimensions_;
  TranslationNotes notes_;
  Positions positions_;
  int lineNumber_ = 0;  // of the line being translated, 1 for the file's first
};

// What translating one source file gives besides its body.
struct SourceTranslation {
  std::optional<std::string> failure;  // "line 3: X1E39 does not fit in a 32-bit number"
  std::optional<DimensionTexts> partDimensions;  // set by a G200 before any failure
};

// Translates a whole source text, line by line from the start state, into body (emptied
// first). A failing line stops the translation there.
SourceTranslation TranslateSource(std::string_view source, Translator& translator,
                                  ProgramBody& body);

}  // namespace quarnel
