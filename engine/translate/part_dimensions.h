// The part dimension code G200: the source program sets the part's length, height and
// thickness from its X, Y and Z values (thickness Z less 24). The dimension texts then stand
// for the header of the same file and carry to later files of the batch.
#pragma once

#include "engine/translate/dimension_texts.h"
#include "engine/translate/translator_state.h"

namespace quarnel {

inline constexpr int kPartDimensions = 200;      // G200
inline constexpr double kThicknessOffset = 24;  // G200's Z less this is the thickness

// length := modalX, height := modalY, thickness := modalZ - 24 rounded to a 32-bit float, each
// as plain decimal text: G200 X600 Y400 Z42 gives 600, 400 and 18.
DimensionTexts PartDimensionsOf(const TranslatorState& state);

}  // namespace quarnel
