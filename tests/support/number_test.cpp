#include "support/number.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace quarnel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Val, ReadsNumbersTheRouterWrites) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"", 0},          {"X5", 0},       {"-", 0},          {".", 0},
      {"+.", 0},        {"1.5Y2", 1.5},  {"-.25", -0.25},   {"+3", 3},
      {"1 2", 12},      {"1,5", 1},      {" - 1 . 5", -1.5}, {"\t1\n2", 12},
      {"1E", 1},        {"1E-2", 0.01},  {"41D1", 410},     {"2d-1", 0.2},
      {"1e+3", 1000},   {"1 E - 2", 0.01}, {"3E 1 0", 3e10}, {"1E+", 1},
      {"5.5.5", 5.5},   {"007", 7},      {"0.000", 0},      {"1ED2", 1},
      {"123456789012345678901234567890", 123456789012345678901234567890.0},
      {"0.1", 0.1},     {"2.2250738585072014e-308", 2.2250738585072014e-308},
      {"4.9406564584124654e-324", 4.9406564584124654e-324},
  };
  for (const auto& c : cases) EXPECT_EQ(Val(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Val, OverflowsToInfinityAndUnderflowsToZero) {
  EXPECT_EQ(Val("1E309"), kInf);
  EXPECT_EQ(Val("-1D400"), -kInf);
  EXPECT_EQ(Val("1E99999999999999999999"), kInf);
  EXPECT_EQ(Val("1E-99999999999999999999"), 0);
  EXPECT_EQ(Val("1E-400"), 0);
  EXPECT_TRUE(std::signbit(Val("-1E-400")));
  EXPECT_EQ(Val("0E99999999999999999999"), 0);
  // A long mantissa moves the exponent: 0.(400 zeros)1E400 is 0.1.
  EXPECT_EQ(Val("0." + std::string(400, '0') + "1E400"), 0.1);
}

TEST(Val, ReadsVeryLongDigitRuns) {
  EXPECT_EQ(Val(std::string(1000, '9')), kInf);
  // 1 followed by 900 zeros and a final 1, shifted down: rounds on the dropped digit.
  EXPECT_EQ(Val("1" + std::string(900, '0') + "1E-901"), 1.0);
  EXPECT_EQ(Val(std::string(100'000'000, '1') + "E-99999992"), 11111111.111111111111111);
}

TEST(Format, Patterns) {
  const struct {
    double value;
    const char* coord;
    const char* inch;
    const char* count;
  } cases[] = {
      {0, "0.", ".", ""},
      {0.5, "0.5", ".5", "1"},
      {12, "12.", "12.", "12"},
      {12.34567, "12.3457", "12.346", "12"},
      {-3.25, "-3.25", "-3.25", "-3"},
      {0.00004, "0.", ".", ""},
      {-0.00004, "0.", ".", ""},
      {0.0625, "0.0625", ".063", ""},
      {-0.0625, "-0.0625", "-.063", ""},
      {0.125, "0.125", ".125", ""},
      {0.1236, "0.1236", ".124", ""},
      {0.00005, "0.0001", ".", ""},
      {-0.00005, "-0.0001", ".", ""},
      {9.99995, "10.", "10.", "10"},
      {1.00005, "1.0001", "1.", "1"},  // 15 digits are exactly half-way
      {123456, "123456.", "123456.", "123456"},
      {1e20, "100000000000000000000.", "100000000000000000000.", "100000000000000000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Format(c.value, Pattern::kCoord), c.coord) << c.value;
    EXPECT_EQ(Format(c.value, Pattern::kInch), c.inch) << c.value;
    EXPECT_EQ(Format(c.value, Pattern::kCount), c.count) << c.value;
  }
}

TEST(Format, TwoDigits) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {{5, "05"}, {12, "12"}, {123, "123"}, {2.5, "03"}, {0, "00"}, {-5, "-05"},
               {0.4, "00"}, {99.5, "100"}};
  for (const auto& c : cases) EXPECT_EQ(Format(c.value, Pattern::kTwoDigits), c.expected);
}

TEST(Format, FloatUsesSevenDigits) {
  EXPECT_EQ(Format(2049.1f, Pattern::kCoord), "2049.1");
  EXPECT_EQ(Format(4096.3f, Pattern::kCoord), "4096.3");
  EXPECT_EQ(Format(16777216.f, Pattern::kCoord), "16777220.");
  EXPECT_EQ(Format(0.1f, Pattern::kInch), ".1");
  EXPECT_EQ(Format(static_cast<double>(2049.1f), Pattern::kCoord), "2049.1001");
}

TEST(Format, NonFiniteDoesNotCrash) {
  EXPECT_EQ(Format(kInf, Pattern::kCoord), "inf");
  EXPECT_EQ(Format(-kInf, Pattern::kInch), "-inf");
  EXPECT_EQ(Format(std::nan(""), Pattern::kCount), "nan");
}

TEST(Format, TextIsFormattedOnlyWhenPlainNumber) {
  EXPECT_EQ(Format(std::string_view(" 12.5 "), Pattern::kInch), "12.5");
  EXPECT_EQ(Format(std::string_view("1,200"), Pattern::kCoord), "1,200");
  EXPECT_EQ(Format(std::string_view("1E3"), Pattern::kCoord), "1E3");
}

TEST(FormatCoord, DropsTrailingPoint) {
  const struct {
    float value;
    const char* expected;
  } cases[] = {{0, "X0"},         {0.5f, "X0.5"},   {12, "X12"},     {12.34567f, "X12.3457"},
               {-3.25f, "X-3.25"}, {0.00004f, "X0"}, {-0.00004f, "X0"}, {12.00004f, "X12"},
               {-0.5f, "X-0.5"},  {2049.1f, "X2049.1"}, {-0.0f, "X0"}};
  for (const auto& c : cases) {
    EXPECT_EQ(FormatCoord('X', c.value), c.expected) << c.value;
    std::string out = "G1";
    AppendCoord(out, 'X', c.value);
    EXPECT_EQ(out, std::string("G1") + c.expected) << c.value;
  }
}

TEST(FormatCoord, Text) {
  const struct {
    char letter;
    const char* text;
    const char* expected;
  } cases[] = {{'Z', ".75", "Z0.75"}, {'X', "24.", "X24"},      {'X', ".", "X"},
               {'X', "", "X"},        {'Y', "400 mm", "Y400 mm"}, {'X', "ab.", "Xab"},
               {'X', "-0.00004", "X0"}};
  for (const auto& c : cases) EXPECT_EQ(FormatCoord(c.letter, c.text), c.expected) << c.text;
}

TEST(IsPlainNumber, AcceptsOnlyBlanksSignDigitsAndOnePoint) {
  for (const char* yes : {" -5 ", "5.", ".5", "+3", "\t12.25\t", "0"}) {
    EXPECT_TRUE(IsPlainNumber(yes)) << yes;
  }
  for (const char* no : {"1,200", "1E3", "", ".", "- 5", "1.2.3", "+", " ", "5 5", "0x10"}) {
    EXPECT_FALSE(IsPlainNumber(no)) << no;
  }
}

TEST(FloatAsText, PlainDecimalAtSevenDigits) {
  const struct {
    float value;
    const char* expected;
  } cases[] = {{600, "600"},        {12.5f, "12.5"}, {0.75f, "0.75"},
               {-14, "-14"},        {-0.0f, "0"},    {1e20f, "100000000000000000000"},
               {1.5e-7f, "0.00000015"}, {2049.1f, "2049.1"}, {16777217.f, "16777220"},
               {-0.1f, "-0.1"}};
  for (const auto& c : cases) EXPECT_EQ(FloatAsText(c.value), c.expected) << c.value;
}

TEST(NumberText, FifteenDigitsNoLeadingZero) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {{5, "5"},       {0.5, ".5"}, {-0.5, "-.5"}, {99, "99"}, {-0.0, "0"},
               {0.1 + 0.2, ".3"}, {1e20, "100000000000000000000"}, {1.5e-7, ".00000015"},
               {123456.789012345678, "123456.789012346"}};
  for (const auto& c : cases) EXPECT_EQ(NumberText(c.value), c.expected) << c.value;
}

TEST(NumberText, ReadsBackThroughVal) {
  for (double x : {1.0 / 3, -2.0 / 3, 1e300, 1e-300, 4.9406564584124654e-324, 1.5e308,
                   123.456, -0.001}) {
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, x, std::chars_format::scientific, 14).ptr;
    double rounded = 0;
    std::from_chars(text, end, rounded);
    EXPECT_EQ(Val(NumberText(x)), rounded) << x;
  }
}

TEST(ToSingle, NearestFloatOrNulloptBeyondRange) {
  EXPECT_EQ(ToSingle(1.5), 1.5f);
  EXPECT_EQ(ToSingle(0.1), 0.1f);
  EXPECT_EQ(ToSingle(FLT_MAX), FLT_MAX);
  EXPECT_EQ(ToSingle(-FLT_MAX), -FLT_MAX);
  EXPECT_EQ(ToSingle(std::nextafter(0x1.ffffffp127, 0.0)), FLT_MAX);
  EXPECT_EQ(ToSingle(0x1.ffffffp127), std::nullopt);
  EXPECT_EQ(ToSingle(-0x1.ffffffp127), std::nullopt);
  EXPECT_EQ(ToSingle(1e39), std::nullopt);
  EXPECT_EQ(ToSingle(kInf), std::nullopt);
  EXPECT_EQ(ToSingle(std::nan("")), std::nullopt);
  EXPECT_EQ(ToSingle(1e-50), 0.0f);
}

TEST(ToInt16, RoundsTiesToEvenWithinRange) {
  const struct {
    double value;
    std::optional<std::int16_t> expected;
  } cases[] = {{2.5, 2},          {3.5, 4},          {-2.5, -2},         {0.49, 0},
               {32767, 32767},    {32767.49, 32767}, {32767.5, std::nullopt},
               {-32768.5, -32768}, {-32768.51, std::nullopt}, {1e10, std::nullopt},
               {-kInf, std::nullopt}, {std::nan(""), std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ToInt16(c.value), c.expected) << c.value;
}

}  // namespace
}  // namespace quarnel
