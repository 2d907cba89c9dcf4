#include "engine/word_reader.h"

#include <cstddef>

#include "support/number.h"

namespace quarnel {

namespace {

constexpr std::size_t kMessageNumberLength = 24;  // longer numbers are cut in messages

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string DoesNotFitSingle(char letter, std::string_view text) {
  std::string reason(1, letter);
  reason += NumberForMessage(text);
  reason += " does not fit in a 32-bit number";
  return reason;
}

// Stores the word's value divided by divisor into target when the letter occurs.
std::optional<std::string> StoreWord(std::string_view line, char letter, double divisor,
                                     float& target) {
  const std::optional<std::string_view> text = WordText(line, letter);
  if (!text) return std::nullopt;
  const std::optional<float> value = ToSingle(Val(*text) / divisor);
  if (!value) return DoesNotFitSingle(letter, *text);
  target = *value;
  return std::nullopt;
}

// Two characters of a tool text as a two-digit group.
void AppendDigitGroup(std::string_view piece, std::string& toolDigits) {
  piece = TrimBlanks(piece);
  const bool digitsOnly = !piece.empty() && piece.find_first_not_of("0123456789") ==
                                                std::string_view::npos;
  if (digitsOnly) {  // the common case, without building the number's text
    if (piece.size() == 1) toolDigits += '0';
    toolDigits += piece;
    return;
  }
  // The last two characters of "0" followed by the number's text.
  const std::string number = NumberText(Val(piece));
  if (number.size() < 2) toolDigits += '0';
  toolDigits.append(number, number.size() < 2 ? 0 : number.size() - 2);
}

}  // namespace

bool IsTranslatable(std::string_view line) {
  return !line.empty() && line.front() == 'G' && line.find('(') == std::string_view::npos;
}

std::optional<std::string_view> WordText(std::string_view line, char letter) {
  const std::size_t first = line.find(letter);
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view rest = line.substr(first + 1);
  return rest.substr(0, rest.find(letter));
}

std::optional<std::string> ReadWords(std::string_view line, TranslatorState& state) {
  LineValues& values = state.Line;
  values.Reset();
  struct NumberWord {
    char letter;
    double divisor;
    float* target;
  };
  // In reading order. M, K, S and H are recognised and ignored: their values go nowhere.
  const NumberWord words[] = {
      {'P', 1, &state.ModalP},
      {'X', 1, &state.ModalX},
      {'Y', 1, &state.ModalY},
      {'Z', 1, &state.ModalZ},
      {'I', 1, &values.LineI},
      {'J', 1, &values.LineJ},
      {'F', 1000, &state.ModalF},  // the machine takes the feed in thousands: F3000 is F3
      {'U', 1, &values.LineU},
      {'R', 1, &values.LineR},
  };
  for (const NumberWord& word : words) {
    if (auto failure = StoreWord(line, word.letter, word.divisor, *word.target)) return failure;
  }
  const std::optional<std::string_view> tool = WordText(line, 'T');
  if (!tool) return std::nullopt;
  return ReadToolWord(*tool, values, state.ToolNumber);
}

std::optional<std::string> ReadToolWord(std::string_view field, LineValues& line,
                                        float& toolNumber) {
  const std::string_view text = StripToolQuotes(field);
  line.ToolText.assign(text);
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
  line.LineT = *tool;
  toolNumber = *tool;
  AppendToolDigits(text, line.ToolDigits);
  return std::nullopt;
}

std::string_view StripToolQuotes(std::string_view field) {
  if (field.empty() || field.front() != '"') return field;
  if (field.size() < 2) return {};  // a lone quote: an empty tool text
  return TrimBlanks(field.substr(1, field.size() - 2));
}

void AppendToolDigits(std::string_view toolText, std::string& toolDigits) {
  for (std::size_t k = 0; k < toolText.size(); k += 2) {
    AppendDigitGroup(toolText.substr(k, 2), toolDigits);
  }
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
