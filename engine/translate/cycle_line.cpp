#include "engine/translate/cycle_line.h"

namespace quarnel {

std::optional<std::string> WriteCycleLine(TranslatorState& state, ToolLookup& tools,
                                          LineWriter& out) {
  if (auto failure = LookUpTool(state, tools)) return failure;
  out << "G85" << state.distanceCode << "G54" << "P5" << state.line.toolCall;
  out.Word('F', state.modalF) << state.compCode;
  out.Word('X', state.modalX).Word('Y', state.modalY).Word('Z', state.modalP);
  out.Word('Q', state.line.lineU).Emit();
  state.motionMode = MotionMode::kNone;
  return std::nullopt;
}

}  // namespace quarnel
