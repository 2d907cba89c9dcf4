// How long an output program runs on the machine, estimated from its own moves: what a shop
// needs for its schedule and its quote before the program goes on a machine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/geometry/toolpath.h"

namespace quarnel {

// Defaults of a machining centre of the kind the dialect serves.
inline constexpr double kDefaultRapidRate = 20000;        // mm/min, every axis at once
inline constexpr double kDefaultToolChangeSeconds = 10;  // the spindle stopped to running again

// What the program does not say: how fast the machine positions and how long a tool change
// takes.
struct MachiningTimeSettings {
  double rapidRate = kDefaultRapidRate;  // mm/min; an inch program takes it as rate / 25.4 in/min
  double toolChangeSeconds = kDefaultToolChangeSeconds;

  bool operator==(const MachiningTimeSettings&) const = default;
};

// What a front end accepts: a plain number (IsPlainNumber), a rapid rate above 0 and at most
// kMostRapidRate mm/min, a tool change of 0 to kMostToolChangeSeconds; nullopt otherwise.
inline constexpr double kMostRapidRate = 1e6;
inline constexpr double kMostToolChangeSeconds = 3600;
std::optional<double> RapidRateFromText(std::string_view text);
std::optional<double> ToolChangeSecondsFromText(std::string_view text);

// The settings from their texts in the settings file; a text that is not accepted, the empty
// text included, leaves that setting at its default.
MachiningTimeSettings MachiningTimeSettingsFrom(std::string_view rapidRate,
                                                std::string_view toolChangeSeconds);

// The estimate, in seconds; lengths in the program's units (mm under G71, inches under G70).
struct MachiningTime {
  double cuttingSeconds = 0;   // feed moves and arcs at their F
  double rapidSeconds = 0;     // rapids, positioning blocks, travel to drilling and cycle points
  double drillingSeconds = 0;  // drilling and cycle points: down at F, back up at the rapid rate
  double toolChangeSeconds = 0;
  std::size_t toolChanges = 0;
  double cutLength = 0;              // feeds, arcs and the depth of every point
  std::size_t untimedMoves = 0;      // moves that cut at F0 or before any F: not timed
  int firstUntimedLine = 0;          // the output line of the first of them, 0 for none
  bool inches = false;               // the program's units

  double TotalSeconds() const {
    return cuttingSeconds + rapidSeconds + drillingSeconds + toolChangeSeconds;
  }
};

// The time of an output program's toolpath, move after move from where the last one ended:
// - a feed move or arc at its F (the last one written): the output's F is the source's
//   per-minute feed / 1000, so F3 is 3000 mm/min under G71 and 3000 in/min under G70; an arc
//   along its length (a helix's included), an arc outside the XY plane given by centre along
//   its chord;
// - a rapid, a positioning block or tool 81's block along the straight line at the rapid rate;
// - a drilling or cycle point: the travel in X and Y at the rapid rate, then from the top of the
//   part (depth 0) down to its depth at its F and back up at the rapid rate;
// - a tool change for each tool call that names another tool than the last one called.
// A move that cuts some length at F0 or before any F is not timed; it is counted in
// untimedMoves. Acceleration, the machine's own cycle motions and dwell are left out.
MachiningTime EstimateMachiningTime(const Toolpath& output, const MachiningTimeSettings& settings);

// Whole seconds as "45 s", "4 min 07 s" or "1 h 02 min 05 s"; rounded to the nearest second.
std::string DurationText(double seconds);

// "4 min 07 s: cutting 3 min 10 s, rapid 20 s, drilling 27 s, 1 tool change 10 s; cut length
// 2,345.6 mm", and "; 3 moves without a feed not timed, the first at output line 7" when
// there are such.
std::string MachiningTimeText(const MachiningTime& time);

}  // namespace quarnel
