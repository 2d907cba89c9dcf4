#include "engine/translate/cycle_line.h"

#include "engine/translate/output_codes.h"

namespace quarnel {

std::optional<std::string> WriteCycleLine(TranslatorState& state, ToolLookup& tools,
                                          LineWriter& out) {
  if (auto failure = LookUpTool(state, tools)) return failure;
  out << output::kCycle.text << state.distanceCode << output::kWorkOffset.text
      << output::kBlockWord << state.line.toolCall;
  out.Word(output::kFeedLetter, state.modalF) << state.compCode;
  out.Word('X', state.modalX).Word('Y', state.modalY).Word(output::kDepthLetter, state.modalP);
  out.Word(output::kCycleLetter, state.line.lineU).Emit();
  state.motionMode = MotionMode::kNone;
  return std::nullopt;
}

}  // namespace quarnel
