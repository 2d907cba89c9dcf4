#include "engine/translate/drilling.h"

#include "engine/translate/output_codes.h"
#include "engine/translate/positioning_block.h"
#include "engine/translate/tool_call.h"
#include "support/number.h"

namespace quarnel {

namespace {

// Spindle renumbering: group value 1..10 and the group written for it.
constexpr std::string_view kSpindles[] = {"09", "10", "11", "12", "02",
                                          "03", "04", "05", "06", "07"};

}  // namespace

void EngageOrDrill(TranslatorState& state) {
  if (IsEngagedTool(state.line.lineT)) {
    OwePositioningBlock(state);
  } else {
    state.motionMode = MotionMode::kDrilling;
  }
}

void WriteDrilling(TranslatorState& state, LineWriter& out) {
  LineValues& line = state.line;
  std::string& spindles = line.toolLookedUp ? line.toolCall : line.spindleGroups;
  RenumberSpindles(spindles);
  out << output::kDrilling.text << state.distanceCode << state.planeCode
      << output::kToolCallStart << spindles;
  out.Word('X', state.modalX).Word('Y', state.modalY).Word(output::kDepthLetter, state.modalP);
  out.Word('I', line.lineI).Word('J', line.lineJ).Word(output::kFeedLetter, state.modalF).Emit();
}

void RenumberSpindles(std::string& spindles) {
  const std::size_t length = spindles.size();
  for (std::size_t k = 0; k < length; k += 2) {
    const std::size_t width = k + 1 < length ? 2 : 1;
    const double group = Val(std::string_view(spindles).substr(k, width));
    if (group < 1 || group > 10 || group != static_cast<int>(group)) continue;
    spindles.replace(k, width, kSpindles[static_cast<int>(group) - 1].substr(0, width));
  }
}

}  // namespace quarnel
