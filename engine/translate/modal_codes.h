// Modal codes: plane, cutter compensation and distance mode, printed as they stand by the lines
// written after them, and the codes that are recognised and deliberately change nothing.
#pragma once

#include "engine/translate/translator_state.h"

namespace quarnel {

inline constexpr int kPlaneXY = 17;            // G17
inline constexpr int kPlaneZX = 18;            // G18
inline constexpr int kPlaneYZ = 19;            // G19
inline constexpr int kCompensationOff = 40;    // G40
inline constexpr int kCompensationLeft = 41;   // G41
inline constexpr int kCompensationRight = 42;  // G42
inline constexpr int kAbsolute = 90;           // G90
inline constexpr int kIncremental = 91;        // G91

// Recognised and deliberately ignored: they change no output line. In particular the units of
// the output come from the part height, never from G20 or G21.
inline constexpr int kInches = 20;          // G20
inline constexpr int kMillimetres = 21;     // G21
inline constexpr int kToolLengthOff = 49;   // G49
inline constexpr int kWorkOffset = 54;      // G54
inline constexpr int kExactStop = 61;       // G61
inline constexpr int kContinuousPath = 64;  // G64
inline constexpr int kCancelCycle = 80;     // G80

// Acts on a plane, compensation or distance code; false for any other code, G20 to G80 above
// included. None of them writes a line or touches the motion.
bool ActOnModalCode(int code, TranslatorState& state);

}  // namespace quarnel
