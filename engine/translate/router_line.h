// How the router reads a line: it runs every line with motion, its comments removed, whatever
// its case, N number or leading blanks. The translator translates only lines that start with an
// upper-case G and hold no "(", so a line that moves the router and breaks that rule writes
// nothing: every conversion warns about it, and the comparison counts it as a difference.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Why the translator drops a line that moves the router, in the order they are told apart.
enum class DroppedMove : std::uint8_t {
  kLeadingBlank,  // " G1 Y0"
  kLineNumber,    // "N50 G1 X0"
  kLowerCase,     // "g1 x10"
  kComment,       // "G1 X100 (FIRST EDGE)"
  kNoGWord,       // "X20 Y40": a modal continuation line
  kOther,         // any other first character: "M3 G1 X5"
};
inline constexpr int kDroppedMoveKinds = 6;

// Why the translator drops line, when the line moves the router: outside its comments it holds
// an X, Y or P word or a code that moves (G0 to G3, G100 to G103, G280), in either case.
// nullopt for a line without motion, a line of bytes that are not text, and a line the
// translator translates.
std::optional<DroppedMove> DroppedMoveOf(std::string_view line);

// "a move with a comment"
std::string_view DroppedMoveName(DroppedMove kind);

// The line as the router reads it, into text: comments (from "(" to ")" or to the end of the
// line) removed and letters in upper case. The word reader then skips N numbers and blanks.
void RouterText(std::string_view line, std::string& text);

}  // namespace quarnel
