#include "engine/translate/part_dimensions.h"

#include "support/number.h"

namespace quarnel {

DimensionTexts PartDimensionsOf(const TranslatorState& state) {
  // A float less 24 always rounds back into the float range.
  const double thickness = static_cast<double>(state.modalZ) - kThicknessOffset;
  return {FloatAsText(state.modalX), FloatAsText(state.modalY),
          FloatAsText(ToSingle(thickness).value_or(state.modalZ))};
}

}  // namespace quarnel
