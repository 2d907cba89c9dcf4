// What the translator notes while it reads a file: how each line was taken, the codes and words
// it did not act on, and the tools it looked up. Notes only inform: they change no output byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

// A G value the translator does not act on ("G20", "G410", "G1.5"), or a letter no word reads.
struct IgnoredNote {
  std::string what;
  std::size_t count = 0;  // lines holding it
  int firstLine = 0;
};

// A source tool number that a tool call looked up.
struct ToolNote {
  float number = 0;          // the source tool number
  int row = 0;               // the last matching row of the table, 0 for none
  std::int16_t to = 0;       // the substituted number
  std::string call;          // the tool call text written, "" for none
  int firstLine = 0;
};

// What the translator notes while it translates one file.
struct TranslationNotes {
  std::size_t sourceLines = 0;
  std::size_t translated = 0;  // lines that start with an upper-case G and hold no "("
  std::size_t blank = 0;       // empty, or only blanks and tabs
  std::size_t comment = 0;     // holds a "(" (and is not blank)
  std::size_t other = 0;       // any other first character
  std::vector<IgnoredNote> ignoredCodes;
  std::vector<IgnoredNote> ignoredWords;
  std::vector<ToolNote> tools;
  int partDimensionsLine = 0;  // the line of the last G200, 0 for none
  int firstNonTextLine = 0;    // the first line holding a control byte other than tab, 0 for none
  float largestCoordinate = 0;  // the largest |X|, |Y| or depth of the moves written

  std::size_t Dropped() const { return blank + comment + other; }
};

// The translator's name for a G value: "G20", "G1.5", "G-1".
std::string GCodeText(double value);

}  // namespace quarnel
