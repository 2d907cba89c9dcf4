// Motion translation: the motion codes set the mode while a line's G words are acted upon, and
// one motion line per source line is written after the last of them.
#pragma once

#include <optional>
#include <string>

#include "engine/drilling.h"
#include "engine/line_writer.h"
#include "engine/translator_state.h"

namespace quarnel {

inline constexpr int kRapid = 0;                 // G0
inline constexpr int kLinearFeed = 1;            // G1
inline constexpr int kClockwiseArc = 2;          // G2
inline constexpr int kCounterClockwiseArc = 3;   // G3
inline constexpr int kRouterLinearFeed = 101;    // G101: the router's linear feed
inline constexpr int kRouterClockwiseArc = 102;  // G102: the router's clockwise arc
inline constexpr int kRouterCounterClockwiseArc = 103;  // G103: the router's counter-clockwise arc
inline constexpr int kEndMotion = 207;           // G207: ends the motion, writes nothing

bool IsMotionCode(int code);

// Sets MotionMode for one motion code; a feed code first pays a rapid move's positioning block.
std::optional<std::string> ActOnMotionCode(int code, TranslatorState& state, ToolLookup& tools,
                                           LineWriter& out);

// The step every feed code shares: writes the positioning block when a rapid move owes one,
// then clears RapidPending.
std::optional<std::string> StartFeed(TranslatorState& state, ToolLookup& tools, LineWriter& out);

// Writes the line's motion for MotionMode: a linear or arc line, the drilling line, or nothing.
void WriteMotion(TranslatorState& state, LineWriter& out);

}  // namespace quarnel
