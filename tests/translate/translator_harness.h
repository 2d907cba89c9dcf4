// A translator fed line by line, as a conversion feeds it, for tests of single lines, short
// programs and files one after another.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "engine/translate/dimension_texts.h"
#include "engine/translate/line_scanner.h"
#include "engine/translate/program_body.h"
#include "engine/translate/translator.h"
#include "engine/translate/translator_state.h"
#include "tools/tool_table.h"

namespace quarnel::testing {

class TranslatorHarness {
 public:
  ToolTable tools;
  DimensionTexts dims;  // rewritten by a G200 of a file, as a batch does
  TranslatorState& state = translator_.State();
  std::optional<std::string> failure;  // reason of the last failing line, if any
  int failedLine = 0;

  // Translates the lines (separated by "\n") as part of the file in progress and returns what
  // they wrote, lines joined by "\n" instead of CR LF. The state is not reset.
  std::string Lines(std::string_view text) { return Scan(text, false); }
  // The same as a new file: the state goes back to the start state first (with G90, G17 and
  // G40 in force after UsualSetting).
  std::string File(std::string_view text) { return Scan(text, true); }

  // The state most tests start from: G90, G17 and G40 in force, and a table that maps
  // 1 to 101, 2 to 102 and 81 to 205 in rows 1 to 3.
  void UsualSetting() {
    usualCodes_ = true;
    SetUsualCodes();
    MapTool(1, "1", "101");
    MapTool(2, "2", "102");
    MapTool(3, "81", "205");
  }
  void MapTool(int row, std::string from, std::string to) {
    tools.SetCell(row, ToolTable::kFromColumn, std::move(from));
    tools.SetCell(row, ToolTable::kToColumn, std::move(to));
  }

 private:
  void SetUsualCodes() {
    state.distanceCode = "G90";
    state.planeCode = "G17";
    state.compCode = "G40";
  }
  std::string Scan(std::string_view text, bool newFile) {
    if (newFile) {
      translator_.BeginFile();
      if (usualCodes_) SetUsualCodes();
    }
    failure.reset();
    failedLine = 0;
    body_.Clear();
    LineScanner lines(text);
    for (std::string_view line; !failure && lines.Next(line);) {
      failure = translator_.TranslateLine(line, body_);
      if (failure) failedLine = lines.LineNumber();
    }
    if (translator_.PartDimensions()) dims = *translator_.PartDimensions();
    // Every written line ends in CR LF; a CR anywhere else would survive into the result.
    std::string written;
    const std::string_view body = body_.Body();
    for (std::size_t i = 0; i < body.size(); ++i) {
      if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') continue;
      written += body[i];
    }
    if (!written.empty() && written.back() == '\n') written.pop_back();
    return written;
  }

  Translator translator_{tools};
  ProgramBody body_;
  bool usualCodes_ = false;
};

// A row laid over the usual table: row number, "From" and "To" texts.
struct ToolRow {
  int row;
  const char* from;
  const char* to;
};

// Output of the lines as a new file in the usual setting (G90, G17, G40; 1 to 101, 2 to 102,
// 81 to 205), with the given table rows laid over it; a failure is appended to the output.
inline std::string TranslateInUsualSetting(const char* lines, std::initializer_list<ToolRow> rows = {}) {
  TranslatorHarness harness;
  harness.UsualSetting();
  for (const ToolRow& r : rows) harness.MapTool(r.row, r.from, r.to);
  std::string out = harness.File(lines);
  if (harness.failure) out += "\nfailed: " + *harness.failure;
  return out;
}

}  // namespace quarnel::testing
