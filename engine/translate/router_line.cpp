#include "engine/translate/router_line.h"

#include "engine/translate/cycle_line.h"
#include "engine/translate/drilling.h"
#include "engine/translate/motion.h"
#include "engine/translate/word_reader.h"
#include "support/number_in_place.h"

namespace quarnel {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsMovingCode(double value) {
  const std::optional<int> code = WholeCode(value);
  return code && (*code == kRapid || FeedMode(*code) || *code == kEngageOrDrill ||
                  *code == kCycle280);
}

// What a byte means to MotionOf.
enum : unsigned char { kNothing, kAxis, kCode, kComment, kNotText };
struct ByteMeanings {
  unsigned char of[256] = {};
  constexpr ByteMeanings() {
    for (int byte = 0; byte < 256; ++byte) {
      if (IsControlByte(static_cast<unsigned char>(byte))) of[byte] = kNotText;
    }
    for (const char axis : {'X', 'Y', 'P', 'x', 'y', 'p'}) of[static_cast<unsigned char>(axis)] = kAxis;
    of[static_cast<unsigned char>('G')] = of[static_cast<unsigned char>('g')] = kCode;
    of[static_cast<unsigned char>('(')] = kComment;
  }
};
constexpr ByteMeanings kMeaning;

// What a line holds outside its comments.
struct LineMotion {
  bool moves = false;  // an X, Y or P word, or a code that moves
  bool gWord = false;
  bool text = true;  // no byte that is no part of a text file
};

LineMotion MotionOf(std::string_view line) {
  LineMotion found;
  for (std::size_t at = 0; at < line.size(); ++at) {
    switch (kMeaning.of[static_cast<unsigned char>(line[at])]) {
      case kAxis:
        found.moves = true;
        break;
      case kCode: {
        found.gWord = true;
        std::size_t taken = 0;
        found.moves = IsMovingCode(ValTaken(line.substr(at + 1), taken)) || found.moves;
        at += taken;
        break;
      }
      case kComment:
        at = line.find(')', at);
        if (at == std::string_view::npos) return found;
        break;
      case kNotText:
        found.text = false;
        break;
      default:
        break;
    }
  }
  return found;
}

}  // namespace

std::optional<DroppedMove> DroppedMoveOf(std::string_view line) {
  if (line.empty() || (line.front() == 'G' && line.find('(') == std::string_view::npos)) {
    return std::nullopt;
  }
  const LineMotion motion = MotionOf(line);
  if (!motion.moves || !motion.text) return std::nullopt;
  const char first = line.front();
  if (first == ' ' || first == '\t') return DroppedMove::kLeadingBlank;
  if (Upper(first) == 'N') return DroppedMove::kLineNumber;
  if (first == 'g') return DroppedMove::kLowerCase;
  if (first == 'G') return DroppedMove::kComment;
  return motion.gWord ? DroppedMove::kOther : DroppedMove::kNoGWord;
}

std::string_view DroppedMoveName(DroppedMove kind) {
  switch (kind) {
    case DroppedMove::kLeadingBlank:
      return "a move after leading blanks";
    case DroppedMove::kLineNumber:
      return "a move with a line number";
    case DroppedMove::kLowerCase:
      return "a move in lower case";
    case DroppedMove::kComment:
      return "a move with a comment";
    case DroppedMove::kNoGWord:
      return "a move without a G word";
    case DroppedMove::kOther:
      break;
  }
  return "a move that does not start with G";
}

void RouterText(std::string_view line, std::string& text) {
  text.clear();
  bool inComment = false;
  for (const char c : line) {
    if (inComment || c == '(') {
      inComment = c != ')';
    } else {
      text += Upper(c);
    }
  }
}

}  // namespace quarnel
