#include "engine/modal_codes.h"

#include "support/number.h"

namespace quarnel {

bool IsModalCode(int code) {
  switch (code) {
    case kPlaneXY:
    case kPlaneZX:
    case kPlaneYZ:
    case kCompensationOff:
    case kCompensationLeft:
    case kCompensationRight:
    case kAbsolute:
    case kIncremental:
    case kPartDimensions:
    case kInches:
    case kMillimetres:
    case kToolLengthOff:
    case kWorkOffset:
    case kExactStop:
    case kContinuousPath:
    case kCancelCycle:
      return true;
    default:
      return false;
  }
}

void ActOnModalCode(int code, TranslatorState& state, DimensionTexts& dims) {
  switch (code) {
    case kPlaneXY:
      state.PlaneCode = "G17";
      break;
    case kPlaneZX:
      state.PlaneCode = "G18";
      break;
    case kPlaneYZ:
      state.PlaneCode = "G19";
      break;
    case kCompensationOff:
      state.CompCode = "G40";
      break;
    case kCompensationLeft:
      state.CompCode = "G41";
      break;
    case kCompensationRight:
      state.CompCode = "G42";
      break;
    case kAbsolute:
      state.DistanceCode = "G90";
      break;
    case kIncremental:
      state.DistanceCode = "G91";
      break;
    case kPartDimensions:
      SetPartDimensions(state, dims);
      break;
    default:
      break;  // G20, G21, G49, G54, G61, G64, G80
  }
}

void SetPartDimensions(const TranslatorState& state, DimensionTexts& dims) {
  dims.length = FloatAsText(state.ModalX);
  dims.height = FloatAsText(state.ModalY);
  // A float less 24 always rounds back into the float range.
  const double thickness = static_cast<double>(state.ModalZ) - kThicknessOffset;
  dims.thickness = FloatAsText(ToSingle(thickness).value_or(state.ModalZ));
}

}  // namespace quarnel
