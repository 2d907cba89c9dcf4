#include "engine/geometry/toolpath_svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <vector>

#include "engine/geometry/toolpath_style.h"
#include "engine/geometry/depth_scale.h"
#include "test_support.h"
#include "tools/tool_table.h"

namespace quarnel {
namespace {

using testing::ReadFileBytes;
using testing::TestDataPath;
using testing::WriteFileBytes;

// The picture of a conversion with the output's time at the default settings.
std::string Picture(const std::string& source, const std::string& output,
                    std::string_view title = "part.nc", const ToolTable& tools = ToolTable()) {
  const Toolpath from = InterpretSource(source, tools);
  const Toolpath to = InterpretOutput(output);
  return ToolpathSvg(from, to, CompareToolpaths(from, to), CheckPart(to), title,
                     EstimateMachiningTime(to, {}));
}

// True when every element that opens is closed in order, every attribute value is quoted and
// text holds no bare "<" or "&" beyond entities: enough of XML to tell a broken writer.
bool WellFormed(const std::string& xml) {
  std::vector<std::string> open;
  const std::regex tag(R"(<(/?)([A-Za-z][\w-]*)((?:\s+[\w:-]+="[^"<]*")*)\s*(/?)>)");
  const std::regex text(R"(^(?:[^<&]|&(?:amp|lt|gt|quot|apos);)*$)");
  std::size_t at = xml.find("?>");
  if (xml.rfind("<?xml", 0) != 0 || at == std::string::npos) return false;
  at += 2;
  std::smatch match;
  while (at < xml.size()) {
    const std::size_t next = xml.find('<', at);
    if (!std::regex_match(xml.substr(at, next - at), text)) return false;
    if (next == std::string::npos) break;
    const std::string rest = xml.substr(next);
    if (!std::regex_search(rest, match, tag, std::regex_constants::match_continuous)) return false;
    if (match[1].length() > 0) {
      if (open.empty() || open.back() != match[2]) return false;
      open.pop_back();
    } else if (match[4].length() == 0) {
      open.push_back(match[2]);
    }
    at = next + match.length(0);
  }
  return open.empty();
}

TEST(ToolpathSvg, WritesWellFormedXmlWithAViewBoxAndEscapedTexts) {
  const std::string svg = Picture("G1 X5", "G71X600Y400Z18\nG1X5", "a<b> & \"c\" \xC3\xA9 \xFF");
  EXPECT_TRUE(WellFormed(svg));
  EXPECT_NE(svg.find("viewBox=\"0 0 "), std::string::npos);
  EXPECT_NE(svg.find("<title>a&lt;b&gt; &amp; &quot;c&quot; \xC3\xA9 ?</title>"),
            std::string::npos);
}

// The road's arc is clockwise and the smaller one: sweep flag 1, large-arc flag 0, in the
// picture whose Y axis points up like the machine's.
TEST(ToolpathSvg, DrawsArcsWithTheirDirectionAndSize) {
  const struct {
    const char* arc;
    const char* flags;
  } cases[] = {
      {"G2 X350 Y100 R50", " 0 0 1 "},
      {"G3 X350 Y100 R50", " 0 0 0 "},
      {"G2 X350 Y100 R-50", " 0 1 1 "},
      {"G3 X350 Y100 I25 J25", " 0 0 0 "},
      {"G3 X350 Y100 I50 J0", " 0 1 0 "},  // three quarters round
      {"G2 X350 Y100 I50 J0", " 0 0 1 "},
      {"G2 X350 Y100 I0 J50", " 0 1 1 "},
      {"G3 X300 Y100 I25 J25", " 0 1 0 "},  // the start's X or Y: no whole circle
      {"G2 X350 Y50 I25 J25", " 0 1 1 "},
  };
  for (const auto& c : cases) {
    const std::string source = std::string("G0 X300 Y50\n") + c.arc;
    const Toolpath path = InterpretSource(source);
    const std::string svg =
        ToolpathSvg(path, Toolpath(), GeometryCheck(), CheckPart(Toolpath()), "arc");
    // Both radii, then the flags.
    EXPECT_TRUE(std::regex_search(svg, std::regex(std::string("a([0-9.]+) \\1") + c.flags)))
        << c.arc << "\n" << svg;
  }
  // A whole circle is two half arcs.
  const std::string circle = Picture("G2 X0 Y0 I5 J0", "G2X0Y0I5J0");
  EXPECT_TRUE(std::regex_search(circle, std::regex(R"(d="M[^"a]*a[^"a]*a[^"a]*")")));
  // Half a circle (R shorter than half the chord) whose radius, 80.06 px, would round above
  // half the chord drawn, 160.1 px: written shorter, so that SVG draws the half circle.
  const Toolpath half = InterpretSource("G0 X0 Y0\nG0 X600 Y400\nG0 X300 Y50\nG2 X400.075 R30");
  EXPECT_NE(ToolpathSvg(half, Toolpath(), GeometryCheck(), CheckPart(Toolpath()), "half")
                .find("a80 80 0 0 1 160.1 0"),
            std::string::npos);
}

TEST(ToolpathSvg, ShowsTheVerdictAndDrawsDifferencesInRed) {
  const std::string road = ReadFileBytes(std::string(QUARNEL_EXAMPLES) + "/road.nc");
  std::string output = ReadFileBytes(TestDataPath("golden/road/expected/road.nc"));
  ToolTable tools;
  tools.SetCell(1, ToolTable::kFromColumn, "1");
  tools.SetCell(1, ToolTable::kToColumn, "101");
  const std::string same = Picture(road, output, "road.nc", tools);
  EXPECT_NE(same.find(">matches: 3 moves</text>"), std::string::npos);
  EXPECT_EQ(same.find("stroke=\"#e31a1c\" stroke-width=\"3\" stroke-linecap"), std::string::npos);
  // With QUARNEL_PREVIEW_SVG set to a path, saves the picture the README shows.
  if (const char* path = std::getenv("QUARNEL_PREVIEW_SVG")) WriteFileBytes(path, same);
  output.replace(output.find("U50"), 3, "U-50");
  const std::string differs = Picture(road, output, "road.nc", tools);
  EXPECT_TRUE(WellFormed(differs));
  EXPECT_NE(differs.find(">differs: 1 difference, first at source line 4, output line 5</text>"),
            std::string::npos);
  EXPECT_NE(differs.find(">source line 4, output line 5: radius -50 in the output, 50 in the "
                         "source</text>"),
            std::string::npos);
  EXPECT_NE(differs.find("stroke=\"#e31a1c\" stroke-width=\"3\" stroke-linecap"),
            std::string::npos);
}

// How many times text occurs in svg.
std::size_t Count(const std::string& svg, const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = svg.find(text); at != std::string::npos; at = svg.find(text, at + 1)) {
    ++count;
  }
  return count;
}

// The road's feeds lie in the deepest band: drawn alike, once, and used by both layers; the arc
// made to differ is each layer's own.
TEST(ToolpathSvg, DrawsTheMovesBothProgramsDrawAlikeOnceForBothLayers) {
  const std::string road = ReadFileBytes(std::string(QUARNEL_EXAMPLES) + "/road.nc");
  std::string output = ReadFileBytes(TestDataPath("golden/road/expected/road.nc"));
  const std::string source = "stroke=\"" + HexText(kSourceStyle.colour) + "\" stroke-width=\"6\"";
  const std::string deepest =
      "stroke=\"" + HexText(DepthBandColour(kDepthBands - 1)) + "\" stroke-width=\"2\"";
  const std::string same = Picture(road, output);
  EXPECT_TRUE(WellFormed(same));
  EXPECT_NE(same.find("<path id=\"f7\" d=\"M184 584l320 0a80 80 0 0 1 80-80\"/>"),
            std::string::npos);
  EXPECT_EQ(Count(same, "<path id="), 1u);
  EXPECT_EQ(Count(same, "<use xlink:href=\"#f7\" fill=\"none\" " + source), 1u);
  EXPECT_EQ(Count(same, "<use xlink:href=\"#f7\" fill=\"none\" " + deepest), 1u);
  EXPECT_EQ(Count(same, "<path fill=\"none\" " + source), 0u);
  // Rapids are each layer's own and dashed, even where both programs draw them alike.
  const Toolpath path = InterpretOutput(output);
  const std::string self =
      ToolpathSvg(path, path, CompareToolpaths(path, path), CheckPart(path), "self");
  for (const StyleColour colour : {kSourceStyle.colour, kOutputStyle.colour}) {
    const std::regex rapids("<path fill=\"none\" stroke=\"" + HexText(colour) +
                            "\"[^>]* stroke-dasharray=\"6 4\" d=\"M24 664");
    EXPECT_TRUE(std::regex_search(self, rapids)) << HexText(colour);
  }
  output.replace(output.find("U50"), 3, "U-50");
  const std::string differs = Picture(road, output);
  EXPECT_NE(differs.find("<path id=\"f7\" d=\"M184 584l320 0\"/>"), std::string::npos);
  EXPECT_NE(differs.find("<path fill=\"none\" " + source + " stroke-linecap=\"round\" "
                         "stroke-linejoin=\"round\" d=\"M504 584a80 80 0 0 1 80-80\"/>"),
            std::string::npos);
  EXPECT_NE(differs.find("<path fill=\"none\" " + deepest + " stroke-linecap=\"round\" "
                         "stroke-linejoin=\"round\" d=\"M504 584a80 80 0 1 1 80-80\"/>"),
            std::string::npos);
}

// Each drilling point is a vertex of one path, drawn by its layer's circle marker exactly once:
// a lone point by the start marker only. Points both programs drill are shared like feeds.
TEST(ToolpathSvg, DrawsDrillingPointsAsMarkedVertices) {
  const struct {
    std::vector<int> x;  // of each point, at Y100 Z-5
    const char* data;
    bool lone;
  } cases[] = {
      {{100}, "M184 504l0 0", true},
      {{100, 110, 110}, "M184 504l16 0l0 0", false},
  };
  for (const auto& c : cases) {
    std::string program = "G71X600Y400Z18";
    for (const int x : c.x) program += "\nG81G90G17T01X" + std::to_string(x) + "Y100Z-5I0J0F2.5";
    const Toolpath path = InterpretOutput(program);
    const std::string alone = ToolpathSvg(Toolpath(), path, GeometryCheck(), CheckPart(path), "d");
    const std::string marks = c.lone ? "marker-start=\"url(#m7)\""
                                     : "marker-start=\"url(#m7)\" marker-mid=\"url(#m7)\" "
                                       "marker-end=\"url(#m7)\"";
    EXPECT_TRUE(WellFormed(alone));
    EXPECT_NE(alone.find("<marker id=\"m7\" markerUnits=\"userSpaceOnUse\" overflow=\"visible\">"
                         "<circle r=\"4\" fill=\"none\" stroke=\"" +
                         HexText(DepthBandColour(kDepthBands - 1)) + "\" stroke-width=\"1.5\"/>"),
              std::string::npos);
    EXPECT_NE(alone.find("stroke=\"none\" " + marks + " d=\"" + c.data + "\"/>"), std::string::npos)
        << alone;
    const std::string both =
        ToolpathSvg(path, path, CompareToolpaths(path, path), CheckPart(path), "d");
    EXPECT_NE(both.find("<path id=\"p7\" d=\"" + std::string(c.data) + "\"/>"), std::string::npos);
    EXPECT_EQ(Count(both, "<use xlink:href=\"#p7\""), 2u);
    EXPECT_NE(both.find("<marker id=\"ms\""), std::string::npos);
    EXPECT_EQ(Count(both, "url(#ms)"), c.lone ? 1u : 3u);  // the source layer's one use
  }
}

// The points the first path in colour draws, in pixels: "M" absolute, "l" relative.
std::vector<std::pair<double, double>> DrawnPoints(const std::string& svg, StyleColour colour) {
  const std::size_t path = svg.find("<path fill=\"none\" stroke=\"" + HexText(colour));
  const std::size_t from = svg.find(" d=\"", path) + 4;
  std::istringstream d(svg.substr(from, svg.find('"', from) - from));
  std::vector<std::pair<double, double>> points;
  for (char command; d >> command;) {
    double x = 0, y = 0;
    d >> x >> y;
    if (command == 'l') x += points.back().first, y += points.back().second;
    points.emplace_back(x, y);
  }
  return points;
}

// A path is drawn to a tenth of a pixel: points closer than that to the last one drawn are
// merged (never the last of a path), rounding does not add up along a path, and differences
// keep every point. The part is 600 x 400 in a drawing 960 x 640 pixels wide, 24 from the edge.
TEST(ToolpathSvg, DrawsPathsToATenthOfAPixel) {
  const struct {
    double start;  // X, the G1 to it from X600 Y400 goes to Y0
    double step;   // of X, 100 times
    std::size_t mostPoints;
  } cases[] = {
      {0, 0.01, 20},       // 0.016 pixels a step: a point every seventh step, and the end
      {0, 0.1625, 103},    // 0.26 pixels a step: every point, the rounding not adding up
      {600, -0.03, 55},    // -0.048 pixels a step: steps of -0.1 and -0.2 pixels drawn
      {600, -0.625, 103},  // -1 pixel a step: "-1", no decimal
      {0.0625, 0.01, 20},  // the line to X0.0625 Y0 is "l-959.9 640": a blank after a 9
  };
  for (const auto& c : cases) {
    std::string program = "G1 X600 Y400 F1\nG1 X" + std::to_string(c.start) + " Y0\n";
    for (int k = 1; k <= 100; ++k) program += "G1 X" + std::to_string(c.start + k * c.step) + "\n";
    const Toolpath path = InterpretSource(program);
    const GeometryCheck apart = CompareToolpaths(Toolpath(), path);  // every move differs
    const std::string svg = ToolpathSvg(path, path, apart, CheckPart(path), "steps");
    for (const bool exact : {false, true}) {
      const auto points = DrawnPoints(svg, exact ? kDifferenceStyle.colour : kSourceStyle.colour);
      EXPECT_LE(points.size(), exact ? path.moves.size() + 1 : c.mostPoints) << c.step;
      if (exact) EXPECT_EQ(points.size(), path.moves.size() + 1) << c.step;
      for (const Move& move : path.moves) {  // every end within a tenth of a drawn point
        const double x = 24 + 1.6 * move.to.x, y = 24 + 1.6 * (400 - move.to.y);
        double nearest = 1e9;
        for (const auto& [px, py] : points) nearest = std::min(nearest, std::hypot(px - x, py - y));
        EXPECT_LT(nearest, 0.15) << c.step << " X" << move.to.x;
      }
      EXPECT_NEAR(points.back().first, 24 + 1.6 * (c.start + 100 * c.step), 0.051) << c.step;
    }
  }
}

// A feed at -0.5 takes the top band's colour, one at -8 the deepest band's; the texts below carry
// the time, the depth scale and a scale bar (900 px for 600 mm: 100 mm fit in 160 px).
TEST(ToolpathSvg, ColoursFeedsByDepthAndCarriesTheTimeDepthScaleAndScaleBar) {
  const Toolpath output =
      InterpretOutput("G71X600Y400Z18\nG1G90X100Y0Z-0.5F3\nG1G90X600Y0Z-8F3");
  MachiningTime time;
  time.cuttingSeconds = 247;
  const std::string svg = ToolpathSvg(Toolpath(), output, GeometryCheck(), CheckPart(output),
                                      "two depths", time);
  EXPECT_TRUE(WellFormed(svg));
  for (const int band : {0, kDepthBands - 1}) {
    EXPECT_NE(svg.find("<path fill=\"none\" stroke=\"" + HexText(DepthBandColour(band)) + "\""),
              std::string::npos) << band;
  }
  EXPECT_NE(svg.find(">estimated machining time 4 min 07 s: cutting"), std::string::npos);
  EXPECT_NE(svg.find(">depth 0</text>"), std::string::npos);
  EXPECT_NE(svg.find(">-8 mm</text>"), std::string::npos);
  EXPECT_NE(svg.find(">100 mm</text>"), std::string::npos);
}

}  // namespace
}  // namespace quarnel
