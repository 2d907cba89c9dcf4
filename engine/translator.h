// Translates router G-code lines into lines of the machining centre's dialect.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/dimension_texts.h"
#include "engine/drilling.h"
#include "engine/line_translator.h"
#include "engine/translator_state.h"
#include "tools/tool_table.h"

namespace quarnel {

class Translator final : public LineTranslator {
 public:
  // state is set to the start state at every file; tools is read at every lookup as it stands;
  // dims are rewritten by G200 and carry from file to file.
  Translator(TranslatorState& state, const ToolTable& tools, DimensionTexts& dims);

  void BeginFile() override;
  std::optional<std::string> TranslateLine(LineScanner& scanner, std::string& outBuffer) override;

 private:
  std::optional<std::string> ActOnGWords(LineScanner& scanner, LineWriter& out);
  std::optional<std::string> ActOnGCode(double value, LineWriter& out);

  TranslatorState& state_;
  DimensionTexts& dims_;
  ToolLookup lookup_;
  std::size_t bodyLines_ = 0;  // lines written for the file in progress
};

}  // namespace quarnel
