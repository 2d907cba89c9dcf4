#include "engine/translate/motion.h"

#include "engine/translate/drilling.h"
#include "engine/translate/output_codes.h"
#include "engine/translate/positioning_block.h"

namespace quarnel {

std::optional<MotionMode> FeedMode(int code) {
  switch (code) {
    case kLinearFeed:
    case kRouterLinearFeed:
      return MotionMode::kLinear;
    case kClockwiseArc:
    case kRouterClockwiseArc:
      return MotionMode::kClockwise;
    case kCounterClockwiseArc:
    case kRouterCounterClockwiseArc:
      return MotionMode::kCounterClockwise;
    default:
      return std::nullopt;
  }
}

namespace {

// G1, distance code, X Y Z F. The linear line carries no plane code.
void WriteLinear(const TranslatorState& state, LineWriter& out) {
  out << output::kLinear.text << state.distanceCode;
  out.Word('X', state.modalX).Word('Y', state.modalY).Word(output::kDepthLetter, state.modalP);
  out.Word(output::kFeedLetter, state.modalF).Emit();
}

// An arc with a radius prints it as U; R exactly 0 means the centre form with I and J.
void WriteArc(const TranslatorState& state, std::string_view code, LineWriter& out) {
  out << code << state.distanceCode << state.planeCode;
  out.Word('X', state.modalX).Word('Y', state.modalY).Word(output::kDepthLetter, state.modalP);
  if (state.line.lineR != 0) {
    out.Word(output::kRadiusLetter, state.line.lineR);
  } else {
    out.Word('I', state.line.lineI).Word('J', state.line.lineJ);
  }
  out.Word(output::kFeedLetter, state.modalF).Emit();
}

}  // namespace

bool IsMotionCode(int code) {
  return code == kRapid || code == kEndMotion || FeedMode(code).has_value();
}

std::optional<std::string> ActOnMotionCode(int code, TranslatorState& state, ToolLookup& tools,
                                           LineWriter& out) {
  if (const std::optional<MotionMode> mode = FeedMode(code)) {
    state.motionMode = *mode;
    return PayPositioningBlock(state, tools, out);
  }
  if (code == kRapid) {
    OwePositioningBlock(state);
  } else {
    state.motionMode = MotionMode::kNone;  // G207; an owed block stays owed
  }
  return std::nullopt;
}

void WriteMotion(TranslatorState& state, LineWriter& out) {
  switch (state.motionMode) {
    case MotionMode::kLinear:
      WriteLinear(state, out);
      break;
    case MotionMode::kClockwise:
      WriteArc(state, output::kClockwiseArc.text, out);
      break;
    case MotionMode::kCounterClockwise:
      WriteArc(state, output::kCounterClockwiseArc.text, out);
      break;
    case MotionMode::kDrilling:
      WriteDrilling(state, out);
      break;
    case MotionMode::kNone:
      break;
  }
}

}  // namespace quarnel
