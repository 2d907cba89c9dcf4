#include "engine/line_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/number.h"

namespace quarnel {
namespace {

TEST(LineWriter, WritesTextsAndWordsAsOneLine) {
  std::string program = "before\r\n";
  std::size_t lines = 1;
  {
    LineWriter out(program, lines);
    (out << "G2" << "" << "G90").Word('X', 12.5f).Word('Y', -0.00004f).Word('Z', 2049.1f).Emit();
    out.Word('F', 6.5f).Emit();
  }
  EXPECT_EQ(program, "before\r\nG2G90X12.5Y0Z2049.1\r\nF6.5\r\n");
  EXPECT_EQ(lines, 3u);
}

// Lines far longer than the writer's own buffer, built from many words or one long text.
TEST(LineWriter, WritesLongLinesWhole) {
  std::string program;
  std::size_t lines = 0;
  std::string expected;
  const std::string longText(1000, 'T');
  {
    LineWriter out(program, lines);
    for (int i = 0; i < 100; ++i) {
      out.Word('X', static_cast<float>(i) * 1.25f) << "G1";
      expected += FormatCoord('X', static_cast<float>(i) * 1.25f) + "G1";
    }
    out << longText;
    out.Word('Y', 1e30f);
    out.Emit();
  }
  EXPECT_EQ(program, expected + longText + FormatCoord('Y', 1e30f) + "\r\n");
}

TEST(LineWriter, DropsALineThatIsNotEmitted) {
  std::string program = "kept\r\n";
  std::size_t lines = 1;
  {
    LineWriter out(program, lines);
    out << std::string(1000, 'A');
    out.Word('X', 1);
  }
  EXPECT_EQ(program, "kept\r\n");
  EXPECT_EQ(lines, 1u);
}

// Past the header's limit a line leaves only its line end, so the count of CRs stays the count
// of lines while the text stops growing.
TEST(LineWriter, KeepsOnlyLineEndsPastTheBodyLimit) {
  std::string program;
  std::size_t lines = kMaxBodyLines - 1;
  {
    LineWriter out(program, lines);
    out.Word('X', 1).Emit();
    (out << std::string(600, 'A')).Word('X', 2).Emit();
    out.Word('X', 3).Emit();
  }
  EXPECT_EQ(program, "X1\r\n\r\n\r\n");
  EXPECT_EQ(lines, static_cast<std::size_t>(kMaxBodyLines) + 2);
}

}  // namespace
}  // namespace quarnel
