#include "engine/translate/positioning_block.h"

#include "engine/translate/output_codes.h"

namespace quarnel {

namespace {

// G88 (or G85 for tool 81), distance code, G54 P5, tool call, S0, compensation code, and the
// previous line's end position.
void WriteBlockStart(const TranslatorState& state, bool cycleBlock, LineWriter& out) {
  out << (cycleBlock ? output::kCycle.text : output::kPositioning.text) << state.distanceCode
      << output::kWorkOffset.text << output::kBlockWord << state.line.toolCall
      << output::kSpindleStop << state.compCode;
  out.Word('X', state.prevX).Word('Y', state.prevY).Word(output::kDepthLetter, state.prevP);
}

std::optional<std::string> WritePositioningBlock(TranslatorState& state, ToolLookup& tools,
                                                 LineWriter& out) {
  if (auto failure = LookUpTool(state, tools)) return failure;
  const bool cycleBlock = IsCycleBlockTool(state.toolNumber);
  WriteBlockStart(state, cycleBlock, out);
  if (cycleBlock) {
    // Q is the X of the feed line itself; the G85 line replaces that line's motion.
    out.Word(output::kCycleLetter, state.modalX).Emit();
    state.motionMode = MotionMode::kNone;
  } else {
    (out << output::kPositioningTail).Emit();
  }
  return std::nullopt;
}

}  // namespace

void OwePositioningBlock(TranslatorState& state) {
  state.motionMode = MotionMode::kNone;
  state.rapidPending = true;
}

std::optional<std::string> PayPositioningBlock(TranslatorState& state, ToolLookup& tools,
                                               LineWriter& out) {
  if (state.rapidPending) {
    if (auto failure = WritePositioningBlock(state, tools, out)) return failure;
  }
  state.rapidPending = false;
  return std::nullopt;
}

}  // namespace quarnel
