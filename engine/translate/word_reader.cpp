#include "engine/translate/word_reader.h"

#include <bit>
#include <cstddef>

#include "engine/translate/output_codes.h"
#include "support/number.h"
#include "support/number_in_place.h"
#include "support/text.h"

namespace quarnel {

namespace {

constexpr std::size_t kMessageNumberLength = 24;  // longer numbers are cut in messages

std::string DoesNotFitSingle(char letter, std::string_view text) {
  std::string reason(1, letter);
  reason += NumberForMessage(text);
  reason += " does not fit in a 32-bit number";
  return reason;
}

constexpr std::string_view kNumberLetters = LineWords::kNumberLetters;
constexpr int kFeedWord = LineWords::kF;

// What a byte means to ScanWords: a number word (its index + 1), T, G, "(", another upper-case
// letter, a control byte, text that no number and no word takes, or nothing (a blank or a
// digit).
constexpr unsigned char kNoWord = 0;
constexpr unsigned char kToolWord = LineWords::kNumberWords + 1;
constexpr unsigned char kGWord = LineWords::kNumberWords + 2;
constexpr unsigned char kParenthesis = LineWords::kNumberWords + 3;
constexpr unsigned char kOtherLetter = LineWords::kNumberWords + 4;
constexpr unsigned char kControl = LineWords::kNumberWords + 5;
constexpr unsigned char kText = LineWords::kNumberWords + 6;
struct ByteMeanings {
  unsigned char of[256] = {};
  constexpr ByteMeanings() {
    for (int byte = 0; byte < 256; ++byte) {
      const bool blank = byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
      const bool digit = byte >= '0' && byte <= '9';
      if (!blank && !digit) of[byte] = kText;
      if (IsControlByte(static_cast<unsigned char>(byte))) of[byte] = kControl;
    }
    for (char c = 'A'; c <= 'Z'; ++c) of[static_cast<unsigned char>(c)] = kOtherLetter;
    for (int k = 0; k < LineWords::kNumberWords; ++k) {
      of[static_cast<unsigned char>(kNumberLetters[k])] = static_cast<unsigned char>(k + 1);
    }
    of[static_cast<unsigned char>('T')] = kToolWord;
    of[static_cast<unsigned char>('G')] = kGWord;
    of[static_cast<unsigned char>('(')] = kParenthesis;
  }
};
constexpr ByteMeanings kMeaning;

// Val of the text from at on, and at moved past the characters the number took. With
// writtenAgain (a coordinate, not a G code or a feed, which is scaled, on a line to translate)
// it is read with CoordValTaken.
template <bool kWrittenAgain>
double ReadNumberAt(std::string_view line, std::size_t& at) {
  std::size_t taken = 0;
  const std::string_view text = line.substr(at);
  const double value = kWrittenAgain ? CoordValTaken(text, taken) : ValTaken(text, taken);
  at += taken;
  return value;
}

// The characters a number may take, blanks included.
struct NumberChars {
  bool of[256] = {};
  constexpr NumberChars() {
    for (const char c : std::string_view(" \t0123456789.+-EeDd")) of[static_cast<unsigned char>(c)] = true;
  }
};
constexpr NumberChars kNumberChars;

// The bit of the number word whose number the text at line[at] follows, where the word reader
// read that word (its letter's first occurrence): the word was read only in part ("X1.2.3",
// "Y1e", "X--"). 0 for text that follows no number word.
unsigned PartialWordBefore(std::string_view line, std::size_t at) {
  while (at > 0 && kNumberChars.of[static_cast<unsigned char>(line[at - 1])]) --at;
  if (at == 0) return 0;
  const unsigned meaning = kMeaning.of[static_cast<unsigned char>(line[at - 1])];
  if (meaning == kNoWord || meaning > LineWords::kNumberWords) return 0;
  if (line.find(line[at - 1]) != at - 1) return 0;  // a later occurrence, never read
  return 1u << (meaning - 1);
}

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Two characters of a tool text as a two-digit group.
void AppendDigitGroup(std::string_view piece, std::string& groups) {
  // The usual pieces, two digits or one beside a blank (or alone at the end), as they stand.
  const char first = piece.empty() ? ' ' : piece[0];
  const char second = piece.size() < 2 ? ' ' : piece[1];
  if (IsDigit(second) && (IsDigit(first) || first == ' ')) {
    groups += first == ' ' ? '0' : first;
    groups += second;
    return;
  }
  if (IsDigit(first) && second == ' ') {
    groups += '0';
    groups += first;
    return;
  }
  piece = Trimmed(piece);
  const bool digitsOnly = !piece.empty() && piece.find_first_not_of("0123456789") ==
                                                std::string_view::npos;
  if (digitsOnly) {  // the common case, without building the number's text
    if (piece.size() == 1) groups += '0';
    groups += piece;
    return;
  }
  // The last two characters of "0" followed by the number's text.
  const std::string number = NumberText(Val(piece));
  if (number.size() < 2) groups += '0';
  groups.append(number, number.size() < 2 ? 0 : number.size() - 2);
}

}  // namespace

std::optional<std::string_view> WordText(std::string_view line, char letter) {
  const std::size_t first = line.find(letter);
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view rest = line.substr(first + 1);
  return rest.substr(0, rest.find(letter));
}

namespace {

// A number word's text runs to the next occurrence of its letter, but its number ends before
// that anyway: no word letter can continue a number. So reading from the letter to the end of
// the line gives the same value, and every later letter is still seen by the pass.
template <bool kToTranslate>
void ScanWordsOf(std::string_view line, LineWords& words) {
  words.line = line;
  words.parenthesis = false;
  words.present = 0;
  words.partial = 0;
  words.toolAt = std::string_view::npos;
  words.gWords = 0;
  words.otherLetters = 0;
  words.controlByte = false;
  for (std::size_t at = 0; at < line.size();) {
    const unsigned meaning = kMeaning.of[static_cast<unsigned char>(line[at++])];
    if (meaning == kNoWord) continue;
    if (meaning <= LineWords::kNumberWords) {
      const unsigned bit = 1u << (meaning - 1);
      if ((words.present & bit) != 0) continue;  // only the first occurrence counts
      words.present |= bit;
      words.values[meaning - 1] = meaning - 1 != kFeedWord ? ReadNumberAt<kToTranslate>(line, at)
                                                           : ReadNumberAt<false>(line, at);
    } else if (meaning == kToolWord) {
      if (words.toolAt == std::string_view::npos) words.toolAt = at - 1;
    } else if (meaning == kGWord) {
      if (words.gWords < LineWords::kMaxGWords) {
        words.gValues[words.gWords] = ReadNumberAt<false>(line, at);
      }
      ++words.gWords;
    } else if (meaning == kOtherLetter) {
      words.otherLetters |= 1u << (line[at - 1] - 'A');
    } else if (meaning == kControl) {
      words.controlByte = true;
    } else if (meaning == kText) {
      words.partial |= PartialWordBefore(line, at - 1);
    } else {
      words.parenthesis = true;
      return;
    }
  }
}

}  // namespace

void ScanWords(std::string_view line, LineWords& words) { ScanWordsOf<false>(line, words); }

void ScanWordsToTranslate(std::string_view line, LineWords& words) {
  ScanWordsOf<true>(line, words);
}

// In reading order. M, K, S and H are recognised and ignored: their values go nowhere.
std::optional<std::string> ReadWords(const LineWords& words, TranslatorState& state) {
  LineValues& values = state.line;
  values.Reset();
  float* const targets[LineWords::kNumberWords] = {
      &state.modalP, &state.modalX, &state.modalY, &state.modalZ, &values.lineI,
      &values.lineJ, &state.modalF, &values.lineU, &values.lineR};
  for (unsigned present = words.present; present != 0; present &= present - 1) {
    const int k = std::countr_zero(present);
    const double value = k == kFeedWord ? words.values[k] / output::kFeedDivisor : words.values[k];
    const std::optional<float> single = ToSingle(value);
    if (!single) return DoesNotFitSingle(kNumberLetters[k], *WordText(words.line, kNumberLetters[k]));
    *targets[k] = *single;
  }
  if (words.toolAt == std::string_view::npos) return std::nullopt;
  return ReadToolWord(*WordText(words.line, 'T'), values, state.toolNumber);
}

std::optional<std::string> ReadToolWord(std::string_view field, LineValues& line,
                                        float& toolNumber) {
  const std::string_view text = StripToolQuotes(field);
  line.toolText.assign(text);
  // The blanks of the text become commas before it is read, so only its first blank-separated
  // number counts: reading the text up to its first blank is the same.
  const std::string_view firstNumber = text.substr(0, text.find(' '));
  const std::optional<std::int16_t> tool = ToInt16(Val(firstNumber));
  if (!tool) {
    std::string reason(1, 'T');
    reason += NumberForMessage(firstNumber);
    reason += " does not fit in a tool number (-32768..32767)";
    return reason;
  }
  line.lineT = *tool;
  toolNumber = *tool;
  AppendSpindleGroups(text, line.spindleGroups);
  return std::nullopt;
}

std::string_view StripToolQuotes(std::string_view field) {
  if (field.empty() || field.front() != '"') return field;
  if (field.size() < 2) return {};  // a lone quote: an empty tool text
  return Trimmed(field.substr(1, field.size() - 2));
}

void AppendSpindleGroups(std::string_view toolText, std::string& groups) {
  for (std::size_t k = 0; k < toolText.size(); k += 2) {
    AppendDigitGroup(toolText.substr(k, 2), groups);
  }
}

std::string_view NumberWordAsWritten(std::string_view line, char letter) {
  const std::size_t start = line.find(letter);
  if (start == std::string_view::npos) return {};
  std::size_t end = start + 1;
  for (; end < line.size(); ++end) {
    const unsigned char meaning = kMeaning.of[static_cast<unsigned char>(line[end])];
    if (meaning != kNoWord && meaning != kText) break;
  }
  return Trimmed(line.substr(start, end - start), " \t");
}

std::string NumberForMessage(std::string_view text) {
  std::string number;
  for (const char c : text) {
    if (c == ' ' || c == '\t') continue;
    if (std::string_view("+-.0123456789EeDd").find(c) == std::string_view::npos) break;
    number += c;
  }
  if (number.size() > kMessageNumberLength) {
    number.resize(kMessageNumberLength);
    number += "...";
  }
  return number;
}

}  // namespace quarnel
