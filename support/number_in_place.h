// Reading and writing numbers in place, for the translator's per-line work: the same rules as
// Val and FormatCoord, without building texts or reading a text twice.
#pragma once

#include <cstddef>
#include <string_view>

namespace quarnel {

// Val(text), and in taken the length of the start of text that the number rule read (0 when
// text holds no number): the characters from there on are no part of the number.
double ValTaken(std::string_view text, std::size_t& taken);

// ValTaken for a number that is likely written again as a coordinate word: a text that
// FormatCoord(letter, float(value)) writes as it stands (most numbers of a router program) is
// kept in the thread's set of recent coordinate texts, so WriteCoordWord copies it.
double CoordValTaken(std::string_view text, std::size_t& taken);

// Room WriteCoordWord may need: the letter, a sign, the 39 integer digits of the largest
// float, a point and four decimals.
inline constexpr std::size_t kMaxCoordWordSize = 48;

// Writes the bytes of FormatCoord(letter, value) at out, which has room for
// kMaxCoordWordSize bytes, and returns the end of what it wrote.
char* WriteCoordWord(char* out, char letter, float value);

}  // namespace quarnel
