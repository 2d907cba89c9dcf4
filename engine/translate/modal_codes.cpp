#include "engine/translate/modal_codes.h"

namespace quarnel {

bool ActOnModalCode(int code, TranslatorState& state) {
  switch (code) {
    case kPlaneXY:
      state.planeCode = "G17";
      break;
    case kPlaneZX:
      state.planeCode = "G18";
      break;
    case kPlaneYZ:
      state.planeCode = "G19";
      break;
    case kCompensationOff:
      state.compCode = "G40";
      break;
    case kCompensationLeft:
      state.compCode = "G41";
      break;
    case kCompensationRight:
      state.compCode = "G42";
      break;
    case kAbsolute:
      state.distanceCode = "G90";
      break;
    case kIncremental:
      state.distanceCode = "G91";
      break;
    default:
      return false;  // G20, G21, G49, G54, G61, G64, G80 and every other code
  }
  return true;
}

}  // namespace quarnel
