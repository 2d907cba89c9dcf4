// The positioning block: a rapid move (G0) or an engaged tool (G100 above 50) writes nothing
// at once; the next feed code first writes one positioning line, with the tool call, at the
// position where the previous translated line ended. For source tool 81 that line is a G85
// cycle line which also ends the motion; for any other tool it is a G88 line.
#pragma once

#include <optional>
#include <string>

#include "engine/translate/program_body.h"
#include "engine/translate/tool_call.h"
#include "engine/translate/translator_state.h"

namespace quarnel {

// Source tool whose positioning block is a G85 line that ends the motion.
inline constexpr float kCycleBlockTool = 81;

// True when the block owed for the source tool (not the substituted one) is tool 81's G85 line.
constexpr bool IsCycleBlockTool(float sourceTool) { return sourceTool == kCycleBlockTool; }

// A rapid move or an engaged tool: no motion line until the next feed code, which owes a block.
void OwePositioningBlock(TranslatorState& state);

// What every feed code does first: writes the positioning block when one is owed, then owes
// none. The reason when the tool lookup fails.
std::optional<std::string> PayPositioningBlock(TranslatorState& state, ToolLookup& tools,
                                               LineWriter& out);

}  // namespace quarnel
