#include "engine/translate/line_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarnel {
namespace {

// Every line of text, each as "number:line".
std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines;
  LineScanner scanner(text);
  for (std::string_view line; scanner.Next(line);) {
    lines.push_back(std::to_string(scanner.LineNumber()) + ":" + std::string(line));
  }
  return lines;
}

TEST(LineScanner, SplitsLinesAtEveryKindOfLineEnd) {
  const struct {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
  } cases[] = {
      {"empty file", "", {}},
      {"crlf", "A\r\nB\r\n", {"1:A", "2:B"}},
      {"lf", "A\nB\n", {"1:A", "2:B"}},
      {"lone cr", "A\rB\r", {"1:A", "2:B"}},
      {"mixed", "A\r\nB\nC\rD", {"1:A", "2:B", "3:C", "4:D"}},
      {"last line without end", "A\r\nB", {"1:A", "2:B"}},
      {"blank lines kept", "\r\n\n\rA", {"1:", "2:", "3:", "4:A"}},
      {"lf cr is two ends", "A\n\rB", {"1:A", "2:", "3:B"}},
      {"byte-order mark skipped", "\xEF\xBB\xBFG1X1\r\n", {"1:G1X1"}},
      {"mark only at the very start", "A\n\xEF\xBB\xBF", {"1:A", "2:\xEF\xBB\xBF"}},
      {"nul bytes are ordinary", std::string("G\0X\n", 4), {std::string("1:G\0X", 5)}},
  };
  for (const auto& c : cases) EXPECT_EQ(LinesOf(c.content), c.lines) << c.name;
}

// Line ends are looked for several bytes at a time: every line length and position of the end
// within those steps, for each kind of line end.
TEST(LineScanner, FindsLineEndsAtEveryPosition) {
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    for (std::size_t length = 0; length < 40; ++length) {
      const std::string line(length, 'A');
      const std::vector<std::string> expected = {"1:" + line, "2:B", "3:\xFA\xFF" + line};
      EXPECT_EQ(LinesOf(line + end + "B" + end + "\xFA\xFF" + line), expected) << length;
    }
  }
}

}  // namespace
}  // namespace quarnel
