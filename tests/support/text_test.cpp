#include "support/text.h"
#include "support/utf8.h"

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

TEST(EscapedForDisplay, EscapesControlCharactersAndBadBytesOnly) {
  const struct {
    std::string_view bytes, shown;
    bool keepLineFeeds = false;
  } cases[] = {
      {"parts/side 1.nc", "parts/side 1.nc"},
      {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"},  // UTF-8 stays
      {"a\x1b[2Jb", "a\\x1b[2Jb"},
      {"a\tb\x7f", "a\\x09b\\x7f"},
      {"\xc2\x9b\xc2\xa0", "\\xc2\\x9b\xc2\xa0"},  // C1 CSI escaped, no-break space kept
      {"caf\xe9", "caf\\xe9"},
      {"\xe2\x82", "\\xe2\\x82"},  // a sequence cut short
      {"a\nb", "a\\x0ab"},
      {"a\nb\r", "a\nb\\x0d", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapedForDisplay(c.bytes, c.keepLineFeeds), c.shown) << c.bytes;
  }
}

}  // namespace
}  // namespace quarnel
