// ScanWords reads a line in one pass; these tests hold it to the word rule read letter by
// letter: each number word is Val of its WordText, the G words are Val of the fields of the line
// split at G, and only the first occurrence of a letter counts.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/translate/translator_state.h"
#include "engine/translate/word_reader.h"
#include "support/number.h"
#include "support/number_in_place.h"
#include "translator_harness.h"

namespace quarnel {
namespace {

bool SameDouble(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The G fields 2, 3, ... of the line split at G, as the word rule takes them.
std::vector<std::string_view> GFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t at = line.find('G'); at != std::string_view::npos;) {
    const std::size_t next = line.find('G', at + 1);
    fields.push_back(line.substr(at + 1, next == std::string_view::npos ? next : next - at - 1));
    at = next;
  }
  return fields;
}

// Lines of words with awkward numbers: blanks inside, signs, points, exponents, repeated
// letters, letters without numbers.
std::string RandomLine(std::mt19937_64& random) {
  static const std::string kLetters = "PXYZIJFURTGMKSHEDeNQ";
  static const std::string kNumberChars = "0123456789012345678901234567890123456789.-+ \t";
  std::string line = "G";
  const int words = static_cast<int>(random() % 10);
  for (int w = 0; w < words; ++w) {
    if (random() % 3 == 0) line += ' ';
    line += kLetters[random() % kLetters.size()];
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) line += kNumberChars[random() % kNumberChars.size()];
    if (random() % 8 == 0) line += std::string("E") + static_cast<char>('0' + random() % 10);
  }
  return line;
}

TEST(ScanWords, AgreesWithTheWordRuleLetterByLetter) {
  std::mt19937_64 random(5);
  const std::string letters = "PXYZIJFUR";
  for (int n = 0; n < 200'000; ++n) {
    const std::string line = RandomLine(random);
    LineWords words;
    ScanWords(line, words);
    ASSERT_FALSE(words.parenthesis) << line;
    for (int k = 0; k < LineWords::kNumberWords; ++k) {
      const std::optional<std::string_view> text = WordText(line, letters[k]);
      ASSERT_EQ((words.present >> k) & 1u, text ? 1u : 0u) << line << " " << letters[k];
      if (text) {
        ASSERT_TRUE(SameDouble(words.values[k], Val(*text))) << line << " " << letters[k];
      }
    }
    ASSERT_EQ(words.toolAt, line.find('T')) << line;
    const std::vector<std::string_view> fields = GFields(line);
    ASSERT_EQ(words.gWords, fields.size()) << line;
    for (std::size_t i = 0; i < fields.size() && i < LineWords::kMaxGWords; ++i) {
      ASSERT_TRUE(SameDouble(words.gValues[i], Val(fields[i]))) << line << " G word " << i;
    }
  }
}

// The line filter: only a line whose first character is an upper-case G and that holds no "("
// is translated.
TEST(ScanWords, TranslatesOnlyLinesStartingWithGAndWithoutAParenthesis) {
  const struct {
    const char* line;
    bool translatable;
  } cases[] = {
      {"G1 X10", true},          {"G", true},           {"G1 X10 ; FAST", true},
      {"g1 X10", false},         {" G1 X10", false},    {"N10 G1 X10", false},
      {"G1 X10 (rough", false},  {"G1 X1E(", false},    {"(G1) X10", false},
      {"", false},               {"M30", false},        {"G1 X10 (", false},
  };
  for (const auto& c : cases) {
    LineWords words;
    ScanWords(c.line, words);
    EXPECT_EQ(words.Translatable(), c.translatable) << c.line;
  }
}

TEST(ScanWords, CountsGWordsBeyondThoseItKeeps) {
  std::string line;
  for (int i = 0; i < 40; ++i) line += "G" + std::to_string(i);
  LineWords words;
  ScanWords(line, words);
  EXPECT_EQ(words.gWords, 40u);
  for (std::size_t i = 0; i < LineWords::kMaxGWords; ++i) EXPECT_EQ(words.gValues[i], i);
}

// A line with more G words than the pass keeps acts on all of them, in line order.
TEST(ScanWords, LineWithManyGWordsActsOnEveryOne) {
  testing::TranslatorHarness harness;
  std::string line;
  for (int i = 0; i < 20; ++i) line += "G17";
  EXPECT_EQ(harness.Lines(line + "G91G1 X5"), "G1G91X5Y0Z0F0");
  EXPECT_EQ(harness.Lines(line + "G90 G1 X6 " + line), "G1G90X6Y0Z0F0");
}

// What ValTaken leaves unread is no part of the number, and what it took holds nothing but
// number characters, so a scan that skips it misses no word letter.
TEST(ValTaken, TakesExactlyTheNumber) {
  std::mt19937_64 random(9);
  static const std::string kChars = "0123456789.-+ \t\nEeDdXG(T";
  for (int n = 0; n < 300'000; ++n) {
    std::string text;
    const int length = static_cast<int>(random() % 16);
    for (int i = 0; i < length; ++i) text += kChars[random() % kChars.size()];
    std::size_t taken = 0;
    const double value = ValTaken(text, taken);
    ASSERT_TRUE(SameDouble(value, Val(text))) << '"' << text << '"';
    ASSERT_LE(taken, text.size());
    ASSERT_TRUE(SameDouble(Val(text.substr(0, taken)), value)) << '"' << text << '"';
    ASSERT_EQ(text.substr(0, taken).find_first_not_of("0123456789.-+ \t\nEeDd"),
              std::string::npos)
        << '"' << text << '"';
  }
}

}  // namespace
}  // namespace quarnel
