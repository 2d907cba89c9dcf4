// What the translator keeps within one source file: the values that live from line to line,
// and the values of the line being translated.
#pragma once

#include <cstdint>
#include <string>

namespace quarnel {

// The motion line that every translated line ends with.
enum class MotionMode : std::uint8_t {
  kNone,              // no motion line: G0, G207, G280, a tool 81 block, an engaged tool
  kLinear,            // G1, G101
  kClockwise,         // G2, G102
  kCounterClockwise,  // G3, G103
  kDrilling,          // G100 with a tool of 50 or less
};

// Values of one translated line. Zero and empty are the defaults: every translated line starts
// from a zeroed record, so an absent word reads as 0 for that line only.
struct LineValues {
  float lineI = 0;           // I word: arc centre offset, also printed by the drilling line
  float lineJ = 0;           // J word
  float lineR = 0;           // R word: arc radius, printed as U
  float lineU = 0;           // U word: printed as Q by the G280 cycle line
  std::int16_t lineT = 0;    // T word rounded; the substituted tool once a lookup ran
  std::string toolText;      // T word text after quote stripping
  std::string spindleGroups;  // the T word as two-digit groups: the drilling line's spindles
  std::string toolCall;      // the tool call text of the line's lookup: "T01a1", "" for none
  bool toolLookedUp = false;  // a G280 or positioning block of this line looked the tool up
  int toolRow = 0;            // the row that lookup matched, 0 for none

  // Back to the defaults, keeping the texts' storage for the next line.
  void Reset() {
    lineI = lineJ = lineR = lineU = 0;
    lineT = 0;
    toolText.clear();
    spindleGroups.clear();
    toolCall.clear();
    toolLookedUp = false;
    toolRow = 0;
  }
};

// The translator's memory within one file. Zero, false and empty are the defaults, so a
// value-initialised state is the start state, and every file starts from it: each output is a
// program of its own, and nothing of another file may reach it.
struct TranslatorState {
  float modalX = 0;      // last X word
  float modalY = 0;      // last Y word
  float modalZ = 0;      // last Z word; read only by G200
  float modalP = 0;      // last P word, the depth printed after Z in every move
  float modalF = 0;      // last F word divided by 1000
  float toolNumber = 0;  // last T word, always a whole number
  MotionMode motionMode = MotionMode::kNone;
  bool rapidPending = false;  // a rapid move was seen and its positioning block is owed
  std::string distanceCode;   // "G90" or "G91"; empty until one is read
  bool incremental = false;   // the distance code is G91
  std::string planeCode;      // "G17", "G18" or "G19"; empty until one is read
  std::string compCode;       // "G40", "G41" or "G42"; empty until one is read
  float prevX = 0;  // modalX at the end of the previous translated line
  float prevY = 0;  // modalY at the end of the previous translated line
  float prevP = 0;  // modalP at the end of the previous translated line

  LineValues line;  // values of the line being translated (or the last one translated)
};

}  // namespace quarnel
