#include "engine/motion.h"

namespace quarnel {

namespace {

// Mode a feed code selects, or nullopt for the codes that are not feed codes.
std::optional<std::int16_t> FeedMode(int code) {
  switch (code) {
    case kLinearFeed:
    case kRouterLinearFeed:
      return kMotionLinear;
    case kClockwiseArc:
    case kRouterClockwiseArc:
      return kMotionClockwise;
    case kCounterClockwiseArc:
    case kRouterCounterClockwiseArc:
      return kMotionCounterClockwise;
    default:
      return std::nullopt;
  }
}

void WriteLinear(const TranslatorState& state, LineWriter& out) {
  out << "G1" << state.DistanceCode;
  out.Word('X', state.ModalX).Word('Y', state.ModalY).Word('Z', state.ModalP);
  out.Word('F', state.ModalF).Emit();
}

// An arc with a radius prints it as U; R exactly 0 means the centre form with I and J.
void WriteArc(const TranslatorState& state, std::string_view code, LineWriter& out) {
  out << code << state.DistanceCode << state.PlaneCode;
  out.Word('X', state.ModalX).Word('Y', state.ModalY).Word('Z', state.ModalP);
  if (state.Line.LineR != 0) {
    out.Word('U', state.Line.LineR);
  } else {
    out.Word('I', state.Line.LineI).Word('J', state.Line.LineJ);
  }
  out.Word('F', state.ModalF).Emit();
}

}  // namespace

bool IsMotionCode(int code) {
  return code == kRapid || code == kEndMotion || FeedMode(code).has_value();
}

std::optional<std::string> ActOnMotionCode(int code, TranslatorState& state, ToolLookup& tools,
                                           LineWriter& out) {
  if (const std::optional<std::int16_t> mode = FeedMode(code)) {
    state.MotionMode = *mode;
    return StartFeed(state, tools, out);
  }
  state.MotionMode = kMotionNone;
  if (code == kRapid) state.RapidPending = true;
  return std::nullopt;
}

std::optional<std::string> StartFeed(TranslatorState& state, ToolLookup& tools, LineWriter& out) {
  if (state.RapidPending) {
    if (auto failure = WritePositioningBlock(state, tools, out)) return failure;
  }
  state.RapidPending = false;
  return std::nullopt;
}

void WriteMotion(TranslatorState& state, LineWriter& out) {
  switch (state.MotionMode) {
    case kMotionLinear:
      WriteLinear(state, out);
      break;
    case kMotionClockwise:
      WriteArc(state, "G2", out);
      break;
    case kMotionCounterClockwise:
      WriteArc(state, "G3", out);
      break;
    case kMotionDrilling:
      WriteDrilling(state, out);
      break;
    default:
      break;  // no motion line
  }
}

}  // namespace quarnel
