// The router's cycle code G280, written at once as a G85 cycle line with the tool call; it ends
// the motion and leaves an owed positioning block owed.
#pragma once

#include <optional>
#include <string>

#include "engine/translate/program_body.h"
#include "engine/translate/tool_call.h"
#include "engine/translate/translator_state.h"

namespace quarnel {

inline constexpr int kCycle280 = 280;  // G280

// G85, distance code, G54 P5, tool call, F, compensation code, X Y Z, and U printed as Q.
// The reason when the tool lookup fails.
std::optional<std::string> WriteCycleLine(TranslatorState& state, ToolLookup& tools,
                                          LineWriter& out);

}  // namespace quarnel
