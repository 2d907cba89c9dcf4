#include "engine/translate/modal_codes.h"

#include "engine/translate/output_codes.h"

namespace quarnel {

bool ActOnModalCode(int code, TranslatorState& state) {
  switch (code) {
    case kPlaneXY:
      state.planeCode = output::kPlaneXY.text;
      break;
    case kPlaneZX:
      state.planeCode = output::kPlaneZX.text;
      break;
    case kPlaneYZ:
      state.planeCode = output::kPlaneYZ.text;
      break;
    case kCompensationOff:
      state.compCode = output::kCompensationOff.text;
      break;
    case kCompensationLeft:
      state.compCode = output::kCompensationLeft.text;
      break;
    case kCompensationRight:
      state.compCode = output::kCompensationRight.text;
      break;
    case kAbsolute:
      state.distanceCode = output::kAbsolute.text;
      state.incremental = false;
      break;
    case kIncremental:
      state.distanceCode = output::kIncremental.text;
      state.incremental = true;
      break;
    default:
      return false;  // G20, G21, G49, G54, G61, G64, G80 and every other code
  }
  return true;
}

}  // namespace quarnel
