#include "support/text.h"

#include <gtest/gtest.h>

#include <string>

namespace quarnel {
namespace {

TEST(InCount, CountsOneCharacter) {
  EXPECT_EQ(InCount("", '\r'), 0);
  EXPECT_EQ(InCount("G1\r\nG2\r\n", '\r'), 2);
  EXPECT_EQ(InCount(std::string_view("a\0b\0", 4), '\0'), 2);
}

TEST(ParseString, CutsAtDelimiter) {
  const struct {
    int pos;
    std::string_view text;
    char delimiter;
    std::string_view expected;
  } cases[] = {
      {1, std::string_view("abc\0\0\0", 6), '\0', "abc"},
      {1, "abc", '\0', "abc"},
      {3, "a,b,c", ',', "b"},
      {5, "a,b,c", ',', "c"},
      {2, "a,,c", ',', ""},
      {0, "abc", ',', ""},
      {4, "abc", ',', ""},
      {-1, "abc", ',', ""},
      {1, "", ',', ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseString(c.pos, c.text, c.delimiter), c.expected);
}

TEST(QInstrB2, FindsLastOccurrenceAtOrBeforeStart) {
  const struct {
    int start;
    std::string_view text;
    std::string_view pattern;
    int expected;
  } cases[] = {
      {-1, "/cnc/part1.nc", "/", 5}, {-1, "part1.nc", "/", 0}, {-1, "", "/", 0},
      {4, "/cnc/part1.nc", "/", 1},  {5, "/cnc/part1.nc", "/", 5}, {-1, "abcabc", "bc", 5},
      {4, "abcabc", "bc", 2},        {-1, "abc", "", 0},        {0, "abc", "a", 0},
      {99, "abca", "a", 4},          {-1, "ab", "abc", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QInstrB2(c.start, c.text, c.pattern), c.expected) << c.text << " " << c.start;
  }
}

TEST(EmitLine, AppendsCrLf) {
  std::string out;
  EmitLine(out, "G1X1");
  EmitLine(out, "");
  EXPECT_EQ(out, "G1X1\r\n\r\n");
}

TEST(ReplaceChar, ReplacesEveryOccurrence) {
  std::string text = " T 12 3";
  ReplaceChar(text, ' ', ',');
  EXPECT_EQ(text, ",T,12,3");
}

}  // namespace
}  // namespace quarnel
