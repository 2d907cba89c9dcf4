// How a conversion is drawn, in the SVG picture and in the preview window alike: one colour and
// one set of widths (pixels, the same at every zoom) for each thing drawn.
#pragma once

#include <cstdint>
#include <string>

namespace quarnel {

struct StyleColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;  // 255 is opaque
};

// "#6baed6": red, green and blue as SVG and Qt read them; alpha is left out.
std::string HexText(StyleColour colour);

// How one program's toolpath is drawn: feeds and arcs solid, rapids dashed, drilling points as
// circles and cycle points as squares.
struct ProgramStyle {
  StyleColour colour;
  double feedWidth = 0;
  double rapidWidth = 0;
  double pointWidth = 0;   // the outline of a point
  double pointRadius = 0;  // a circle's radius, half a square's side
};

// Moves marked over both programs: their colour, line width and point radius.
struct MarkStyle {
  StyleColour colour;
  double width = 0;
  double pointRadius = 0;
};

// The source is drawn wide and light grey under the output, so that both show where they agree;
// the output's feeds and points take the colour of their depth (kDepthRamp), its rapids this
// colour.
inline constexpr ProgramStyle kSourceStyle{{0xc4, 0xc4, 0xc4}, 6, 1.5, 2.5, 6};
inline constexpr ProgramStyle kOutputStyle{{0xd9, 0x5f, 0x02}, 2, 1, 1.5, 4};
inline constexpr MarkStyle kDifferenceStyle{{0xe3, 0x1a, 0x1c}, 3, 8};   // moves that differ
inline constexpr MarkStyle kHighlightStyle{{0xff, 0xc4, 0x00, 170}, 9, 10};  // pointed at
inline constexpr MarkStyle kSelectionStyle{{0xe7, 0x29, 0x8a, 150}, 9, 10};  // selected
inline constexpr double kRapidDash = 6;  // a rapid move's dashes and the gaps between them
inline constexpr double kRapidGap = 4;

inline constexpr StyleColour kPartFill{0xf7, 0xf3, 0xea};   // the part of the output's header
inline constexpr StyleColour kPartEdge{0x8c, 0x82, 0x73};
inline constexpr StyleColour kIdenticalColour{0x1a, 0x7f, 0x37};  // the verdict "identical"
inline constexpr StyleColour kWarningColour{0xb3, 0x58, 0x06};    // the inches warning
inline constexpr StyleColour kNoteColour{0x55, 0x55, 0x55};       // notes

// Depth, from the top of the part (light) to the deepest cut (dark): the stops of the ramp.
inline constexpr StyleColour kDepthRamp[] = {
    {0xa1, 0xda, 0xb4}, {0x41, 0xb6, 0xc4}, {0x2c, 0x7f, 0xb8}, {0x25, 0x34, 0x94}, {0x08, 0x1d, 0x58}};

// The ramp at fraction (0 the top, 1 the deepest), between its two nearest stops; fractions
// outside 0..1 take the nearer end.
StyleColour RampColour(double fraction);

}  // namespace quarnel
