#include "support/text.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(Trimmed, DropsTheGivenCharactersAtBothEnds) {
  const struct {
    std::string_view text, characters, expected;
  } cases[] = {
      {"  5 ", " ", "5"},       {"", " ", ""},          {"   ", " ", ""},
      {"\t a b \t", " \t", "a b"}, {"\t5", " ", "\t5"}, {"x", " ", "x"},
  };
  for (const auto& c : cases) EXPECT_EQ(Trimmed(c.text, c.characters), c.expected) << c.text;
}

TEST(SameIgnoringCase, FoldsOnlyAsciiLetters) {
  EXPECT_TRUE(SameIgnoringCase("X-Dimension", "x-DIMENSION"));
  EXPECT_TRUE(SameIgnoringCase("", ""));
  EXPECT_FALSE(SameIgnoringCase("Top", "Top "));
  EXPECT_FALSE(SameIgnoringCase("[", "{"));  // 0x5B and 0x7B differ by the case bit
  EXPECT_FALSE(SameIgnoringCase("\xc3\x89", "\xc3\xa9"));
}

TEST(HasLineBreak, FindsCrAndLf) {
  EXPECT_FALSE(HasLineBreak("600 mm"));
  EXPECT_TRUE(HasLineBreak("18\r"));
  EXPECT_TRUE(HasLineBreak("\n"));
}

}  // namespace
}  // namespace quarnel
