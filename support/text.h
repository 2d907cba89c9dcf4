// Small text helpers shared by the core and the window.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

// The UTF-8 byte-order mark: skipped at the very start of a source file or a settings file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// text without any of the given characters at either end: Trimmed("  5 ") == "5".
std::string_view Trimmed(std::string_view text, std::string_view characters = " ");

// True for a text of blanks and tabs only, or none: a blank line, an empty cell.
inline bool IsBlankText(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

// Whether a and b are equal without regard to the case of ASCII letters: "Top" and "TOP".
bool SameIgnoringCase(std::string_view a, std::string_view b);

// True when text holds a CR or LF: such a text would add or split lines of a file.
bool HasLineBreak(std::string_view text);

// A count and its noun, the noun in the plural unless the count is one: Counted(1, "file") ==
// "1 file", Counted(3, "source line") == "3 source lines".
std::string Counted(std::size_t count, std::string_view noun);

// The bytes of a text in lower-case hex, two digits a byte: HexBytes("a\xe9") == "61e9".
std::string HexBytes(std::string_view bytes);

}  // namespace quarnel
