// Motion: the motion codes set the mode while a line's G words are acted upon, and one motion
// line per translated line is written after the last of them: a linear move, an arc (by radius
// as U, else by centre as I and J), the drilling line, or nothing.
#pragma once

#include <optional>
#include <string>

#include "engine/translate/program_body.h"
#include "engine/translate/tool_call.h"
#include "engine/translate/translator_state.h"

namespace quarnel {

inline constexpr int kRapid = 0;                        // G0
inline constexpr int kLinearFeed = 1;                   // G1
inline constexpr int kClockwiseArc = 2;                 // G2
inline constexpr int kCounterClockwiseArc = 3;          // G3
inline constexpr int kRouterLinearFeed = 101;           // G101: the router's linear feed
inline constexpr int kRouterClockwiseArc = 102;         // G102: the router's clockwise arc
inline constexpr int kRouterCounterClockwiseArc = 103;  // G103: the router's counter-clockwise arc
inline constexpr int kEndMotion = 207;                  // G207: ends the motion, writes nothing

bool IsMotionCode(int code);

// The mode a feed code selects (G1, G2, G3 and the router's G101 to G103), or nullopt for the
// codes that are not feed codes.
std::optional<MotionMode> FeedMode(int code);

// Sets the motion mode for one motion code; a feed code first pays an owed positioning block.
std::optional<std::string> ActOnMotionCode(int code, TranslatorState& state, ToolLookup& tools,
                                           LineWriter& out);

// Writes the line's motion line for the motion mode, or nothing.
void WriteMotion(TranslatorState& state, LineWriter& out);

}  // namespace quarnel
