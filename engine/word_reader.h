// Reading the words of one source line into the translator state.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/translator_state.h"

namespace quarnel {

// True when the line is translated at all: its first character is an upper-case G and it holds
// no "(" anywhere. Every other line is dropped without touching the state.
bool IsTranslatable(std::string_view line);

// The text of the word with this letter: what follows the letter's first occurrence, up to its
// second occurrence or the end of the line. nullopt when the letter does not occur.
// "G0X100Y50P-5T1" with 'P' gives "-5T1".
std::optional<std::string_view> WordText(std::string_view line, char letter);

// Reads the words of a translated line in the order M P X Y Z I J K F S H U R T into state
// (line values reset first). Returns the reason when a value does not fit where it is stored;
// the words read before that one keep their new values.
std::optional<std::string> ReadWords(std::string_view line, TranslatorState& state);

// Reads a T word from its text (the field after T) into ToolText, LineT, ToolNumber and
// ToolDigits. Returns the reason when the tool number is outside -32768..32767.
std::optional<std::string> ReadToolWord(std::string_view field, LineValues& line,
                                        float& toolNumber);

// The tool text of a T field: a field that starts with a double quote loses its first and its
// last character (quote or not) and its surrounding blanks; any other field is taken as it is.
std::string_view StripToolQuotes(std::string_view field);

// Appends the tool text as two-digit groups: every two characters (one at the end of an odd
// length), trimmed and read as a number, give the last two characters of "0" and the number's
// text. "1 2 3" gives "010203", "1 M6" gives "0100".
void AppendToolDigits(std::string_view toolText, std::string& toolDigits);

// The number a word's text starts with, blanks removed, for a message: "1E39" of " 1E39 Y5".
std::string NumberForMessage(std::string_view text);

}  // namespace quarnel
