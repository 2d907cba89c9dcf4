// What the translator notes while it reads a file: how each line was taken, the codes and words
// it did not act on, and the tools it looked up. Notes only inform: they change no output byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/translate/router_line.h"

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

// Lines of one kind that move the router and that the translator drops.
struct DroppedMoveNote {
  std::size_t count = 0;
  int firstLine = 0;
};

// Incremental drilling runs whose first hole starts where the output last moved, not where the
// router went (after a rapid move the output does not write): the output drills every hole of
// the run elsewhere.
struct ApartDrillingNote {
  std::size_t runs = 0;
  int firstLine = 0;  // of the first run
  float routerX = 0;  // where the first run starts on the router
  float routerY = 0;
  float outputX = 0;  // and in the output
  float outputY = 0;
};

// Number words of which the word reader takes only the start: "X1.2.3" reads as 1.2.
struct PartialNumberNote {
  std::size_t lines = 0;
  int firstLine = 0;
  std::string word;    // the first such word as written: "X1.2.3"
  std::string readAs;  // and its value as read: "1.2"
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
  std::string partDimensionsMissing;  // the letters of X, Y and Z that the last G200 lacks
  std::array<DroppedMoveNote, kDroppedMoveKinds> droppedMoves{};  // by DroppedMove
  ApartDrillingNote apartDrilling;
  PartialNumberNote partialNumbers;
  int firstNonTextLine = 0;    // the first line holding a control byte other than tab, 0 for none
  float largestCoordinate = 0;  // the largest |X|, |Y| or depth of the moves written

  std::size_t Dropped() const { return blank + comment + other; }
};

// The translator's name for a G value: "G20", "G1.5", "G-1".
std::string GCodeText(double value);

}  // namespace quarnel
