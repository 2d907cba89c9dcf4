// What the conversion driver needs from a translator of source lines.
#pragma once

#include <optional>
#include <string>

namespace quarnel {

class LineScanner;

class LineTranslator {
 public:
  virtual ~LineTranslator() = default;
  // The start of every source file (ModalP goes back to 0).
  virtual void BeginFile() = 0;
  // Translates the scanner's current line, appending output lines to outBuffer through
  // EmitLine. Returns the reason when a number of the line does not fit where it is stored
  // (it names the word, e.g. "T40000 does not fit in a tool number (-32768..32767)"); the
  // file then fails and the scan stops at this line.
  virtual std::optional<std::string> TranslateLine(LineScanner& scanner,
                                                   std::string& outBuffer) = 0;
};

// Translates nothing: every file gets an empty body.
class NullTranslator final : public LineTranslator {
 public:
  void BeginFile() override {}
  std::optional<std::string> TranslateLine(LineScanner&, std::string&) override {
    return std::nullopt;
  }
};

}  // namespace quarnel
