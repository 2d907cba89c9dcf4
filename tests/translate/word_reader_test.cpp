#include "engine/translate/word_reader.h"

#include <gtest/gtest.h>

#include "translator_harness.h"

namespace quarnel {
namespace {

using testing::TranslatorHarness;

// The words of a line as the translator reads them: one pass, then stored.
std::optional<std::string> ReadLine(std::string_view line, TranslatorState& state) {
  LineWords words;
  ScanWords(line, words);
  return ReadWords(words, state);
}

TEST(WordText, IsTheTextUpToTheLettersSecondOccurrence) {
  EXPECT_EQ(WordText("G0X100Y50P-5T1", 'P'), "-5T1");
  EXPECT_EQ(WordText("G1 X10 X20", 'X'), "10 ");
  EXPECT_EQ(WordText("G1 X", 'X'), "");
  EXPECT_EQ(WordText("G1 XX5", 'X'), "");
  EXPECT_EQ(WordText("G1 x5", 'X'), std::nullopt);
  EXPECT_EQ(WordText("G1 Y5", 'X'), std::nullopt);
}

TEST(StripToolQuotes, DropsFirstAndLastCharacterOfQuotedText) {
  const struct {
    const char* field;
    const char* text;
  } cases[] = {
      {"5", "5"},
      {"5 M6", "5 M6"},
      {" 5", " 5"},
      {"\"1 2 3\"", "1 2 3"},
      {"\" 1 2 \"", "1 2"},
      {"\"12", "1"},  // the last character goes whether or not it is a quote
      {"\"", ""},
      {"\"\"", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StripToolQuotes(c.field), c.text) << c.field;
}

TEST(AppendSpindleGroups, MakesTwoDigitGroups) {
  const struct {
    const char* text;
    const char* digits;
  } cases[] = {
      {"5", "05"},
      {"12", "12"},
      {"0102", "0102"},
      {"1 2 3", "010203"},
      {"1 M6", "0100"},
      {"123", "1203"},
      {" 5", "05"},
      {"2.5", "0205"},
      {"-3", "-3"},   // "0" and "-3", last two characters
      {".5", ".5"},   // the number's text has no 0 before the point
      {"5.", "05"},
      {"\t5", "05"},  // tabs are skipped by the number rule
      {"ab", "00"},
      {"", ""},
      {"1 ", "01"},
      {"12 3", "1203"},
      {" 1 2", "0102"},
      {"  5", "0005"},
      {"1\t2", "0102"},  // a tab beside a digit is no blank of the copied pieces
      {"1-", "01"},
  };
  for (const auto& c : cases) {
    std::string digits;
    AppendSpindleGroups(c.text, digits);
    EXPECT_EQ(digits, c.digits) << c.text;
  }
}

TEST(NumberForMessage, KeepsTheNumberWithoutBlanks) {
  EXPECT_EQ(NumberForMessage("1E39 Y5"), "1E39");
  EXPECT_EQ(NumberForMessage(" 1 E 39"), "1E39");
  EXPECT_EQ(NumberForMessage("-3.5e40,2"), "-3.5e40");
  EXPECT_EQ(NumberForMessage(std::string(40, '9')), std::string(24, '9') + "...");
}

TEST(ReadWords, StoresEachWordAsTheNumberRuleReadsIt) {
  const struct {
    const char* line;
    float TranslatorState::*field;
    float value;
  } cases[] = {
      {"G1 X 12.5", &TranslatorState::modalX, 12.5f},
      {"G1 X1 2", &TranslatorState::modalX, 12},
      {"G1 X10 X20", &TranslatorState::modalX, 10},
      {"G1 X", &TranslatorState::modalX, 0},
      {"G1 X-.25", &TranslatorState::modalX, -0.25f},
      {"G1X1.5Y2", &TranslatorState::modalY, 2},
      {"G1 Z-7", &TranslatorState::modalZ, -7},
      {"G1 P-5", &TranslatorState::modalP, -5},
      {"G1 F12000", &TranslatorState::modalF, 12},
      {"G1 F3000", &TranslatorState::modalF, 3},
      {"G1 X2049.1", &TranslatorState::modalX, 2049.1f},
      {"G1 X10 ; FAST", &TranslatorState::modalF, 0},  // F of FAST
  };
  for (const auto& c : cases) {
    TranslatorState state;
    state.*c.field = 99;
    ASSERT_EQ(ReadLine(c.line, state), std::nullopt) << c.line;
    EXPECT_EQ(state.*c.field, c.value) << c.line;
  }
}

TEST(ReadWords, AbsentWordsKeepModalValuesAndZeroLineValues) {
  TranslatorState state;
  ASSERT_EQ(ReadLine("G2 X1 Y2 Z3 P4 F5000 I6 J7 R8 U9 T10", state), std::nullopt);
  ASSERT_EQ(ReadLine("G2", state), std::nullopt);
  EXPECT_EQ(state.modalX, 1);
  EXPECT_EQ(state.modalY, 2);
  EXPECT_EQ(state.modalZ, 3);
  EXPECT_EQ(state.modalP, 4);
  EXPECT_EQ(state.modalF, 5);
  EXPECT_EQ(state.toolNumber, 10);
  EXPECT_EQ(state.line.lineI, 0);
  EXPECT_EQ(state.line.lineJ, 0);
  EXPECT_EQ(state.line.lineR, 0);
  EXPECT_EQ(state.line.lineU, 0);
  EXPECT_EQ(state.line.lineT, 0);
  EXPECT_EQ(state.line.toolText, "");
  EXPECT_EQ(state.line.spindleGroups, "");
}

TEST(ReadWords, ReadsTheToolWord) {
  const struct {
    const char* line;
    const char* toolText;
    std::int16_t lineT;
    const char* toolDigits;
  } cases[] = {
      {"G0 T5", "5", 5, "05"},
      {"G0 T0102", "0102", 102, "0102"},
      {"G0 X5 T\"1 2 3\"", "1 2 3", 1, "010203"},
      {"G0 X10 T1 M6", "1 M6", 1, "0100"},
      {"G0 T2.5", "2.5", 2, "0205"},  // ties to even
      {"G0 T3.5", "3.5", 4, "0305"},
      {"G0 T 5", " 5", 0, "05"},  // the blank ends the number before it starts
      {"G0 T\"", "", 0, ""},
      {"G0 T\"12", "1", 1, "01"},
      {"G0 T\" 7 \"X5", "7 \"X", 7, "0700"},  // the quoted text runs to the end of the line
      {"G0 T5T6", "5", 5, "05"},
      {"G0 T-3", "-3", -3, "-3"},
      {"G0 T.5", ".5", 0, ".5"},
      {"G0 T32766.5", "32766.5", 32766, "32760605"},
      {"G0 T-32768", "-32768", -32768, "-32768"},
      {"G1 X10 ; FAST", "", 0, ""},  // T of FAST
  };
  for (const auto& c : cases) {
    TranslatorState state;
    state.toolNumber = 99;
    ASSERT_EQ(ReadLine(c.line, state), std::nullopt) << c.line;
    EXPECT_EQ(state.line.toolText, c.toolText) << c.line;
    EXPECT_EQ(state.line.lineT, c.lineT) << c.line;
    EXPECT_EQ(state.toolNumber, c.lineT) << c.line;
    EXPECT_EQ(state.line.spindleGroups, c.toolDigits) << c.line;
  }
}

TEST(ReadWords, LineWithoutToolKeepsToolNumber) {
  TranslatorState state;
  state.toolNumber = 7;
  ASSERT_EQ(ReadLine("G0 X5", state), std::nullopt);
  EXPECT_EQ(state.toolNumber, 7);
  EXPECT_EQ(state.line.lineT, 0);
  EXPECT_EQ(state.line.spindleGroups, "");
}

TEST(ReadWords, ToolNumberOutsideSixteenBitsFails) {
  const struct {
    const char* line;
    const char* reason;
  } cases[] = {
      {"G0 T40000", "T40000 does not fit in a tool number (-32768..32767)"},
      {"G0 T32767.5", "T32767.5 does not fit in a tool number (-32768..32767)"},
      {"G0 T-32769", "T-32769 does not fit in a tool number (-32768..32767)"},
      {"G0 T\"40000 1 2\"", "T40000 does not fit in a tool number (-32768..32767)"},
      {"G0 T1E400", "T1E400 does not fit in a tool number (-32768..32767)"},
  };
  for (const auto& c : cases) {
    TranslatorState state;
    state.toolNumber = 7;
    EXPECT_EQ(ReadLine(c.line, state), c.reason) << c.line;
    EXPECT_EQ(state.toolNumber, 7) << c.line;
  }
}

TEST(ReadWords, ValueBeyondTheFloatRangeFailsAndStopsReading) {
  const struct {
    const char* line;
    const char* reason;
  } cases[] = {
      {"G1 X1E39", "X1E39 does not fit in a 32-bit number"},
      {"G1 X 1 E 39", "X1E39 does not fit in a 32-bit number"},
      {"G1 X3.5E38", "X3.5E38 does not fit in a 32-bit number"},
      {"G1 X-1D40", "X-1D40 does not fit in a 32-bit number"},
      {"G1 Y1E400", "Y1E400 does not fit in a 32-bit number"},
      {"G1 I-1E39", "I-1E39 does not fit in a 32-bit number"},
      {"G1 F1E42", "F1E42 does not fit in a 32-bit number"},
      {"G1 R1E39", "R1E39 does not fit in a 32-bit number"},
  };
  for (const auto& c : cases) {
    TranslatorState state;
    EXPECT_EQ(ReadLine(c.line, state), c.reason) << c.line;
  }
  // F is divided by 1000 before it is stored, so F1E39 fits; X3.4E38 is still a float.
  TranslatorState state;
  EXPECT_EQ(ReadLine("G1 X3.4E38 F1E39", state), std::nullopt);
  EXPECT_EQ(state.modalF, 1e36f);
  EXPECT_EQ(state.modalX, 3.4e38f);
}

TEST(ReadWords, WordsBeforeTheFailingOneKeepTheirValues) {
  TranslatorState state;
  state.modalY = 8;
  state.toolNumber = 3;
  EXPECT_TRUE(ReadLine("G1 Y5 P-2 X1E39 T9", state).has_value());
  EXPECT_EQ(state.modalP, -2);  // P is read before X
  EXPECT_EQ(state.modalY, 8);   // Y comes after X
  EXPECT_EQ(state.toolNumber, 3);
}

}  // namespace
}  // namespace quarnel
