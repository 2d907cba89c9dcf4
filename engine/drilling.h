// Drilling cycles and tool calls: the tool lookup through the substitution table, G100, G280,
// the positioning block owed after a rapid move, and the multi-spindle drilling line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/line_writer.h"
#include "engine/translator_state.h"
#include "tools/tool_table.h"

namespace quarnel {

inline constexpr int kEngageOrDrill = 100;  // G100: engage a tool above 50, else drill
inline constexpr int kCycle280 = 280;       // G280: the router's cycle, written as a G85 line

inline constexpr std::int16_t kLargestDrill = 50;  // G100: above this a tool is engaged
inline constexpr float kTool81 = 81;  // source tool whose positioning block is a G85 line

// Reads the tool table for lookups. Behaves as if every lookup read every cell afresh; the
// parsed cells are kept until the table's generation changes.
class ToolLookup {
 public:
  explicit ToolLookup(const ToolTable& table) : table_(table) {}

  // The "To" number of the last row whose "From" reads as toolNumber, or toolNumber itself
  // when none does. Every row's "From" must fit in a 32-bit float and a matching row's "To"
  // in -32768..32767; otherwise the reason why not.
  std::optional<std::string> Substitute(float toolNumber, std::int16_t& substituted);
  // The "From" cell of row formatted with "00": 5 gives "05", a text that is not a number
  // stays as it is, and a row outside the table gives "".
  std::string_view FromTwoDigits(int row);

 private:
  struct Row {
    std::optional<float> from;       // nullopt: beyond the 32-bit float range
    std::optional<std::int16_t> to;  // nullopt: outside -32768..32767
    std::string fromTwoDigits;
  };
  void Refresh();

  const ToolTable& table_;
  std::array<Row, ToolTable::kRows> rows_{};
  bool loaded_ = false;
  unsigned generation_ = 0;
};

// Replaces LineT by the substituted tool number and ToolDigits by the tool call text:
// "T01", the "From" cell of the substituted number's row as "00", ToolSuffix.
std::optional<std::string> LookUpTool(TranslatorState& state, ToolLookup& tools);

// Appends the tail of the tool call text of substituted tool n (1 or more): 5 gives "5",
// 101 gives "a1", 110 gives "b0", 205 gives "05M66".
void AppendToolSuffix(std::int16_t n, std::string& suffix);

// G100 and G280.
std::optional<std::string> ActOnDrillingCode(int code, TranslatorState& state, ToolLookup& tools,
                                             LineWriter& out);

// Writes the block owed after a rapid move, at the previous line's end position: a G85 line
// for source tool 81 (which also ends the motion), a G88 line for any other.
std::optional<std::string> WritePositioningBlock(TranslatorState& state, ToolLookup& tools,
                                                 LineWriter& out);

// Writes the drilling line of the current line, spindles renumbered.
void WriteDrilling(TranslatorState& state, LineWriter& out);

// Renumbers the two-digit spindle groups in place: 1..10 become 09 10 11 12 02 03 04 05 06 07;
// other groups stay. The text never grows: a last single character takes the first of the two.
void RenumberSpindles(std::string& toolDigits);

}  // namespace quarnel
