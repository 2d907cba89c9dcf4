// Multi-spindle drilling: G100 with a tool of 50 or less makes every translated line from then
// on write a G81 drilling line, its spindle list renumbered for the machine's head; G100 with a
// larger tool engages that tool instead, through a positioning block at the next feed code.
#pragma once

#include <cstdint>
#include <string>

#include "engine/translate/program_body.h"
#include "engine/translate/translator_state.h"

namespace quarnel {

inline constexpr int kEngageOrDrill = 100;           // G100: engage a tool above 50, else drill
inline constexpr std::int16_t kLargestDrill = 50;    // G100: above this a tool is engaged

// G100's choice, made on the line's tool (lineT, after any lookup of the line): true engages
// the tool through a positioning block, false drills.
constexpr bool IsEngagedTool(std::int16_t lineT) { return lineT > kLargestDrill; }

// G100, after the line's T word (and any lookup of the line) set lineT.
void EngageOrDrill(TranslatorState& state);

// Writes the line's drilling line: G81, distance and plane codes, T01 and the renumbered
// spindle list, X Y Z, I J, F. The list is the spindle groups of the line's T word, or the tool
// call text when a G280 or positioning block of the same line looked the tool up.
void WriteDrilling(TranslatorState& state, LineWriter& out);

// Renumbers the two-digit spindle groups in place: 1..10 become 09 10 11 12 02 03 04 05 06 07;
// other groups stay. The text never grows: a last single character takes the first of the two.
void RenumberSpindles(std::string& spindles);

}  // namespace quarnel
