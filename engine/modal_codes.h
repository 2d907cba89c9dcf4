// Modal codes: plane, cutter compensation and distance mode, the part dimension code G200, and
// the codes that are recognised and deliberately change nothing.
#pragma once

#include "engine/dimension_texts.h"
#include "engine/translator_state.h"

namespace quarnel {

inline constexpr int kPlaneXY = 17;           // G17
inline constexpr int kPlaneZX = 18;           // G18
inline constexpr int kPlaneYZ = 19;           // G19
inline constexpr int kCompensationOff = 40;   // G40
inline constexpr int kCompensationLeft = 41;  // G41
inline constexpr int kCompensationRight = 42;  // G42
inline constexpr int kAbsolute = 90;          // G90
inline constexpr int kIncremental = 91;       // G91
inline constexpr int kPartDimensions = 200;   // G200: X, Y and Z + 24 are the part's size

// Recognised and deliberately ignored: they change no output line. In particular the units of
// the output come from the part height, never from G20 or G21.
inline constexpr int kInches = 20;            // G20
inline constexpr int kMillimetres = 21;       // G21
inline constexpr int kToolLengthOff = 49;     // G49
inline constexpr int kWorkOffset = 54;        // G54
inline constexpr int kExactStop = 61;         // G61
inline constexpr int kContinuousPath = 64;    // G64
inline constexpr int kCancelCycle = 80;       // G80

// G200 gives the part thickness as its Z word less this.
inline constexpr double kThicknessOffset = 24;

bool IsModalCode(int code);

// Acts on one modal code; none of them writes a line or touches the motion.
void ActOnModalCode(int code, TranslatorState& state, DimensionTexts& dims);

// G200: length := ModalX, height := ModalY, thickness := ModalZ - 24 rounded to a 32-bit
// float, each as plain decimal text.
void SetPartDimensions(const TranslatorState& state, DimensionTexts& dims);

}  // namespace quarnel
