// docs/DIALECT.md stays true: every example of its tables runs through the translator and gives
// exactly the output shown, and every function it names is defined in the file named with it.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/translate/line_scanner.h"
#include "engine/translate/program_header.h"
#include "engine/translate/translator.h"
#include "test_support.h"
#include "tools/tool_table.h"

namespace quarnel {
namespace {

using testing::ReadFileBytes;

struct Example {
  std::string rule;
  std::vector<std::string> source, output, homes;
};

// The code spans of a table cell, in order.
std::vector<std::string> CodeSpans(const std::string& cell) {
  std::vector<std::string> spans;
  static const std::regex span("`([^`]*)`");
  for (std::sregex_iterator it(cell.begin(), cell.end(), span), end; it != end; ++it) {
    spans.push_back((*it)[1]);
  }
  return spans;
}

// The rows of the rule tables: | rule | source | output | home |.
std::vector<Example> Examples() {
  const std::string text = ReadFileBytes(std::string(QUARNEL_SOURCE_DIR) + "/docs/DIALECT.md");
  std::vector<Example> examples;
  LineScanner lines(text);
  for (std::string_view line; lines.Next(line);) {
    std::vector<std::string> cells;
    std::string rest(line);
    for (std::size_t bar; (bar = rest.find(" | ")) != std::string::npos; rest.erase(0, bar + 3)) {
      cells.push_back(rest.substr(0, bar));
    }
    if (cells.size() != 3 || !rest.ends_with(" |") || cells[0] == "| rule") continue;
    examples.push_back({cells[0], CodeSpans(cells[1]), CodeSpans(cells[2]),
                        CodeSpans(rest.substr(0, rest.size() - 2))});
  }
  return examples;
}

// The lines of text as strings.
std::vector<std::string> LinesOf(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  return {lines.begin(), lines.end()};
}

// What the example's source gives: its body lines, the first program lines for a header rule,
// or the failure.
std::vector<std::string> Convert(const Example& example) {
  ToolTable tools;
  const char* rows[][2] = {{"1", "101"}, {"2", "102"}, {"81", "205"}, {"7", "42"}};
  for (int row = 1; row <= 4; ++row) {
    tools.SetCell(row, ToolTable::kFromColumn, rows[row - 1][0]);
    tools.SetCell(row, ToolTable::kToColumn, rows[row - 1][1]);
  }
  std::string source;
  for (const std::string& line : example.source) source += line + "\r\n";
  Translator translator(tools);
  ProgramBody body;
  const SourceTranslation translation = TranslateSource(source, translator, body);
  if (translation.failure) return {*translation.failure};
  const bool header = !example.output.empty() && example.output[0].starts_with("G7");
  if (!header) return LinesOf(body.Body());
  EXPECT_EQ(CompleteProgram(translation.partDimensions.value_or(DimensionTexts{"600", "400", "18"}),
                            body),
            std::nullopt);
  std::vector<std::string> program = LinesOf(body.Program());
  program.resize(example.output.size());
  return program;
}

TEST(Dialect, EveryExampleGivesTheOutputShown) {
  const std::vector<Example> examples = Examples();
  ASSERT_GE(examples.size(), 20u);
  for (const Example& example : examples) {
    ASSERT_FALSE(example.source.empty()) << example.rule;
    EXPECT_EQ(Convert(example), example.output) << example.rule;
  }
}

// A home "engine/translate/motion.cpp: WriteMotion, WriteArc" names a file and what it defines:
// "Name(" or "Class::Name(" after a blank, or a member of a class that the file holds.
bool Defines(const std::string& file, const std::string& function) {
  if (file.find(" " + function + "(") != std::string::npos) return true;
  const std::size_t colons = function.rfind("::");
  if (colons == std::string::npos) return false;
  const std::string type = function.substr(0, colons);
  const bool holdsType = file.find("struct " + type + " ") != std::string::npos ||
                         file.find("class " + type + " ") != std::string::npos;
  return holdsType && file.find(" " + function.substr(colons + 2) + "(") != std::string::npos;
}

TEST(Dialect, EveryFunctionNamedIsDefinedInItsFile) {
  for (const Example& example : Examples()) {
    ASSERT_FALSE(example.homes.empty()) << example.rule;
    for (const std::string& home : example.homes) {
      const std::size_t colon = home.find(": ");
      ASSERT_NE(colon, std::string::npos) << home;
      const std::string file =
          ReadFileBytes(std::string(QUARNEL_SOURCE_DIR) + "/" + home.substr(0, colon));
      std::stringstream functions(home.substr(colon + 2));
      for (std::string function; std::getline(functions >> std::ws, function, ',');) {
        EXPECT_TRUE(Defines(file, function)) << home;
      }
    }
  }
}

}  // namespace
}  // namespace quarnel
