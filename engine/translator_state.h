// Everything the translator keeps: values that live for one source file, and the values of the
// line being translated.
#pragma once

#include <cstdint>
#include <string>

namespace quarnel {

// Motion modes held in TranslatorState::MotionMode.
inline constexpr std::int16_t kMotionNone = 0;              // no motion line (G0, G207)
inline constexpr std::int16_t kMotionLinear = 1;            // G1, G101
inline constexpr std::int16_t kMotionClockwise = 2;         // G2, G102
inline constexpr std::int16_t kMotionCounterClockwise = 3;  // G3, G103
inline constexpr std::int16_t kMotionDrilling = 4;          // G100 with a tool of 50 or less

// Values of one translated line. Zero and empty are the defaults: every translated line starts
// from a zeroed record, so an absent word reads as 0 for that line only.
struct LineValues {
  float LineI = 0;    // I word: arc centre offset, also printed by the drilling line
  float LineJ = 0;    // J word
  float LineR = 0;    // R word: arc radius, printed as U
  float LineU = 0;    // U word: printed as Q by the G280 cycle line
  std::int16_t LineT = 0;  // T word rounded; replaced by the substituted tool at a lookup
  std::string ToolText;    // T word text after quote stripping
  std::string ToolDigits;  // spindle list in two-digit groups, or the tool call text
  std::string ToolSuffix;  // tail of the tool call text while a lookup builds it

  // Back to the defaults, keeping the texts' storage for the next line.
  void Reset() {
    LineI = LineJ = LineR = LineU = 0;
    LineT = 0;
    ToolText.clear();
    ToolDigits.clear();
    ToolSuffix.clear();
  }
};

// The translator's memory within one file. Zero, false and empty are the defaults, so a
// value-initialised state is the start state, and every file starts from it: each output is a
// program of its own, and nothing of another file may reach it.
struct TranslatorState {
  float ModalX = 0;  // last X word
  float ModalY = 0;  // last Y word
  float ModalZ = 0;  // last Z word; read only by G200
  float ModalP = 0;  // last P word, printed after Z in every move
  float ModalF = 0;  // last F word divided by 1000
  float ToolNumber = 0;  // last T word, always a whole number
  std::int16_t MotionMode = kMotionNone;
  bool RapidPending = false;  // a rapid move was seen and its positioning block is owed
  std::string DistanceCode;   // "G90" or "G91"; empty until one is read
  std::string PlaneCode;      // "G17", "G18" or "G19"; empty until one is read
  std::string CompCode;       // "G40", "G41" or "G42"; empty until one is read
  float PrevX = 0;  // ModalX at the end of the previous translated line
  float PrevY = 0;  // ModalY at the end of the previous translated line
  float PrevP = 0;  // ModalP at the end of the previous translated line

  LineValues Line;  // values of the line being translated (or the last one translated)
};

}  // namespace quarnel
