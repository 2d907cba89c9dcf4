// Small text helpers shared by the translator, the settings store and the path helpers.
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// Number of occurrences of ch in text.
int InCount(std::string_view text, char ch);

// The part of text from 1-based position pos up to (not including) the next delimiter, or to
// the end of text. A pos outside the text gives "".
std::string_view ParseString(int pos, std::string_view text, char delimiter);

// 1-based position of the last occurrence of pattern in text at or before start (start -1:
// from the end of text); 0 when there is none or pattern is empty.
int QInstrB2(int start, std::string_view text, std::string_view pattern);

// True when text holds a CR or LF: such a text would add or split lines of a file.
bool HasLineBreak(std::string_view text);

// Appends line and CR LF to the output program: the only way body lines reach it.
void EmitLine(std::string& outBuffer, std::string_view line);

// Replaces every from in text by to, in place.
void ReplaceChar(std::string& text, char from, char to);

}  // namespace quarnel
