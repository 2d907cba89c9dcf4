#include "engine/translate/program_body.h"

#include <gtest/gtest.h>

#include <string>

#include "support/number.h"

namespace quarnel {
namespace {

TEST(LineWriter, WritesTextsAndWordsAsOneLine) {
  ProgramBody body;
  {
    LineWriter out(body);
    (out << "G2" << "" << "G90").Word('X', 12.5f).Word('Y', -0.00004f).Word('Z', 2049.1f).Emit();
    out.Word('F', 6.5f).Emit();
  }
  EXPECT_EQ(body.Body(), "G2G90X12.5Y0Z2049.1\r\nF6.5\r\n");
  EXPECT_EQ(body.Lines(), 2u);
}

// Lines far longer than the writer's own buffer, built from many words or one long text.
TEST(LineWriter, WritesLongLinesWhole) {
  ProgramBody body;
  std::string expected;
  const std::string longText(1000, 'T');
  {
    LineWriter out(body);
    for (int i = 0; i < 100; ++i) {
      out.Word('X', static_cast<float>(i) * 1.25f) << "G1";
      expected += FormatCoord('X', static_cast<float>(i) * 1.25f) + "G1";
    }
    out << longText;
    out.Word('Y', 1e30f);
    out.Emit();
  }
  EXPECT_EQ(body.Body(), expected + longText + FormatCoord('Y', 1e30f) + "\r\n");
}

// Short texts are copied in overlapping pieces by size class: every size against a plain copy.
TEST(LineWriter, CopiesTextsOfEverySize) {
  std::string source;
  for (int i = 0; i < 40; ++i) source += static_cast<char>('a' + i % 26);
  for (std::size_t size = 0; size <= source.size(); ++size) {
    ProgramBody body;
    body.Clear();
    (LineWriter(body) << "<" << std::string_view(source).substr(0, size) << ">").Emit();
    EXPECT_EQ(body.Body(), "<" + source.substr(0, size) + ">\r\n") << size;
  }
}

TEST(LineWriter, DropsALineThatIsNotEmitted) {
  ProgramBody body;
  LineWriter(body).Word('X', 5).Emit();
  {
    LineWriter out(body);
    out << std::string(1000, 'A');
    out.Word('X', 1);
  }
  EXPECT_EQ(body.Body(), "X5\r\n");
  EXPECT_EQ(body.Lines(), 1u);
}

// Past the header's limit a line leaves only its line end, so the count of lines goes on while
// the text stops growing.
TEST(LineWriter, KeepsOnlyLineEndsPastTheBodyLimit) {
  ProgramBody body;
  LineWriter out(body);
  for (std::size_t i = 1; i < kMaxBodyLines; ++i) out.Emit();
  out.Word('X', 1).Emit();
  (out << std::string(600, 'A')).Word('X', 2).Emit();
  out.Word('X', 3).Emit();
  EXPECT_EQ(body.Body().substr(body.Body().size() - 10), "\r\nX1\r\n\r\n\r\n");
  EXPECT_EQ(body.Lines(), kMaxBodyLines + 2);
}

// The header goes in front of the body however long it is, also into a reused body.
TEST(ProgramBody, PutsHeadersOfAnyLengthInFront) {
  ProgramBody body;
  for (const std::size_t length : {0, 1, 150, 256, 300, 5000}) {
    body.Clear();
    (LineWriter(body) << "L1").Emit();
    const std::string header(length, 'H');
    body.Complete(header, "M2\r\n");
    EXPECT_EQ(body.Program(), header + "L1\r\nM2\r\n") << length;
  }
}

}  // namespace
}  // namespace quarnel
