// Val and AppendCoord take integer fast paths for the usual numbers; these tests hold them to
// the general paths (std::from_chars and std::to_chars) on random and boundary inputs.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/number.h"
#include "support/number_in_place.h"
#include "support/number_internals.h"

namespace quarnel {
namespace {

std::string Coord(float value) {
  std::string text;
  AppendCoord(text, 'X', value);
  return text;
}

std::string GeneralCoord(float value) {
  std::string text;
  internal::AppendCoordGeneral(text, 'X', value);
  return text;
}

// Counts the values where the two paths differ and reports the first few.
class CoordComparison {
 public:
  void Check(float value) {
    ++compared_;
    const std::string fast = Coord(value);
    const std::string general = GeneralCoord(value);
    if (fast == general) return;
    if (++differences_ <= 10) {
      ADD_FAILURE() << "bits 0x" << std::hex << std::bit_cast<std::uint32_t>(value) << std::dec
                    << " (" << static_cast<double>(value) << "): " << fast << " != " << general;
    }
  }
  // The value and its neighbours up to radius steps away on both sides.
  void CheckAround(float value, int radius) {
    float down = value, up = value;
    Check(value);
    for (int i = 0; i < radius; ++i) {
      down = std::nextafter(down, -std::numeric_limits<float>::infinity());
      up = std::nextafter(up, std::numeric_limits<float>::infinity());
      Check(down);
      Check(up);
    }
  }
  void CheckBothSigns(float value, int radius) {
    CheckAround(value, radius);
    CheckAround(-value, radius);
  }
  int Differences() const { return differences_; }
  long Compared() const { return compared_; }

 private:
  long compared_ = 0;
  int differences_ = 0;
};

TEST(AppendCoordFastPath, WritesHandDerivedBoundaries) {
  const struct {
    float value;
    const char* expected;
  } cases[] = {
      {0.0f, "X0"},
      {-0.0f, "X0"},
      {0.00005f, "X0.0001"},      // seven digits 5.000000e-5: half-way, away from zero
      {-0.00005f, "X-0.0001"},
      {0.000049f, "X0"},
      {-0.00004f, "X0"},          // a zero result has no sign
      {0.0001f, "X0.0001"},
      {12.00004f, "X12"},
      {1.00005f, "X1.0001"},      // seven digits 1.000050: half-way at the fourth decimal
      {9.99995f, "X10"},
      {2049.1f, "X2049.1"},       // seven digits, not the binary value 2049.10009765625
      {-3.25f, "X-3.25"},
      {0.1f, "X0.1"},
      {1234567.5f, "X1234568"},   // half-way at the seventh digit: to even
      {1234568.5f, "X1234568"},
      {8388607.5f, "X8388608"},
      {123456.25f, "X123456.2"},  // half-way at the seventh digit: to even
      {123456.75f, "X123456.8"},
      {9999999.0f, "X9999999"},
      {10000000.0f, "X10000000"},
      {16777217.0f, "X16777220"},  // 16777216 at seven digits
      {1e-30f, "X0"},
      {std::numeric_limits<float>::denorm_min(), "X0"},
      {-std::numeric_limits<float>::denorm_min(), "X0"},
      {3.4028235e38f, "X340282300000000000000000000000000000000"},
  };
  for (const auto& c : cases) EXPECT_EQ(Coord(c.value), c.expected) << c.value;
}

TEST(AppendCoordFastPath, MatchesGeneralPathOnRandomBitPatterns) {
  std::mt19937_64 random(20261208);
  CoordComparison comparison;
  for (int i = 0; i < 3'000'000; ++i) {
    comparison.Check(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
  }
  EXPECT_EQ(comparison.Differences(), 0);
}

// Values written again come from a per-thread set of recent texts: a small pool written in
// random order makes most writes such repeats, and colliding values replace each other.
TEST(AppendCoordFastPath, RepeatedValuesWriteTheSameText) {
  std::mt19937_64 random(3);
  std::vector<float> pool;
  for (int i = 0; i < 600; ++i) {
    pool.push_back(static_cast<float>(static_cast<double>(random() % 2'000'000) / 1000 - 1000));
  }
  pool.push_back(0.0f);
  pool.push_back(-0.0f);
  pool.push_back(1e20f);  // a value the integer path does not take
  CoordComparison comparison;
  for (int i = 0; i < 1'000'000; ++i) comparison.Check(pool[random() % pool.size()]);
  EXPECT_EQ(comparison.Differences(), 0);
}

// Values the way a router writes them: up to seven digits with up to four decimals, read
// through Val and rounded to float as the word reader stores them.
TEST(AppendCoordFastPath, MatchesGeneralPathOnRouterNumbers) {
  std::mt19937_64 random(7);
  CoordComparison comparison;
  for (int i = 0; i < 1'000'000; ++i) {
    const int decimals = static_cast<int>(random() % 5);
    const auto digits = static_cast<std::int64_t>(random() % 10'000'000);
    const double value = static_cast<double>(digits) / std::pow(10.0, decimals);
    comparison.Check(static_cast<float>(random() % 2 == 0 ? value : -value));
  }
  EXPECT_EQ(comparison.Differences(), 0);
}

TEST(AppendCoordFastPath, MatchesGeneralPathAtBoundaries) {
  CoordComparison comparison;
  // Every power of two, and the neighbours of each.
  for (int e = -149; e <= 127; ++e) comparison.CheckBothSigns(std::ldexp(1.0f, e), 64);
  // Around each power of ten and each half power: where the digit count and the rounding at
  // four decimals change (1e-4, 0.5e-4, 1e-5, 1e7 among them).
  for (int k = -8; k <= 9; ++k) {
    comparison.CheckBothSigns(static_cast<float>(std::pow(10.0, k)), 2000);
    comparison.CheckBothSigns(static_cast<float>(5 * std::pow(10.0, k)), 2000);
  }
  // Half-way at the fourth decimal: 1.00005, 12.34565, ..., and their neighbours.
  std::mt19937_64 random(11);
  for (int i = 0; i < 20'000; ++i) {
    const double tenThousandths = static_cast<double>(random() % 100'000'000);
    comparison.CheckBothSigns(static_cast<float>((tenThousandths + 0.5) / 10'000), 3);
  }
  // Exactly half-way at the seventh digit: (10 d + 5) * 10^(k - 7) = (2 d + 1) / 5^(6 - k) *
  // 2^(k - 7), a float when 5^(6 - k) divides 2 d + 1 and the quotient fits in 24 bits. Ties go
  // to the even digit.
  for (int k = -4; k <= 6; ++k) {
    const auto step = static_cast<std::int64_t>(std::pow(5.0, 6 - k));
    const std::int64_t low = 2'000'000 / step + 1, high = 20'000'000 / step;
    for (int i = 0; i < 5'000; ++i) {
      const std::int64_t odd = (low + static_cast<std::int64_t>(random() % (high - low))) | 1;
      const double tie = std::ldexp(static_cast<double>(odd), k - 7);
      const auto value = static_cast<float>(tie);
      if (odd >= high || static_cast<double>(value) != tie) continue;
      comparison.CheckBothSigns(value, 2);
    }
  }
  // Subnormals, zeros, the largest floats, infinities and NaN.
  for (std::uint32_t bits = 0; bits < 100'000; bits += 7) {
    comparison.CheckBothSigns(std::bit_cast<float>(bits), 0);
  }
  comparison.CheckBothSigns(std::numeric_limits<float>::max(), 100);
  comparison.CheckBothSigns(std::numeric_limits<float>::infinity(), 0);
  comparison.CheckBothSigns(std::numeric_limits<float>::quiet_NaN(), 0);
  EXPECT_GT(comparison.Compared(), 500'000);
  EXPECT_EQ(comparison.Differences(), 0);
}

// Equal as doubles, and with the same sign when both are zero.
bool SameDouble(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// Texts made of the pieces Val reads, in the order it reads them, with blanks strewn in.
class NumberTextMaker {
 public:
  explicit NumberTextMaker(std::uint64_t seed) : random_(seed) {}

  std::string Make() {
    std::string text;
    Blanks(text);
    if (Chance(40)) text += Pick("+-");
    Blanks(text);
    if (Chance(20)) text += std::string(Below(25), '0');
    Digits(text, Chance(10) ? Below(30) : Below(8));
    if (Chance(70)) text += '.';
    if (Chance(15)) text += std::string(Below(25), '0');
    Digits(text, Chance(10) ? Below(30) : Below(8));
    Blanks(text);
    if (Chance(20)) {
      text += Pick("EeDd");
      Blanks(text);
      if (Chance(50)) text += Pick("+-");
      Digits(text, Chance(5) ? Below(6) : Below(3));
    }
    if (Chance(50)) text += Pick("XYG.,E+-\" 0");
    return text;
  }
  // Any mix of the characters Val cares about.
  std::string Jumble() {
    std::string text;
    const int length = Below(20);
    for (int i = 0; i < length; ++i) text += Pick(" \t\n+-.0123456789EeDdX,");
    return text;
  }

 private:
  bool Chance(int percent) { return static_cast<int>(random_() % 100) < percent; }
  int Below(int n) { return static_cast<int>(random_() % static_cast<std::uint64_t>(n)); }
  char Pick(std::string_view from) { return from[random_() % from.size()]; }
  void Blanks(std::string& text) {
    if (Chance(10)) text += Pick(" \t\n");
  }
  void Digits(std::string& text, int count) {
    for (int i = 0; i < count; ++i) {
      text += static_cast<char>('0' + Below(10));
      Blanks(text);
    }
  }

  std::mt19937_64 random_;
};

TEST(ValFastPath, MatchesGeneralPathOnRandomTexts) {
  NumberTextMaker maker(42);
  int differences = 0;
  for (int i = 0; i < 1'000'000; ++i) {
    const std::string text = i % 4 == 3 ? maker.Jumble() : maker.Make();
    const double fast = Val(text);
    const double general = internal::ValGeneral(text);
    if (!SameDouble(fast, general) && ++differences <= 10) {
      ADD_FAILURE() << '"' << text << "\": " << fast << " != " << general;
    }
  }
  EXPECT_EQ(differences, 0);
}

TEST(ValFastPath, MatchesGeneralPathAtItsLimits) {
  const std::vector<std::string> texts = {
      "9007199254740992",      // 2^53: the largest mantissa taken exactly
      "9007199254740993",      // 2^53 + 1: not a double, rounds to even
      "9007199254740995",
      "9999999999999999999",   // 19 digits
      "99999999999999999999",  // 20 digits
      "1234567890123456789.5",
      "1e22", "1e23", "1e-22", "1e-23", "9007199254740991e22", "9007199254740991e-22",
      "0.0000000000000000000001", "0.00000000000000000000001",
      "-0", "-0.000", "-0E5000", "0e99999999", "-", "+", "- .", "1E1000", "1E-1000",
      "1E1001", "1 e 2 2", "4.9406564584124654e-324", "1.7976931348623157e308",
      "123456789012345678901234567890", "0.1", "0.3", "2.2250738585072014e-308",
      "  -  12 . 5 D - 1 X", "\t\n1\n", "1..5", ".5.5", "00000000000000000000000000001",
  };
  for (const std::string& text : texts) {
    EXPECT_TRUE(SameDouble(Val(text), internal::ValGeneral(text))) << '"' << text << '"';
  }
}

// The short path's borders (five digits, four decimals), what may follow a number, and the
// texts the word pass remembers for the coordinate writer: each read gives the general path's
// value and length, and the coordinate word written next is the general path's.
TEST(ValShortPath, MatchesGeneralPathAtItsBorders) {
  const struct {
    const char* text;
    std::size_t taken;
  } cases[] = {
      {"12345.6789", 10}, {"99999.9999", 10}, {"123456.1", 8}, {"1.23456", 7}, {"00012", 5},
      {"1234.567", 8}, {"12345.67", 8}, {"12345.678", 9}, {"8388.608", 8}, {"9999.999", 8},
      {"0.0001", 6}, {"-0.0001", 7}, {"0.00005", 7}, {".5", 2}, {"5.", 2}, {"1.50", 4},
      {"-1234.567", 9}, {"-12345.67", 9}, {"-5", 2}, {"12", 2},
      {"-0", 2}, {"-0.0", 4}, {"+5", 2}, {"-.25", 4}, {"0", 1}, {"100", 3}, {"-", 0},
      {".", 0}, {"", 0}, {"1 2", 3}, {"1.5 .5", 4}, {"1.5.5", 3}, {"1.5E2", 5}, {"1.5d2", 5},
      {"1.5 X", 4}, {"1.5\tY", 4}, {"1.5\n Z", 5}, {"1.5\r", 3}, {"1.5(", 3}, {"7,5", 1},
  };
  for (const auto& c : cases) {
    const double general = internal::ValGeneral(c.text);
    std::size_t taken = 0, coordTaken = 0;
    EXPECT_TRUE(SameDouble(ValTaken(c.text, taken), general)) << c.text;
    EXPECT_EQ(taken, c.taken) << c.text;
    const double value = CoordValTaken(c.text, coordTaken);
    EXPECT_TRUE(SameDouble(value, general)) << c.text;
    EXPECT_EQ(coordTaken, c.taken) << c.text;
    EXPECT_EQ(Coord(static_cast<float>(value)), GeneralCoord(static_cast<float>(general))) << c.text;
  }
}

}  // namespace
}  // namespace quarnel
