// Reading the words of one source line into the translator state.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/translate/translator_state.h"
#include "support/number.h"

namespace quarnel {

// The text of the word with this letter: what follows the letter's first occurrence, up to its
// second occurrence or the end of the line. nullopt when the letter does not occur.
// "G0X100Y50P-5T1" with 'P' gives "-5T1".
std::optional<std::string_view> WordText(std::string_view line, char letter);

// The words of a line as one pass over it finds them: the value of the first occurrence of each
// number word, where the T word starts and the G values in line order. Reading a number skips
// the characters it took, so each byte of the line is looked at once. The pass stops at a "(":
// such a line is not translated.
//
// Translatable() is the line filter: only a line whose first character is an upper-case G and
// that holds no "(" anywhere is translated. Every other line is dropped without touching the
// state.
struct LineWords {
  static constexpr int kNumberWords = 9;          // P X Y Z I J F U R, in reading order
  // The number words' letters: values[k] and bit k of present stand for kNumberLetters[k].
  static constexpr std::string_view kNumberLetters = "PXYZIJFUR";
  enum Index { kP, kX, kY, kZ, kI, kJ, kF, kU, kR };
  static constexpr std::size_t kMaxGWords = 16;   // G values kept; more are counted only

  bool Translatable() const { return !line.empty() && line.front() == 'G' && !parenthesis; }

  std::string_view line;
  bool parenthesis = false;
  unsigned present = 0;  // bit k: number word k occurs
  unsigned partial = 0;  // bit k: only the start of number word k is a number ("X1.2.3")
  double values[kNumberWords];  // Val of the text after each present word's letter
  std::size_t toolAt = std::string_view::npos;  // position of the first T
  std::size_t gWords = 0;
  double gValues[kMaxGWords];  // the first kMaxGWords G values
  unsigned otherLetters = 0;  // bit c - 'A': the upper-case letter c, which no word reads
  bool controlByte = false;   // a control byte other than tab: the text may not be G-code
};

// True for a byte that is no part of a text file: a control character other than tab (CR and
// LF end lines) or DEL.
constexpr bool IsControlByte(unsigned char byte) {
  return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F;
}

// Fills words from line in one pass.
void ScanWords(std::string_view line, LineWords& words);

// ScanWords for a line about to be translated: also remembers the coordinate texts that the
// output will write again as they stand, so that writing them is a copy. Readers that write
// nothing use ScanWords.
void ScanWordsToTranslate(std::string_view line, LineWords& words);

// The G value as a code to compare with the known ones, or nullopt when it cannot equal any:
// not whole, negative or too large. G-0 is G0.
inline std::optional<int> WholeCode(double value) {
  constexpr double kLargestCode = 1000;  // G values above every known code are ignored early
  if (!(value >= 0 && value <= kLargestCode)) return std::nullopt;
  const int code = static_cast<int>(value);  // in range: the conversion only drops decimals
  if (code != value) return std::nullopt;
  return code;
}

// Calls goOn with every G value of line in line order while it returns true: the line split at
// every G again, for a line with more G words than the pass keeps. Every G is a word, also a
// bare G (which reads as G0) and the empty text between two adjacent Gs. The values are read
// one at a time, so a line of millions of G words takes no memory for them.
template <typename GoOn>
void ForEachGValueIn(std::string_view line, GoOn goOn) {
  for (std::size_t at = line.find('G'); at != std::string_view::npos;) {
    const std::size_t next = line.find('G', at + 1);
    if (!goOn(Val(line.substr(at + 1, next - at - 1)))) return;
    at = next;
  }
}

// Reads the words of a translated line in the order M P X Y Z I J K F S H U R T into state
// (line values reset first). Returns the reason when a value does not fit where it is stored;
// the words read before that one keep their new values.
std::optional<std::string> ReadWords(const LineWords& words, TranslatorState& state);

// Reads a T word from its text (the field after T) into toolText, lineT, toolNumber and
// spindleGroups. Returns the reason when the tool number is outside -32768..32767.
std::optional<std::string> ReadToolWord(std::string_view field, LineValues& line,
                                        float& toolNumber);

// The tool text of a T field: a field that starts with a double quote loses its first and its
// last character (quote or not) and its surrounding blanks; any other field is taken as it is.
std::string_view StripToolQuotes(std::string_view field);

// Appends the tool text as two-digit groups: every two characters (one at the end of an odd
// length), trimmed and read as a number, give the last two characters of "0" and the number's
// text. "1 2 3" gives "010203", "1 M6" gives "0100".
void AppendSpindleGroups(std::string_view toolText, std::string& groups);

// A number word as written, for a message: the first occurrence of its letter and what follows
// up to the next word, "(" or the end, without trailing blanks. "G1 X1.2.3 Y5" gives "X1.2.3".
std::string_view NumberWordAsWritten(std::string_view line, char letter);

// The number a word's text starts with, blanks removed, for a message: "1E39" of " 1E39 Y5".
std::string NumberForMessage(std::string_view text);

}  // namespace quarnel
