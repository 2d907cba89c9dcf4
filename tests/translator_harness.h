// A translator fed through the line scanner, as the conversion driver feeds it, for tests of
// single lines, short programs and batches.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/dimension_texts.h"
#include "engine/line_scanner.h"
#include "engine/translator.h"
#include "engine/translator_state.h"
#include "support/file_store.h"
#include "tools/tool_table.h"

namespace quarnel::testing {

class TranslatorHarness final : private ScanHandler {
 public:
  TranslatorState state;
  ToolTable tools;
  DimensionTexts dims;
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
  std::string Scan(std::string_view text, bool newFile) {
    newFile_ = newFile;
    failure.reset();
    failedLine = 0;
    output_.clear();
    scanner_.RunText(text, *this);
    // Every written line ends in CR LF; a CR anywhere else would survive into the result.
    std::string lines;
    for (std::size_t i = 0; i < output_.size(); ++i) {
      if (output_[i] == '\r' && i + 1 < output_.size() && output_[i + 1] == '\n') continue;
      lines += output_[i];
    }
    if (!lines.empty() && lines.back() == '\n') lines.pop_back();
    return lines;
  }
  void SetUsualCodes() {
    state.DistanceCode = "G90";
    state.PlaneCode = "G17";
    state.CompCode = "G40";
  }
  void ScanBegin() override {
    if (!newFile_) return;
    translator_.BeginFile();
    if (usualCodes_) SetUsualCodes();
  }
  bool ScanLine() override {
    failure = translator_.TranslateLine(scanner_, output_);
    if (failure) failedLine = scanner_.LineNumber();
    return !failure;
  }
  void ScanEnd() override {}

  MemoryFileStore files_;
  LineScanner scanner_{files_};
  Translator translator_{state, tools, dims};
  std::string output_;
  bool newFile_ = false;
  bool usualCodes_ = false;
};

}  // namespace quarnel::testing
