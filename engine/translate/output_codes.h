// Every code and fixed word of the machining centre's dialect, spelled once. The writers put
// them into output lines; the output reader (engine/geometry/toolpath.cpp) reads the lines back
// by the same names, so a code changed here changes both.
//
//   G71X600Y400Z18T00D240N6L3                header: units, part, fixed words, line counts
//   G150(G-code from router)                 comment line
//   G88G90G54P5T01a1S0G40X100Y50Z-5C0V0      positioning block with the tool call
//   G1G90X300Y50Z-5F3                        linear feed
//   G2G90G17X350Y100Z-5U50F3                 arc by radius
//   M2                                       end of program
#pragma once

#include <string_view>

namespace quarnel::output {

// A G code of the dialect: the text written ("G88") and the value the machine reads from it
// (88). Only the text is spelled; the value is read from it when the program is compiled.
struct GCode {
  std::string_view text;
  int number = 0;

  consteval GCode(std::string_view written) : text(written) {
    if (written.size() < 2 || written[0] != 'G') throw "a G code is G and digits";
    for (const char digit : written.substr(1)) {
      if (digit < '0' || digit > '9') throw "a G code is G and digits";
      number = number * 10 + (digit - '0');
    }
  }
};

// The header line and the end of a program.
inline constexpr GCode kMillimetreHeader{"G71"};  // part dimensions and moves in millimetres
inline constexpr GCode kInchHeader{"G70"};        // part dimensions and moves in inches
inline constexpr std::string_view kHeaderFixedWords = "T00D240";  // no tool, D240; after Z
inline constexpr char kLineCountLetter = 'N';  // lines from the header to M2, both counted
inline constexpr char kBodyCountLetter = 'L';  // lines between the comment line and M2
inline constexpr GCode kComment{"G150"};       // starts the second line: a comment to the operator
inline constexpr std::string_view kCommentText = "(G-code from router)";  // after G150
inline constexpr std::string_view kProgramEnd = "M2";  // ends the program; an empty line follows
inline constexpr std::string_view kLineEnd = "\r\n";   // ends every line, the last included

// Moves. Every one of them prints its own X, Y and Z (the depth); no value is modal.
inline constexpr GCode kLinear{"G1"};                // linear feed to X Y Z at F
inline constexpr GCode kClockwiseArc{"G2"};          // clockwise arc, by U or by I and J
inline constexpr GCode kCounterClockwiseArc{"G3"};   // counter-clockwise arc
inline constexpr GCode kDrilling{"G81"};             // multi-spindle drilling at X Y, to depth Z
inline constexpr GCode kCycle{"G85"};                // cycle line (with F) or tool 81's block
inline constexpr GCode kPositioning{"G88"};          // positioning block: tool call, move to X Y Z

// Fixed words of the G85 and G88 lines.
inline constexpr GCode kWorkOffset{"G54"};             // the work coordinate system
inline constexpr std::string_view kBlockWord = "P5";   // after G54 in every G85 and G88 line
inline constexpr std::string_view kSpindleStop = "S0";  // after the tool call of a block
inline constexpr std::string_view kPositioningTail = "C0V0";  // ends every G88 line

// The tool call text "T01", a two-digit "From" cell and a suffix; "T01" also starts the spindle
// list of every drilling line. Tools above 200 end their suffix in M66.
inline constexpr std::string_view kToolCallStart = "T01";
inline constexpr std::string_view kLargeToolTail = "M66";

// Modal codes, printed as the source last set them: the plane by arcs and drilling lines, the
// compensation by blocks and cycle lines, the distance mode by every move.
inline constexpr GCode kPlaneXY{"G17"};
inline constexpr GCode kPlaneZX{"G18"};
inline constexpr GCode kPlaneYZ{"G19"};
inline constexpr GCode kCompensationOff{"G40"};
inline constexpr GCode kCompensationLeft{"G41"};
inline constexpr GCode kCompensationRight{"G42"};
inline constexpr GCode kAbsolute{"G90"};     // X and Y are positions
inline constexpr GCode kIncremental{"G91"};  // X and Y add to the position; Z stays absolute

// Word letters, where the output's letter means something other than the source's.
inline constexpr char kDepthLetter = 'Z';   // the depth: the source's P, never its Z
inline constexpr char kRadiusLetter = 'U';  // an arc's radius: the source's R
inline constexpr char kCycleLetter = 'Q';   // a cycle line's U, tool 81's block's feed X
inline constexpr char kFeedLetter = 'F';    // the feed in thousands: the source's F / kFeedDivisor

// The machine takes the feed in thousands of the router's: F3000 in the source is F3.
inline constexpr double kFeedDivisor = 1000;

}  // namespace quarnel::output
